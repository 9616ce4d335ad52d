#pragma once

#include "market_chart_link.h"
#include "thread_list.h"

#include <atomic>

class TChartItem;

// What the request threads hold of a chart item. It outlives the item: once the item has gone
// (or is closing) it answers "closing" and passes nothing on. The item's thread list lives
// here so that a late thread still unregisters safely.
class TChartItemLink : public IMarketChartLink
{
public:
  explicit TChartItemLink(TChartItem *aItem) : fItem(aItem) {}

  TThreadList &ThreadList() override { return fThreadList; }
  bool IsClosing() const override { return fClosing.load(); }
  void OnNotify(int aEventID, std::intptr_t aData) override;
  TChartInterval Interval() const override { return fInterval.load(); }
  TKlineList *KlineList() override;
  void SetChartPrice(double aValue) override;
  void SetIsLoading(bool aValue) override;
  void ChartFullRefresh() override;
  void *ChartItem() override { return fItem; }

  void SetInterval(TChartInterval aValue) { fInterval = aValue; }
  // The item is closing: nothing reaches it from now on.
  void Close() { fClosing = true; }

private:
  TChartItem *Open() const { return fClosing.load() ? nullptr : fItem; }

  TChartItem *const fItem;
  std::atomic<bool> fClosing = false;
  std::atomic<TChartInterval> fInterval = m5;
  TThreadList fThreadList{tlkChart};
};
