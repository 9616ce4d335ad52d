#pragma once

#include "consts.h"
#include "main_bars.h"
#include "winctrl_mdi_window.h"

#include <QObject>
#include <QString>

#include <functional>

class QMenu;
class QTabBar;
class QWidget;
class TChartItem;
class TMainActions;

// The main window's chart commands: intervals, styles, zoom, auto-scroll and shift, tiling, the
// tab strip and the bar of maximised charts, new charts, cursor tools, indicators and
// templates; and the refreshers that bring them in line with the active chart.
class TMainChartCommands : public QObject
{
  Q_OBJECT
public:
  struct TParts
  {
    TMainActions *Actions = nullptr;
    TMainBars Bars;
    QWidget *Client = nullptr; // the chart area (pnlClient)
    QTabBar *tabCharts = nullptr;
    QWidget *panFull = nullptr;
    std::function<QString()> SelectedSymbol;
  };

  TMainChartCommands(TParts aParts, QObject *aParent);

  void RefreshActiveWindow();
  void RefreshIntervals();
  void RefreshChartType();
  void RefreshZoom();
  void RefreshIndicators();
  void RefreshTabs();
  // The interval marked on the interval toolbar; m5 when none is.
  TChartInterval ChartInterval() const;

  // Brings up a chart of aSymbol: the first open one, or a new one at the marked interval.
  void ShowSymbol(const QString &aSymbol);
  // The order dialog for the active chart's symbol, else for the market watch's symbol.
  void NewOrder();

  // Rebuilds a template submenu (mmiTemplate, tbiTemplate, pmiTemplate) from the templates
  // folder as it opens.
  void OnTemplatePopup(QMenu *aMenu);
  // The path chosen in the template save dialog, empty when cancelled; replaceable so that tests
  // answer without a modal run.
  using TTemplateFileName = std::function<QString(QWidget *aParent, const QString &aFolder)>;
  static TTemplateFileName GetTemplateFileName;

  // Zoom command hints for a zoom level.
  static QString ZoomInHint(TZoom aZoom);
  static QString ZoomOutHint(TZoom aZoom);

protected:
  bool eventFilter(QObject *aWatched, QEvent *aEvent) override;

private:
  TChartItem *ActiveChart() const;
  void ConnectCommands();
  void ConnectTabs();
  void btn1mClick(TChartInterval aInterval);
  void acNewChartExecute();
  void acCrossExecute();
  void acCursorExecute();
  void acChartCloseExecute();
  template <class TInfo> void AddIndicator();
  void acTemplateSaveExecute();
  void acTemplateSelectExecute(const QString &aName);
  void acTemplateDeleteExecute(const QString &aName);
  void acChartMaximizeExecute();
  // Maximises, minimises or restores every chart window.
  void SetWindowsState(TWindowState aState);
  void tabChartsChange(int aIndex);
  void tabChartsContextPopup(const QPoint &aPos);
  void pmNewChartPopup();
  // Once per pass of the event loop, however many chart windows came and went in it.
  void ScheduleRefresh();

  TParts fParts;
  bool fRefreshPending = false;
};
