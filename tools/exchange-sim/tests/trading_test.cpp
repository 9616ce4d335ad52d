// Orders on scripted prices: balances through buys and sells, limit and stop-limit fills,
// cancels, filters and rejections, the open-order limits, the account's trade list.
#include "sim_fixture.h"

#include <set>

namespace vexa::sim::test {
namespace {

class TTradingTest : public TServerSuite<TDefaultArgs>
{
protected:
  void SetUp() override
  {
    TServerSuite::SetUp();
    Server().admin("/admin/feed", R"({"paused":true})");
  }
  void TearDown() override { Server().admin("/admin/feed", R"({"paused":false})"); }

  void SetPrice(const std::string &aSymbol, const std::string &aPrice)
  {
    Server().admin("/admin/price", R"({"symbol":")" + aSymbol + R"(","price":")" + aPrice + "\"}");
  }
  void SetFree(const std::string &aAsset, const std::string &aFree)
  {
    Server().admin("/admin/balance", R"({"asset":")" + aAsset + R"(","free":")" + aFree + "\"}");
  }
  // {free, locked} in units.
  std::pair<int64_t, int64_t> Balance(const std::string &aAsset)
  {
    const TReply lReply = Client().SignedGet("/api/v3/account");
    EXPECT_EQ(lReply.fStatus, 200) << lReply.fBody;
    const nlohmann::json lAccount = lReply.Json();
    for (const auto &lBalance : lAccount["balances"]) {
      if (lBalance["asset"] == aAsset) {
        return {UnitsOf(lBalance["free"]), UnitsOf(lBalance["locked"])};
      }
    }
    ADD_FAILURE() << "no balance " << aAsset;
    return {0, 0};
  }
  nlohmann::json Order(const std::string &aParams)
  {
    const TReply lReply = Client().SignedPost("/api/v3/order", aParams);
    EXPECT_EQ(lReply.fStatus, 200) << aParams << " -> " << lReply.fBody;
    return lReply.fStatus == 200 ? lReply.Json() : nlohmann::json::object();
  }
  nlohmann::json Query(const std::string &aSymbol, int64_t aOrderId)
  {
    return Client()
        .SignedGet("/api/v3/order", "symbol=" + aSymbol + "&orderId=" + std::to_string(aOrderId))
        .Json();
  }
};

TEST_F(TTradingTest, MarketBuyAndSellMoveBalances)
{
  SetPrice("BTCUSDT", "50000");
  SetFree("USDT", "10000");
  SetFree("BTC", "0");
  const auto lBuy =
      Order("symbol=BTCUSDT&side=BUY&type=MARKET&quantity=0.01&newOrderRespType=RESULT");
  EXPECT_EQ(lBuy["status"], "FILLED");
  EXPECT_EQ(lBuy["executedQty"], "0.01000000");
  EXPECT_EQ(lBuy["cummulativeQuoteQty"], "500.00000000");
  EXPECT_EQ(lBuy["price"], "0.00000000");
  EXPECT_TRUE(lBuy["orderId"].is_number_integer());
  EXPECT_TRUE(lBuy["transactTime"].is_number_integer());
  EXPECT_EQ(Balance("USDT"), std::make_pair(U("9500"), int64_t{0}));
  // 0.1 % commission is taken from what was bought.
  EXPECT_EQ(Balance("BTC"), std::make_pair(U("0.00999"), int64_t{0}));

  SetPrice("BTCUSDT", "52000");
  const auto lSell = Order("symbol=BTCUSDT&side=SELL&type=MARKET&quantity=0.005");
  ASSERT_EQ(lSell["fills"].size(), 1u);
  EXPECT_EQ(lSell["fills"][0]["price"], "52000.00000000");
  EXPECT_EQ(lSell["fills"][0]["commission"], "0.26000000");
  EXPECT_EQ(lSell["fills"][0]["commissionAsset"], "USDT");
  EXPECT_EQ(Balance("USDT").first, U("9500") + U("259.74"));
  EXPECT_EQ(Balance("BTC").first, U("0.00499"));

  const auto lQuote = Order("symbol=BTCUSDT&side=BUY&type=MARKET&quoteOrderQty=100");
  EXPECT_EQ(lQuote["status"], "FILLED");
  EXPECT_EQ(lQuote["executedQty"], "0.00192000");
  EXPECT_EQ(lQuote["origQuoteOrderQty"], "100.00000000");
}

