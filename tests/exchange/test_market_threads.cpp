// The market-data and kline threads end to end on their own threads, with answers served in
// place of the transport, so that every branch of the template can be reached.

#include "depth.h"
#include "events.h"
#include "klines_threads.h"
#include "market_threads.h"
#include "methods.h"
#include "symbol_show_list.h"
#include "test_market_chart.h"
#include "test_market_env.h"
#include "test_presenter.h"
#include "user.h"
#include "utils.h"
#include "volume.h"
#include "workflow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <QElapsedTimer>

#include <mutex>
#include <set>

using namespace market_test;

namespace {

// A thread of class T whose exchange is answered by aServe (request text -> answer).
template <class T> class TServed : public T
{
public:
  using TServe = std::function<QString(const QString &)>;
  explicit TServed(TServe aServe, QString aError = QString())
      : fServe(std::move(aServe)), fServeError(std::move(aError))
  {
  }
  QStringList Sent() const
  {
    std::lock_guard lLock(fLock);
    return fSent;
  }

protected:
  void DoSendRequest(std::unique_ptr<TDBaseMethod>, const TConnectionItem *,
                     const QString &aRequest, QString &aResponse, QString &aError) override
  {
    {
      std::lock_guard lLock(fLock);
      fSent.append(aRequest);
    }
    aResponse = fServe(aRequest);
    aError = fServeError;
  }

private:
  TServe fServe;
  QString fServeError;
  mutable std::mutex fLock;
  QStringList fSent;
};

template <class T> std::unique_ptr<TServed<T>> Served(const QString &aAnswer)
{
  return std::make_unique<TServed<T>>([aAnswer](const QString &) { return aAnswer; });
}

// Starts the thread, waits for it on the GUI thread and lets its queued notifications arrive.
void RunThread(TWorkerThread &aThread)
{
  aThread.Start();
  aThread.WaitFor();
  PumpFor(60);
}

class MarketThreadsTest : public TUserModelTest
{
};

} // namespace

TEST_F(MarketThreadsTest, AllSymbolPricesReachTheModelAndTheViews)
{
  auto lThread = Served<TTickerPriceThread>(
      R"([{"symbol":"ETHBTC","price":"0.05"},{"symbol":"LTCBTC","price":"0.001"}])");
  RunThread(*lThread);
  EXPECT_EQ(lThread->Sent(), QStringList{QString()});
  ASSERT_EQ(Symbols().Count(), 2);
  EXPECT_EQ(Symbols().Find("LTCBTC")->LastPrice(), 0.001);
  EXPECT_EQ(User->SymbolShowList()->Count(), 2);
  EXPECT_EQ(Notified(BASE_MAIN_SYMBOLS), 2); // the show list filled, then the thread's own
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
}

