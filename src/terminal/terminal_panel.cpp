#include "terminal_panel.h"

#include "balance_list.h"
#include "invest_page.h"
#include "journal_view.h"
#include "multi_account.h"
#include "order_list.h"
#include "profile.h"

#include <QItemSelectionModel>
#include <QVBoxLayout>

namespace {

TConnectionItem *MainAccount()
{
  return Profile ? Profile->MainProfile() : nullptr;
}

// The first two pages are a shade lighter than the rest.
const QColor cBrightPage(0xFD, 0xFD, 0xFD);
const QColor cPage(0xFA, 0xFA, 0xFA);

} // namespace

TTerminalPanel::TTerminalPanel(QWidget *aParent) : QTabWidget(aParent)
{
  setObjectName(QStringLiteral("pcTerminal"));
  setTabPosition(QTabWidget::South);
  setDocumentMode(true);

  fOrders = new TAccountGrid("vstOrders", new TOrderListModel(
                                              [] {
                                                TConnectionItem *lMain = MainAccount();
                                                return lMain ? &lMain->UserOrderList : nullptr;
                                              },
                                              "vstOrdersGetText", "RefreshOrderListData"));
  fOrders->SetColumns(TOrderListModel::Widths(), TOrderListModel::Samples());
  fBalances = new TAccountGrid("vstBalances", new TBalanceModel([] {
                                 TConnectionItem *lMain = MainAccount();
                                 return lMain ? &lMain->BalanceList : nullptr;
                               }));
  fBalances->SetColumns(TBalanceModel::Widths());
  fBalances->SetFixedColumn(TBalanceModel::colFree);
  fBalances->SetFixedColumn(TBalanceModel::colLocked);
  fOrderHistory =
      new TAccountGrid("vstOrderHistory", new TOrderListModel(
                                              [] {
                                                TConnectionItem *lMain = MainAccount();
                                                return lMain ? &lMain->UserOrderHistory : nullptr;
                                              },
                                              "vstOrderHistoryGetText", "RefreshOrderHistoryData"));
  fOrderHistory->SetColumns(TOrderListModel::Widths(), TOrderListModel::Samples());
  fMultiModel = new TMultiAccountModel([] { return Profile ? &Profile->Connections() : nullptr; });
  fMulti = new TAccountGrid("vstMulti", fMultiModel);
  fMulti->SetColumns(TMultiAccountModel::Widths());
  connect(fMulti->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TTerminalPanel::AccountSelectionChanged);
  connect(fMultiModel, &QAbstractItemModel::modelReset, this,
          &TTerminalPanel::AccountSelectionChanged);

  AddPage("tsTrade", QStringLiteral("Торговля"), fOrders, true);
  AddPage("tsActives", QStringLiteral("Активы"), fBalances, true);
  AddPage("tsAccountHistory", QStringLiteral("История счета"), fOrderHistory, false);
  AddPage("tsMultiaccount", QStringLiteral("Мультиаккаунт"), fMulti, false);
  AddPage("tsNews", QStringLiteral("Новости"), nullptr, false);
  AddPage("tsMarket", QStringLiteral("Маркет"), nullptr, false);
  AddPage("tsSignals", QStringLiteral("Сигналы"), nullptr, false);
  AddPage("tsLibrary", QStringLiteral("Библиотека"), nullptr, false);
  AddPage("tsExperts", QStringLiteral("Эксперты"), nullptr, false);
  fJournal = new TJournalView(::Journal());
  AddPage("tsJournal", QStringLiteral("Журнал"), fJournal, false);
  fInvest = new TInvestPage();
  AddPage("tsInvest", QStringLiteral("Инвестиции"), fInvest, false);
}

QWidget *TTerminalPanel::AddPage(const char *aName, const QString &aCaption, QWidget *aContent,
                                 bool aBright)
{
  auto *lPage = new QWidget(this);
  lPage->setObjectName(QLatin1String(aName));
  QPalette lPalette = lPage->palette();
  const QColor lColor = aBright ? cBrightPage : cPage;
  lPalette.setColor(QPalette::Window, lColor);
  lPalette.setColor(QPalette::Base, lColor);
  lPage->setPalette(lPalette);
  lPage->setAutoFillBackground(true);
  auto *lLayout = new QVBoxLayout(lPage);
  lLayout->setContentsMargins(0, 0, 0, 0);
  if (aContent) {
    aContent->setPalette(lPalette);
    lLayout->addWidget(aContent);
  }
  addTab(lPage, aCaption);
  return lPage;
}

void TTerminalPanel::RefreshOrderListData()
{
  fOrders->Model()->Refresh();
}

void TTerminalPanel::RefreshOrderHistoryData()
{
  fOrderHistory->Model()->Refresh();
}

void TTerminalPanel::RefreshBalanceUI()
{
  fBalances->Model()->Refresh();
}

void TTerminalPanel::RefreshMultiAccount()
{
  fMulti->Model()->Refresh();
}

void TTerminalPanel::RepaintMultiAccount()
{
  fMulti->viewport()->update();
}

void TTerminalPanel::Clear()
{
  for (TAccountGrid *lGrid : {fOrders, fBalances, fOrderHistory, fMulti})
    lGrid->Model()->Clear();
}

int TTerminalPanel::SelectedOrderRow() const
{
  return fOrders->SelectedRow();
}

int TTerminalPanel::SelectedAccountRow() const
{
  return fMulti->SelectedRow();
}

QString TTerminalPanel::SelectedAccount() const
{
  return fMultiModel->Name(fMulti->SelectedRow());
}