TEST_F(TTradingTest, LimitBuyRestsLockedAndFillsWhenThePriceComesDown)
{
  SetPrice("ETHUSDT", "3000");
  SetFree("USDT", "1000");
  SetFree("ETH", "0");
  const auto lPlaced =
      Order("symbol=ETHUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.1&price=2990");
  EXPECT_EQ(lPlaced["status"], "NEW");
  EXPECT_TRUE(lPlaced["fills"].empty());
  const int64_t lId = lPlaced["orderId"];
  EXPECT_EQ(Balance("USDT"), std::make_pair(U("701"), U("299")));
  const auto lOpen = Client().SignedGet("/api/v3/openOrders", "symbol=ETHUSDT").Json();
  ASSERT_EQ(lOpen.size(), 1u);
  EXPECT_EQ(lOpen[0]["orderId"], lId);
  EXPECT_EQ(lOpen[0]["isWorking"], true);
  EXPECT_EQ(lOpen[0].size(), 20u);
  // The resting order shows in the book.
  const auto lBook = Client().Get("/api/v3/depth", "symbol=ETHUSDT&limit=5000").Json();
  bool lShown = false;
  for (const auto &lLevel : lBook["bids"]) {
    lShown |= lLevel[0] == "2990.00000000" && UnitsOf(lLevel[1]) >= U("0.1");
  }
  EXPECT_TRUE(lShown);

  SetPrice("ETHUSDT", "2990.01");
  EXPECT_EQ(Query("ETHUSDT", lId)["status"], "NEW");
  SetPrice("ETHUSDT", "2989");
  const auto lFilled = Query("ETHUSDT", lId);
  EXPECT_EQ(lFilled["status"], "FILLED");
  EXPECT_EQ(lFilled["executedQty"], "0.10000000");
  EXPECT_EQ(lFilled["cummulativeQuoteQty"], "299.00000000");
  EXPECT_EQ(Balance("USDT"), std::make_pair(U("701"), int64_t{0}));
  EXPECT_EQ(Balance("ETH").first, U("0.0999"));
  EXPECT_TRUE(Client().SignedGet("/api/v3/openOrders", "symbol=ETHUSDT").Json().empty());
  const auto lHistory = Client().SignedGet("/api/v3/allOrders", "symbol=ETHUSDT").Json();
  ASSERT_FALSE(lHistory.empty());
  EXPECT_EQ(lHistory.back()["orderId"], lId);
  EXPECT_EQ(lHistory.back()["status"], "FILLED");
}

TEST_F(TTradingTest, MarketableLimitFillsAtOnceAtTheLastPrice)
{
  SetPrice("BNBUSDT", "600");
  SetFree("BNB", "1");
  const auto lSell =
      Order("symbol=BNBUSDT&side=SELL&type=LIMIT&timeInForce=GTC&quantity=0.5&price=590");
  EXPECT_EQ(lSell["status"], "FILLED");
  EXPECT_EQ(lSell["fills"][0]["price"], "600.00000000");
  EXPECT_EQ(lSell["price"], "590.00000000");
  // IOC that cannot trade expires; its funds come back.
  const auto lIoc =
      Order("symbol=BNBUSDT&side=SELL&type=LIMIT&timeInForce=IOC&quantity=0.1&price=700");
  EXPECT_EQ(lIoc["status"], "EXPIRED");
  EXPECT_EQ(Balance("BNB"), std::make_pair(U("0.5"), int64_t{0}));
  const TReply lMaker = Client().SignedPost(
      "/api/v3/order", "symbol=BNBUSDT&side=SELL&type=LIMIT_MAKER&quantity=0.1&price=599");
  EXPECT_EQ(lMaker.fBody, R"({"code":-2010,"msg":"Order would immediately match and take."})");
}

