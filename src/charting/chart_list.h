#pragma once

#include "chart_settings.h"
#include "d_classes.h"
#include "winctrl_mdi_window.h"

#include <QIcon>
#include <QList>
#include <QMenu>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

class QWidget;
class TChartItem;
class TKlineList;

// The open charts: creates them, knows the selected one, forwards the main window's chart
// commands to it, drives the periodic kline and price requests, arranges the windows and keeps
// them in charts.json. GUI thread only.
class TChartList
{
public:
  TChartList();
  ~TChartList();
  TChartList(const TChartList &) = delete;
  TChartList &operator=(const TChartList &) = delete;

  TChartItem *Add();
  TChartItem *AddNewChart(const QString &aSymbol, TChartInterval aInterval = m5);
  void Load();
  void Save();
  void Load(const QString &aFileName);
  void Save(const QString &aFileName);
  // charts.json in the user's roaming folder, unless set otherwise.
  QString GetFileName() const;
  void SetFileName(const QString &aFileName) { fFileName = aFileName; }

  int Count() const { return static_cast<int>(fItems.size()); }
  TChartItem *GetItem(int aIndex) const;
  int IndexOf(const TChartItem *aItem) const;
  TChartItem *GetSelected() const;
  TChartItem *Selected() const { return GetSelected(); }
  QStringList GetAsSymbolList() const;
  // Frees one chart (its window goes with it); the list is not saved here.
  void Remove(TChartItem *aItem);
  void Clear();

  // Periodic work over every chart.
  void KlinesUpdate();
  void TickerPrice();
  void RefreshOrdersBubbles();

  // Commands for the selected chart.
  void acZoomInExecute();
  void acZoomOutExecute();
  void acStickExecute(TChartType aChartType);
  void RefreshKlinesByInterval(TChartInterval aInterval);
  void acAutoScrollExecute(bool aValue);
  void acShiftToEndExecute(bool aValue);
  void acChartSettingsExecute();
  void acIndicatorSettingsExecute();
  void acIndicatorDeleteExecute();
  void acNewOrderExecute();

  void Maximize(TWindowState aState);
  void Mozaic();
  void SetTabsVisible(bool aValue);
  static int TrimSize(int aValue) { return aValue / 8 * 8; }

  bool FullMode() const { return fFullMode; }
  bool TabsVisible() const { return fTabsVisible; }
  QWidget *WinControl() const { return fWinControl; }
  void SetWinControl(QWidget *aValue) { fWinControl = aValue; }
  QMenu *PmIndicator() const { return fPmIndicator; }
  void SetPmIndicator(QMenu *aValue) { fPmIndicator = aValue; }
  QMenu *PmChart() const { return fPmChart; }
  void SetPmChart(QMenu *aValue) { fPmChart = aValue; }
  const QList<QIcon> *Images() const { return fImages; }
  void SetImages(const QList<QIcon> *aValue) { fImages = aValue; }
  TDPublisher &Publisher() { return fPublisher; }

  // The order dialog for a symbol, which lives above this layer. Unset, the command does
  // nothing.
  std::function<void(const QString &aSymbol)> OnNewOrder;

private:
  TChartItem *SelectedOpen() const;

  TDPublisher fPublisher;
  std::vector<std::unique_ptr<TChartItem>> fItems;
  bool fFullMode = false;
  bool fTabsVisible = false;
  QPointer<QWidget> fWinControl;
  QPointer<QMenu> fPmIndicator;
  QPointer<QMenu> fPmChart;
  const QList<QIcon> *fImages = nullptr;
  QString fFileName;
};

extern std::unique_ptr<TChartList> ChartList;
