#include "account_grid.h"
#include "balance.h"
#include "connection_item.h"
#include "event_pump.h"
#include "events.h"
#include "fm_main.h"
#include "main_actions.h"
#include "main_docks.h"
#include "market_watch.h"
#include "profile.h"
#include "sys_time.h"
#include "terminal_panel.h"
#include "test_presenter.h"
#include "ui_writer.h"
#include "user.h"
#include "utils.h"
#include "workflow.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QMenuBar>
#include <QRegularExpression>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace {

// The singletons the window reaches, without an exchange: the window stays offline unless a
// test puts it online.
class MainWindowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    SetExeFolder(fDir.path());
    Workflow = std::make_unique<TWorkflow>();
    Profile = std::make_unique<TProfile>(wfmTrade);
    Profile->SetFileName(fDir.filePath(QStringLiteral("config.json")));
    User = std::make_unique<TUser>();
    SysTime = std::make_unique<TSysTime>();
    UIWriter = std::make_unique<TUIWriter>();
    fForm = std::make_unique<TfmMain>();
    fForm->resize(1280, 800);
    fForm->show();
  }

  void TearDown() override
  {
    fForm.reset();
    UIWriter.reset();
    SysTime.reset();
    User.reset();
    Profile.reset();
    Workflow.reset();
    SetExeFolder(QString());
  }

  // The window as an installation with these switches and this authorisation would show it.
  void Apply(bool aTerminalSwitch, TUserAuth aAuth)
  {
    Profile->UIVisible().dpTerminal = aTerminalSwitch;
    User->Input()->SetAuth(aAuth);
    fForm->InitUserInterface();
  }

  void AddBalance(const QString &aAsset, double aFree)
  {
    TBalance &lBalance = Profile->MainProfile()->BalanceList.Add();
    lBalance.Asset = aAsset;
    lBalance.Free_ = aFree;
  }

  int Rows(QAbstractItemView *aView) const { return aView->model()->rowCount(); }
  TMainActions &Actions() const { return fForm->Actions(); }

  QTemporaryDir fDir;
  TPresenterGuard fBoxes;
  std::unique_ptr<TfmMain> fForm;
};

} // namespace

TEST_F(MainWindowTest, StartsOfflineWithEveryPartNamedAndNoGridFollowingNotifications)
{
  EXPECT_EQ(fForm->windowTitle(), QStringLiteral("Vexa "));
  EXPECT_EQ(fForm->StatusText()->text(), QStringLiteral("Отключено"));
  EXPECT_TRUE(fForm->SysTimePanel()->text().isEmpty());
  EXPECT_EQ(fForm->SysTimePanel()->palette().color(QPalette::Window), QColor(255, 43, 5));

  QStringList lMenus;
  for (QAction *lMenu : fForm->menuBar()->actions())
    lMenus << lMenu->text();
  EXPECT_EQ(lMenus,
            (QStringList{"Файл", "Вид", "Вставка", "Графики", "Сервис", "Окно", "Справка"}));
  for (const char *lName : {"dpMarketView", "dpMarketDepth", "dpNavigate", "dpVolumeMonitor",
                            "dpTerminal", "dpBuy", "dpSell"})
    EXPECT_NE(fForm->findChild<QDockWidget *>(QLatin1String(lName)), nullptr) << lName;
  for (const char *lName : {"tbIntervals", "tbCharts", "tbStandart", "tbInstruments"})
    EXPECT_NE(fForm->findChild<QToolBar *>(QLatin1String(lName)), nullptr) << lName;
  EXPECT_EQ(fForm->Docks().dpMarketView->windowTitle(), QStringLiteral("Символы"));
  EXPECT_EQ(Actions().acMultiAdd->text(), QStringLiteral("Добавить  аккаунт"));
  EXPECT_EQ(Actions().acHorisontLine->toolTip(), QStringLiteral("Рисование горизонтальной линии"));
  for (QAction *lAction : Actions().ChartCommands())
    EXPECT_FALSE(lAction->isEnabled()) << lAction->objectName().toStdString();

  // Offline the window hears nothing queued: a balance arriving stays off the grid.
  AddBalance(QStringLiteral("USDT"), 100);
  UIWriter->Post(BASE_MAIN_BALANCES);
  PumpFor(100);
  EXPECT_EQ(Rows(fForm->pcTerminal()->vstBalances()), 0);

  fForm->SetOnlineMode(true);
  EXPECT_EQ(fForm->StatusText()->text(), QStringLiteral("Подключено"));
  EXPECT_EQ(fForm->SysTimePanel()->palette().color(QPalette::Window), QColor(0, 251, 158));
  UIWriter->Post(BASE_MAIN_BALANCES);
  EXPECT_TRUE(PumpUntil([&] { return Rows(fForm->pcTerminal()->vstBalances()) == 1; }, 2000));
}