TEST_F(TTradingTest, StopLossLimitWaitsTriggersAndFills)
{
  SetPrice("SOLUSDT", "150");
  SetFree("SOL", "10");
  const auto lAck = Order("symbol=SOLUSDT&side=SELL&type=STOP_LOSS_LIMIT&timeInForce=GTC"
                          "&quantity=2&price=139&stopPrice=140");
  // Stop orders answer ACK unless asked otherwise.
  EXPECT_EQ(lAck.size(), 5u);
  const int64_t lId = lAck["orderId"];
  auto lOrder = Query("SOLUSDT", lId);
  EXPECT_EQ(lOrder["status"], "NEW");
  EXPECT_EQ(lOrder["isWorking"], false);
  EXPECT_EQ(lOrder["workingTime"], -1);
  EXPECT_EQ(lOrder["stopPrice"], "140.00000000");
  EXPECT_EQ(Balance("SOL"), std::make_pair(U("8"), U("2")));

  SetPrice("SOLUSDT", "140.5");
  EXPECT_EQ(Query("SOLUSDT", lId)["isWorking"], false);
  // The trigger: last price at or below the stop; the limit lets it trade at the last price.
  SetPrice("SOLUSDT", "139.5");
  lOrder = Query("SOLUSDT", lId);
  EXPECT_EQ(lOrder["status"], "FILLED");
  EXPECT_EQ(lOrder["isWorking"], true);
  EXPECT_GT(lOrder["workingTime"].get<int64_t>(), 0);
  EXPECT_EQ(lOrder["type"], "STOP_LOSS_LIMIT");
  EXPECT_EQ(lOrder["cummulativeQuoteQty"], "279.00000000");
  EXPECT_EQ(Balance("SOL"), std::make_pair(U("8"), int64_t{0}));

  // Triggered below its limit: it rests as a limit order until the price comes back.
  const auto lResult = Order("symbol=SOLUSDT&side=SELL&type=STOP_LOSS_LIMIT&timeInForce=GTC"
                             "&quantity=1&price=139&stopPrice=138&newOrderRespType=RESULT");
  EXPECT_EQ(lResult["status"], "NEW");
  EXPECT_EQ(lResult["workingTime"], -1);
  const int64_t lSecond = lResult["orderId"];
  SetPrice("SOLUSDT", "137");
  lOrder = Query("SOLUSDT", lSecond);
  EXPECT_EQ(lOrder["status"], "NEW");
  EXPECT_EQ(lOrder["isWorking"], true);
  SetPrice("SOLUSDT", "139.2");
  lOrder = Query("SOLUSDT", lSecond);
  EXPECT_EQ(lOrder["status"], "FILLED");
  EXPECT_EQ(lOrder["cummulativeQuoteQty"], "139.00000000");

  // A buy stop triggers upwards.
  SetFree("USDT", "1000");
  const auto lBuyStop = Order("symbol=SOLUSDT&side=BUY&type=STOP_LOSS_LIMIT&timeInForce=GTC"
                              "&quantity=1&price=146&stopPrice=145");
  SetPrice("SOLUSDT", "145.5");
  EXPECT_EQ(Query("SOLUSDT", lBuyStop["orderId"])["status"], "FILLED");
}

TEST_F(TTradingTest, TakeProfitLimitTriggersTheOtherWay)
{
  SetPrice("AVAXUSDT", "35");
  SetFree("AVAX", "10");
  SetFree("USDT", "1000");
  // A take-profit sell waits for the price to rise to its stop.
  const auto lSell = Order("symbol=AVAXUSDT&side=SELL&type=TAKE_PROFIT_LIMIT&timeInForce=GTC"
                           "&quantity=1&price=40&stopPrice=40&newOrderRespType=FULL");
  EXPECT_EQ(lSell["status"], "NEW");
  EXPECT_EQ(lSell["stopPrice"], "40.00000000");
  EXPECT_TRUE(lSell["fills"].empty());
  // A take-profit buy waits for the price to fall to its stop.
  const auto lBuy = Order("symbol=AVAXUSDT&side=BUY&type=TAKE_PROFIT_LIMIT&timeInForce=GTC"
                          "&quantity=1&price=30&stopPrice=30");
  SetPrice("AVAXUSDT", "32");
  EXPECT_EQ(Query("AVAXUSDT", lSell["orderId"])["isWorking"], false);
  EXPECT_EQ(Query("AVAXUSDT", lBuy["orderId"])["isWorking"], false);
  SetPrice("AVAXUSDT", "40.5");
  EXPECT_EQ(Query("AVAXUSDT", lSell["orderId"])["status"], "FILLED");
  EXPECT_EQ(Query("AVAXUSDT", lBuy["orderId"])["status"], "NEW");
  SetPrice("AVAXUSDT", "29.9");
  EXPECT_EQ(Query("AVAXUSDT", lBuy["orderId"])["status"], "FILLED");
  EXPECT_EQ(Client()
                .SignedPost("/api/v3/order", "symbol=AVAXUSDT&side=BUY&type=TAKE_PROFIT_LIMIT"
                                             "&timeInForce=GTC&quantity=1&price=31&stopPrice=31")
                .Message(),
            "Order would trigger immediately.");
}

