// Public market data: shapes and types as the exchange sends them, selection, errors, weights.
#include "sim_fixture.h"

#include <set>

namespace vexa::sim::test {
namespace {

using TMarketTest = TServerSuite<TDefaultArgs>;

TEST_F(TMarketTest, PingAndTimeAtV3AndV1)
{
  for (const std::string lVersion : {"/api/v3", "/api/v1"}) {
    const TReply lPing = Client().Get(lVersion + "/ping");
    EXPECT_EQ(lPing.fStatus, 200);
    EXPECT_EQ(lPing.fBody, "{}");
    const TReply lTime = Client().Get(lVersion + "/time");
    ASSERT_EQ(lTime.fStatus, 200);
    ASSERT_TRUE(lTime.Json()["serverTime"].is_number_integer());
    EXPECT_NEAR(static_cast<double>(lTime.Json()["serverTime"].get<int64_t>()),
                static_cast<double>(Client().NowMs()), 2000.0);
  }
  // Account and order resources never existed at v1 in this form.
  EXPECT_EQ(Client().SignedGet("/api/v1/account").fStatus, 404);
}

TEST_F(TMarketTest, TickerPriceForOneSymbolAndForAll)
{
  const TReply lOne = Client().Get("/api/v3/ticker/price", "symbol=BTCUSDT");
  ASSERT_EQ(lOne.fStatus, 200);
  EXPECT_EQ(lOne.Json()["symbol"], "BTCUSDT");
  EXPECT_GT(UnitsOf(lOne.Json()["price"]), 0);
  EXPECT_EQ(lOne.UsedWeight() >= 2, true);

  const TReply lAll = Client().Get("/api/v3/ticker/price");
  ASSERT_EQ(lAll.fStatus, 200);
  const auto lArray = lAll.Json();
  ASSERT_TRUE(lArray.is_array());
  EXPECT_EQ(lArray.size(), 400u);
  std::set<std::string> lNames;
  for (const auto &lItem : lArray) {
    ASSERT_EQ(lItem.size(), 2u);
    lNames.insert(lItem["symbol"].get<std::string>());
    EXPECT_GT(UnitsOf(lItem["price"]), 0);
  }
  EXPECT_EQ(lNames.size(), 400u);

  const TReply lList =
      Client().Get("/api/v3/ticker/price", "symbols=%5B%22ETHBTC%22,%22BTCUSDT%22%5D");
  ASSERT_EQ(lList.fStatus, 200);
  ASSERT_EQ(lList.Json().size(), 2u);
  EXPECT_EQ(lList.Json()[0]["symbol"], "ETHBTC");
}

TEST_F(TMarketTest, SymbolErrorsInTheExchangesWords)
{
  const TReply lUnknown = Client().Get("/api/v3/ticker/price", "symbol=NOPEUSDT");
  EXPECT_EQ(lUnknown.fStatus, 400);
  EXPECT_EQ(lUnknown.fBody, R"({"code":-1121,"msg":"Invalid symbol."})");
  EXPECT_EQ(lUnknown.fHeaders.at("content-type"), "application/json;charset=UTF-8");
  const TReply lLower = Client().Get("/api/v3/ticker/price", "symbol=btcusdt");
  EXPECT_EQ(lLower.fStatus, 400);
  EXPECT_EQ(lLower.Code(), -1100);
  EXPECT_EQ(lLower.Message(), "Illegal characters found in parameter 'symbol'; legal range is "
                              "'^[A-Z0-9-_.]{1,20}$'.");
  const TReply lDepth = Client().Get("/api/v3/depth");
  EXPECT_EQ(lDepth.Code(), -1102);
  EXPECT_EQ(lDepth.Message(),
            "Mandatory parameter 'symbol' was not sent, was empty/null, or malformed.");
  const TReply lExtra = Client().Get("/api/v3/ping", "foo=1");
  EXPECT_EQ(lExtra.Code(), -1104);
  EXPECT_EQ(lExtra.Message(),
            "Not all sent parameters were read; read '0' parameter(s) but was sent '1'.");
  EXPECT_GE(lExtra.UsedWeight(), 1);
  EXPECT_EQ(Client().Get("/api/v3/nothing").fStatus, 404);
}

TEST_F(TMarketTest, Ticker24hrHasAllFullFieldsWithTheirTypes)
{
  Server().admin("/admin/feed", R"({"paused":true})");
  const TReply lReply = Client().Get("/api/v3/ticker/24hr", "symbol=ETHBTC");
  ASSERT_EQ(lReply.fStatus, 200);
  const auto lJson = lReply.Json();
  const std::vector<std::string> lStrings = {
      "priceChange", "priceChangePercent", "weightedAvgPrice", "prevClosePrice", "lastPrice",
      "lastQty",     "bidPrice",           "bidQty",           "askPrice",       "askQty",
      "openPrice",   "highPrice",          "lowPrice",         "volume",         "quoteVolume"};
  ASSERT_EQ(lJson.size(), 21u);
  for (const std::string &lKey : lStrings) {
    ASSERT_TRUE(lJson[lKey].is_string()) << lKey;
  }
  for (const char *lKey : {"openTime", "closeTime", "firstId", "lastId", "count"}) {
    ASSERT_TRUE(lJson[lKey].is_number_integer()) << lKey;
  }
  EXPECT_EQ(lJson["closeTime"].get<int64_t>() - lJson["openTime"].get<int64_t>(), 86400000);
  const std::string lPercent = lJson["priceChangePercent"];
  EXPECT_EQ(lPercent.size() - lPercent.find('.'), 4u) << lPercent;
  const int64_t lLast = UnitsOf(lJson["lastPrice"]);
  EXPECT_EQ(UnitsOf(lJson["priceChange"]), lLast - UnitsOf(lJson["openPrice"]));
  EXPECT_LE(UnitsOf(lJson["lowPrice"]), lLast);
  EXPECT_GE(UnitsOf(lJson["highPrice"]), lLast);
  EXPECT_LT(UnitsOf(lJson["bidPrice"]), UnitsOf(lJson["askPrice"]));
  EXPECT_EQ(lJson["lastId"].get<int64_t>() - lJson["firstId"].get<int64_t>() + 1,
            lJson["count"].get<int64_t>());
  const TReply lPrice = Client().Get("/api/v3/ticker/price", "symbol=ETHBTC");
  EXPECT_EQ(UnitsOf(lPrice.Json()["price"]), lLast);

  const TReply lAll = Client().Get("/api/v1/ticker/24hr");
  ASSERT_EQ(lAll.fStatus, 200);
  EXPECT_EQ(lAll.Json().size(), 400u);
  const TReply lMini = Client().Get("/api/v3/ticker/24hr", "symbol=ETHBTC&type=MINI");
  EXPECT_EQ(lMini.Json().size(), 12u);
  EXPECT_EQ(Client().Get("/api/v3/ticker/24hr", "type=SMALL").Code(), -1139);
  Server().admin("/admin/feed", R"({"paused":false})");
}

TEST_F(TMarketTest, DayStatisticsAgreeWithTheKlines)
{
  Server().admin("/admin/feed", R"({"paused":true})");
  AvoidMinuteEnd(Client().NowMs());
  const auto lTicker = Client().Get("/api/v3/ticker/24hr", "symbol=BNBUSDT").Json();
  // The 24-hour window ends with the current minute: 1440 minutes of klines.
  const auto lKlines1 =
      Client().Get("/api/v3/klines", "symbol=BNBUSDT&interval=1m&limit=1000").Json();
  const auto lKlines2 =
      Client()
          .Get("/api/v3/klines", "symbol=BNBUSDT&interval=1m&limit=440&endTime=" +
                                     std::to_string(lKlines1[0][0].get<int64_t>() - 1))
          .Json();
  int64_t lHigh = 0;
  int64_t lVolume = 0;
  for (const auto *lPage : {&lKlines2, &lKlines1}) {
    for (const auto &lKline : *lPage) {
      lHigh = std::max(lHigh, UnitsOf(lKline[2]));
      lVolume += UnitsOf(lKline[5]);
    }
  }
  EXPECT_EQ(UnitsOf(lTicker["openPrice"]), UnitsOf(lKlines2[0][1]));
  EXPECT_EQ(UnitsOf(lTicker["highPrice"]), lHigh);
  EXPECT_EQ(UnitsOf(lTicker["volume"]), lVolume);
  Server().admin("/admin/feed", R"({"paused":false})");
}

TEST_F(TMarketTest, BookTickerAndDepthAroundTheLastPrice)
{
  const TReply lTop = Client().Get("/api/v3/ticker/bookTicker", "symbol=BTCUSDT");
  ASSERT_EQ(lTop.fStatus, 200);
  EXPECT_EQ(lTop.Json().size(), 5u);
  EXPECT_LT(UnitsOf(lTop.Json()["bidPrice"]), UnitsOf(lTop.Json()["askPrice"]));
  EXPECT_EQ(Client().Get("/api/v3/ticker/bookTicker").Json().size(), 400u);

  const TReply lFive = Client().Get("/api/v1/depth", "symbol=BTCUSDT&limit=5");
  ASSERT_EQ(lFive.fStatus, 200);
  const auto lBook = lFive.Json();
  EXPECT_TRUE(lBook["lastUpdateId"].is_number_integer());
  ASSERT_EQ(lBook["bids"].size(), 5u);
  ASSERT_EQ(lBook["asks"].size(), 5u);
  for (size_t i = 1; i < 5; ++i) {
    EXPECT_GT(UnitsOf(lBook["bids"][i - 1][0]), UnitsOf(lBook["bids"][i][0]));
    EXPECT_LT(UnitsOf(lBook["asks"][i - 1][0]), UnitsOf(lBook["asks"][i][0]));
    EXPECT_GT(UnitsOf(lBook["asks"][i][1]), 0);
  }
  EXPECT_LT(UnitsOf(lBook["bids"][0][0]), UnitsOf(lBook["asks"][0][0]));
  EXPECT_EQ(Client().Get("/api/v3/depth", "symbol=BTCUSDT").Json()["bids"].size(), 100u);
  EXPECT_EQ(Client().Get("/api/v3/depth", "symbol=BTCUSDT&limit=3").Json()["asks"].size(), 3u);
  EXPECT_EQ(Client().Get("/api/v3/depth", "symbol=BTCUSDT&limit=9000").Json()["asks"].size(),
            5000u);
  EXPECT_EQ(Client().Get("/api/v3/depth", "symbol=BTCUSDT&limit=0").Code(), -1130);
}

TEST_F(TMarketTest, WeightsFollowTheExchangesTable)
{
  struct TCase
  {
    std::string fPath;
    std::string fQuery;
    int64_t fWeight;
  };
  const std::vector<TCase> lCases = {
      {"/api/v3/ping", "", 1},
      {"/api/v3/ticker/price", "symbol=BTCUSDT", 2},
      {"/api/v3/ticker/price", "", 4},
      {"/api/v3/ticker/24hr", "symbol=BTCUSDT", 2},
      {"/api/v3/ticker/24hr", "", 80},
      {"/api/v3/depth", "symbol=BTCUSDT&limit=100", 5},
      {"/api/v3/depth", "symbol=BTCUSDT&limit=101", 25},
      {"/api/v3/depth", "symbol=BTCUSDT&limit=1000", 50},
      {"/api/v3/depth", "symbol=BTCUSDT&limit=5000", 250},
      {"/api/v3/klines", "symbol=BTCUSDT&interval=1d", 2},
      {"/api/v3/exchangeInfo", "symbol=BTCUSDT", 20},
  };
  AvoidMinuteEdge(Client().NowMs());
  for (const TCase &lCase : lCases) {
    const int64_t lBefore = Client().Get("/api/v3/time").UsedWeight();
    const TReply lReply = Client().Get(lCase.fPath, lCase.fQuery);
    EXPECT_EQ(lReply.UsedWeight() - lBefore, lCase.fWeight) << lCase.fPath << "?" << lCase.fQuery;
    EXPECT_EQ(lReply.fHeaders.at("x-mbx-used-weight"), lReply.fHeaders.at("x-mbx-used-weight-1m"));
  }
}

TEST_F(TMarketTest, ExchangeInfoFiltersFitThePrices)
{
  const TReply lReply = Client().Get("/api/v3/exchangeInfo");
  ASSERT_EQ(lReply.fStatus, 200);
  const auto lInfo = lReply.Json();
  EXPECT_EQ(lInfo["timezone"], "UTC");
  EXPECT_EQ(lInfo["rateLimits"][0]["limit"], 6000);
  EXPECT_EQ(lInfo["rateLimits"].back(),
            nlohmann::json::parse(R"({"rateLimitType":"RAW_REQUESTS","interval":"MINUTE",)"
                                  R"("intervalNum":5,"limit":300000})"));
  ASSERT_EQ(lInfo["symbols"].size(), 400u);
  std::map<std::string, int64_t> lPrices;
  for (const auto &lItem : Client().Get("/api/v3/ticker/price").Json()) {
    lPrices[lItem["symbol"]] = UnitsOf(lItem["price"]);
  }
  bool lAbove10000 = false;
  bool lBelowSmall = false;
  std::set<std::string> lQuotes;
  for (const auto &lSymbol : lInfo["symbols"]) {
    const std::string lName = lSymbol["symbol"];
    lQuotes.insert(lSymbol["quoteAsset"].get<std::string>());
    std::map<std::string, nlohmann::json> lFilters;
    for (const auto &lFilter : lSymbol["filters"]) {
      lFilters[lFilter["filterType"]] = lFilter;
    }
    ASSERT_TRUE(lFilters.count("PRICE_FILTER") && lFilters.count("LOT_SIZE") &&
                lFilters.count("NOTIONAL"))
        << lName;
    const int64_t lTick = UnitsOf(lFilters["PRICE_FILTER"]["tickSize"]);
    const int64_t lStep = UnitsOf(lFilters["LOT_SIZE"]["stepSize"]);
    ASSERT_GT(lTick, 0);
    ASSERT_GT(lStep, 0);
    EXPECT_EQ(lPrices[lName] % lTick, 0) << lName;
    EXPECT_EQ(UnitsOf(lFilters["LOT_SIZE"]["minQty"]) % lStep, 0) << lName;
    EXPECT_TRUE(lFilters["NOTIONAL"]["applyMinToMarket"].is_boolean());
    lAbove10000 |= lPrices[lName] > 10000 * cUnit;
    lBelowSmall |= lPrices[lName] < cUnit / 100000;
  }
  EXPECT_TRUE(lAbove10000);
  EXPECT_TRUE(lBelowSmall);
  EXPECT_EQ(lQuotes, (std::set<std::string>{"BNB", "BTC", "ETH", "USDT"}));
  EXPECT_EQ(Client().Get("/api/v1/exchangeInfo", "symbol=ETHBTC").Json()["symbols"].size(), 1u);
}

TEST_F(TMarketTest, PricesWalkInRealTime)
{
  const int64_t lBefore =
      UnitsOf(Client().Get("/api/v3/ticker/price", "symbol=BTCUSDT").Json()["price"]);
  int lChanges = 0;
  int64_t lLast = lBefore;
  for (int i = 0; i < 30; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int64_t lNow =
        UnitsOf(Client().Get("/api/v3/ticker/price", "symbol=BTCUSDT").Json()["price"]);
    lChanges += lNow != lLast ? 1 : 0;
    lLast = lNow;
  }
  // A busy symbol moves several times a second.
  EXPECT_GE(lChanges, 4);
}

} // namespace
} // namespace vexa::sim::test
