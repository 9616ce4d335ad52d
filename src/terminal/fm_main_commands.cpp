// The main window's panel commands and its account and order commands.
#include "fm_main.h"

#include "connection_item.h"
#include "dlg_base_logon.h"
#include "main_actions.h"
#include "main_chart_commands.h"
#include "main_docks.h"
#include "main_guard.h"
#include "profile.h"
#include "terminal_panel.h"
#include "user.h"
#include "utils.h"

#include <QAction>
#include <QDockWidget>
#include <QStatusBar>
#include <QToolBar>

#ifndef VEXA_VERSION
#define VEXA_VERSION "0.1"
#endif

void TfmMain::TogglePanel(QDockWidget *aDock, QAction *aAction)
{
  MainShowingErrors([&] {
    const bool lShow = aDock->isHidden();
    // A floated or moved panel comes back to its home place when it is shown again.
    const bool lMoved = lShow && fDocks->PutHome(aDock);
    aDock->setVisible(lShow);
    aAction->setChecked(lShow);
    if (lMoved || aDock == fDocks->dpBuy || aDock == fDocks->dpSell)
      fDocks->ApplySizes({aDock});
  });
}

void TfmMain::ToggleBar(QToolBar *aBar, QAction *aAction)
{
  MainShowingErrors([&] {
    const bool lShow = aBar->isHidden();
    if (lShow)
      fDocks->PutHome(aBar);
    aBar->setVisible(lShow);
    aAction->setChecked(lShow);
  });
}

void TfmMain::acNavigateExecute()
{
  MainShowingErrors([this] {
    QDockWidget *lDock = fDocks->dpNavigate;
    if (lDock->isHidden())
      fDocks->PutHome(lDock);
    lDock->setVisible(lDock->isHidden());
    fActions->acNavigate->setChecked(!lDock->isHidden());
  });
}

void TfmMain::acStatusBarExecute()
{
  MainGuarded("acStatusBarExecute", [this] {
    statusBar()->setVisible(statusBar()->isHidden());
    fActions->acStatusBar->setChecked(!statusBar()->isHidden());
  });
}

void TfmMain::acLoginExecute()
{
  MainGuarded("acLoginExecute", [this] {
    if (!Profile || !User)
      return;
    if (!ExecuteDlgBaseLogon(Profile->MainProfile(), false, this))
      return;
    User->Input()->SetAuth(uaAuth);
    Profile->SaveToFile();
    InitUserInterface();
  });
}

void TfmMain::acNewOrderExecute()
{
  MainShowingErrors([this] { fChartCommands->NewOrder(); });
}

void TfmMain::acOrderDeleteExecute()
{
  MainGuarded("acOrderDeleteExecute", [this] {
    const int lRow = fTerminal->SelectedOrderRow();
    if (lRow < 0 || !Profile || !User)
      return;
    const TUserOrderList &lOrders = Profile->MainProfile()->UserOrderList;
    if (lRow >= lOrders.Count())
      return;
    // A copy: the list may be replaced by an answer while the question is open.
    const TUserOrder lOrder = lOrders.Items(lRow);
    if (!Confirm(QStringLiteral("Уверены что хотите удалит ордер?")))
      return;
    User->OrderDelete(lOrder, Profile->MainProfile(), User->Input()->Multi());
  });
}

void TfmMain::acNoZeroBalanceExecute()
{
  MainGuarded("acNoZeroBalanceExecute", [this] {
    if (!User)
      return;
    TUserInputData *lInput = User->Input();
    lInput->SetNoZeroBalance(!lInput->NoZeroBalance());
    fActions->acNoZeroBalance->setChecked(lInput->NoZeroBalance());
    RefreshBalanceModel();
  });
}

void TfmMain::RefreshBalanceModel()
{
  if (!Profile)
    return;
  TConnectionItem *lMain = Profile->MainProfile();
  lMain->AccountEx(lMain, true);
}

void TfmMain::acMultiAddExecute()
{
  MainGuarded("acMultiAddExecute", [this] {
    if (!Profile)
      return;
    TConnectionItems &lConnections = Profile->Connections();
    if (lConnections.Count() >= cMaxConnections) {
      Alert(cConnectionLimitText);
      return;
    }
    struct TRefreshOnExit
    {
      TTerminalPanel *Panel;
      ~TRefreshOnExit() { Panel->RefreshMultiAccount(); }
    } lRefresh{fTerminal};
    const auto lItem = std::make_unique<TConnectionItem>();
    if (!ExecuteDlgBaseLogon(lItem.get(), true, this))
      return;
    TConnectionItem &lNew = lConnections.Add();
    lNew.ApiKey = lItem->ApiKey;
    lNew.SecretKey = lItem->SecretKey;
    lNew.Name = lItem->Name;
    lNew.Rate = lItem->Rate;
    Profile->SaveToFile();
  });
}

void TfmMain::acMultiDelExecute()
{
  MainGuarded("acMultiDelExecute", [this] {
    if (!Profile)
      return;
    const int lRow = fTerminal->SelectedAccountRow();
    TConnectionItems &lConnections = Profile->Connections();
    if (lRow < 0 || lRow >= lConnections.Count())
      return;
    lConnections.Delete(lRow);
    Profile->SaveToFile();
    fTerminal->RefreshMultiAccount();
    RefreshUserInterface();
  });
}

void TfmMain::acMultiExecute()
{
  MainGuarded("acMultiExecute", [this] {
    if (!User)
      return;
    const bool lCan = Profile && Profile->UIVisible().dpTerminal &&
                      User->Input()->GetAuth() == uaAuth && Profile->Connections().Count() > 0;
    User->Input()->SetMulti(lCan && !User->Input()->Multi());
    fActions->acMulti->setChecked(User->Input()->Multi());
  });
}

void TfmMain::acAboutExecute()
{
  Msg(QStringLiteral("Vexa %1\n\nТорговый терминал для спотового рынка Binance.")
          .arg(QLatin1String(VEXA_VERSION)),
      mtInfo);
}
