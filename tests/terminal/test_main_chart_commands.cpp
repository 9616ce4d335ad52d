// The main window's chart commands over a real chart list: enabling and marks, zoom hints, the
// tab strip and full mode, new charts, the volume monitor, the cursor tools.

#include "chart_item.h"
#include "chart_list.h"
#include "chart_templates.h"
#include "dlg_indicator.h"
#include "dlg_order.h"
#include "event_pump.h"
#include "events.h"
#include "fm_main.h"
#include "folders.h"
#include "indicators.h"
#include "main_actions.h"
#include "main_chart_commands.h"
#include "profile.h"
#include "symbol_show_list.h"
#include "sys_time.h"
#include "test_presenter.h"
#include "ui_writer.h"
#include "user.h"
#include "utils.h"
#include "volume.h"
#include "volume_monitor.h"
#include "workflow.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ChartCommandsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    SetExeFolder(fDir.path());
    fOldAppData = qgetenv("APPDATA");
    qputenv("APPDATA", fDir.path().toLocal8Bit());
    Folders = std::make_unique<TFolders>();
    ChartTemplates = std::make_unique<TChartTemplates>();
    Workflow = std::make_unique<TWorkflow>();
    Workflow->SetState(wfsPaused); // charts open without asking any exchange for klines
    Profile = std::make_unique<TProfile>(wfmTrade);
    Profile->SetFileName(fDir.filePath(QStringLiteral("config.json")));
    User = std::make_unique<TUser>();
    SysTime = std::make_unique<TSysTime>();
    UIWriter = std::make_unique<TUIWriter>();
    ChartList = std::make_unique<TChartList>();
    ChartList->SetFileName(fDir.filePath(QStringLiteral("charts.json")));
    fForm = std::make_unique<TfmMain>();
    fForm->resize(1280, 800);
    fForm->show();
  }

  void TearDown() override
  {
    fForm->close();
    fForm.reset();
    ChartList.reset();
    PumpFor(10);
    UIWriter.reset();
    SysTime.reset();
    User.reset();
    Profile.reset();
    Workflow.reset();
    ChartTemplates.reset();
    Folders.reset();
    qputenv("APPDATA", fOldAppData);
    SetExeFolder(QString());
  }

  TChartItem *Open(const char *aSymbol, TChartInterval aInterval = m5)
  {
    TChartItem *lItem = ChartList->AddNewChart(QLatin1String(aSymbol), aInterval);
    PumpFor(20); // the window comes into the chart area; the commands follow
    return lItem;
  }
  void Refresh() { fForm->OnNotify(BASE_MAIN_REFRESH_ACTIVE_WINDOW, nullptr); }
  TMainActions &a() const { return fForm->Actions(); }
  QTabBar &Tabs() const { return *fForm->tabCharts(); }
  QStringList TabTexts() const
  {
    QStringList lTexts;
    for (int i = 0; i < Tabs().count(); ++i)
      lTexts << Tabs().tabText(i);
    return lTexts;
  }
  QList<QAction *> NeedAChart() const
  {
    QList<QAction *> lList = {a().acStick,
                              a().acBar,
                              a().acLine,
                              a().acZoomIn,
                              a().acZoomOut,
                              a().acIndicatorMA,
                              a().acIndicatorBollinger,
                              a().acIndicatorFractal,
                              a().acIndicatorZigZag,
                              a().acAutoScroll,
                              a().acShiftToEnd,
                              a().acChartSettings};
    for (QAction *lAction : a().Intervals)
      lList << lAction;
    return lList;
  }

  QTemporaryDir fDir;
  QByteArray fOldAppData;
  TPresenterGuard fBoxes;
  std::unique_ptr<TfmMain> fForm;
};

} // namespace

