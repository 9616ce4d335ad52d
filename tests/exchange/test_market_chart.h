#pragma once

// A chart as the kline and chart-price threads see it, for tests until the charting layer
// exists. Everything but Interval is touched on the GUI thread only.

#include "kline.h"
#include "market_chart_link.h"
#include "thread_list.h"

#include <atomic>
#include <utility>
#include <vector>

namespace market_test {

class TTestChart : public IMarketChartLink
{
public:
  explicit TTestChart(TChartInterval aInterval = m5) : fInterval(aInterval) {}

  TThreadList &ThreadList() override { return fThreadList; }
  bool IsClosing() const override { return fClosing; }
  void OnNotify(int aEventID, std::intptr_t aData) override
  {
    if (!fClosing)
      Notifications.emplace_back(aEventID, aData);
  }
  TChartInterval Interval() const override { return fInterval; }
  TKlineList *KlineList() override { return fClosing ? nullptr : &Klines; }
  void SetChartPrice(double aValue) override
  {
    ChartPrice = aValue;
    ++PriceWrites;
  }
  void SetIsLoading(bool aValue) override
  {
    IsLoading = aValue;
    ++LoadingWrites;
  }
  void ChartFullRefresh() override { ++FullRefreshes; }
  void *ChartItem() override { return this; }

  void Close() { fClosing = true; }
  int Count(int aEventID) const
  {
    int lCount = 0;
    for (const auto &lNote : Notifications)
      lCount += lNote.first == aEventID ? 1 : 0;
    return lCount;
  }

  TKlineList Klines;
  std::vector<std::pair<int, std::intptr_t>> Notifications;
  double ChartPrice = 0;
  int PriceWrites = 0;
  bool IsLoading = true;
  int LoadingWrites = 0;
  int FullRefreshes = 0;

private:
  TThreadList fThreadList{tlkChart};
  std::atomic<bool> fClosing = false;
  TChartInterval fInterval;
};

} // namespace market_test
