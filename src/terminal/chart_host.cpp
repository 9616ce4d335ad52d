#include "chart_host.h"

#include "chart_item.h"
#include "chart_list.h"
#include "dlg_order.h"
#include "f_basic.h"

#include <QMenu>
#include <QWidget>

void AttachChartList(TfrmBasic *aWindow, QWidget *aClient, QMenu *aChartMenu, QMenu *aIndicatorMenu,
                     const QList<QIcon> *aImages)
{
  if (!ChartList)
    return;
  ChartList->SetWinControl(aClient);
  ChartList->SetPmIndicator(aIndicatorMenu);
  ChartList->SetPmChart(aChartMenu);
  ChartList->SetImages(aImages);
  ChartList->OnNewOrder = [aClient](const QString &aSymbol) {
    ExecuteOrder(aSymbol, aClient ? aClient->window() : nullptr);
  };
  aWindow->Subscribe(&ChartList->Publisher());
}

void LoadCharts()
{
  if (ChartList)
    ChartList->Load();
}

std::optional<double> SelectedChartPrice()
{
  const TChartItem *lItem = ChartList ? ChartList->GetSelected() : nullptr;
  if (!lItem || lItem->ChartPrice() == 0)
    return std::nullopt;
  return lItem->ChartPrice();
}

int ChartIndexOf(void *aItem)
{
  return ChartList ? ChartList->IndexOf(static_cast<TChartItem *>(aItem)) : -1;
}

bool ChartFullRefresh(int aIndex)
{
  TChartItem *lItem = ChartList ? ChartList->GetItem(aIndex) : nullptr;
  if (!lItem)
    return false;
  lItem->ChartFullRefresh();
  return true;
}

void NewChart(const QString &aSymbol)
{
  if (ChartList && !aSymbol.isEmpty())
    ChartList->AddNewChart(aSymbol);
}

void DetachChartList(TfrmBasic *aWindow)
{
  if (!ChartList)
    return;
  ChartList->Save();
  ChartList->Clear();
  ChartList->OnNewOrder = nullptr;
  aWindow->Unsubscribe(&ChartList->Publisher());
}