TEST_F(TTradingTest, AllOrdersPagesByOrderIdAndLimit)
{
  SetPrice("DOTUSDT", "7");
  SetFree("USDT", "1000");
  std::vector<int64_t> lIds;
  for (int i = 0; i < 5; ++i) {
    lIds.push_back(
        Order("symbol=DOTUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=1&price=6")["orderId"]);
  }
  const auto lNewest = Client().SignedGet("/api/v3/allOrders", "symbol=DOTUSDT&limit=2").Json();
  ASSERT_EQ(lNewest.size(), 2u);
  EXPECT_EQ(lNewest[0]["orderId"], lIds[3]);
  EXPECT_EQ(lNewest[1]["orderId"], lIds[4]);
  const auto lFrom = Client()
                         .SignedGet("/api/v3/allOrders",
                                    "symbol=DOTUSDT&limit=2&orderId=" + std::to_string(lIds[1]))
                         .Json();
  ASSERT_EQ(lFrom.size(), 2u);
  EXPECT_EQ(lFrom[0]["orderId"], lIds[1]);
  EXPECT_EQ(lFrom[1]["orderId"], lIds[2]);
  const int64_t lNow = Client().NowMs();
  EXPECT_EQ(Client()
                .SignedGet("/api/v3/allOrders",
                           "symbol=DOTUSDT&startTime=" + std::to_string(lNow - 90'000'000) +
                               "&endTime=" + std::to_string(lNow))
                .Message(),
            "More than 24 hours between startTime and endTime.");
  for (int64_t lId : lIds) {
    Client().SignedDelete("/api/v3/order", "symbol=DOTUSDT&orderId=" + std::to_string(lId));
  }
}

TEST_F(TTradingTest, RejectionsOfTheMatchingEngine)
{
  SetPrice("SOLUSDT", "150");
  SetFree("USDT", "100");
  SetFree("SOL", "1");
  const TReply lImmediate = Client().SignedPost(
      "/api/v3/order", "symbol=SOLUSDT&side=SELL&type=STOP_LOSS_LIMIT&timeInForce=GTC&quantity=1"
                       "&price=150&stopPrice=151");
  EXPECT_EQ(lImmediate.fBody, R"({"code":-2010,"msg":"Order would trigger immediately."})");
  const TReply lPoor = Client().SignedPost(
      "/api/v3/order", "symbol=SOLUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=1&price=149");
  EXPECT_EQ(lPoor.fStatus, 400);
  EXPECT_EQ(lPoor.fBody,
            R"({"code":-2010,"msg":"Account has insufficient balance for requested action."})");
  EXPECT_EQ(Client()
                .SignedPost("/api/v3/order", "symbol=SOLUSDT&side=SELL&type=MARKET&quantity=2")
                .Code(),
            -2010);
  EXPECT_EQ(
      Client().SignedPost("/api/v3/order", "symbol=NOSUCH&side=SELL&type=MARKET&quantity=2").Code(),
      -1121);
  EXPECT_EQ(Client()
                .SignedPost("/api/v3/order",
                            "symbol=SOLUSDT&side=SELL&type=STOP_LOSS&quantity=1&stopPrice=100")
                .Message(),
            "Stop loss orders are not supported for this symbol.");
  EXPECT_EQ(Balance("USDT"), std::make_pair(U("100"), int64_t{0}));
}

