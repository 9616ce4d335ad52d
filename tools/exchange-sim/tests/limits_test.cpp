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

TEST_F(TLimitsTest, HundredOrdersInTenSecondsAtMost)
{
  Server().admin("/admin/weights", R"({"reset":true,"limit":6000})");
  Server().admin("/admin/feed", R"({"paused":true})");
  Server().admin("/admin/price", R"({"symbol":"XRPUSDT","price":"0.5"})");
  Server().admin("/admin/balance", R"({"asset":"USDT","free":"100000"})");
  // A first, successful order tells how many this account already placed in the window.
  const TReply lFirst = Client().SignedPost(
      "/api/v3/order", "symbol=XRPUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=20&price=0.4");
  ASSERT_EQ(lFirst.fStatus, 200) << lFirst.fBody;
  const int lAlready = std::stoi(lFirst.fHeaders.at("x-mbx-order-count-10s"));
  int lAccepted = 0;
  TReply lLast;
  for (int i = lAlready; i <= 100; ++i) {
    // Each order is refused by the filters after being counted.
    lLast = Client().SignedPost("/api/v3/order", "symbol=XRPUSDT&side=BUY&type=MARKET&quantity=1");
    lAccepted += lLast.Code() == -1013 ? 1 : 0;
  }
  EXPECT_EQ(lAccepted, 100 - lAlready);
  EXPECT_EQ(lLast.fStatus, 429);
  EXPECT_EQ(
      lLast.fBody,
      R"({"code":-1015,"msg":"Too many new orders; current limit is 100 orders per 10 SECOND."})");
  Server().admin("/admin/feed", R"({"paused":false})");
}

} // namespace
} // namespace vexa::sim::test
