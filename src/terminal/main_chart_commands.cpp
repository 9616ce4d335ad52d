#include "main_chart_commands.h"

#include "chart_item.h"
#include "chart_list.h"
#include "chart_templates.h"
#include "dlg_order.h"
#include "indicators.h"
#include "main_actions.h"
#include "main_guard.h"
#include "symbol_show_list.h"
#include "user.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QChildEvent>
#include <QEvent>
#include <QFileDialog>
#include <QLayout>
#include <QMenu>
#include <QSignalBlocker>
#include <QTabBar>
#include <QToolButton>

namespace {

QString TabText(const TChartItem &aItem)
{
  return aItem.Symbol() + QStringLiteral(", ") + QLatin1String(IntervalStrEx(aItem.Interval()));
}

void SetHint(QAction *aAction, const QString &aHint)
{
  aAction->setToolTip(aHint);
  aAction->setStatusTip(aHint);
}

const QString cTemplateExt = QStringLiteral(".tpl");

} // namespace

TMainChartCommands::TTemplateFileName TMainChartCommands::GetTemplateFileName =
    [](QWidget *aParent, const QString &aFolder) {
      QFileDialog lDialog(aParent, QStringLiteral("Сохранить шаблон"), aFolder,
                          QStringLiteral("Template Files (*.tpl)"));
      lDialog.setAcceptMode(QFileDialog::AcceptSave);
      lDialog.setDefaultSuffix(QStringLiteral("tpl"));
      lDialog.selectFile(QStringLiteral("template_name.tpl"));
      return lDialog.exec() == QDialog::Accepted ? lDialog.selectedFiles().value(0) : QString();
    };

TMainChartCommands::TMainChartCommands(TParts aParts, QObject *aParent)
    : QObject(aParent), fParts(std::move(aParts))
{
  setObjectName(QStringLiteral("ChartCommands"));
  ConnectCommands();
  ConnectTabs();
  // Chart windows come and go in the chart area (new charts, closing buttons, charts.json):
  // the commands and tabs follow.
  if (fParts.Client)
    fParts.Client->installEventFilter(this);
}

QString TMainChartCommands::ZoomInHint(TZoom aZoom)
{
  const int lLevel = static_cast<int>(aZoom);
  return lLevel > 0 ? QStringLiteral("Увеличение %1%").arg(cZoom[lLevel - 1])
                    : QStringLiteral("Увеличение не доступно");
}

QString TMainChartCommands::ZoomOutHint(TZoom aZoom)
{
  const int lLevel = static_cast<int>(aZoom);
  return lLevel < cZoomCount - 1 ? QStringLiteral("Уменьшение %1%").arg(cZoom[lLevel + 1])
                                 : QStringLiteral("Уменьшение не доступно");
}