TEST_F(TTradingTest, FiltersFailWithTheirNames)
{
  SetPrice("BTCUSDT", "50000");
  SetFree("USDT", "100000");
  const std::string lLimit = "symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=GTC";
  const std::vector<std::pair<std::string, std::string>> lCases = {
      {"&quantity=0.001&price=40000.001", "PRICE_FILTER"},
      {"&quantity=0.001&price=0", "PRICE_FILTER"},
      {"&quantity=0.000001&price=40000", "LOT_SIZE"},
      {"&quantity=0.000015&price=40000", "LOT_SIZE"},
      {"&quantity=0.0001&price=40000", "NOTIONAL"},
  };
  for (const auto &[lParams, lFilter] : lCases) {
    const TReply lReply = Client().SignedPost("/api/v3/order", lLimit + lParams);
    EXPECT_EQ(lReply.fStatus, 400) << lParams;
    EXPECT_EQ(lReply.fBody, R"({"code":-1013,"msg":"Filter failure: )" + lFilter + "\"}")
        << lParams;
  }
  EXPECT_EQ(Client()
                .SignedPost("/api/v3/order",
                            "symbol=BTCUSDT&side=SELL&type=STOP_LOSS_LIMIT"
                            "&timeInForce=GTC&quantity=0.001&price=40000&stopPrice=40000.005")
                .Message(),
            "Filter failure: PRICE_FILTER");

  // Market orders also meet MARKET_LOT_SIZE, whose maximum is far below LOT_SIZE's.
  const nlohmann::json lInfo = Client().Get("/api/v3/exchangeInfo", "symbol=BTCUSDT").Json();
  std::map<std::string, nlohmann::json> lFilters;
  for (const auto &lFilter : lInfo["symbols"][0]["filters"]) {
    lFilters[lFilter["filterType"]] = lFilter;
  }
  ASSERT_TRUE(lFilters.count("MARKET_LOT_SIZE"));
  EXPECT_EQ(lFilters["MARKET_LOT_SIZE"]["stepSize"], "0.00000000");
  const int64_t lMarketMax = UnitsOf(lFilters["MARKET_LOT_SIZE"]["maxQty"]);
  const int64_t lStep = UnitsOf(lFilters["LOT_SIZE"]["stepSize"]);
  ASSERT_LT(lMarketMax, UnitsOf(lFilters["LOT_SIZE"]["maxQty"]));
  SetFree("USDT", "1000000000");
  const std::string lMarket = "symbol=BTCUSDT&side=BUY&type=MARKET&quantity=";
  EXPECT_EQ(Client().SignedPost("/api/v3/order", lMarket + FormatUnits(lMarketMax + lStep)).fBody,
            R"({"code":-1013,"msg":"Filter failure: MARKET_LOT_SIZE"})");
  EXPECT_EQ(Client().SignedPost("/api/v3/order", lMarket + FormatUnits(lMarketMax)).fStatus, 200);
}

TEST_F(TTradingTest, CancelReleasesFundsAndUnknownOrdersAreRefused)
{
  SetPrice("ETHBTC", "0.05");
  SetFree("BTC", "1");
  const auto lPlaced =
      Order("symbol=ETHBTC&side=BUY&type=LIMIT&timeInForce=GTC&quantity=2&price=0.04"
            "&newClientOrderId=my-order_1");
  EXPECT_EQ(lPlaced["clientOrderId"], "my-order_1");
  EXPECT_EQ(Balance("BTC"), std::make_pair(U("0.92"), U("0.08")));
  const TReply lDuplicate = Client().SignedPost(
      "/api/v3/order", "symbol=ETHBTC&side=BUY&type=LIMIT&timeInForce=GTC&quantity=2&price=0.04"
                       "&newClientOrderId=my-order_1");
  EXPECT_EQ(lDuplicate.Message(), "Duplicate order sent.");

  const TReply lCancel =
      Client().SignedDelete("/api/v3/order", "symbol=ETHBTC&origClientOrderId=my-order_1");
  ASSERT_EQ(lCancel.fStatus, 200) << lCancel.fBody;
  const auto lCanceled = lCancel.Json();
  EXPECT_EQ(lCanceled["status"], "CANCELED");
  EXPECT_EQ(lCanceled["origClientOrderId"], "my-order_1");
  EXPECT_NE(lCanceled["clientOrderId"], "my-order_1");
  EXPECT_EQ(lCanceled["orderId"], lPlaced["orderId"]);
  EXPECT_EQ(Balance("BTC"), std::make_pair(U("1"), int64_t{0}));
  // A cancelled order keeps isWorking, as on the exchange.
  EXPECT_EQ(Query("ETHBTC", lPlaced["orderId"])["isWorking"], true);

  const std::string lAgain =
      "symbol=ETHBTC&orderId=" + std::to_string(lPlaced["orderId"].get<int64_t>());
  const TReply lTwice = Client().SignedDelete("/api/v3/order", lAgain);
  EXPECT_EQ(lTwice.fStatus, 400);
  EXPECT_EQ(lTwice.fBody, R"({"code":-2011,"msg":"Unknown order sent."})");
  EXPECT_EQ(Client().SignedDelete("/api/v3/order", "symbol=ETHBTC&orderId=1").Code(), -2011);
  EXPECT_EQ(Client().SignedDelete("/api/v3/order", "symbol=ETHBTC").Message(),
            "Param 'origClientOrderId' or 'orderId' must be sent, but both were empty/null!");
  EXPECT_EQ(Client().SignedGet("/api/v3/order", "symbol=ETHBTC&orderId=1").fBody,
            R"({"code":-2013,"msg":"Order does not exist."})");
}

