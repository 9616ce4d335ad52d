// Klines: shape, selection by open time, paging back to the start of history, consistency
// between intervals and with the live price.
#include "sim_fixture.h"

namespace vexa::sim::test {
namespace {

using TKlinesTest = TServerSuite<TDefaultArgs>;

constexpr int64_t cMinute = 60000;
constexpr int64_t cHour = 60 * cMinute;
constexpr int64_t cDay = 24 * cHour;

struct TCandle
{
  int64_t fOpenTime = 0;
  int64_t fOpen = 0;
  int64_t fHigh = 0;
  int64_t fLow = 0;
  int64_t fClose = 0;
  int64_t fVolume = 0;
  int64_t fCloseTime = 0;
  int64_t fQuoteVolume = 0;
  int64_t fTrades = 0;
};

std::vector<TCandle> Candles(TSimClient &aClient, const std::string &aQuery)
{
  const TReply lReply = aClient.Get("/api/v3/klines", aQuery);
  EXPECT_EQ(lReply.fStatus, 200) << aQuery << " " << lReply.fBody;
  std::vector<TCandle> lCandles;
  if (lReply.fStatus != 200) {
    return lCandles;
  }
  for (const auto &lItem : lReply.Json()) {
    TCandle lCandle;
    lCandle.fOpenTime = lItem[0].get<int64_t>();
    lCandle.fOpen = UnitsOf(lItem[1]);
    lCandle.fHigh = UnitsOf(lItem[2]);
    lCandle.fLow = UnitsOf(lItem[3]);
    lCandle.fClose = UnitsOf(lItem[4]);
    lCandle.fVolume = UnitsOf(lItem[5]);
    lCandle.fCloseTime = lItem[6].get<int64_t>();
    lCandle.fQuoteVolume = UnitsOf(lItem[7]);
    lCandle.fTrades = lItem[8].get<int64_t>();
    lCandles.push_back(lCandle);
  }
  return lCandles;
}

// The candle made of aParts, in time order.
TCandle Combine(const std::vector<TCandle> &aParts)
{
  TCandle lAll = aParts.front();
  for (size_t i = 1; i < aParts.size(); ++i) {
    lAll.fHigh = std::max(lAll.fHigh, aParts[i].fHigh);
    lAll.fLow = std::min(lAll.fLow, aParts[i].fLow);
    lAll.fClose = aParts[i].fClose;
    lAll.fVolume += aParts[i].fVolume;
    lAll.fQuoteVolume += aParts[i].fQuoteVolume;
    lAll.fTrades += aParts[i].fTrades;
  }
  return lAll;
}

void ExpectSame(const TCandle &aA, const TCandle &aB, const std::string &aWhat)
{
  EXPECT_EQ(aA.fOpen, aB.fOpen) << aWhat;
  EXPECT_EQ(aA.fHigh, aB.fHigh) << aWhat;
  EXPECT_EQ(aA.fLow, aB.fLow) << aWhat;
  EXPECT_EQ(aA.fClose, aB.fClose) << aWhat;
  EXPECT_EQ(aA.fVolume, aB.fVolume) << aWhat;
  EXPECT_EQ(aA.fQuoteVolume, aB.fQuoteVolume) << aWhat;
  EXPECT_EQ(aA.fTrades, aB.fTrades) << aWhat;
}

TEST_F(TKlinesTest, ElementsHaveTwelveFieldsOfTheExchangesTypes)
{
  const TReply lReply = Client().Get("/api/v3/klines", "symbol=BTCUSDT&interval=1h&limit=3");
  ASSERT_EQ(lReply.fStatus, 200);
  const auto lArray = lReply.Json();
  ASSERT_EQ(lArray.size(), 3u);
  for (const auto &lItem : lArray) {
    ASSERT_EQ(lItem.size(), 12u);
    for (int i : {0, 6, 8}) {
      EXPECT_TRUE(lItem[i].is_number_integer()) << i;
    }
    for (int i : {1, 2, 3, 4, 5, 7, 9, 10, 11}) {
      EXPECT_TRUE(lItem[i].is_string()) << i;
    }
    EXPECT_EQ(lItem[11], "0");
    EXPECT_EQ(lItem[6].get<int64_t>(), lItem[0].get<int64_t>() + cHour - 1);
    EXPECT_EQ(lItem[0].get<int64_t>() % cHour, 0);
    EXPECT_LE(UnitsOf(lItem[9]), UnitsOf(lItem[5]));
  }
  EXPECT_EQ(Candles(Client(), "symbol=BTCUSDT&interval=1m").size(), 500u);
  EXPECT_EQ(Candles(Client(), "symbol=BTCUSDT&interval=1m&limit=5000").size(), 1000u);
  EXPECT_EQ(Client().Get("/api/v3/klines", "symbol=BTCUSDT&interval=1x").fBody,
            R"({"code":-1120,"msg":"Invalid interval."})");
  EXPECT_EQ(Client().Get("/api/v3/klines", "symbol=BTCUSDT").Code(), -1102);
  EXPECT_EQ(Client().Get("/api/v3/klines", "symbol=BTCUSDT&interval=1m&limit=0").Code(), -1130);
}

TEST_F(TKlinesTest, StartAndEndTimeSelectByOpenTime)
{
  const int64_t lNow = Client().NowMs();
  const int64_t lHourStart = (lNow / cHour - 30) * cHour;
  // An unaligned startTime gives the first kline opening after it, not the one containing it.
  const auto lFromStart = Candles(Client(), "symbol=ETHBTC&interval=1h&limit=3&startTime=" +
                                                std::to_string(lHourStart + 1234));
  ASSERT_EQ(lFromStart.size(), 3u);
  EXPECT_EQ(lFromStart[0].fOpenTime, lHourStart + cHour);
  // endTime includes the kline opening exactly at it.
  const auto lToEnd =
      Candles(Client(), "symbol=ETHBTC&interval=1h&limit=3&endTime=" + std::to_string(lHourStart));
  ASSERT_EQ(lToEnd.size(), 3u);
  EXPECT_EQ(lToEnd[2].fOpenTime, lHourStart);
  const auto lBoth =
      Candles(Client(), "symbol=ETHBTC&interval=1h&startTime=" + std::to_string(lHourStart) +
                            "&endTime=" + std::to_string(lHourStart + 4 * cHour));
  ASSERT_EQ(lBoth.size(), 5u);
  EXPECT_EQ(lBoth.front().fOpenTime, lHourStart);
  const auto lSame =
      Candles(Client(), "symbol=ETHBTC&interval=1h&startTime=" + std::to_string(lHourStart) +
                            "&endTime=" + std::to_string(lHourStart));
  EXPECT_EQ(lSame.size(), 1u);
  // The terminal's first history page: endTime far in the future, no limit.
  const auto lFuture = Candles(Client(), "symbol=ETHBTC&interval=1m&endTime=9223372036854775807");
  ASSERT_EQ(lFuture.size(), 500u);
  EXPECT_EQ(lFuture.back().fOpenTime, Client().NowMs() / cMinute * cMinute);
  EXPECT_TRUE(
      Candles(Client(), "symbol=ETHBTC&interval=1m&startTime=" + std::to_string(lNow + cDay))
          .empty());
}

TEST_F(TKlinesTest, CoarseKlinesAreTheAggregateOfFineOnes)
{
  const int64_t lNow = Client().NowMs();
  const std::string lBase = "symbol=BNBBTC&interval=";
  // A day long past: 1d == 24 x 1h == 1440 x 1m.
  const int64_t lDay = (lNow / cDay - 40) * cDay;
  const auto lDaily = Candles(Client(), lBase + "1d&limit=1&startTime=" + std::to_string(lDay));
  const auto lHourly = Candles(Client(), lBase + "1h&limit=24&startTime=" + std::to_string(lDay));
  auto lMinutes = Candles(Client(), lBase + "1m&limit=1000&startTime=" + std::to_string(lDay));
  const auto lMore =
      Candles(Client(), lBase + "1m&limit=440&startTime=" + std::to_string(lDay + 1000 * cMinute));
  lMinutes.insert(lMinutes.end(), lMore.begin(), lMore.end());
  ASSERT_EQ(lDaily.size(), 1u);
  ASSERT_EQ(lHourly.size(), 24u);
  ASSERT_EQ(lMinutes.size(), 1440u);
  ExpectSame(lDaily[0], Combine(lHourly), "1d vs 1h");
  ExpectSame(lDaily[0], Combine(lMinutes), "1d vs 1m");
  for (size_t i = 1; i < lMinutes.size(); ++i) {
    ASSERT_EQ(lMinutes[i].fOpenTime, lMinutes[i - 1].fOpenTime + cMinute);
  }
  // 4h == 4 x 1h, 15m == 15 x 1m.
  const auto lFour =
      Candles(Client(), lBase + "4h&limit=1&startTime=" + std::to_string(lDay + 8 * cHour));
  ExpectSame(lFour.at(0), Combine({lHourly.begin() + 8, lHourly.begin() + 12}), "4h vs 1h");
  const auto lQuarter =
      Candles(Client(), lBase + "15m&limit=1&startTime=" + std::to_string(lDay + 30 * cMinute));
  ExpectSame(lQuarter.at(0), Combine({lMinutes.begin() + 30, lMinutes.begin() + 45}), "15m vs 1m");
  // A week and a month are their days.
  const auto lWeek = Candles(Client(), lBase + "1w&limit=1&endTime=" + std::to_string(lDay));
  const auto lWeekDays =
      Candles(Client(), lBase + "1d&limit=7&startTime=" + std::to_string(lWeek.at(0).fOpenTime));
  ASSERT_EQ(lWeekDays.size(), 7u);
  ExpectSame(lWeek.at(0), Combine(lWeekDays), "1w vs 1d");
  EXPECT_EQ(lWeek[0].fCloseTime, lWeek[0].fOpenTime + 7 * cDay - 1);
  const auto lMonth =
      Candles(Client(), lBase + "1M&limit=1&endTime=" + std::to_string(lDay - 40 * cDay));
  const auto lMonthDays =
      Candles(Client(), lBase + "1d&startTime=" + std::to_string(lMonth.at(0).fOpenTime) +
                            "&endTime=" + std::to_string(lMonth[0].fCloseTime));
  ASSERT_GE(lMonthDays.size(), 28u);
  ExpectSame(lMonth[0], Combine(lMonthDays), "1M vs 1d");
  EXPECT_EQ(lMonth[0].fCloseTime, lMonthDays.back().fCloseTime);
}

TEST_F(TKlinesTest, HistoryIsStableAcrossRequests)
{
  const std::string lQuery = "symbol=SOLUSDT&interval=1h&limit=1000&endTime=" +
                             std::to_string(Client().NowMs() - 3 * cDay);
  const TReply lFirst = Client().Get("/api/v3/klines", lQuery);
  const TReply lSecond = Client().Get("/api/v3/klines", lQuery);
  ASSERT_EQ(lFirst.fStatus, 200);
  EXPECT_EQ(lFirst.fBody, lSecond.fBody);
}

TEST_F(TKlinesTest, CurrentKlinesFollowTheLivePrice)
{
  Server().admin("/admin/feed", R"({"paused":true})");
  AvoidMinuteEnd(Client().NowMs());
  const std::string lLast = Client().Get("/api/v3/ticker/price", "symbol=XRPUSDT").Json()["price"];
  // A new high above every interval's high so far.
  int64_t lHigh = 0;
  for (const char *lInterval : {"1M", "1w"}) {
    const auto lCurrent =
        Candles(Client(), std::string("symbol=XRPUSDT&interval=") + lInterval + "&limit=1");
    lHigh = std::max(lHigh, lCurrent.at(0).fHigh);
  }
  const int64_t lTarget = (lHigh + 1000 * cUnit / 100000) / 1000 * 1000;
  Server().admin("/admin/price", R"({"symbol":"XRPUSDT","price":")" + FormatUnits(lTarget) + "\"}");
  for (const char *lInterval : {"1m", "5m", "1h", "1d", "1w", "1M"}) {
    const auto lCandles =
        Candles(Client(), std::string("symbol=XRPUSDT&interval=") + lInterval + "&limit=2");
    ASSERT_EQ(lCandles.size(), 2u) << lInterval;
    EXPECT_EQ(lCandles[1].fClose, lTarget) << lInterval;
    EXPECT_EQ(lCandles[1].fHigh, lTarget) << lInterval;
    EXPECT_LE(lCandles[1].fOpenTime, Client().NowMs());
    EXPECT_GT(lCandles[1].fCloseTime, Client().NowMs());
  }
  // Down again: the close follows, the high stays.
  Server().admin("/admin/price", R"({"symbol":"XRPUSDT","price":")" + lLast + "\"}");
  const auto lDay = Candles(Client(), "symbol=XRPUSDT&interval=1d&limit=1");
  EXPECT_EQ(lDay.at(0).fClose, UnitsOf(nlohmann::json(lLast)));
  EXPECT_EQ(lDay.at(0).fHigh, lTarget);
  Server().admin("/admin/feed", R"({"paused":false})");
}

