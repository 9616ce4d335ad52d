// Request weight: the header on every answer, 429 with Retry-After past the limit, 418 for
// a client that keeps going; order counts.
#include "sim_fixture.h"

namespace vexa::sim::test {
namespace {

struct TLowLimitArgs
{
  static std::vector<std::string> Get() { return {"--weight-limit", "60", "--ban-seconds", "30"}; }
};
using TLimitsTest = TServerSuite<TLowLimitArgs>;

TEST_F(TLimitsTest, PastTheLimit429ThenBan418)
{
  Server().admin("/admin/weights/reset");
  AvoidMinuteEdge(Client().NowMs());
  int64_t lUsed = 0;
  TReply lReply;
  // 4 per all-symbol price list: the 16th request passes 60.
  for (int i = 0; i < 15; ++i) {
    lReply = Client().Get("/api/v3/ticker/price");
    ASSERT_EQ(lReply.fStatus, 200) << i;
    EXPECT_EQ(lReply.UsedWeight(), lUsed + 4);
    lUsed = lReply.UsedWeight();
  }
  lReply = Client().Get("/api/v3/ticker/price");
  EXPECT_EQ(lReply.fStatus, 429);
  EXPECT_EQ(lReply.fBody,
            R"({"code":-1003,"msg":"Too much request weight used; current limit is )"
            R"(60 request weight per 1 MINUTE. Please use WebSocket Streams for live )"
            R"(updates to avoid polling the API."})");
  ASSERT_TRUE(lReply.fHeaders.count("retry-after"));
  const int lRetry = std::stoi(lReply.fHeaders.at("retry-after"));
  EXPECT_GE(lRetry, 1);
  EXPECT_LE(lRetry, 60);
  EXPECT_EQ(lReply.UsedWeight(), 64);
  // Requests already on their way get 429 too; one sent after that is banned.
  EXPECT_EQ(Client().Get("/api/v3/ping").fStatus, 429);
  std::this_thread::sleep_for(std::chrono::milliseconds(1100));
  lReply = Client().Get("/api/v3/ping");
  EXPECT_EQ(lReply.fStatus, 418);
  EXPECT_EQ(lReply.Code(), -1003);
  EXPECT_NE(lReply.Message().find("IP banned until"), std::string::npos);
  EXPECT_GE(std::stoi(lReply.fHeaders.at("retry-after")), 28);
  EXPECT_EQ(Client().Get("/api/v3/time").fStatus, 418);

  Server().admin("/admin/weights/reset");
  lReply = Client().Get("/api/v3/ping");
  EXPECT_EQ(lReply.fStatus, 200);
  EXPECT_EQ(lReply.UsedWeight(), 1);
}

TEST_F(TLimitsTest, SuccessfulOrdersCostNothingFailedOnesOne)
{
  Server().admin("/admin/weights", R"({"reset":true,"limit":6000})");
  Server().admin("/admin/feed", R"({"paused":true})");
  Server().admin("/admin/price", R"({"symbol":"BTCUSDT","price":"50000"})");
  AvoidMinuteEdge(Client().NowMs());
  const int64_t lStart = Client().Get("/api/v3/ping").UsedWeight();
  const TReply lGood = Client().SignedPost(
      "/api/v3/order",
      "symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.001&price=40000");
  ASSERT_EQ(lGood.fStatus, 200) << lGood.fBody;
  EXPECT_EQ(lGood.UsedWeight(), lStart);
  EXPECT_EQ(lGood.fHeaders.at("x-mbx-order-count-10s"), "1");
  EXPECT_EQ(lGood.fHeaders.at("x-mbx-order-count-1d"), "1");
  const TReply lBad = Client().SignedPost(
      "/api/v3/order", "symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.001&price=1");
  EXPECT_EQ(lBad.fStatus, 400);
  EXPECT_EQ(lBad.UsedWeight(), lStart + 1);
  const TReply lCancel = Client().SignedDelete(
      "/api/v3/order",
      "symbol=BTCUSDT&orderId=" + std::to_string(lGood.Json()["orderId"].get<int64_t>()));
  EXPECT_EQ(lCancel.UsedWeight(), lStart + 1);
  EXPECT_EQ(Client().SignedGet("/api/v3/account").UsedWeight(), lStart + 21);
  Server().admin("/admin/feed", R"({"paused":false})");
}