TEST_F(TTradingTest, AdminFillsPartlyAndCancelsAsTheExchange)
{
  SetPrice("LINKUSDT", "15");
  SetFree("USDT", "1000");
  const auto lPlaced =
      Order("symbol=LINKUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=10&price=14");
  const int64_t lId = lPlaced["orderId"];
  Server().admin("/admin/order/fill",
                 R"({"symbol":"LINKUSDT","orderId":)" + std::to_string(lId) + R"(,"qty":"4"})");
  auto lOrder = Query("LINKUSDT", lId);
  EXPECT_EQ(lOrder["status"], "PARTIALLY_FILLED");
  EXPECT_EQ(lOrder["executedQty"], "4.00000000");
  EXPECT_EQ(Balance("USDT"), std::make_pair(U("860"), U("84")));
  EXPECT_EQ(Client().SignedGet("/api/v3/openOrders", "symbol=LINKUSDT").Json().size(), 1u);

  Server().admin("/admin/order/cancel", R"({"symbol":"LINKUSDT","orderId":)" + std::to_string(lId) +
                                            R"(,"status":"EXPIRED"})");
  lOrder = Query("LINKUSDT", lId);
  EXPECT_EQ(lOrder["status"], "EXPIRED");
  EXPECT_EQ(lOrder["executedQty"], "4.00000000");
  EXPECT_EQ(Balance("USDT"), std::make_pair(U("944"), int64_t{0}));
  EXPECT_THROW(Server().admin("/admin/order/fill",
                              R"({"symbol":"LINKUSDT","orderId":)" + std::to_string(lId) + "}"),
               std::runtime_error);
}