TEST_F(TKlinesTest, PagingBackwardsReachesTheStartOfHistory)
{
  // The terminal's loader: endTime = earliest open time held, until nothing older comes.
  for (const char *lInterval : {"1d", "1w", "1M"}) {
    int64_t lEnd = INT64_MAX;
    std::vector<TCandle> lAll;
    int lPages = 0;
    while (lPages < 50) {
      const auto lPage = Candles(Client(), std::string("symbol=LTCBTC&interval=") + lInterval +
                                               "&limit=1000&endTime=" + std::to_string(lEnd));
      ++lPages;
      if (lPage.empty()) {
        break;
      }
      EXPECT_LE(lPage.back().fOpenTime, lEnd);
      lAll.insert(lAll.begin(), lPage.begin(), lPage.end());
      lEnd = lPage.front().fOpenTime - 1;
    }
    ASSERT_LT(lPages, 50) << lInterval;
    for (size_t i = 1; i < lAll.size(); ++i) {
      ASSERT_EQ(lAll[i].fOpenTime, lAll[i - 1].fCloseTime + 1) << lInterval;
    }
    EXPECT_LE(lAll.front().fOpenTime, Client().NowMs() - 730 * cDay) << lInterval;
  }
  // Two years back at 1m, with the same answer for the same page.
  const std::string lOld =
      "symbol=LTCBTC&interval=1m&limit=3&endTime=" + std::to_string(Client().NowMs() - 731 * cDay);
  const auto lPage = Candles(Client(), lOld);
  ASSERT_EQ(lPage.size(), 3u);
  EXPECT_EQ(lPage[1].fOpen, lPage[0].fClose);
}

} // namespace
} // namespace vexa::sim::test
