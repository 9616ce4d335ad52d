#include "chart_item_link.h"

#include "chart_item.h"

void TChartItemLink::OnNotify(int aEventID, std::intptr_t aData)
{
  if (TChartItem *lItem = Open())
    lItem->OnNotify(aEventID, aData);
}

TKlineList *TChartItemLink::KlineList()
{
  TChartItem *lItem = Open();
  return lItem ? &lItem->KlineList() : nullptr;
}

void TChartItemLink::SetChartPrice(double aValue)
{
  if (TChartItem *lItem = Open())
    lItem->SetChartPrice(aValue);
}

void TChartItemLink::SetIsLoading(bool aValue)
{
  if (TChartItem *lItem = Open())
    lItem->SetIsLoading(aValue);
}

void TChartItemLink::ChartFullRefresh()
{
  if (TChartItem *lItem = Open())
    lItem->ChartFullRefresh();
}
