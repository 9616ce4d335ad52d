// Charts fed by a real vexa-exchange over HTTPS: the history load, the price, the minute
// update, an interval change, and a chart closed while it loads.

#include "../../integration/test_market_exchange_env.h"
#include "../chart_test_env.h"

#include "chart_item_link.h"
#include "sys_time.h"

#include <set>

using namespace market_test;

namespace {

class ChartExchange : public TMarketExchangeTest
{
protected:
  void SetUp() override
  {
    TMarketExchangeTest::SetUp();
    fHost.resize(1000, 600);
    fHost.show();
    fList = std::make_unique<TChartList>();
    fList->SetWinControl(&fHost);
    fList->SetFileName(fDir.filePath(QStringLiteral("charts.json")));
    ASSERT_TRUE(Load24hr());
  }
  void TearDown() override
  {
    fList.reset();
    TMarketExchangeTest::TearDown();
  }
  QString Symbol(int aIndex = 0) { return Symbols().GetItem(aIndex)->Name(); }
  // Waits for the end of the chart's history load and its completion steps.
  bool Loaded(TChartItem *aItem)
  {
    return PumpUntil([&] { return !aItem->IsLoading() && !aItem->KlineList().IsLoading(); }, 60000);
  }

  QWidget fHost;
  std::unique_ptr<TChartList> fList;
};

void ExpectCandlesMatchKlines(TChartItem &aItem)
{
  const TCandleSeries &lCandles = *aItem.SerCandles();
  ASSERT_EQ(lCandles.Count(), aItem.KlineList().Count());
  for (int i = 1; i < lCandles.Count(); ++i)
    ASSERT_LT(lCandles.XValue(i - 1), lCandles.XValue(i)) << i;
  for (int i = 0; i < lCandles.Count(); i += 97) {
    const TKline *lKline = aItem.CandleKline(i);
    ASSERT_NE(lKline, nullptr);
    EXPECT_DOUBLE_EQ(lCandles.XValue(i), lKline->GetOpenTime());
    EXPECT_DOUBLE_EQ(lCandles.OpenValue(i), lKline->Open);
  }
}

} // namespace

TEST_F(ChartExchange, NewChartLoadsFollowsThePriceAndAppendsTheNextMinute)
{
  TChartItem *lItem = fList->AddNewChart(Symbol());
  ASSERT_TRUE(Loaded(lItem));
  EXPECT_GE(lItem->KlineList().Count(), 3000);
  ExpectCandlesMatchKlines(*lItem);
  EXPECT_TRUE(lItem->Chart()->isEnabled());
  EXPECT_TRUE(PumpUntil([&] { return Notified(MAIN_FORM_CHART_REFRESH) == 1; }));
  // The right edge is at the newest candle (exchange time), the newest candles are in view.
  const TChartAxis &lTime = lItem->Chart()->BottomAxis();
  const int lLast = lItem->SerCandles()->Count() - 1;
  EXPECT_LE(lItem->SerCandles()->XValue(lLast), lTime.Maximum());
  EXPECT_GE(lItem->SerCandles()->LastVisibleIndex(), lLast - 1);

  Admin("/admin/feed", R"({"paused":true})");
  fList->TickerPrice();
  ASSERT_TRUE(PumpUntil([&] { return lItem->ThreadList().ThreadListCount() == 0; }));
  ASSERT_TRUE(LoadPrices());
  const double lPrice = Symbols().Find(Symbol())->LastPrice();
  EXPECT_DOUBLE_EQ(lItem->ChartPrice(), lPrice);
  EXPECT_DOUBLE_EQ(lItem->SerCandles()->CloseValue(lLast), lPrice);
  EXPECT_DOUBLE_EQ(lItem->SerPrice()->YValue(0), lPrice);

  // The exchange's clock moves five minutes on: the minute update brings the next candle.
  const int lCandles = lItem->SerCandles()->Count();
  Admin("/admin/faults", R"({"clockOffsetMs":300000})");
  fList->KlinesUpdate();
  ASSERT_TRUE(PumpUntil([&] { return lItem->SerCandles()->Count() == lCandles + 1; }, 10000));
  ExpectCandlesMatchKlines(*lItem);
}

TEST_F(ChartExchange, IntervalChangeClearsShowsTheBannerThenReloads)
{
  TChartItem *lItem = fList->AddNewChart(Symbol(1));
  ASSERT_TRUE(Loaded(lItem));
  fList->RefreshKlinesByInterval(h1);
  EXPECT_EQ(lItem->Interval(), h1);
  EXPECT_TRUE(lItem->IsLoading());
  EXPECT_FALSE(lItem->Chart()->isEnabled());
  EXPECT_LT(lItem->SerCandles()->Count(), 1000); // cleared; at most a page back meanwhile
  ASSERT_TRUE(Loaded(lItem));
  EXPECT_TRUE(lItem->Chart()->isEnabled());
  EXPECT_GE(lItem->KlineList().Count(), 3000);
  ExpectCandlesMatchKlines(*lItem);
  EXPECT_NEAR(lItem->CalcCandleDistanceDate(), 1.0 / 24, 1e-9);
}

TEST_F(ChartExchange, ChartClosedWhileLoadingSkipsTheCompletion)
{
  TChartItem *lItem = fList->AddNewChart(Symbol(2));
  const std::shared_ptr<TChartItemLink> lLink = lItem->Link();
  ASSERT_TRUE(PumpUntil([&] { return lItem->KlineList().Count() > 0; }, 20000));
  ASSERT_TRUE(lItem->KlineList().IsLoading());
  lItem->DestroyWindow();
  EXPECT_EQ(fList->Count(), 0);
  EXPECT_TRUE(PumpUntil([&] { return lLink->ThreadList().ThreadListCount() == 0; }, 20000));
  PumpFor(200);
  EXPECT_EQ(Notified(MAIN_FORM_CHART_REFRESH), 0);
}