TEST_F(MarketThreadsTest, EmptyAnswerChangesNothingButStillNotifies)
{
  RunThread(*Served<TTickerPriceThread>(R"([{"symbol":"ETHBTC","price":"0.05"}])"));
  const int lBefore = Notified(BASE_MAIN_SYMBOLS);
  RunThread(*Served<TTickerPriceThread>(QString()));
  EXPECT_EQ(Symbols().Find("ETHBTC")->LastPrice(), 0.05);
  EXPECT_EQ(Notified(BASE_MAIN_SYMBOLS), lBefore + 1);
  // Garbage: nothing is output and nothing notified.
  RunThread(*Served<TTickerPriceThread>(R"([{"symbol":"ETHBTC","pri)"));
  RunThread(*Served<TTicker24hrThread>(QStringLiteral("<html>502</html>")));
  EXPECT_EQ(Symbols().Find("ETHBTC")->LastPrice(), 0.05);
  EXPECT_EQ(Notified(BASE_MAIN_SYMBOLS), lBefore + 1);
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
}

TEST_F(MarketThreadsTest, TransportErrorTextIsShownAndNothingParsed)
{
  auto lThread = std::make_unique<TServed<TTicker24hrThread>>(
      [](const QString &) { return QStringLiteral("[]"); }, QStringLiteral("boom"));
  RunThread(*lThread);
  ASSERT_EQ(fBoxes.Presenter().Shown().size(), 1u);
  EXPECT_EQ(fBoxes.Presenter().Shown()[0].Text, QStringLiteral("boom"));
  EXPECT_EQ(Notified(BASE_MAIN_SYMBOLS), 0);
}

TEST_F(MarketThreadsTest, PriceThreadSendsNothingUnlessWorking)
{
  Workflow->SetState(wfsPaused);
  auto lPrice = Served<TTickerPriceThread>(R"([{"symbol":"ETHBTC","price":"0.05"}])");
  RunThread(*lPrice);
  EXPECT_TRUE(lPrice->Sent().isEmpty());
  // The 24-hour statistics have no run-state check: an already started one still sends.
  auto l24hr = Served<TTicker24hrThread>(R"([{"symbol":"ETHBTC","lastPrice":"0.05"}])");
  RunThread(*l24hr);
  EXPECT_EQ(l24hr->Sent().size(), 1);
  EXPECT_EQ(Symbols().Count(), 1);
}

TEST_F(MarketThreadsTest, SymbolPriceWithoutChartTouchesOnlyTheSymbolList)
{
  RunThread(*Served<TTickerPriceThread>(R"([{"symbol":"ETHBTC","price":"0.05"}])"));
  auto lThread = Served<TTickerPriceThread>(R"({"symbol":"ETHBTC","price":"0.06"})");
  lThread->SetSymbol("ETHBTC");
  RunThread(*lThread);
  EXPECT_EQ(lThread->Sent(), QStringList{"symbol=ETHBTC"});
  EXPECT_EQ(Symbols().Find("ETHBTC")->LastPrice(), 0.06);
  EXPECT_EQ(Symbols().Find("ETHBTC")->Color(), clLtGreen);
  EXPECT_EQ(Symbols().Count(), 1);
}

TEST_F(MarketThreadsTest, ChartPriceGoesToTheChartOnly)
{
  auto lChart = std::make_shared<TTestChart>();
  auto lThread = Served<TTickerPriceThread>(R"({"symbol":"ETHBTC","price":"0.0512"})");
  lThread->SetSymbol("ETHBTC");
  lThread->SetChart(lChart);
  RunThread(*lThread);
  EXPECT_EQ(lChart->ChartPrice, 0.0512);
  ASSERT_EQ(lChart->Notifications.size(), 1u);
  EXPECT_EQ(lChart->Notifications[0], std::make_pair(BASE_MAIN_TICKERPRICE, std::intptr_t{0}));
  EXPECT_EQ(Symbols().Count(), 0);
  EXPECT_EQ(Notified(BASE_MAIN_SYMBOLS), 0);
  EXPECT_EQ(lChart->ThreadList().ThreadListCount(), 0);

  // An answer without a price does not drag the chart to 0; a closing chart gets nothing.
  auto lNoPrice = Served<TTickerPriceThread>(R"({"symbol":"ETHBTC"})");
  lNoPrice->SetSymbol("ETHBTC");
  lNoPrice->SetChart(lChart);
  RunThread(*lNoPrice);
  EXPECT_EQ(lChart->PriceWrites, 1);
  lChart->Close();
  auto lClosed = Served<TTickerPriceThread>(R"({"symbol":"ETHBTC","price":"1"})");
  lClosed->SetSymbol("ETHBTC");
  lClosed->SetChart(lChart);
  RunThread(*lClosed);
  EXPECT_EQ(lChart->PriceWrites, 1);
}

TEST_F(MarketThreadsTest, OrderBookOfTheSelectedSymbol)
{
  SysTime->SetTime(EncodeDateTime(2026, 5, 4, 12, 0, 0));
  User->Input()->SetSymbol("ETHBTC");
  auto lThread =
      Served<TDepthThread>(R"({"asks":[["10","1"],["11","2"]],"bids":[["9","3"],["8","4"]]})");
  RunThread(*lThread);
  EXPECT_EQ(lThread->Sent(), QStringList{"symbol=ETHBTC&limit=5"});
  ASSERT_EQ(User->DepthList()->Count(), 4);
  EXPECT_EQ(User->DepthList()->GetItem(0).Price, 11);
  EXPECT_EQ(User->DepthList()->GetItem(3).Price, 8);
  EXPECT_EQ(User->DepthList()->MaxQuantity(), 4);
  EXPECT_EQ(Notified(BASE_MAIN_DEPTH), 1);

  // A book without bids: logged, the last book kept, no notification.
  RunThread(*Served<TDepthThread>(R"({"asks":[["10","1"]]})"));
  EXPECT_EQ(User->DepthList()->Count(), 4);
  EXPECT_EQ(Notified(BASE_MAIN_DEPTH), 1);
}

TEST_F(MarketThreadsTest, OrderBookWaitsForTheServerTime)
{
  auto lThread = Served<TDepthThread>(R"({"asks":[],"bids":[]})");
  lThread->Start();
  PumpFor(200);
  EXPECT_TRUE(lThread->Sent().isEmpty());
  SysTime->SetTime(EncodeDateTime(2026, 5, 4, 12, 0, 0));
  lThread->WaitFor();
  EXPECT_EQ(lThread->Sent().size(), 1);
}

namespace {

class TThrowingSubscriber : public TDObject
{
public:
  void Notification(int aEventID, void *) override
  {
    ++Calls;
    if (aEventID == ORDER_BOOK_TICKER)
      throw std::runtime_error("view failed");
  }
  int Calls = 0;
};

} // namespace

TEST_F(MarketThreadsTest, BookTickerSetsBidAndAskAndPublishesDirectly)
{
  TThrowingSubscriber lView;
  User->Publisher()->Subscribe(&lView, ORDER_BOOK_TICKER);
  auto lThread = Served<TTickerBookTickerThread>(
      R"({"symbol":"ETHBTC","bidPrice":"0.0501","askPrice":"0.0502"})");
  lThread->SetSymbol("ETHBTC");
  RunThread(*lThread);
  EXPECT_EQ(lThread->Sent(), QStringList{"symbol=ETHBTC"});
  EXPECT_EQ(User->Bid(), 0.0501);
  EXPECT_EQ(User->Ask(), 0.0502);
  EXPECT_EQ(lView.Calls, 1); // its error was caught and logged

  // Without a symbol the answer is an array: both become 0.
  RunThread(*Served<TTickerBookTickerThread>(R"([{"symbol":"ETHBTC","bidPrice":"1"}])"));
  EXPECT_EQ(User->Bid(), 0);
  EXPECT_EQ(User->Ask(), 0);
  User->Publisher()->Unsubscribe(&lView, ORDER_BOOK_TICKER);
}

TEST_F(MarketThreadsTest, VolumeThreadNotifiesTheVolumeMonitor)
{
  RunThread(*Served<TTicker24hrThread>(R"([{"symbol":"ETHBTC","lastPrice":"0.05"}])"));
  RunThread(*Served<TTicker24hrVolumeThread>(R"([{"symbol":"ETHBTC","quoteVolume":"1000"}])"));
  RunThread(*Served<TTicker24hrVolumeThread>(R"([{"symbol":"ETHBTC","quoteVolume":"900"}])"));
  ASSERT_EQ(User->VolumeList()->Count(), 1);
  EXPECT_EQ(User->VolumeList()->GetItem(0).VolumeChange, 100);
  EXPECT_EQ(Notified(BASE_MAIN_VOLUMES), 2);
}

namespace {

// A symbol's kline history on the exchange: one kline a minute from aFirst to aLast, served
// the way the exchange pages it (the newest aPageSize at or before endTime).
class TKlineServer
{
public:
  // aFirstPageSize: the first page's size when it differs from aPageSize.
  TKlineServer(std::int64_t aFirst, std::int64_t aLast, int aPageSize = 500, int aFirstPageSize = 0)
      : fFirst(aFirst), fLast(aLast), fPageSize(aPageSize),
        fFirstPageSize(aFirstPageSize > 0 ? aFirstPageSize : aPageSize)
  {
  }
  QString Serve(const QString &aRequest)
  {
    std::lock_guard lLock(fLock);
    fRequests.append(aRequest);
    // A lost answer after the first page: alternately empty and unreadable.
    if (fRequests.size() > 1 && FailNext > 0)
      return --FailNext % 2 ? QString() : QStringLiteral("[[1700000000000,\"1.0\"");
    std::int64_t lEnd = fLast;
    int lLimit = fRequests.size() == 1 ? fFirstPageSize : fPageSize;
    for (const QString &lPart : aRequest.split('&')) {
      if (lPart.startsWith("endTime="))
        lEnd = std::min<std::int64_t>(fLast, lPart.mid(8).toLongLong());
      if (lPart.startsWith("limit="))
        lLimit = lPart.mid(6).toInt();
    }
    lEnd -= (lEnd - fFirst) % cMinute;
    QJsonArray lPage;
    for (std::int64_t t = std::max(fFirst, lEnd - (lLimit - 1) * cMinute); t <= lEnd; t += cMinute)
      lPage.append(QJsonArray{qint64(t), "1.0", "2.0", "0.5", "1.5", "10", qint64(t + cMinute - 1),
                              "15", 7, "5", "7.5", "0"});
    return QString::fromUtf8(QJsonDocument(lPage).toJson(QJsonDocument::Compact));
  }
  QStringList Requests() const
  {
    std::lock_guard lLock(fLock);
    return fRequests;
  }
  static constexpr std::int64_t cMinute = 60000;
  int FailNext = 0; // answers to lose after the first page

private:
  std::int64_t fFirst, fLast;
  int fPageSize;
  int fFirstPageSize;
  mutable std::mutex fLock;
  QStringList fRequests;
};

class TServedHistory : public TKlinesHistoryThread
{
public:
  explicit TServedHistory(TKlineServer &aServer) : fServer(aServer) {}

protected:
  std::unique_ptr<TKlinesThread> NewPageThread() const override
  {
    return std::make_unique<TServed<TKlinesThread>>(
        [this](const QString &aRequest) { return fServer.Serve(aRequest); });
  }

private:
  TKlineServer &fServer;
};

} // namespace

TEST_F(MarketThreadsTest, KlinesRequestCarriesALimitOrAnEndTime)
{
  auto lChart = std::make_shared<TTestChart>(h4);
  TKlineServer lServer(0, 100 * TKlineServer::cMinute);
  auto lServe = [&](const QString &aRequest) { return lServer.Serve(aRequest); };

  TServed<TKlinesThread> lDefault(lServe);
  lDefault.SetSymbol("ETHBTC");
  lDefault.SetChart(lChart);
  RunThread(lDefault);
  TServed<TKlinesThread> lMinute(lServe);
  lMinute.SetSymbol("ETHBTC");
  lMinute.SetLimit(2);
  lMinute.SetChart(lChart);
  RunThread(lMinute);
  TServed<TKlinesThread> lPage(lServe);
  lPage.SetSymbol("ETHBTC");
  lPage.SetEndDate(9223372036854775807);
  lPage.SetChart(lChart);
  RunThread(lPage);

  EXPECT_EQ(
      lServer.Requests(),
      (QStringList{"symbol=ETHBTC&interval=4h&limit=1000", "symbol=ETHBTC&interval=4h&limit=2",
                   "symbol=ETHBTC&interval=4h&endTime=9223372036854775807"}));
  const std::vector<std::pair<int, std::intptr_t>> lExpected = {
      {BASE_MAIN_KLINES, 1}, {BASE_MAIN_KLINES, 0}, {BASE_MAIN_KLINES, 0}};
  EXPECT_EQ(lChart->Notifications, lExpected);
  EXPECT_EQ(lChart->Klines.Count(), 101);
  EXPECT_EQ(lChart->ThreadList().ThreadListCount(), 0);
}

TEST_F(MarketThreadsTest, KlinesForAClosingChartAreNotSent)
{
  auto lChart = std::make_shared<TTestChart>();
  lChart->Close();
  TKlineServer lServer(0, 10 * TKlineServer::cMinute);
  TServed<TKlinesThread> lThread([&](const QString &aRequest) { return lServer.Serve(aRequest); });
  lThread.SetSymbol("ETHBTC");
  lThread.SetChart(lChart);
  RunThread(lThread);
  EXPECT_TRUE(lServer.Requests().isEmpty());
  EXPECT_TRUE(lChart->Notifications.empty());
}

TEST_F(MarketThreadsTest, HistoryPagesBackUntil3000KlinesThenStops)
{
  auto lChart = std::make_shared<TTestChart>(m1);
  const std::int64_t lLast = 1'700'000'000'000 - 1'700'000'000'000 % TKlineServer::cMinute;
  TKlineServer lServer(lLast - 10000 * TKlineServer::cMinute, lLast);
  TServedHistory lHistory(lServer);
  lHistory.SetSymbol("ETHBTC");
  lHistory.SetChart(lChart);
  RunThread(lHistory);

  const QStringList lRequests = lServer.Requests();
  // 500 + 5 x 499 = 2995 after six pages, so a seventh one passes 3000.
  ASSERT_EQ(lRequests.size(), 7);
  EXPECT_EQ(lRequests[0], "symbol=ETHBTC&interval=1m&endTime=9223372036854775807");
  EXPECT_EQ(lRequests[1], QStringLiteral("symbol=ETHBTC&interval=1m&endTime=%1")
                              .arg(lLast - 499 * TKlineServer::cMinute));
  EXPECT_EQ(lChart->Klines.Count(), 500 + 6 * 499);
  std::set<std::int64_t> lTimes;
  for (int i = 0; i < lChart->Klines.Count(); ++i)
    lTimes.insert(lChart->Klines.GetItem(i)->OpenTime());
  EXPECT_EQ(static_cast<int>(lTimes.size()), lChart->Klines.Count());
  EXPECT_EQ(lChart->Klines.GetItem(0)->OpenTime(), lLast - 499 * TKlineServer::cMinute);
  // Every page notified with Data 0; then the end-of-load steps.
  EXPECT_EQ(lChart->Count(BASE_MAIN_KLINES), 7);
  EXPECT_FALSE(lChart->Klines.IsLoading());
  EXPECT_FALSE(lChart->IsLoading);
  EXPECT_EQ(lChart->FullRefreshes, 3);
  EXPECT_TRUE(PumpUntil([&] { return fEnv->Recorder.Count(MAIN_FORM_CHART_REFRESH) == 1; }));
  EXPECT_EQ(lChart->ThreadList().ThreadListCount(), 0);
}

TEST_F(MarketThreadsTest, HistoryThatLandsOnExactly3000KlinesAsksForNoFurtherPage)
{
  // A first page of 500, then pages of 501 that each repeat the earliest kline held:
  // 500 + 5 x 500 = 3000 after six pages.
  auto lChart = std::make_shared<TTestChart>(m1);
  const std::int64_t lLast = 1'700'000'000'000 - 1'700'000'000'000 % TKlineServer::cMinute;
  TKlineServer lServer(lLast - 10000 * TKlineServer::cMinute, lLast, 501, 500);
  TServedHistory lHistory(lServer);
  lHistory.SetSymbol("ETHBTC");
  lHistory.SetChart(lChart);
  RunThread(lHistory);
  EXPECT_EQ(lChart->Klines.Count(), 3000);
  EXPECT_EQ(lServer.Requests().size(), 6);
  EXPECT_EQ(lChart->FullRefreshes, 3);
}

TEST_F(MarketThreadsTest, HistoryOfAShortSymbolStopsAfterTwoPages)
{
  auto lChart = std::make_shared<TTestChart>(m1);
  TKlineServer lServer(0, 120 * TKlineServer::cMinute);
  TServedHistory lHistory(lServer);
  lHistory.SetSymbol("NEWBTC");
  lHistory.SetChart(lChart);
  RunThread(lHistory);
  EXPECT_EQ(lServer.Requests().size(), 2);
  EXPECT_EQ(lChart->Klines.Count(), 121);
  EXPECT_EQ(lChart->FullRefreshes, 3);
}

TEST_F(MarketThreadsTest, HistoryWithoutSymbolStillEndsTheLoad)
{
  auto lChart = std::make_shared<TTestChart>(m1);
  TKlineServer lServer(0, 120 * TKlineServer::cMinute);
  TServedHistory lHistory(lServer);
  lHistory.SetChart(lChart);
  RunThread(lHistory);
  EXPECT_TRUE(lServer.Requests().isEmpty());
  EXPECT_FALSE(lChart->IsLoading);
  EXPECT_EQ(lChart->FullRefreshes, 3);
}

TEST_F(MarketThreadsTest, HistoryStopsWhenTheWorkflowStopsOrTheChartCloses)
{
  auto lChart = std::make_shared<TTestChart>(m1);
  TKlineServer lServer(0, 100000 * TKlineServer::cMinute);
  Workflow->SetState(wfsPaused);
  TServedHistory lPaused(lServer);
  lPaused.SetSymbol("ETHBTC");
  lPaused.SetChart(lChart);
  RunThread(lPaused);
  EXPECT_TRUE(lServer.Requests().isEmpty());

  lChart->Close();
  TServedHistory lClosed(lServer);
  lClosed.SetSymbol("ETHBTC");
  lClosed.SetChart(lChart);
  RunThread(lClosed);
  EXPECT_TRUE(lServer.Requests().isEmpty());
  EXPECT_EQ(lChart->FullRefreshes, 1 * 3); // only the paused load ended on an open chart
}

TEST_F(MarketThreadsTest, FailedHistoryPageIsTriedAgainThreeTimesASecondApart)
{
  const std::int64_t lLast = 1'700'000'000'000 - 1'700'000'000'000 % TKlineServer::cMinute;
  struct TCase
  {
    int Failures;
    int Requests;
    int Klines;
  };
  // Three lost answers are made good; a fourth ends the load with what it has.
  for (const TCase &c : {TCase{3, 7 + 3, 500 + 6 * 499}, TCase{4, 1 + 4, 500}}) {
    auto lChart = std::make_shared<TTestChart>(m1);
    TKlineServer lServer(lLast - 10000 * TKlineServer::cMinute, lLast);
    lServer.FailNext = c.Failures;
    TServedHistory lHistory(lServer);
    lHistory.SetSymbol("ETHBTC");
    lHistory.SetChart(lChart);
    QElapsedTimer lClock;
    lClock.start();
    RunThread(lHistory);
    EXPECT_GE(lClock.elapsed(), 3 * cKlinesPageRetryDelayMs - 100) << c.Failures;
    const QStringList lRequests = lServer.Requests();
    ASSERT_EQ(lRequests.size(), c.Requests) << c.Failures;
    for (int i = 2; i <= c.Failures && i < lRequests.size(); ++i)
      EXPECT_EQ(lRequests[i], lRequests[1]); // the same page again
    EXPECT_EQ(lChart->Klines.Count(), c.Klines) << c.Failures;
    EXPECT_FALSE(lChart->IsLoading);
    EXPECT_EQ(lChart->FullRefreshes, 3);
  }
}
