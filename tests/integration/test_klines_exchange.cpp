// A chart's klines from a real vexa-exchange over HTTPS: the history load and the minute
// update, through the chart interface.

#include "test_market_exchange_env.h"

#include "klines_threads.h"

#include <set>

using namespace market_test;

namespace {

class KlinesExchange : public TMarketExchangeTest
{
protected:
  // Loads the history of aChart and waits for the end-of-load steps.
  bool LoadHistory(const std::shared_ptr<TTestChart> &aChart, const QString &aSymbol)
  {
    StartKlinesHistory(aChart, aSymbol);
    return PumpUntil([&] { return aChart->FullRefreshes >= 3; }, 60000) &&
           PumpUntil([&] { return aChart->ThreadList().ThreadListCount() == 0; });
  }
  QString SymbolName()
  {
    if (Symbols().Count() == 0)
      Load24hr();
    return Symbols().Count() > 0 ? Symbols().GetItem(0)->Name() : QString();
  }
};

std::set<std::int64_t> OpenTimes(const TKlineList &aList)
{
  std::set<std::int64_t> lTimes;
  for (int i = 0; i < aList.Count(); ++i)
    lTimes.insert(aList.GetItem(i)->OpenTime());
  return lTimes;
}

} // namespace

TEST_F(KlinesExchange, NewChartPagesBackToAtLeast3000KlinesWithoutDuplicates)
{
  auto lChart = std::make_shared<TTestChart>(m1);
  ASSERT_TRUE(LoadHistory(lChart, SymbolName()));
  const TKlineList &lKlines = lChart->Klines;
  EXPECT_GE(lKlines.Count(), 3000);
  EXPECT_LT(lKlines.Count(), 3500); // stopped after the page that passed 3000
  EXPECT_EQ(OpenTimes(lKlines).size(), static_cast<size_t>(lKlines.Count()));
  // Each page notified with Data 0; the newest page comes first, ascending within itself.
  EXPECT_GE(lChart->Count(BASE_MAIN_KLINES), 6);
  for (const auto &lNote : lChart->Notifications)
    EXPECT_EQ(lNote.second, 0);
  EXPECT_LT(lKlines.GetItem(0)->OpenTime(), lKlines.GetItem(1)->OpenTime());
  EXPECT_GT(lKlines.GetItem(0)->OpenTime(), lKlines.GetItem(lKlines.Count() - 1)->OpenTime());
  for (int i = 0; i < lKlines.Count(); ++i) {
    const TKline *lKline = lKlines.GetItem(i);
    ASSERT_EQ(lKline->CloseTime, lKline->OpenTime() + 59999);
    ASSERT_GE(lKline->High, lKline->Low);
  }
  EXPECT_FALSE(lKlines.IsLoading());
  EXPECT_FALSE(lChart->IsLoading);
  EXPECT_TRUE(PumpUntil([&] { return Notified(MAIN_FORM_CHART_REFRESH) == 1; }));
}

TEST_F(KlinesExchange, ShortHistoryStopsAfterTwoPages)
{
  auto lChart = std::make_shared<TTestChart>(Month1);
  ASSERT_TRUE(LoadHistory(lChart, SymbolName()));
  EXPECT_GT(lChart->Klines.Count(), 12);
  EXPECT_LT(lChart->Klines.Count(), 500);
  EXPECT_EQ(lChart->Count(BASE_MAIN_KLINES), 2);
}

TEST_F(KlinesExchange, MinuteUpdateOverwritesTheCurrentKlineAndAppendsTheNext)
{
  auto lChart = std::make_shared<TTestChart>(m1);
  const QString lSymbol = SymbolName();
  ASSERT_TRUE(LoadHistory(lChart, lSymbol));
  TKlineList &lKlines = lChart->Klines;
  const int lCount = lKlines.Count();
  std::int64_t lNewest = 0;
  for (int i = 0; i < lCount; ++i) {
    lKlines.GetItem(i)->SetIsInChart(true); // as the chart leaves them once drawn
    lNewest = std::max(lNewest, lKlines.GetItem(i)->OpenTime());
  }

  // The exchange's clock moves into the next minute.
  Admin("/admin/faults", R"({"clockOffsetMs":60000})");
  const std::size_t lNotes = lChart->Notifications.size();
  StartKlinesUpdate(lChart, lSymbol, 2);
  ASSERT_TRUE(PumpUntil([&] { return lChart->Notifications.size() > lNotes; }, 10000));
  ASSERT_EQ(lKlines.Count(), lCount + 1);
  const TKline *lAppended = lKlines.GetItem(lCount);
  EXPECT_GE(lAppended->OpenTime(), lNewest + 60000);
  EXPECT_FALSE(lAppended->IsInChart());
  EXPECT_FALSE(lKlines.Find(lAppended->OpenTime() - 60000)->IsInChart()); // overwritten
  int lRedraw = 0;
  for (int i = 0; i < lKlines.Count(); ++i)
    lRedraw += lKlines.GetItem(i)->IsInChart() ? 0 : 1;
  EXPECT_EQ(lRedraw, 2);
  EXPECT_EQ(lChart->Notifications.back(), std::make_pair(BASE_MAIN_KLINES, std::intptr_t{0}));
  EXPECT_EQ(OpenTimes(lKlines).size(), static_cast<size_t>(lKlines.Count()));
}

TEST_F(KlinesExchange, ChartPriceFollowsTheExchange)
{
  auto lChart = std::make_shared<TTestChart>(m1);
  const QString lSymbol = SymbolName();
  Admin("/admin/feed", R"({"paused":true})");
  ASSERT_TRUE(LoadPrices());
  StartChartTickerPrice(lChart, lSymbol);
  ASSERT_TRUE(PumpUntil([&] { return lChart->Count(BASE_MAIN_TICKERPRICE) == 1; }, 10000));
  EXPECT_DOUBLE_EQ(lChart->ChartPrice, Symbols().Find(lSymbol)->LastPrice());
}

TEST_F(KlinesExchange, ClosingChartStopsItsHistoryLoad)
{
  auto lChart = std::make_shared<TTestChart>(m1);
  StartKlinesHistory(lChart, SymbolName());
  ASSERT_TRUE(PumpUntil([&] { return lChart->Klines.Count() > 0; }, 10000));
  lChart->Close();
  lChart->ThreadList().WaitForThreads();
  EXPECT_TRUE(PumpUntil([&] { return lChart->ThreadList().ThreadListCount() == 0; }, 20000));
  EXPECT_LT(lChart->Klines.Count(), 3000);
  EXPECT_EQ(lChart->FullRefreshes, 0); // no end-of-load steps on a closing chart
}