void TMainChartCommands::ConnectCommands()
{
  TMainActions &a = *fParts.Actions;
  for (QAction *lAction : a.Intervals)
    connect(lAction, &QAction::triggered, this,
            [this, lAction] { btn1mClick(static_cast<TChartInterval>(lAction->data().toInt())); });
  const std::pair<QAction *, TChartType> lStyles[] = {
      {a.acStick, ctCandle}, {a.acBar, ctBar}, {a.acLine, ctLine}};
  for (const auto &[lAction, lType] : lStyles)
    connect(lAction, &QAction::triggered, this, [lType] {
      MainShowingErrors([lType] {
        if (ChartList)
          ChartList->acStickExecute(lType);
      });
    });
  const auto lOnList = [this](QAction *aAction, void (TChartList::*aCommand)()) {
    connect(aAction, &QAction::triggered, this, [aCommand] {
      MainShowingErrors([aCommand] {
        if (ChartList)
          (ChartList.get()->*aCommand)();
      });
    });
  };
  lOnList(a.acZoomIn, &TChartList::acZoomInExecute);
  lOnList(a.acZoomOut, &TChartList::acZoomOutExecute);
  lOnList(a.acMozaic, &TChartList::Mozaic);
  lOnList(a.acChartSettings, &TChartList::acChartSettingsExecute);
  // The action has turned its mark over already: its state is the wanted one.
  connect(a.acAutoScroll, &QAction::triggered, this, [](bool aChecked) {
    MainShowingErrors([aChecked] {
      if (ChartList)
        ChartList->acAutoScrollExecute(aChecked);
    });
  });
  connect(a.acShiftToEnd, &QAction::triggered, this, [](bool aChecked) {
    MainShowingErrors([aChecked] {
      if (ChartList)
        ChartList->acShiftToEndExecute(aChecked);
    });
  });
  connect(a.acChartPages, &QAction::triggered, this, [this] {
    MainShowingErrors([this] {
      if (ChartList)
        ChartList->SetTabsVisible(!ChartList->TabsVisible());
      fParts.Actions->acChartPages->setChecked(ChartList && ChartList->TabsVisible());
    });
  });
  connect(a.acChartMinimize, &QAction::triggered, this,
          [this] { MainShowingErrors([this] { SetWindowsState(wsMinimized); }); });
  connect(a.acChartMaximize, &QAction::triggered, this,
          &TMainChartCommands::acChartMaximizeExecute);
  connect(a.acChartClose, &QAction::triggered, this, &TMainChartCommands::acChartCloseExecute);
  connect(a.acNewChart, &QAction::triggered, this, &TMainChartCommands::acNewChartExecute);
  connect(a.acCross, &QAction::triggered, this, &TMainChartCommands::acCrossExecute);
  connect(a.acCursor, &QAction::triggered, this, &TMainChartCommands::acCursorExecute);
  if (QMenu *lSymbols = fParts.Bars.pmNewChart)
    connect(lSymbols, &QMenu::aboutToShow, this, &TMainChartCommands::pmNewChartPopup);

  connect(a.acIndicatorMA, &QAction::triggered, this,
          &TMainChartCommands::AddIndicator<TMaIndicatorInfo>);
  connect(a.acIndicatorBollinger, &QAction::triggered, this,
          &TMainChartCommands::AddIndicator<TBollingerIndicatorInfo>);
  connect(a.acIndicatorFractal, &QAction::triggered, this,
          &TMainChartCommands::AddIndicator<TFractalIndicatorInfo>);
  connect(a.acIndicatorZigZag, &QAction::triggered, this,
          &TMainChartCommands::AddIndicator<TZigZagIndicatorInfo>);
  lOnList(a.acIndicatorSettings, &TChartList::acIndicatorSettingsExecute);
  lOnList(a.acIndicatorDelete, &TChartList::acIndicatorDeleteExecute);

  connect(a.acTemplateSave, &QAction::triggered, this, &TMainChartCommands::acTemplateSaveExecute);
  for (QMenu *lMenu : {fParts.Bars.mmiTemplate, fParts.Bars.tbiTemplate, fParts.Bars.pmiTemplate})
    if (lMenu)
      connect(lMenu, &QMenu::aboutToShow, this, [this, lMenu] { OnTemplatePopup(lMenu); });
  a.acChartPages->setChecked(ChartList && ChartList->TabsVisible());
}

void TMainChartCommands::ConnectTabs()
{
  QTabBar *lTabs = fParts.tabCharts;
  lTabs->setExpanding(false);
  lTabs->setUsesScrollButtons(true);
  connect(lTabs, &QTabBar::currentChanged, this, &TMainChartCommands::tabChartsChange);
  connect(lTabs, &QWidget::customContextMenuRequested, this,
          &TMainChartCommands::tabChartsContextPopup);
  TMainActions &a = *fParts.Actions;
  const std::pair<const char *, QAction *> lButtons[] = {
      {"miFullScreenMinimize", a.acChartMinimize},
      {"miFullScreenRestore", a.acChartMaximize},
      {"miFullScreenClose", a.acChartClose}};
  for (const auto &[lName, lAction] : lButtons)
    if (auto *lButton = fParts.panFull->findChild<QToolButton *>(QLatin1String(lName)))
      lButton->setDefaultAction(lAction);
}

TChartItem *TMainChartCommands::ActiveChart() const
{
  TChartItem *lItem = ChartList ? ChartList->GetSelected() : nullptr;
  return lItem && !lItem->IsClosing() ? lItem : nullptr;
}

