#pragma once

#include "candle_index.h"
#include "chart.h"
#include "chart_settings.h"
#include "chart_view.h"
#include "indicators.h"
#include "kline.h"
#include "winctrl_mdi_window.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <memory>

class TChartItemLink;
class TChartList;
class TThreadList;

// One open chart: one symbol at one kline interval in its own window inside the chart area.
// It owns its klines, settings and window; starts the requests that load and refresh its
// klines and price; turns klines into candles; follows the price; shows the main account's
// open orders; and runs its view (zoom, scrolling, price scale, overlay).
class TChartItem : public QObject
{
  Q_OBJECT
public:
  explicit TChartItem(TChartList *aChartList);
  ~TChartItem() override;

  // Builds window, chart and series; called once by the chart list.
  void CreateWindow();
  // Closes the chart for good and saves the list without it.
  void DestroyWindow();

  void RefreshKlines();
  void KlinesUpdate();
  void TickerPrice();
  void SetInterval(TChartInterval aValue);
  // Settings from a charts.json object or a template when given; then colours and type.
  void LoadSettings(const QJsonObject *aJson);
  void LoadChartColors();
  // From the request threads (through the link) and from ChartFullRefresh.
  void OnNotify(int aEventID, std::intptr_t aData);

  // Commands.
  void acZoomInExecute();
  void acZoomOutExecute();
  void acStickExecute(TChartType aChartType);
  void acChartSettingsExecute();
  void acNewOrderExecute();

  // Indicators and templates.
  // Resets aInfo to its defaults, lets the user edit it and adds it on OK.
  void AddIndicator(std::unique_ptr<TBaseIndicatorInfo> aInfo);
  // The indicator last double-clicked: edit its settings, or delete it.
  void acIndicatorSettingsExecute();
  void acIndicatorDeleteExecute();
  // Fractal markers follow the price range: after a zoom change.
  void UpdateIndicators();
  void SaveTemplate(const QString &aFileName);
  void LoadTemplate(const QString &aFileName);

  void RefreshChart();
  void RefreshChartPrice();
  void RefreshOrdersBubbles();
  void RefreshChartType();
  void RefreshWindowCaption();
  void SetIsLoading(bool aValue);
  void WaitForThreads();

  // The view.
  double CalcCandleDistanceDate() const;
  double CalcCandleDistancePx() const;
  int CalcMaxVisibleCandleCount() const;
  void SetBarWidth();
  void RefreshZoom();
  void InitLeftZoom();
  void FixLeftSide();
  void FixRightSide();
  void SetZoom(TZoom aLevel);
  void CalcYMinMax(int aFirst, int aLast);
  void FixChartHeight();
  void ChartFullRefresh();

  // Chart events (public so that tests can drive them as the widget does).
  void OnChartMouseDown(Qt::MouseButton aButton, Qt::KeyboardModifiers aShift, QPoint aPos);
  void OnChartMouseMove(Qt::KeyboardModifiers aShift, QPoint aPos);
  void OnChartMouseUp(Qt::MouseButton aButton, Qt::KeyboardModifiers aShift, QPoint aPos);
  void OnChartClick();
  void OnChartZoom();
  void OnChartAfterDraw(QPainter &aPainter);
  void OnChartGetAxisLabel(const TChartAxis &aAxis, double aValue, QString &aText);

  TwinctrlMdiWindow *Window() const { return fWindow; }
  TChart *Chart() const { return fChart; }
  TCandleSeries *SerCandles() const { return fSerCandles; }
  TLineSeries *SerPrice() const { return fSerPrice; }
  TPointSeries *SerBuy() const { return fSerBuy; }
  TPointSeries *SerSell() const { return fSerSell; }
  const QString &Symbol() const { return fSymbol; }
  void SetSymbol(const QString &aValue) { fSymbol = aValue; }
  TChartInterval Interval() const { return fInterval; }
  TKlineList &KlineList() { return fKlineList; }
  TIndicatorList &IndicatorList() { return fIndicatorList; }
  bool IsClosing() const { return fIsClosing; }
  TThreadList &ThreadList();
  bool Active() const;
  void SetActive(bool aValue);
  TChartSettingsInfo &ChartSettings() { return fChartSettings; }
  double ChartPrice() const { return fChartPrice; }
  void SetChartPrice(double aValue) { fChartPrice = aValue; }
  bool IsLoading() const { return fIsLoading; }
  TPanningMode ChartClick() const { return fChartClick; }
  double YMin() const { return fYMin; }
  double YMax() const { return fYMax; }
  TChartList *ChartList() const { return fChartList; }
  // What the request threads hold of this chart.
  const std::shared_ptr<TChartItemLink> &Link() const { return fLink; }
  // The kline a candle shows (the one with its open time).
  const TKline *CandleKline(int aIndex) const;

private:
  void DoWait() const;
  // DoWait, then whether the item may go on (it is not closing).
  bool Enter() const { return DoWait(), !fIsClosing; }
  TAxisRange TimeAxis() const;
  void SetTimeAxis(const TAxisRange &aRange);
  void SetPriceAxis(const TAxisRange &aRange);
  TAxisRange DataPriceRange();
  TCandleX CandleDates() const;
  TCandleX CandlePixels() const;
  void OnWindowActivate();
  void OnWindowClose();
  void OnWindowMaximize();
  void ShowChartMenu(QPoint aPos);
  void DetachHandlers();
  // The fractal markers' radius: a fiftieth of the price axis range.
  double FractalRadius() const;
  // The indicator dialog belongs to the main window, not to the chart's own window.
  QWidget *DialogParent() const;

  bool fIsLocked = false;
  TChartList *fChartList = nullptr;
  TKlineList fKlineList;
  TIndicatorList fIndicatorList;
  TChartSettingsInfo fChartSettings;
  QString fSymbol;
  TChartInterval fInterval = m5;
  QPointer<TwinctrlMdiWindow> fWindow;
  // The host panel may take window and chart down first; the series go with the chart.
  QPointer<TChart> fChart;
  TLineSeries *fSerPrice = nullptr;
  TPointSeries *fSerBuy = nullptr;
  TPointSeries *fSerSell = nullptr;
  TCandleSeries *fSerCandles = nullptr;
  TCandleIndex fCandleIndex;
  double fChartPrice = 0;
  int fChartClickPoint = 0;
  TZoom fChartZoomPoint = z0;
  TPanningMode fChartClick = pmNone;
  double fChartMin = 0;
  double fChartMax = 0;
  double fYMin = 0;
  double fYMax = 0;
  std::shared_ptr<TChartItemLink> fLink;
  bool fIsClosing = false;
  bool fIsLoading = true;
};