// Waits for the server's clock to be aFromMs to aToMs into a 10-second window.
void WaitIntoWindow(TSimClient &aClient, int64_t aFromMs, int64_t aToMs)
{
  for (;;) {
    const int64_t lInto = aClient.Get("/api/v3/time").Json()["serverTime"].get<int64_t>() % 10000;
    if (lInto >= aFromMs && lInto < aToMs) {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds((aFromMs - lInto + 10000) % 10000));
  }
}

TEST_F(TLimitsTest, UnfilledOrderCountIsACalendarWindowOfAcceptedOrders)
{
  Server().admin("/admin/weights", R"({"reset":true,"limit":100000})");
  Server().admin("/admin/feed", R"({"paused":true})");
  Server().admin("/admin/price", R"({"symbol":"XRPUSDT","price":"0.5"})");
  Server().admin("/admin/balance", R"({"asset":"USDT","free":"100000"})");
  const std::string lMarket = "symbol=XRPUSDT&side=BUY&type=MARKET&quantity=20";
  const std::string lResting = "symbol=XRPUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=20"
                               "&price=0.4";
  auto lWindowOf = [](const TReply &aReply) {
    return aReply.Json()["transactTime"].get<int64_t>() / 10000;
  };
  WaitIntoWindow(Client(), 0, 1000);
  // Orders that fill at once take themselves off the count: more than 100 pass in a window.
  TReply lFilled;
  int64_t lWindow = -1;
  for (int i = 0; i < 105; ++i) {
    lFilled = Client().SignedPost("/api/v3/order", lMarket);
    ASSERT_EQ(lFilled.fStatus, 200) << i << " " << lFilled.fBody;
    EXPECT_EQ(lFilled.fHeaders.at("x-mbx-order-count-10s"), "1") << i;
    lWindow = i == 0 ? lWindowOf(lFilled) : lWindow;
  }
  ASSERT_EQ(lWindowOf(lFilled), lWindow) << "too slow to fill one window";
  // Refused orders do not count.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(Client().SignedPost("/api/v3/order", lResting + "00001").Code(), -1013);
  }
  // Resting orders count until the window is full; they start late in a window, so that a
  // sliding window would still hold them all after the next boundary.
  WaitIntoWindow(Client(), 3000, 4000);
  TReply lLast;
  for (int i = 1; i <= 100; ++i) {
    lLast = Client().SignedPost("/api/v3/order", lResting);
    ASSERT_EQ(lLast.fStatus, 200) << i << " " << lLast.fBody;
    EXPECT_EQ(lLast.fHeaders.at("x-mbx-order-count-10s"), std::to_string(i));
    lWindow = i == 1 ? lWindowOf(lLast) : lWindow;
  }
  // The next order must fall into the same window.
  ASSERT_TRUE(lWindowOf(lLast) == lWindow &&
              lLast.Json()["transactTime"].get<int64_t>() % 10000 < 9500)
      << "too slow to fill one window";
  const TReply lRefused = Client().SignedPost("/api/v3/order", lResting);
  EXPECT_EQ(lRefused.fStatus, 429);
  EXPECT_EQ(
      lRefused.fBody,
      R"({"code":-1015,"msg":"Too many new orders; current limit is 100 orders per 10 SECOND."})");
  // A new window starts at the next multiple of 10 seconds; the day keeps counting.
  WaitIntoWindow(Client(), 0, 3000);
  const TReply lNext = Client().SignedPost("/api/v3/order", lResting);
  ASSERT_EQ(lNext.fStatus, 200) << lNext.fBody;
  EXPECT_EQ(lNext.fHeaders.at("x-mbx-order-count-10s"), "1");
  EXPECT_EQ(lNext.fHeaders.at("x-mbx-order-count-1d"), "101");
  Server().admin("/admin/feed", R"({"paused":false})");
}

} // namespace
} // namespace vexa::sim::test