TEST_F(TTradingTest, OpenOrderLimitsAreTheEnginesAndAllOpenOrdersCancelAtOnce)
{
  SetPrice("ETHUSDT", "3000");
  SetFree("USDT", "1000000");
  Client().SignedDelete("/api/v3/openOrders", "symbol=ETHUSDT");
  const std::string lStop = "symbol=ETHUSDT&side=BUY&type=STOP_LOSS_LIMIT&timeInForce=GTC"
                            "&quantity=0.01&price=3500&stopPrice=3500";
  const std::string lResting = "symbol=ETHUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.01"
                               "&price=2000";
  // 100 new orders fit in one 10-second window; 200 open ones need two.
  auto lPlace = [this](const std::string &aParams, int aCount) {
    for (int i = 0; i < aCount; ++i) {
      const TReply lReply = Client().SignedPost("/api/v3/order", aParams);
      ASSERT_EQ(lReply.fStatus, 200) << i << " " << lReply.fBody;
    }
  };
  auto lFreshWindow = [this] {
    const int64_t lInto = Client().Get("/api/v3/time").Json()["serverTime"].get<int64_t>() % 10000;
    std::this_thread::sleep_for(std::chrono::milliseconds(10000 - lInto + 100));
  };
  lFreshWindow();
  lPlace(lStop, 5);
  const TReply lSixthStop = Client().SignedPost("/api/v3/order", lStop);
  EXPECT_EQ(lSixthStop.fStatus, 400);
  EXPECT_EQ(lSixthStop.fBody, R"({"code":-2010,"msg":"Filter failure: MAX_NUM_ALGO_ORDERS"})");
  lPlace(lResting, 95);
  lFreshWindow();
  lPlace(lResting, 99);
  // A first fill takes one off the unfilled order count, leaving room for two more orders.
  const int64_t lFilledId =
      Client().SignedPost("/api/v3/order", lResting).Json()["orderId"].get<int64_t>();
  Server().admin("/admin/order/fill", R"({"symbol":"ETHUSDT","orderId":)" +
                                          std::to_string(lFilledId) + R"(,"qty":"0.005"})");
  const TReply lTooMany = Client().SignedPost("/api/v3/order", lResting);
  EXPECT_EQ(lTooMany.fStatus, 400);
  EXPECT_EQ(lTooMany.fBody, R"({"code":-2010,"msg":"Filter failure: MAX_NUM_ORDERS"})");

  const TReply lCanceled = Client().SignedDelete("/api/v3/openOrders", "symbol=ETHUSDT");
  ASSERT_EQ(lCanceled.fStatus, 200) << lCanceled.fBody;
  const nlohmann::json lList = lCanceled.Json();
  ASSERT_EQ(lList.size(), 200u);
  std::set<std::string> lCancelIds;
  for (const auto &lOrder : lList) {
    EXPECT_EQ(lOrder["status"], "CANCELED");
    EXPECT_EQ(lOrder["symbol"], "ETHUSDT");
    EXPECT_EQ(lOrder["transactTime"], lList[0]["transactTime"]);
    EXPECT_NE(lOrder["clientOrderId"], lOrder["origClientOrderId"]);
    lCancelIds.insert(lOrder["clientOrderId"].get<std::string>());
  }
  EXPECT_EQ(lCancelIds.size(), 200u);
  EXPECT_EQ(lList[0]["type"], "STOP_LOSS_LIMIT");
  EXPECT_EQ(Balance("USDT").second, 0);
  EXPECT_TRUE(Client().SignedGet("/api/v3/openOrders", "symbol=ETHUSDT").Json().empty());
  AvoidMinuteEnd(Client().NowMs());
  const int64_t lBefore = Client().Get("/api/v3/ping").UsedWeight();
  const TReply lNone = Client().SignedDelete("/api/v3/openOrders", "symbol=ETHUSDT");
  EXPECT_EQ(lNone.fBody, R"({"code":-2011,"msg":"Unknown order sent."})");
  EXPECT_EQ(lNone.UsedWeight() - lBefore, 1);
  EXPECT_EQ(Client().SignedDelete("/api/v3/openOrders", "").Code(), -1102);
}