void TMainChartCommands::RefreshActiveWindow()
{
  RefreshIntervals();
  RefreshChartType();
  RefreshZoom();
  RefreshIndicators();
  TMainActions &a = *fParts.Actions;
  TChartItem *lItem = ActiveChart();
  const bool lActive = lItem != nullptr;
  a.acAutoScroll->setEnabled(lActive);
  a.acShiftToEnd->setEnabled(lActive);
  if (lItem) {
    a.acAutoScroll->setChecked(lItem->ChartSettings().ChartAutoMove);
    a.acShiftToEnd->setChecked(lItem->ChartSettings().ChartShift);
  }
  for (QAction *lAction :
       {a.acChartSettings, a.acTemplateSave, a.acIndicatorSettings, a.acIndicatorDelete})
    lAction->setEnabled(lActive);
  const bool lAny = ChartList && ChartList->Count() > 0;
  for (QAction *lAction : {a.acMozaic, a.acChartClose, a.acChartMaximize, a.acChartMinimize})
    lAction->setEnabled(lAny);
  a.acChartPages->setChecked(ChartList && ChartList->TabsVisible());
}

void TMainChartCommands::RefreshIntervals()
{
  const TChartItem *lItem = ActiveChart();
  for (QAction *lAction : fParts.Actions->Intervals) {
    lAction->setEnabled(lItem != nullptr);
    // An interval without a command leaves the marks as they were.
    if (lItem && lAction->data().toInt() == static_cast<int>(lItem->Interval()))
      lAction->setChecked(true);
  }
  // The tabs show the intervals and follow charts opened, closed or brought to the front.
  RefreshTabs();
}

void TMainChartCommands::RefreshChartType()
{
  TMainActions &a = *fParts.Actions;
  TChartItem *lItem = ActiveChart();
  for (QAction *lAction : {a.acStick, a.acBar, a.acLine})
    lAction->setEnabled(lItem != nullptr);
  if (!lItem)
    return;
  switch (lItem->ChartSettings().ChartType) {
  case ctBar:
    a.acBar->setChecked(true);
    break;
  case ctCandle:
    a.acStick->setChecked(true);
    break;
  case ctLine:
    a.acLine->setChecked(true);
    break;
  }
}

void TMainChartCommands::RefreshZoom()
{
  TMainActions &a = *fParts.Actions;
  TChartItem *lItem = ActiveChart();
  if (!lItem) {
    a.acZoomIn->setEnabled(false);
    a.acZoomOut->setEnabled(false);
    return;
  }
  const TZoom lZoom = lItem->ChartSettings().Zoom;
  a.acZoomIn->setEnabled(lZoom != z0);
  SetHint(a.acZoomIn, ZoomInHint(lZoom));
  a.acZoomOut->setEnabled(lZoom != z5);
  SetHint(a.acZoomOut, ZoomOutHint(lZoom));
}

void TMainChartCommands::RefreshIndicators()
{
  TMainActions &a = *fParts.Actions;
  const bool lActive = ActiveChart() != nullptr;
  for (QAction *lAction :
       {a.acIndicatorMA, a.acIndicatorBollinger, a.acIndicatorFractal, a.acIndicatorZigZag})
    lAction->setEnabled(lActive);
}

void TMainChartCommands::RefreshTabs()
{
  MainGuarded("RefreshTabs", [this] {
    QTabBar *lTabs = fParts.tabCharts;
    const int lCount = ChartList ? ChartList->Count() : 0;
    const bool lFull = ChartList && ChartList->FullMode();
    const bool lShowTabs = (lFull || (ChartList && ChartList->TabsVisible())) && lCount > 0;
    lTabs->setVisible(lShowTabs);
    fParts.panFull->setVisible(lFull && lCount > 0);
    // In full mode acChartMaximize restores the windows.
    fParts.Actions->acChartMaximize->setIcon(
        TMainActions::Icon(lFull ? "chart_restore" : "chart_maximize"));
    if (lFull && lCount > 0)
      fParts.panFull->raise();
    if (!lShowTabs)
      return;
    const QSignalBlocker lQuiet(lTabs);
    while (lTabs->count() > lCount)
      lTabs->removeTab(lTabs->count() - 1);
    for (int i = 0; i < lCount; ++i) {
      const QString lText = TabText(*ChartList->GetItem(i));
      if (i < lTabs->count())
        lTabs->setTabText(i, lText);
      else
        lTabs->addTab(lText);
    }
    // A tab chosen by a right click keeps its place while the tab menu is open.
    if (fParts.Bars.ppTab && fParts.Bars.ppTab->isVisible())
      return;
    const int lActive = ChartList->IndexOf(ChartList->GetSelected());
    lTabs->setCurrentIndex(lActive >= 0 ? lActive : 0);
  });
}