TEST_F(MainWindowTest, CommandsFollowTheTerminalSwitchAndTheAuthorisation)
{
  struct TCase
  {
    bool Switch;
    TUserAuth Auth;
    bool Terminal; // acTerminal, acNoZeroBalance, acOrderDelete
    bool Account;  // acLogin, acMultiAdd, acBuy, acSell
  };
  const TCase lCases[] = {
      {false, uaAuth, false, false},
      {false, uaUnauth, false, false},
      {true, uaUnauth, false, true},
      {true, uaAuth, true, true},
  };
  for (const TCase &lCase : lCases) {
    Apply(lCase.Switch, lCase.Auth);
    SCOPED_TRACE(testing::Message()
                 << "switch " << lCase.Switch << " auth " << static_cast<int>(lCase.Auth));
    for (QAction *lAction :
         {Actions().acTerminal, Actions().acNoZeroBalance, Actions().acOrderDelete})
      EXPECT_EQ(lAction->isEnabled(), lCase.Terminal) << lAction->objectName().toStdString();
    for (QAction *lAction :
         {Actions().acLogin, Actions().acMultiAdd, Actions().acBuy, Actions().acSell})
      EXPECT_EQ(lAction->isEnabled(), lCase.Account) << lAction->objectName().toStdString();
    // The terminal panel is there only for an authorised account; buy and sell start hidden.
    EXPECT_EQ(!fForm->Docks().dpTerminal->isHidden(), lCase.Terminal);
    EXPECT_EQ(Actions().acTerminal->isChecked(), lCase.Terminal);
    EXPECT_TRUE(fForm->Docks().dpBuy->isHidden());
    EXPECT_FALSE(Actions().acMultiDel->isEnabled());
  }
}

TEST_F(MainWindowTest, PanelsMovedAwayComeBackHomeWhenShownAgain)
{
  Apply(true, uaAuth);
  TMainDocks &lDocks = fForm->Docks();
  lDocks.dpMarketView->setFloating(true);
  fForm->addDockWidget(Qt::RightDockWidgetArea, lDocks.dpTerminal);
  fForm->addToolBar(Qt::LeftToolBarArea, fForm->Bars().tbStandart);
  struct TCase
  {
    QAction *Command;
    QDockWidget *Dock;
    Qt::DockWidgetArea Home;
  };
  for (const TCase &lCase :
       {TCase{Actions().acMarketView, lDocks.dpMarketView, Qt::LeftDockWidgetArea},
        TCase{Actions().acTerminal, lDocks.dpTerminal, Qt::BottomDockWidgetArea}}) {
    lCase.Command->trigger(); // hides
    EXPECT_TRUE(lCase.Dock->isHidden());
    EXPECT_FALSE(lCase.Command->isChecked());
    lCase.Command->trigger(); // shows, at home
    EXPECT_FALSE(lCase.Dock->isHidden());
    EXPECT_TRUE(lCase.Command->isChecked());
    EXPECT_FALSE(lCase.Dock->isFloating());
    EXPECT_EQ(fForm->dockWidgetArea(lCase.Dock), lCase.Home);
  }
  Actions().acStandart->trigger();
  Actions().acStandart->trigger();
  EXPECT_EQ(fForm->toolBarArea(fForm->Bars().tbStandart), Qt::TopToolBarArea);

  // Closing a panel with its own button takes the mark off.
  lDocks.dpMarketDepth->close();
  EXPECT_FALSE(Actions().acMarketDepth->isChecked());
  Actions().acStatusBar->trigger();
  EXPECT_TRUE(fForm->statusBar()->isHidden());
  EXPECT_FALSE(Actions().acStatusBar->isChecked());
}

TEST_F(MainWindowTest, ChartStyleMarksIgnoreAnUnknownStyle)
{
  fForm->OnNotify(BASE_MAIN_CHART_TYPE, reinterpret_cast<void *>(std::intptr_t{1}));
  EXPECT_TRUE(Actions().acBar->isChecked());
  fForm->OnNotify(BASE_MAIN_CHART_TYPE, reinterpret_cast<void *>(std::intptr_t{3}));
  EXPECT_TRUE(Actions().acBar->isChecked());
  EXPECT_FALSE(Actions().acStick->isChecked());
  fForm->OnNotify(BASE_MAIN_CHART_TYPE, nullptr);
  EXPECT_TRUE(Actions().acStick->isChecked());
  EXPECT_FALSE(Actions().acBar->isChecked());
}

