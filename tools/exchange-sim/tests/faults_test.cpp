// Faults on demand, from the command line and changed at run time by the admin resource.
#include "sim_fixture.h"

namespace vexa::sim::test {
namespace {

TEST(Faults, LatencyDelaysEveryAnswer)
{
  TExchangeProcess lServer({"--latency-ms", "250"});
  TSimClient lClient(lServer.baseUrl(), lServer.caFile());
  lClient.Get("/api/v3/ping");
  const TReply lSlow = lClient.Get("/api/v3/ping");
  EXPECT_EQ(lSlow.fStatus, 200);
  EXPECT_GE(lSlow.fSeconds, 0.25);
  lServer.admin("/admin/faults", R"({"latencyMs":0})");
  const TReply lFast = lClient.Get("/api/v3/ping");
  EXPECT_LT(lFast.fSeconds, 0.2);
}

TEST(Faults, FailRateTurnsAnswersInto500Or503)
{
  TExchangeProcess lServer({"--fail-rate", "1"});
  auto lClient = ClientFor(lServer);
  std::map<long, int> lStatuses;
  for (int i = 0; i < 30; ++i) {
    const TReply lReply = lClient->Get("/api/v3/time");
    ++lStatuses[lReply.fStatus];
    EXPECT_LT(lReply.Code(), 0) << lReply.fBody;
    EXPECT_GE(lReply.UsedWeight(), 1);
  }
  EXPECT_EQ(lStatuses.size(), 2u);
  EXPECT_GT(lStatuses[500], 0);
  EXPECT_GT(lStatuses[503], 0);

  // 503: not executed. 500: executed, the answer lost.
  lServer.admin("/admin/feed", R"({"paused":true})");
  lServer.admin("/admin/price", R"({"symbol":"BTCUSDT","price":"50000"})");
  int lLost = 0;
  for (int i = 0; i < 12; ++i) {
    const TReply lReply = lClient->SignedPost(
        "/api/v3/order",
        "symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.001&price=40000");
    lLost += lReply.fStatus == 500 ? 1 : 0;
  }
  lServer.admin("/admin/faults", R"({"failRate":0})");
  const TReply lOpen = lClient->SignedGet("/api/v3/openOrders", "symbol=BTCUSDT");
  ASSERT_EQ(lOpen.fStatus, 200);
  EXPECT_EQ(static_cast<int>(lOpen.Json().size()), lLost);
}

TEST(Faults, ResetRateCutsConnectionsMidAnswer)
{
  TExchangeProcess lServer({"--reset-rate", "1"});
  TSimClient lClient(lServer.baseUrl(), lServer.caFile());
  for (int i = 0; i < 5; ++i) {
    const TReply lReply = lClient.Get("/api/v3/ticker/price");
    EXPECT_NE(lReply.fCurlCode, CURLE_OK);
  }
  lServer.admin("/admin/faults", R"({"resetRate":0})");
  const TReply lWhole = lClient.Get("/api/v3/ticker/price");
  EXPECT_EQ(lWhole.fCurlCode, CURLE_OK);
  EXPECT_TRUE(lWhole.IsJson());
}

TEST(Faults, GarbageRateDamagesBodies)
{
  TExchangeProcess lServer({"--garbage-rate", "1"});
  TSimClient lClient(lServer.baseUrl(), lServer.caFile());
  for (int i = 0; i < 10; ++i) {
    const TReply lReply = lClient.Get("/api/v3/ticker/price", "symbol=BTCUSDT");
    EXPECT_EQ(lReply.fCurlCode, CURLE_OK);
    EXPECT_FALSE(lReply.IsJson()) << lReply.fBody;
  }
  lServer.admin("/admin/faults", R"({"garbageRate":0})");
  EXPECT_TRUE(lClient.Get("/api/v3/ticker/price", "symbol=BTCUSDT").IsJson());
}

TEST(Faults, ClockOffsetMovesServerTimeAndTheTimestampCheck)
{
  TExchangeProcess lServer({"--clock-offset-ms", "120000"});
  auto lClient = ClientFor(*&lServer);
  const int64_t lServerTime = lClient->Get("/api/v3/time").Json()["serverTime"];
  EXPECT_NEAR(static_cast<double>(lServerTime - lClient->NowMs()), 120000.0, 3000.0);
  // The local clock is two minutes behind: outside any recvWindow.
  EXPECT_EQ(lClient->SignedGet("/api/v3/account").Message(),
            "Timestamp for this request is outside of the recvWindow.");
  lClient->SetClockShift(lServerTime - lClient->NowMs());
  EXPECT_EQ(lClient->SignedGet("/api/v3/account").fStatus, 200);

  lServer.admin("/admin/faults", R"({"clockOffsetMs":-5000})");
  lClient->SetClockShift(0);
  EXPECT_EQ(lClient->SignedGet("/api/v3/account").Message(),
            "Timestamp for this request was 1000ms ahead of the server's time.");
  const int64_t lBehind = lClient->Get("/api/v3/time").Json()["serverTime"];
  EXPECT_NEAR(static_cast<double>(lBehind - lClient->NowMs()), -5000.0, 3000.0);
}

TEST(Faults, AdminChangesAreReportedAndChecked)
{
  TExchangeProcess lServer;
  const auto lState =
      nlohmann::json::parse(lServer.admin("/admin/faults", R"({"failRate":0.25,"latencyMs":5})"));
  EXPECT_EQ(lState["failRate"], 0.25);
  EXPECT_EQ(lState["latencyMs"], 5);
  EXPECT_EQ(lState["resetRate"], 0);
  EXPECT_THROW(lServer.admin("/admin/faults", R"({"failRate":1.5})"), std::runtime_error);
  EXPECT_THROW(lServer.admin("/admin/price", R"({"symbol":"BTCUSDT","price":"1.001"})"),
               std::runtime_error);
  EXPECT_THROW(lServer.admin("/admin/nothing"), std::runtime_error);
  // Faults leave the admin resources alone.
  lServer.admin("/admin/faults", R"({"failRate":1})");
  EXPECT_NO_THROW(lServer.admin("/admin/faults", R"({"failRate":0})"));
}

} // namespace
} // namespace vexa::sim::test
