#include "klines_threads.h"

#include "events.h"
#include "kline.h"
#include "market_chart_link.h"
#include "methods.h"
#include "ui_writer.h"
#include "utils.h"
#include "workflow.h"

#include <QJsonArray>

#include <chrono>
#include <exception>
#include <thread>

void TKlinesThread::SetChart(std::shared_ptr<IMarketChartLink> aChart)
{
  fChart = aChart;
  SetChartItem(std::move(aChart));
}

bool TKlinesThread::ChartOpen() const
{
  return fChart && !fChart->IsClosing() && !Terminated();
}

void TKlinesThread::DoMakeRequest()
{
  const TChartInterval lInterval = fChart ? fChart->Interval() : m1;
  fRequest = QStringLiteral("symbol=%1&interval=%2")
                 .arg(fSymbol, QString::fromLatin1(IntervalStr(lInterval)));
  if (fLimit == 0 && fEndDate == 0)
    fLimit = cKlinesDefaultLimit;
  if (fLimit > 0)
    fRequest += QStringLiteral("&limit=%1").arg(fLimit);
  else
    fRequest += QStringLiteral("&endTime=%1").arg(fEndDate);
}

void TKlinesThread::DoExecute()
{
  DoMakeRequest();
  if (!ChartOpen())
    return;
  DoSendRequest(NewMethod(), nullptr, fRequest, fResponse, fError);
  if (!fError.isEmpty()) {
    Alert(fError);
    LogError(cKlinesThreadTexts.CommandError + fError);
    return;
  }
  if (ChartOpen())
    DoParseResponse();
  if (ChartOpen())
    Synchronize([this] { NotifyKlines(); });
}

void TKlinesThread::DoExtract()
{
  fPage = ParseKlinePage(fRootNode.toArray());
  fArrived = true;
}

void TKlinesThread::DoOutput()
{
  if (!ChartOpen())
    return;
  TKlineList *lList = fChart->KlineList();
  if (!lList)
    return;
  lList->BeginUpdate();
  struct TEndUpdate
  {
    TKlineList *List;
    ~TEndUpdate() { List->EndUpdate(); }
  } lEnd{lList};
  for (const TKlineValues &lValues : fPage) {
    if (!ChartOpen())
      return;
    lList->Merge(lValues);
  }
}

void TKlinesThread::NotifyKlines()
{
  if (ChartOpen())
    fChart->OnNotify(BASE_MAIN_KLINES, fLimit > 10 ? 1 : 0);
}

std::unique_ptr<TDBaseMethod> TKlinesThread::NewMethod() const
{
  return std::make_unique<TDMethodKlines>();
}

void TKlinesHistoryThread::SetChart(std::shared_ptr<IMarketChartLink> aChart)
{
  fChart = aChart;
  SetChartItem(std::move(aChart));
}

TKlinesHistoryThread::TListState TKlinesHistoryThread::ReadListState()
{
  TListState lState;
  Synchronize([&] {
    if (fChart->IsClosing())
      return;
    if (TKlineList *lList = fChart->KlineList()) {
      lState.Open = true;
      lState.Count = lList->Count();
      lState.MinDate = lList->MinDate();
    }
  });
  return lState;
}

void TKlinesHistoryThread::DoExecute()
{
  if (!fChart || fChart->IsClosing() || Terminated())
    return;
  Synchronize([this] {
    if (!fChart->IsClosing())
      if (TKlineList *lList = fChart->KlineList())
        lList->SetIsLoading(true);
  });
  std::exception_ptr lError;
  try {
    LoadFromWeb();
  } catch (...) {
    lError = std::current_exception();
  }
  Synchronize([this] {
    if (fChart->IsClosing())
      return;
    if (TKlineList *lList = fChart->KlineList())
      lList->SetIsLoading(false);
    fChart->SetIsLoading(false);
    for (int i = 0; i < 3; ++i)
      fChart->ChartFullRefresh();
    if (UIWriter)
      UIWriter->Post(MAIN_FORM_CHART_REFRESH, fChart->ChartItem());
  });
  if (lError)
    std::rethrow_exception(lError);
}

void TKlinesHistoryThread::LoadFromWeb()
{
  std::int64_t lMinDate = ReadListState().MinDate;
  while (!Terminated()) {
    if (!Workflow || Workflow->State() != wfsWorking)
      return;
    const TListState lState = ReadListState();
    if (!lState.Open || lState.Count >= cKlinesHistoryStop)
      return;
    if (fSymbol.isEmpty())
      RaiseThreadError(QStringLiteral("no symbol in history thread"));

    for (int lRetry = 0; !LoadPage(lMinDate) && lRetry < cKlinesPageRetries; ++lRetry) {
      if (!SleepUnlessTerminated(cKlinesPageRetryDelayMs) || !Workflow ||
          Workflow->State() != wfsWorking || !ReadListState().Open)
        return;
    }

    const TListState lAfter = ReadListState();
    if (!lAfter.Open || lAfter.MinDate == lMinDate)
      return;
    lMinDate = lAfter.MinDate;
  }
}

bool TKlinesHistoryThread::LoadPage(std::int64_t aEndDate)
{
  std::unique_ptr<TKlinesThread> lPage = NewPageThread();
  lPage->SetLimit(0);
  lPage->SetEndDate(aEndDate);
  lPage->SetSymbol(fSymbol);
  lPage->SetChart(fChart);
  lPage->Start();
  lPage->WaitFor();
  return lPage->PageArrived();
}

bool TKlinesHistoryThread::SleepUnlessTerminated(int aMs) const
{
  constexpr int cStepMs = 20;
  for (int lSlept = 0; lSlept < aMs; lSlept += cStepMs) {
    if (Terminated())
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(cStepMs));
  }
  return !Terminated();
}

std::unique_ptr<TKlinesThread> TKlinesHistoryThread::NewPageThread() const
{
  return std::make_unique<TKlinesThread>();
}

namespace {

bool Working()
{
  return Workflow && Workflow->State() == wfsWorking;
}

} // namespace

void StartKlinesHistory(const std::shared_ptr<IMarketChartLink> &aChart, const QString &aSymbol)
{
  if (!Working() || !aChart)
    return;
  auto lThread = std::make_unique<TKlinesHistoryThread>();
  lThread->SetSymbol(aSymbol);
  lThread->SetChart(aChart);
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
}

void StartKlinesUpdate(const std::shared_ptr<IMarketChartLink> &aChart, const QString &aSymbol,
                       std::int32_t aLimit)
{
  if (!Working() || !aChart)
    return;
  auto lThread = std::make_unique<TKlinesThread>();
  lThread->SetSymbol(aSymbol);
  lThread->SetLimit(aLimit);
  lThread->SetChart(aChart);
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
}

void StartChartTickerPrice(const std::shared_ptr<IMarketChartLink> &aChart, const QString &aSymbol)
{
  if (!Working() || !aChart)
    return;
  auto lThread = std::make_unique<TTickerPriceThread>();
  lThread->SetSymbol(aSymbol);
  lThread->SetChart(aChart);
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
}