TEST_F(ChartCommandsTest, ZoomCommandsAndHintsFollowEveryZoomLevel)
{
  struct TCase
  {
    TZoom Zoom;
    bool In, Out;
    const char *InHint, *OutHint;
  };
  const TCase lCases[] = {
      {z0, false, true, "Увеличение не доступно", "Уменьшение 400%"},
      {z1, true, true, "Увеличение 800%", "Уменьшение 200%"},
      {z2, true, true, "Увеличение 400%", "Уменьшение 100%"},
      {z3, true, true, "Увеличение 200%", "Уменьшение 50%"},
      {z4, true, true, "Увеличение 100%", "Уменьшение 25%"},
      {z5, true, false, "Увеличение 50%", "Уменьшение не доступно"},
  };
  TChartItem *lItem = Open("BTCUSDT");
  for (const TCase &lCase : lCases) {
    SCOPED_TRACE(static_cast<int>(lCase.Zoom));
    lItem->ChartSettings().Zoom = lCase.Zoom;
    fForm->OnNotify(BASE_MAIN_ZOOM_REFRESH, nullptr);
    EXPECT_EQ(a().acZoomIn->isEnabled(), lCase.In);
    EXPECT_EQ(a().acZoomOut->isEnabled(), lCase.Out);
    EXPECT_EQ(a().acZoomIn->toolTip(), QString::fromUtf8(lCase.InHint));
    EXPECT_EQ(a().acZoomOut->toolTip(), QString::fromUtf8(lCase.OutHint));
  }
  // The command zooms the chart in, and the hints follow.
  a().acZoomIn->trigger();
  EXPECT_EQ(lItem->ChartSettings().Zoom, z4);
  EXPECT_EQ(a().acZoomIn->toolTip(), QStringLiteral("Увеличение 100%"));
}

TEST_F(ChartCommandsTest, ClosingTheLastChartTurnsTheChartCommandsOffAndHidesTheStrip)
{
  for (QAction *lAction : NeedAChart())
    EXPECT_FALSE(lAction->isEnabled()) << lAction->objectName().toStdString();
  TChartItem *lItem = Open("BTCUSDT", h4);
  lItem->ChartSettings().Zoom = z3;
  a().acChartPages->trigger();
  Refresh();
  for (QAction *lAction : NeedAChart())
    EXPECT_TRUE(lAction->isEnabled()) << lAction->objectName().toStdString();
  EXPECT_EQ(a().IntervalGroup->checkedAction(), a().Intervals[5]); // H4
  EXPECT_TRUE(a().acStick->isChecked());
  EXPECT_FALSE(Tabs().isHidden());
  EXPECT_EQ(TabTexts(), QStringList({"BTCUSDT, H4"}));

  lItem->DestroyWindow(); // as its close button does
  PumpFor(50);
  for (QAction *lAction : NeedAChart())
    EXPECT_FALSE(lAction->isEnabled()) << lAction->objectName().toStdString();
  EXPECT_TRUE(Tabs().isHidden());
  EXPECT_TRUE(fForm->panFull()->isHidden());
}

TEST_F(ChartCommandsTest, IntervalCommandsReloadTheActiveChartAndAnIntervalWithoutOneKeepsMarks)
{
  EXPECT_EQ(fForm->ChartCommands().ChartInterval(), m5); // nothing marked
  TChartItem *lItem = Open("BTCUSDT");
  QAction *lH1 = a().Intervals[4];
  lH1->trigger();
  EXPECT_EQ(lItem->Interval(), h1);
  Refresh();
  EXPECT_TRUE(lH1->isChecked());
  EXPECT_EQ(fForm->ChartCommands().ChartInterval(), h1);
  lItem->SetInterval(h2);
  Refresh();
  EXPECT_TRUE(lH1->isChecked());
  for (QAction *lAction : a().Intervals)
    EXPECT_TRUE(lAction->isEnabled());
  // Styles go to the chart; its type marks the command.
  a().acLine->trigger();
  EXPECT_EQ(lItem->ChartSettings().ChartType, ctLine);
  Refresh();
  EXPECT_TRUE(a().acLine->isChecked());
}

