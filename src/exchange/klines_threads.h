#pragma once

#include "kline.h"
#include "market_threads.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

class IMarketChartLink;

// Klines the history loader stops at: a chart holds at least this many after a load.
inline constexpr int cKlinesHistoryStop = 3000;
// Klines asked for when neither a limit nor an end time is given.
inline constexpr int cKlinesDefaultLimit = 1000;
// A history page that fails is asked for again this many times, this far apart, before the
// load gives up: one lost answer must not leave a chart short for good.
inline constexpr int cKlinesPageRetries = 3;
inline constexpr int cKlinesPageRetryDelayMs = 1000;

// One page of a chart's klines, merged into its kline list by open time on the GUI thread.
// A request carries a limit or an end time, never both.
class TKlinesThread : public TBaseThread
{
public:
  const QString &Symbol() const { return fSymbol; }
  void SetSymbol(const QString &aValue) { fSymbol = aValue; }
  std::int32_t Limit() const { return fLimit; }
  void SetLimit(std::int32_t aValue) { fLimit = aValue; }
  std::int64_t EndDate() const { return fEndDate; }
  void SetEndDate(std::int64_t aValue) { fEndDate = aValue; }
  // The chart whose list receives the page and whose interval is asked for.
  void SetChart(std::shared_ptr<IMarketChartLink> aChart);
  // True once an answer has been read as klines (possibly none); false after a transport
  // failure, an empty or an unreadable answer.
  bool PageArrived() const { return fArrived; }

protected:
  void DoExecute() override;
  void DoMakeRequest() override;
  void DoExtract() override;
  void DoOutput() override;
  const TThreadTexts *Texts() const override { return &cKlinesThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;
  // GUI thread: tells the chart its klines changed.
  void NotifyKlines();

private:
  bool ChartOpen() const;

  QString fSymbol;
  std::int32_t fLimit = 0;
  std::int64_t fEndDate = 0;
  std::shared_ptr<IMarketChartLink> fChart;
  std::vector<TKlineValues> fPage;
  std::atomic<bool> fArrived = false;
};

// Fills a new chart by paging backwards in time until it holds cKlinesHistoryStop klines, a
// page brings nothing older, the chart closes, the thread is terminated or the workflow stops.
class TKlinesHistoryThread : public TBaseThread
{
public:
  const QString &Symbol() const { return fSymbol; }
  void SetSymbol(const QString &aValue) { fSymbol = aValue; }
  void SetChart(std::shared_ptr<IMarketChartLink> aChart);

protected:
  void DoExecute() override;
  // Worker: the paging loop.
  void LoadFromWeb();
  // A new page request, not yet started; tests serve pages through their own.
  virtual std::unique_ptr<TKlinesThread> NewPageThread() const;

private:
  // What the worker reads of the chart's list, on the GUI thread.
  struct TListState
  {
    bool Open = false;
    int Count = 0;
    std::int64_t MinDate = TKlineList::cNoDate;
  };
  TListState ReadListState();
  // Runs one page request ending at aEndDate; true when its answer arrived.
  bool LoadPage(std::int64_t aEndDate);
  // Sleeps aMs unless the thread is asked to terminate meanwhile; false when it was.
  bool SleepUnlessTerminated(int aMs) const;

  QString fSymbol;
  std::shared_ptr<IMarketChartLink> fChart;
};

// The chart's requests, each started free-running; nothing when the workflow is not working.
// The history load (a new chart, or after an interval change):
void StartKlinesHistory(const std::shared_ptr<IMarketChartLink> &aChart, const QString &aSymbol);
// The newest klines (every minute):
void StartKlinesUpdate(const std::shared_ptr<IMarketChartLink> &aChart, const QString &aSymbol,
                       std::int32_t aLimit = 2);
// The current price of the chart's symbol (every second):
void StartChartTickerPrice(const std::shared_ptr<IMarketChartLink> &aChart, const QString &aSymbol);