TEST_F(TTradingTest, MyTradesListsTheAccountsFills)
{
  SetPrice("ATOMUSDT", "9");
  SetFree("USDT", "1000");
  const auto lTaker = Order("symbol=ATOMUSDT&side=BUY&type=MARKET&quantity=3");
  const auto lMaker =
      Order("symbol=ATOMUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=10&price=8.5");
  const int64_t lMakerId = lMaker["orderId"];
  Server().admin("/admin/order/fill", R"({"symbol":"ATOMUSDT","orderId":)" +
                                          std::to_string(lMakerId) + R"(,"qty":"4"})");
  SetPrice("ATOMUSDT", "8");

  AvoidMinuteEnd(Client().NowMs());
  const TReply lAll = Client().SignedGet("/api/v3/myTrades", "symbol=ATOMUSDT");
  ASSERT_EQ(lAll.fStatus, 200) << lAll.fBody;
  const nlohmann::json lTrades = lAll.Json();
  ASSERT_EQ(lTrades.size(), 3u);
  const nlohmann::json &lFirst = lTrades[0];
  EXPECT_EQ(lFirst["symbol"], "ATOMUSDT");
  EXPECT_EQ(lFirst["id"], lTaker["fills"][0]["tradeId"]);
  EXPECT_EQ(lFirst["orderId"], lTaker["orderId"]);
  EXPECT_EQ(lFirst["orderListId"], -1);
  EXPECT_EQ(lFirst["price"], "9.00000000");
  EXPECT_EQ(lFirst["qty"], "3.00000000");
  EXPECT_EQ(lFirst["quoteQty"], "27.00000000");
  EXPECT_EQ(lFirst["commission"], lTaker["fills"][0]["commission"]);
  EXPECT_EQ(lFirst["commissionAsset"], "ATOM");
  EXPECT_TRUE(lFirst["time"].is_number_integer());
  EXPECT_EQ(lFirst["isBuyer"], true);
  EXPECT_EQ(lFirst["isMaker"], false);
  EXPECT_EQ(lFirst["isBestMatch"], true);
  EXPECT_EQ(lTrades[1]["qty"], "4.00000000");
  EXPECT_EQ(lTrades[2]["qty"], "6.00000000");
  EXPECT_EQ(lTrades[2]["price"], "8.50000000");
  EXPECT_EQ(lTrades[2]["isMaker"], true);
  EXPECT_LT(lTrades[0]["id"].get<int64_t>(), lTrades[1]["id"].get<int64_t>());

  // One order's fills cost 5, the rest 20.
  const TReply lOfOrder =
      Client().SignedGet("/api/v3/myTrades", "symbol=ATOMUSDT&orderId=" + std::to_string(lMakerId));
  EXPECT_EQ(lOfOrder.Json().size(), 2u);
  EXPECT_EQ(lOfOrder.UsedWeight() - lAll.UsedWeight(), 5);
  const std::string lFrom = "symbol=ATOMUSDT&fromId=" + lTrades[1]["id"].dump();
  const TReply lFromId = Client().SignedGet("/api/v3/myTrades", lFrom + "&limit=1");
  ASSERT_EQ(lFromId.Json().size(), 1u);
  EXPECT_EQ(lFromId.Json()[0]["id"], lTrades[1]["id"]);
  EXPECT_EQ(lFromId.UsedWeight() - lOfOrder.UsedWeight(), 20);
  EXPECT_EQ(Client().SignedGet("/api/v3/myTrades", "symbol=ATOMUSDT&limit=1").Json()[0]["id"],
            lTrades[2]["id"]);
  const std::string lTime = lFirst["time"].dump();
  EXPECT_EQ(
      Client()
          .SignedGet("/api/v3/myTrades", "symbol=ATOMUSDT&startTime=" + lTime + "&endTime=" + lTime)
          .Json()
          .size(),
      1u);

  EXPECT_EQ(Client().SignedGet("/api/v3/myTrades", lFrom + "&startTime=" + lTime).fBody,
            R"({"code":-1128,"msg":"Combination of optional parameters invalid."})");
  const std::string lDayAndOne =
      "symbol=ATOMUSDT&startTime=" + std::to_string(lFirst["time"].get<int64_t>() - 86400001) +
      "&endTime=" + lTime;
  EXPECT_EQ(Client().SignedGet("/api/v3/myTrades", lDayAndOne).Code(), -1127);
  EXPECT_EQ(Client().SignedGet("/api/v3/myTrades").Code(), -1102);
}

TEST_F(TTradingTest, OpenOrdersWithoutSymbolCoverAllSymbolsAtWeight80)
{
  SetPrice("BTCUSDT", "50000");
  SetPrice("ETHUSDT", "3000");
  SetFree("USDT", "10000");
  Order("symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.001&price=40000");
  Order("symbol=ETHUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.01&price=2000");
  AvoidMinuteEdge(Client().NowMs());
  const int64_t lBefore = Client().Get("/api/v3/time").UsedWeight();
  const TReply lAll = Client().SignedGet("/api/v3/openOrders");
  EXPECT_EQ(lAll.UsedWeight() - lBefore, 80);
  std::set<std::string> lSymbols;
  for (const auto &lOrder : lAll.Json()) {
    lSymbols.insert(lOrder["symbol"].get<std::string>());
  }
  EXPECT_TRUE(lSymbols.count("BTCUSDT") && lSymbols.count("ETHUSDT"));
  const TReply lOne = Client().SignedGet("/api/v3/openOrders", "symbol=BTCUSDT");
  EXPECT_EQ(lOne.UsedWeight() - lAll.UsedWeight(), 6);
  // BTCUSDT's order ids have long passed 32 bits, as on the exchange.
  EXPECT_GT(lOne.Json().at(0)["orderId"].get<int64_t>(), int64_t{1} << 32);
}

} // namespace
} // namespace vexa::sim::test