TEST_F(ChartCommandsTest, TabStripFullModeAndTheTabMenu)
{
  Open("BTCUSDT");
  Open("ETHBTC", d1);
  TChartItem *lFront = Open("BNBUSDT", w1);
  Refresh();
  EXPECT_TRUE(Tabs().isHidden()); // tabs off, full mode off
  a().acChartPages->trigger();
  EXPECT_EQ(TabTexts(), QStringList({"BTCUSDT, M5", "ETHBTC, D1", "BNBUSDT, W1"}));
  EXPECT_EQ(Tabs().currentIndex(), 2);

  // A right click chooses the tab without bringing its chart forward; "Закрыть" closes it.
  const QPoint lAt = Tabs().tabRect(0).center();
  QContextMenuEvent lClick(QContextMenuEvent::Mouse, lAt, Tabs().mapToGlobal(lAt));
  QApplication::sendEvent(&Tabs(), &lClick);
  EXPECT_EQ(Tabs().currentIndex(), 0);
  EXPECT_EQ(ChartList->GetSelected(), lFront);
  a().acChartClose->trigger();
  fForm->Bars().ppTab->hide();
  EXPECT_EQ(ChartList->GetAsSymbolList(), QStringList({"ETHBTC", "BNBUSDT"}));
  PumpFor(20);
  EXPECT_EQ(TabTexts(), QStringList({"ETHBTC, D1", "BNBUSDT, W1"}));

  Tabs().setCurrentIndex(0); // a left click
  EXPECT_TRUE(ChartList->GetItem(0)->Active());

  a().acChartPages->trigger(); // tabs off; full mode shows them all the same
  EXPECT_TRUE(Tabs().isHidden());
  PumpFor(50); // the chart area takes the strip's place
  a().acMozaic->trigger();
  const QRect lTiled = ChartList->GetItem(1)->Window()->geometry();
  a().acChartMaximize->trigger();
  PumpFor(50); // the strip takes its place
  EXPECT_TRUE(ChartList->FullMode());
  EXPECT_FALSE(Tabs().isHidden());
  QWidget *lBar = fForm->panFull();
  EXPECT_FALSE(lBar->isHidden());
  EXPECT_EQ(lBar->geometry().right(), fForm->width() - 1);
  // The bar's restore button leaves full mode.
  lBar->findChild<QToolButton *>("miFullScreenRestore")->click();
  EXPECT_FALSE(ChartList->FullMode());
  EXPECT_TRUE(lBar->isHidden());
  EXPECT_TRUE(Tabs().isHidden());
  EXPECT_EQ(ChartList->GetItem(1)->Window()->geometry(), lTiled); // back in its whole place
}

TEST_F(ChartCommandsTest, NewChartsFromTheDropDownAndTheVolumeMonitor)
{
  TSymbolShowList &lShow = *User->SymbolShowList();
  for (const char *lName : {"BTCUSDT", "ETHBTC"})
    lShow.SymbolList().Add(QLatin1String(lName));
  lShow.FillShowSymbols();
  QMenu *lDrop = fForm->Bars().pmNewChart;
  Q_EMIT lDrop->aboutToShow();
  ASSERT_EQ(lDrop->actions().size(), 2);
  EXPECT_EQ(lDrop->actions()[1]->text(), "ETHBTC");
  lDrop->actions()[1]->trigger();
  ASSERT_EQ(ChartList->Count(), 1);
  EXPECT_EQ(ChartList->GetItem(0)->Symbol(), "ETHBTC");

  // The refresh's own selection of the first row opens nothing; the trader's choice does.
  a().Intervals[7]->setChecked(true); // D1
  TVolume &lRow = User->VolumeList()->Add();
  lRow.Symbol = QStringLiteral("BTCUSDT");
  User->VolumeList()->Add().Symbol = QStringLiteral("ETHBTC");
  fForm->OnNotify(BASE_MAIN_VOLUMES, nullptr);
  EXPECT_EQ(ChartList->Count(), 1);
  fForm->vstVolumeMonitor()->clearSelection();
  fForm->vstVolumeMonitor()->selectRow(0);
  ASSERT_EQ(ChartList->Count(), 2);
  EXPECT_EQ(ChartList->GetItem(1)->Symbol(), "BTCUSDT");
  EXPECT_EQ(ChartList->GetItem(1)->Interval(), d1);
  fForm->vstVolumeMonitor()->selectRow(1);
  EXPECT_EQ(ChartList->Count(), 2);
  EXPECT_EQ(ChartList->GetSelected(), ChartList->GetItem(0));

  // "Новый ордер" opens the order dialog for the active chart's symbol.
  QString lOrderSymbol;
  QTimer lAnswer;
  QObject::connect(&lAnswer, &QTimer::timeout, [&] {
    if (auto *lDialog = qobject_cast<TdlgOrder *>(QApplication::activeModalWidget())) {
      lOrderSymbol = lDialog->Symbol();
      lDialog->reject();
    }
  });
  lAnswer.start(10);
  a().acNewOrder->trigger();
  EXPECT_EQ(lOrderSymbol, "ETHBTC");
}

