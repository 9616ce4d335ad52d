#include "chart_host.h"

#include "chart_item.h"
#include "chart_list.h"
#include "f_basic.h"

#include <QCoreApplication>
#include <QMenu>
#include <QTimer>
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
  aWindow->Subscribe(&ChartList->Publisher());
}

void LoadCharts()
{
  if (ChartList)
    ChartList->Load();
}

void TimerChartRefresh(QObject *aOwner, void *aItem)
{
  if (!ChartList)
    return;
  // Tagged with the chart's place in the list: a chart closed meanwhile is not refreshed.
  const int lIndex = ChartList->IndexOf(static_cast<TChartItem *>(aItem));
  auto *lTimer = new QTimer(aOwner);
  lTimer->setSingleShot(true);
  lTimer->setInterval(50);
  QObject::connect(lTimer, &QTimer::timeout, lTimer, [lTimer, lIndex] {
    lTimer->deleteLater();
    TChartItem *lItem = ChartList ? ChartList->GetItem(lIndex) : nullptr;
    if (!lItem)
      return;
    lItem->ChartFullRefresh();
    lItem->ChartFullRefresh();
  });
  lTimer->start();
  QCoreApplication::processEvents();
}

void DetachChartList(TfrmBasic *aWindow)
{
  if (!ChartList)
    return;
  ChartList->Save();
  ChartList->Clear();
  aWindow->Unsubscribe(&ChartList->Publisher());
}
