// A minute of a flaky exchange (20 % failed answers, resets and garbage bodies) under the
// real one-second clock and the market share of the periodic work: the model keeps its last
// good data, no box appears, and everything is current again soon after the faults stop.

#include "test_market_exchange_env.h"

#include "depth.h"
#include "klines_threads.h"
#include "sys_time.h"
#include "timer.h"
#include "utils.h"

#include <QDateTime>
#include <QElapsedTimer>

#include <cmath>
#include <set>

using namespace market_test;

namespace {

// The market share of the workflow's periodic work, as the workflow runs it in its trade
// mode; the account checks are not part of this scenario.
class TMarketWork : public IWorkflowHost
{
public:
  bool ShowMainForm() override { return true; }
  void EverySecond(TWorkflowMode) override
  {
    User->TickerPrice(QString());
    if (!User->Input()->Symbol().isEmpty())
      User->DepthEx();
    for (const auto &lChart : Charts)
      StartChartTickerPrice(lChart, Symbol);
  }
  void Every5Second(TWorkflowMode) override { User->Time(); }
  void EveryMinute(TWorkflowMode) override
  {
    for (const auto &lChart : Charts)
      StartKlinesUpdate(lChart, Symbol);
  }
  void Once(TWorkflowMode) override
  {
    if (User->SymbolShowList()->Count() == 0)
      User->Ticker24hrEx();
  }
  void Close() override {}

  QString Symbol;
  std::vector<std::shared_ptr<TTestChart>> Charts;
};

class FaultsMarket : public TMarketExchangeTest
{
protected:
  void TearDown() override
  {
    fTimer.Deinit();
    for (const auto &lChart : fWork.Charts) {
      lChart->Close();
      lChart->ThreadList().WaitForThreads();
    }
    if (Workflow)
      Workflow->SetHost(nullptr);
    TMarketExchangeTest::TearDown();
  }

  TMarketWork fWork;
  TTimer fTimer;
};

std::set<std::int64_t> OpenTimes(const TKlineList &aList)
{
  std::set<std::int64_t> lTimes;
  for (int i = 0; i < aList.Count(); ++i)
    lTimes.insert(aList.GetItem(i)->OpenTime());
  return lTimes;
}

} // namespace

TEST_F(FaultsMarket, AMinuteOfFaultsKeepsTheLastGoodDataAndRecovers)
{
  // A good start: symbols, the selected symbol's book, a chart with its history.
  ASSERT_TRUE(SyncTime());
  ASSERT_TRUE(Load24hr());
  const int lSymbols = Symbols().Count();
  const int lShown = ShowList().Count();
  fWork.Symbol = ShowList().Name(0);
  User->Input()->SetSymbol(fWork.Symbol);
  auto lChart = std::make_shared<TTestChart>(m1);
  fWork.Charts.push_back(lChart);
  StartKlinesHistory(lChart, fWork.Symbol);
  ASSERT_TRUE(PumpUntil([&] { return lChart->FullRefreshes == 3; }, 30000));
  const int lKlines = lChart->Klines.Count();
  ASSERT_GE(lKlines, 3000);

  Workflow->SetHost(&fWork);
  fTimer.Init();
  ASSERT_TRUE(
      PumpUntil([&] { return Notified(BASE_MAIN_DEPTH) > 0 && lChart->PriceWrites > 0; }, 5000));

  Admin("/admin/faults", R"({"failRate":0.2,"resetRate":0.2,"garbageRate":0.2})");
  const int lPricesBefore = Notified(BASE_MAIN_SYMBOLS);
  QElapsedTimer lClock;
  lClock.start();
  qint64 lNextRebuild = 10000;
  bool lSecondChart = false;
  auto lLateChart = std::make_shared<TTestChart>(m5);
  while (lClock.elapsed() < 60000) {
    PumpFor(50);
    // The model never falls back from its last good data.
    ASSERT_GE(Symbols().Count(), lSymbols);
    ASSERT_EQ(ShowList().Count(), lShown);
    for (int i = 0; i < ShowList().Count(); ++i)
      ASSERT_EQ(ShowList().GetItem(i), Symbols().Find(ShowList().Name(i))) << i;
    ASSERT_GT(User->DepthList()->Count(), 0);
    ASSERT_GE(lChart->Klines.Count(), lKlines);
    ASSERT_TRUE(fBoxes.Presenter().Shown().empty())
        << fBoxes.Presenter().Shown().front().Text.toStdString();
    if (lClock.elapsed() > lNextRebuild) {
      User->Ticker24hrEx(); // rebuilds and re-links under faults too
      lNextRebuild += 10000;
    }
    if (!lSecondChart && lClock.elapsed() > 30000) {
      fWork.Charts.push_back(lLateChart);
      StartKlinesHistory(lLateChart, fWork.Symbol);
      lSecondChart = true;
    }
  }
  EXPECT_GT(Notified(BASE_MAIN_SYMBOLS), lPricesBefore + 10); // data kept flowing meanwhile
  EXPECT_EQ(OpenTimes(lChart->Klines).size(), static_cast<size_t>(lChart->Klines.Count()));
  EXPECT_EQ(OpenTimes(lLateChart->Klines).size(), static_cast<size_t>(lLateChart->Klines.Count()));

  EXPECT_FALSE(GetLastServerError().isEmpty()); // the faults did reach the transport

  // The faults stop; a new price is set at the exchange.
  Admin("/admin/faults", R"({"failRate":0,"resetRate":0,"garbageRate":0})");
  Admin("/admin/feed", R"({"paused":true})");
  const double lPrice = Symbols().Find(fWork.Symbol)->LastPrice() * 2;
  Admin("/admin/price", R"({"symbol":")" + fWork.Symbol.toStdString() + R"(","price":")" +
                            QString::number(lPrice, 'f', 8).toStdString() + R"("})");
  const int lDepthBefore = Notified(BASE_MAIN_DEPTH);
  QElapsedTimer lRecovery;
  lRecovery.start();
  const bool lCurrent = PumpUntil(
      [&] {
        const std::int64_t lSkew =
            DateToStamp(SysTime->Time()) - QDateTime::currentMSecsSinceEpoch();
        return Symbols().Find(fWork.Symbol)->LastPrice() == lPrice &&
               lChart->ChartPrice == lPrice && Notified(BASE_MAIN_DEPTH) > lDepthBefore &&
               std::llabs(lSkew) < 2000;
      },
      5000);
  EXPECT_TRUE(lCurrent) << "not current " << lRecovery.elapsed() << " ms after the faults";
  RecordProperty("recovery_ms", static_cast<int>(lRecovery.elapsed()));
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
}