TEST_F(ChartCommandsTest, CrosshairCoversTheProgramUntilTheCursorCommand)
{
  a().acCross->trigger();
  a().acCross->trigger();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
  a().acCursor->trigger();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ChartCommandsTest, IndicatorCommandsAddTheirIndicatorToTheActiveChart)
{
  TChartItem *lItem = Open("BTCUSDT");
  QTimer lAnswer; // the indicator dialog, confirmed as it comes
  QObject::connect(&lAnswer, &QTimer::timeout, [] {
    if (auto *lDialog = qobject_cast<TfmIndicator *>(QApplication::activeModalWidget()))
      lDialog->findChild<QPushButton *>("btnOk")->click();
  });
  lAnswer.start(10);
  const std::pair<QAction *, bool (*)(TBaseIndicatorInfo &)> lCases[] = {
      {a().acIndicatorMA,
       [](TBaseIndicatorInfo &i) { return !!dynamic_cast<TMaIndicatorInfo *>(&i); }},
      {a().acIndicatorBollinger,
       [](TBaseIndicatorInfo &i) { return !!dynamic_cast<TBollingerIndicatorInfo *>(&i); }},
      {a().acIndicatorFractal,
       [](TBaseIndicatorInfo &i) { return !!dynamic_cast<TFractalIndicatorInfo *>(&i); }},
      {a().acIndicatorZigZag,
       [](TBaseIndicatorInfo &i) { return !!dynamic_cast<TZigZagIndicatorInfo *>(&i); }}};
  int lAdded = 0;
  for (const auto &[lCommand, lIsItsKind] : lCases) {
    lCommand->trigger();
    const TIndicatorList &lList = lItem->IndicatorList();
    ASSERT_EQ(lList.Count(), ++lAdded);
    EXPECT_TRUE(lIsItsKind(lList.GetItem(lAdded - 1)->Info()))
        << lCommand->objectName().toStdString();
  }
}

TEST_F(ChartCommandsTest, TemplateMenusListSaveApplyAndDeleteTemplates)
{
  const QString lFolder = TChartTemplates::DoNotifyFolders();
  TChartItem *lSource = Open("BTCUSDT");
  lSource->ChartSettings().ShowVolume = true;
  const auto lOld = TMainChartCommands::GetTemplateFileName;
  TMainChartCommands::GetTemplateFileName = [&](QWidget *, const QString &aFolder) {
    EXPECT_EQ(aFolder, lFolder);
    return lFolder + "/x.tpl.tpl";
  };
  a().acTemplateSave->trigger();
  TMainChartCommands::GetTemplateFileName = lOld;
  for (const char *lName : {"a.tpl", "b.tpl"})
    ASSERT_TRUE(QFile::copy(lFolder + "/x.tpl.tpl", lFolder + "/" + lName));

  const auto lEntries = [](QMenu *aMenu, int aFrom) {
    QStringList lTexts;
    for (int i = aFrom; i < aMenu->actions().size(); ++i)
      lTexts << aMenu->actions()[i]->text();
    lTexts.sort();
    return lTexts;
  };
  const TMainBars &lBars = fForm->Bars();
  for (QMenu *lMenu : {lBars.mmiTemplate, lBars.tbiTemplate, lBars.pmiTemplate}) {
    SCOPED_TRACE(lMenu->objectName().toStdString());
    Q_EMIT lMenu->aboutToShow();
    Q_EMIT lMenu->aboutToShow(); // made afresh, not added twice
    EXPECT_EQ(lMenu->actions()[0], a().acTemplateSave);
    EXPECT_EQ(lEntries(lMenu, 3), QStringList({"a", "b", "x"}));
    EXPECT_EQ(lEntries(lMenu->actions()[1]->menu(), 0), QStringList({"a", "b", "x"}));
  }

  TChartItem *lTarget = Open("ETHBTC");
  ASSERT_FALSE(lTarget->ChartSettings().ShowVolume);
  QMenu *lMenu = lBars.mmiTemplate;
  for (QAction *lEntry : lMenu->actions())
    if (lEntry->text() == "x")
      lEntry->trigger();
  EXPECT_TRUE(lTarget->ChartSettings().ShowVolume);
  for (QAction *lEntry : lMenu->actions()[1]->menu()->actions())
    if (lEntry->text() == "a")
      lEntry->trigger();
  EXPECT_FALSE(QFile::exists(lFolder + "/a.tpl"));
  EXPECT_TRUE(QFile::exists(lFolder + "/x.tpl.tpl"));
}
