#pragma once

#include "chart_link.h"
#include "consts.h"

class TKlineList;

// What the kline and chart-price threads reach of their chart beyond the thread list and the
// notifications. The charting layer implements it for each chart item. Like IChartLink, the
// link outlives its chart: once the chart is closing, KlineList answers none and the other
// calls do nothing.
class IMarketChartLink : public IChartLink
{
public:
  // The interval requested; any thread may ask (the chart changes it only between loads).
  virtual TChartInterval Interval() const = 0;
  // The chart's kline list; GUI thread only; none once the chart is closing.
  virtual TKlineList *KlineList() = 0;
  // GUI thread only: the last traded price of the chart's symbol.
  virtual void SetChartPrice(double aValue) = 0;
  // GUI thread only: the end of a history load.
  virtual void SetIsLoading(bool aValue) = 0;
  virtual void ChartFullRefresh() = 0;
  // The chart item as the data of the queued MAIN_FORM_CHART_REFRESH notification.
  virtual void *ChartItem() = 0;
};