TChartInterval TMainChartCommands::ChartInterval() const
{
  TChartInterval lInterval = m5;
  MainGuarded("ChartInterval", [this, &lInterval] {
    for (const QAction *lAction : fParts.Actions->Intervals)
      if (lAction->isChecked()) {
        lInterval = static_cast<TChartInterval>(lAction->data().toInt());
        return;
      }
  });
  return lInterval;
}

void TMainChartCommands::btn1mClick(TChartInterval aInterval)
{
  MainGuarded("btn1mClick", [aInterval] {
    if (ChartList)
      ChartList->RefreshKlinesByInterval(aInterval);
  });
}

void TMainChartCommands::acNewChartExecute()
{
  MainShowingErrors([this] {
    const QString lSymbol = fParts.SelectedSymbol ? fParts.SelectedSymbol() : QString();
    // A chart without a symbol could never load.
    if (ChartList && !lSymbol.isEmpty())
      ChartList->AddNewChart(lSymbol);
  });
}

void TMainChartCommands::pmNewChartPopup()
{
  QMenu *lMenu = fParts.Bars.pmNewChart;
  lMenu->clear();
  TSymbolShowList *lList = User ? User->SymbolShowList() : nullptr;
  for (int i = 0; lList && i < lList->Count(); ++i)
    if (const TSymbol *lSymbol = lList->GetItem(i)) {
      const QString lName = lSymbol->Name();
      lMenu->addAction(lName, this, [lName] {
        MainShowingErrors([&lName] {
          if (ChartList)
            ChartList->AddNewChart(lName);
        });
      });
    }
}

void TMainChartCommands::ShowSymbol(const QString &aSymbol)
{
  if (!ChartList || aSymbol.isEmpty())
    return;
  for (int i = 0; i < ChartList->Count(); ++i) {
    TChartItem *lItem = ChartList->GetItem(i);
    if (lItem->Symbol() == aSymbol && !lItem->IsClosing()) {
      lItem->SetActive(true);
      return;
    }
  }
  ChartList->AddNewChart(aSymbol, ChartInterval());
}

void TMainChartCommands::NewOrder()
{
  if (ActiveChart())
    ChartList->acNewOrderExecute();
  else
    ExecuteOrder(fParts.SelectedSymbol ? fParts.SelectedSymbol() : QString(),
                 fParts.Client ? fParts.Client->window() : nullptr);
}

void TMainChartCommands::acCrossExecute()
{
  const QCursor *lCursor = QApplication::overrideCursor();
  if (!lCursor || lCursor->shape() != Qt::CrossCursor)
    QApplication::setOverrideCursor(Qt::CrossCursor);
}

void TMainChartCommands::acCursorExecute()
{
  while (QApplication::overrideCursor())
    QApplication::restoreOverrideCursor();
}

void TMainChartCommands::acChartCloseExecute()
{
  MainShowingErrors([this] {
    QTabBar *lTabs = fParts.tabCharts;
    const int lIndex = lTabs->isHidden() ? -1 : lTabs->currentIndex();
    TChartItem *lItem = ChartList ? ChartList->GetItem(lIndex) : nullptr;
    if (!lItem)
      return;
    lItem->DestroyWindow();
    RefreshTabs();
  });
}

void TMainChartCommands::acChartMaximizeExecute()
{
  MainShowingErrors([this] {
    // In full mode (the bar of maximised charts) it restores, as that bar's button says; from
    // the tab menu it maximises, as its caption says.
    if (ChartList)
      SetWindowsState(ChartList->FullMode() ? wsNormal : wsMaximized);
  });
}

void TMainChartCommands::SetWindowsState(TWindowState aState)
{
  if (!ChartList)
    return;
  if (aState != wsMaximized && !ChartList->TabsVisible() && !fParts.tabCharts->isHidden()) {
    // The strip leaves before the windows come back, or they would be kept out of its place.
    fParts.tabCharts->hide();
    if (QLayout *lLayout = fParts.tabCharts->parentWidget()->layout())
      lLayout->activate();
  }
  ChartList->Maximize(aState);
}