TEST_F(MainWindowTest, EachDeferredChartRefreshRefreshesItsChartTwice)
{
  int lChartA = 0;
  int lItemA = 0;
  int lItemGone = 0;
  std::vector<int> lRefreshed;
  fForm->SetChartHooks({[&](void *aItem) {
                          if (aItem == &lItemA)
                            return lChartA;
                          return aItem == &lItemGone ? 7 : -1;
                        },
                        [&](int aIndex) {
                          if (aIndex != lChartA)
                            return false; // the chart list no longer has it
                          lRefreshed.push_back(aIndex);
                          return true;
                        }});
  fForm->OnNotify(MAIN_FORM_CHART_REFRESH, &lItemA);
  fForm->OnNotify(MAIN_FORM_CHART_REFRESH, &lItemA);
  fForm->OnNotify(MAIN_FORM_CHART_REFRESH, &lItemGone);
  EXPECT_TRUE(lRefreshed.empty()); // deferred, not immediate
  EXPECT_TRUE(PumpUntil([&] { return lRefreshed.size() >= 4; }, 2000));
  PumpFor(100);
  EXPECT_EQ(lRefreshed, (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(MainWindowTest, OrderRefusalShowsInTheStatusBarUntilTheNextGoodOrder)
{
  fForm->SetOnlineMode(true);
  const QString lRefused = QStringLiteral("Ордер отклонен: Filter failure: LOT_SIZE");
  fForm->OnNotify(BASE_MAIN_ORDER_RESULT, const_cast<QString *>(&lRefused));
  EXPECT_EQ(fForm->StatusText()->text(), lRefused);
  const QString lGood;
  fForm->OnNotify(BASE_MAIN_ORDER_RESULT, const_cast<QString *>(&lGood));
  EXPECT_EQ(fForm->StatusText()->text(), QStringLiteral("Подключено"));
}

TEST_F(MainWindowTest, MultiTradingNeedsAFurtherAccount)
{
  Apply(true, uaAuth);
  Actions().acMulti->trigger();
  EXPECT_FALSE(User->Input()->Multi());
  EXPECT_FALSE(Actions().acMulti->isChecked());
  Profile->Connections().Add().Name = QStringLiteral("second");
  Actions().acMulti->trigger();
  EXPECT_TRUE(User->Input()->Multi());
  EXPECT_TRUE(Actions().acMulti->isChecked());
  User->Input()->SetAuth(uaUnauth);
  Actions().acMulti->trigger();
  EXPECT_FALSE(User->Input()->Multi());
}

TEST_F(MainWindowTest, ClosingEmptiesTheGridsAndLeavesThePublishers)
{
  fForm->SetOnlineMode(true);
  AddBalance(QStringLiteral("BTC"), 1);
  fForm->OnNotify(BASE_MAIN_BALANCES, nullptr);
  ASSERT_EQ(Rows(fForm->pcTerminal()->vstBalances()), 1);
  fForm->close();
  EXPECT_EQ(Workflow->State(), wfsClosing);
  EXPECT_EQ(Rows(fForm->pcTerminal()->vstBalances()), 0);
  EXPECT_EQ(Rows(fForm->vstSymbols()), 0);
  EXPECT_EQ(UIWriter->Publisher().GetEvent(0)->Count(), 0);
  EXPECT_EQ(User->Publisher()->GetEvent(0)->Count(), 0);
}

TEST_F(MainWindowTest, AboutNamesTheProgramAndItsVersion)
{
  Actions().acAbout->trigger();
  const auto lShown = fBoxes.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 1u);
  EXPECT_TRUE(lShown[0].Text.startsWith(QStringLiteral("Vexa ")));
  EXPECT_TRUE(lShown[0].Text.contains(QRegularExpression(QStringLiteral("\\d+\\.\\d+"))));
}

TEST_F(MainWindowTest, PanelBehindAnotherInATabGroupStaysMarked)
{
  Apply(true, uaAuth);
  TMainDocks &lDocks = fForm->Docks();
  fForm->tabifyDockWidget(lDocks.dpMarketView, lDocks.dpMarketDepth);
  lDocks.dpMarketView->raise();
  PumpFor(50);
  fForm->RefreshUserInterface();
  EXPECT_TRUE(Actions().acMarketDepth->isChecked());
  EXPECT_TRUE(Actions().acMarketView->isChecked());
  // Its command still hides it (and a second one brings it back).
  Actions().acMarketDepth->trigger();
  EXPECT_FALSE(Actions().acMarketDepth->isChecked());
  Actions().acMarketDepth->trigger();
  EXPECT_TRUE(Actions().acMarketDepth->isChecked());
  EXPECT_FALSE(lDocks.dpMarketDepth->isHidden());
}