void TMainChartCommands::tabChartsChange(int aIndex)
{
  MainShowingErrors([aIndex] {
    if (TChartItem *lItem = ChartList ? ChartList->GetItem(aIndex) : nullptr)
      lItem->SetActive(true);
  });
}

void TMainChartCommands::tabChartsContextPopup(const QPoint &aPos)
{
  QTabBar *lTabs = fParts.tabCharts;
  const int lIndex = lTabs->tabAt(aPos);
  if (lIndex >= 0) {
    // Chosen for the menu's commands without bringing its chart to the front.
    const QSignalBlocker lQuiet(lTabs);
    lTabs->setCurrentIndex(lIndex);
  }
  if (fParts.Bars.ppTab)
    fParts.Bars.ppTab->popup(lTabs->mapToGlobal(aPos));
}

bool TMainChartCommands::eventFilter(QObject *aWatched, QEvent *aEvent)
{
  const QEvent::Type lType = aEvent->type();
  if (aWatched == fParts.Client) {
    if (lType == QEvent::ChildAdded)
      static_cast<QChildEvent *>(aEvent)->child()->installEventFilter(this);
    if (lType == QEvent::ChildAdded || lType == QEvent::ChildRemoved)
      ScheduleRefresh();
  } else if (lType == QEvent::Show || lType == QEvent::Hide) {
    // A closed chart's window is hidden at once and deleted later.
    ScheduleRefresh();
  }
  return QObject::eventFilter(aWatched, aEvent);
}

void TMainChartCommands::ScheduleRefresh()
{
  if (fRefreshPending)
    return;
  fRefreshPending = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        fRefreshPending = false;
        MainGuarded("RefreshActiveWindow", [this] { RefreshActiveWindow(); });
      },
      Qt::QueuedConnection);
}

template <class TInfo> void TMainChartCommands::AddIndicator()
{
  MainShowingErrors([this] {
    if (TChartItem *lItem = ActiveChart())
      lItem->AddIndicator(std::make_unique<TInfo>());
  });
}

void TMainChartCommands::OnTemplatePopup(QMenu *aMenu)
{
  const QStringList lFiles = ChartTemplates ? ChartTemplates->GetFileList() : QStringList();
  // Save, the delete submenu and a separator stay; the template entries are made afresh.
  const QList<QAction *> lActions = aMenu->actions();
  for (int i = 3; i < lActions.size(); ++i) {
    aMenu->removeAction(lActions[i]);
    lActions[i]->deleteLater();
  }
  QMenu *lDelete = lActions.size() > 1 ? lActions[1]->menu() : nullptr;
  if (lDelete)
    lDelete->clear();
  for (const QString &lFile : lFiles) {
    QString lCaption = lFile;
    lCaption.remove(cTemplateExt);
    // The file's own name goes to the templates, so that x.tpl.tpl (shown as x) is found.
    const QString lName = lFile.endsWith(cTemplateExt) ? lFile.chopped(cTemplateExt.size()) : lFile;
    aMenu->addAction(lCaption, this, [this, lName] { acTemplateSelectExecute(lName); });
    if (lDelete)
      lDelete->addAction(lCaption, this, [this, lName] { acTemplateDeleteExecute(lName); });
  }
}

void TMainChartCommands::acTemplateSelectExecute(const QString &aName)
{
  MainShowingErrors([this, &aName] {
    if (TChartItem *lItem = ActiveChart(); lItem && ChartTemplates)
      ChartTemplates->Load(aName, *lItem);
  });
}

void TMainChartCommands::acTemplateDeleteExecute(const QString &aName)
{
  MainShowingErrors([&aName] {
    if (ChartTemplates)
      ChartTemplates->Delete(aName);
  });
}

void TMainChartCommands::acTemplateSaveExecute()
{
  MainShowingErrors([this] {
    TChartItem *lItem = ActiveChart();
    if (!lItem || !ChartTemplates)
      return;
    const QString lPath = GetTemplateFileName(fParts.Client ? fParts.Client->window() : nullptr,
                                              TChartTemplates::DoNotifyFolders());
    // The dialog may have run the event loop long enough for the chart to close.
    if (!lPath.isEmpty() && ActiveChart() == lItem)
      ChartTemplates->Save(lPath, *lItem);
  });
}
