// Signed requests: HMAC over the raw query and body, API keys, timestamps and recvWindow, and
// the strict parameter checks.
#include "sim_fixture.h"

namespace vexa::sim::test {
namespace {

using TSigningTest = TServerSuite<TDefaultArgs>;

TEST_F(TSigningTest, AcceptsLowerAndUpperCaseHex)
{
  EXPECT_EQ(Client().SignedGet("/api/v3/account").fStatus, 200);
  Client().SetUpperCaseSignature(true);
  const TReply lReply = Client().SignedGet("/api/v3/account", "omitZeroBalances=true");
  ASSERT_EQ(lReply.fStatus, 200) << lReply.fBody;
  EXPECT_TRUE(lReply.Json()["balances"].is_array());
  EXPECT_EQ(lReply.Json()["accountType"], "SPOT");
}

TEST_F(TSigningTest, RefusesAWrongSignature)
{
  const std::string lQuery = Client().Stamp("");
  const std::string lGood = Client().Sign(lQuery);
  std::string lBad = lGood;
  lBad[5] = lBad[5] == 'a' ? 'b' : 'a';
  const std::map<std::string, std::string> lKey = {{"X-MBX-APIKEY", Client().ApiKey()}};
  for (const std::string &lSignature :
       {lBad, lGood.substr(1), std::string("zz") + lGood.substr(2)}) {
    const TReply lReply =
        Client().Get("/api/v3/account", lQuery + "&signature=" + lSignature, lKey);
    EXPECT_EQ(lReply.fStatus, 400);
    EXPECT_EQ(lReply.fBody, R"({"code":-1022,"msg":"Signature for this request is not valid."})");
  }
  // Signed over other bytes than were sent: the percent-encoding counts.
  const std::string lEncoded = Client().Stamp("newClientOrderId=a%2Db");
  const std::string lSignedDecoded = Client().Sign(Client().Stamp("newClientOrderId=a-b"));
  EXPECT_EQ(
      Client().Get("/api/v3/openOrders", lEncoded + "&signature=" + lSignedDecoded, lKey).Code(),
      -1022);
  const TReply lMissing = Client().Get("/api/v3/account", lQuery, lKey);
  EXPECT_EQ(lMissing.Code(), -1102);
  EXPECT_EQ(lMissing.Message(),
            "Mandatory parameter 'signature' was not sent, was empty/null, or malformed.");
}

TEST_F(TSigningTest, BadOrUnknownKeysAre401)
{
  const std::string lQuery = Client().Stamp("");
  const std::string lSigned = lQuery + "&signature=" + Client().Sign(lQuery);
  const TReply lNoKey = Client().Get("/api/v3/account", lSigned);
  EXPECT_EQ(lNoKey.fStatus, 401);
  EXPECT_EQ(lNoKey.fBody, R"({"code":-2014,"msg":"API-key format invalid."})");
  const TReply lGarbled = Client().Get("/api/v3/account", lSigned, {{"X-MBX-APIKEY", "abc def!"}});
  EXPECT_EQ(lGarbled.fStatus, 401);
  EXPECT_EQ(lGarbled.Code(), -2014);
  const TReply lUnknown =
      Client().Get("/api/v3/account", lSigned, {{"X-MBX-APIKEY", "Unknown0Key"}});
  EXPECT_EQ(lUnknown.fStatus, 401);
  EXPECT_EQ(lUnknown.fBody,
            R"({"code":-2015,"msg":"Invalid API-key, IP, or permissions for action."})");
}

TEST_F(TSigningTest, TimestampAheadAndOutsideTheWindow)
{
  const int64_t lNow = Client().NowMs();
  const TReply lAhead =
      Client().SignedGet("/api/v3/account", "timestamp=" + std::to_string(lNow + 5000));
  EXPECT_EQ(lAhead.fStatus, 400);
  EXPECT_EQ(lAhead.Code(), -1021);
  EXPECT_EQ(lAhead.Message(), "Timestamp for this request was 1000ms ahead of the server's time.");
  const TReply lStale =
      Client().SignedGet("/api/v3/account", "timestamp=" + std::to_string(lNow - 61000));
  EXPECT_EQ(lStale.fBody,
            R"({"code":-1021,"msg":"Timestamp for this request is outside of the recvWindow."})");
  // Without recvWindow the window is 5000 ms.
  const std::string lOld = "timestamp=" + std::to_string(lNow - 7000);
  EXPECT_EQ(Client()
                .Get("/api/v3/account", lOld + "&signature=" + Client().Sign(lOld),
                     {{"X-MBX-APIKEY", Client().ApiKey()}})
                .Code(),
            -1021);
  EXPECT_EQ(
      Client()
          .SignedGet("/api/v3/account", "recvWindow=10000&timestamp=" + std::to_string(lNow - 7000))
          .fStatus,
      200);
  const TReply lTooWide = Client().SignedGet("/api/v3/account", "recvWindow=60001");
  EXPECT_EQ(lTooWide.Code(), -1102);
  EXPECT_EQ(lTooWide.Message(),
            "'recvWindow' contains unexpected value. Cannot be greater than '60000'.");
  EXPECT_EQ(Client().SignedGet("/api/v3/account", "recvWindow=6000.346").fStatus, 200);
  // Microseconds are accepted as well.
  EXPECT_EQ(
      Client()
          .SignedGet("/api/v3/account", "timestamp=" + std::to_string(Client().NowMs() * 1000))
          .fStatus,
      200);
}

TEST_F(TSigningTest, NumbersMustMatchTheExchangesPattern)
{
  const std::string lOrder =
      "symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=GTC&price=20000&quantity=";
  const std::string lPattern = "Illegal characters found in parameter 'quantity'; legal range is "
                               "'^([0-9]{1,20})(\\.[0-9]{1,20})?$'.";
  for (const char *lBad : {"1E-3", "0%2C002", ".5", "1.", "-1"}) {
    const TReply lReply = Client().SignedPost("/api/v3/order", lOrder + lBad);
    EXPECT_EQ(lReply.fStatus, 400) << lBad;
    EXPECT_EQ(lReply.Code(), -1100) << lBad;
    EXPECT_EQ(lReply.Message(), lPattern) << lBad;
  }
  const TReply lPrecise = Client().SignedPost("/api/v3/order", lOrder + "0.000000001");
  EXPECT_EQ(lPrecise.Code(), -1111);
  EXPECT_EQ(lPrecise.Message(), "Parameter 'quantity' has too much precision.");
}

TEST_F(TSigningTest, MandatoryUnknownUnneededAndDuplicateParameters)
{
  const TReply lNoSide =
      Client().SignedPost("/api/v3/order", "symbol=BTCUSDT&type=MARKET&quantity=0.001");
  EXPECT_EQ(lNoSide.Code(), -1102);
  EXPECT_EQ(lNoSide.Message(),
            "Mandatory parameter 'side' was not sent, was empty/null, or malformed.");
  const TReply lNoTif = Client().SignedPost(
      "/api/v3/order", "symbol=BTCUSDT&side=BUY&type=LIMIT&quantity=0.001&price=20000");
  EXPECT_EQ(lNoTif.Message(),
            "Mandatory parameter 'timeInForce' was not sent, was empty/null, or malformed.");
  const TReply lUnknown = Client().SignedGet("/api/v3/account", "colour=blue");
  EXPECT_EQ(lUnknown.Code(), -1104);
  EXPECT_EQ(lUnknown.Message(),
            "Not all sent parameters were read; read '3' parameter(s) but was sent '4'.");
  const TReply lUnneeded = Client().SignedPost(
      "/api/v3/order", "symbol=BTCUSDT&side=BUY&type=MARKET&quantity=0.001&price=20000");
  EXPECT_EQ(lUnneeded.Code(), -1106);
  EXPECT_EQ(lUnneeded.Message(), "Parameter 'price' sent when not required.");
  const TReply lStop = Client().SignedPost(
      "/api/v3/order",
      "symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.001&price=20000&stopPrice=1");
  EXPECT_EQ(lStop.Message(), "Parameter 'stopPrice' sent when not required.");
  const TReply lTwice = Client().SignedGet("/api/v3/openOrders", "symbol=BTCUSDT&symbol=ETHBTC");
  EXPECT_EQ(lTwice.Code(), -1101);
  EXPECT_EQ(lTwice.Message(), "Duplicate values for a parameter detected.");
  EXPECT_EQ(Client()
                .SignedPost("/api/v3/order", "symbol=BTCUSDT&side=HOLD&type=MARKET&quantity=1")
                .Code(),
            -1117);
  EXPECT_EQ(
      Client().SignedPost("/api/v3/order", "symbol=BTCUSDT&side=BUY&type=OCO&quantity=1").Code(),
      -1116);
  EXPECT_EQ(Client()
                .SignedPost("/api/v3/order",
                            "symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=DAY&quantity=1&price=1")
                .Code(),
            -1115);
  EXPECT_EQ(Client().SignedGet("/api/v3/allOrders").Message(),
            "Mandatory parameter 'symbol' was not sent, was empty/null, or malformed.");
}

TEST_F(TSigningTest, OnlyFormBodiesAreRead)
{
  // The signature covers the JSON text, but the parameters in it are never seen.
  const std::string lQuery = Client().Stamp("");
  const std::string lJson =
      R"({"symbol":"BTCUSDT","side":"BUY","type":"MARKET","quantity":"0.001"})";
  const TReply lReply =
      Client().Send("POST", "/api/v3/order", lQuery + "&signature=" + Client().Sign(lQuery), lJson,
                    {{"X-MBX-APIKEY", Client().ApiKey()}, {"Content-Type", "application/json"}});
  EXPECT_EQ(lReply.fStatus, 400);
  EXPECT_EQ(lReply.Message(),
            "Mandatory parameter 'symbol' was not sent, was empty/null, or malformed.");
}

TEST_F(TSigningTest, QueryAndBodyAreSignedConcatenated)
{
  Server().admin("/admin/feed", R"({"paused":true})");
  Server().admin("/admin/price", R"({"symbol":"ETHUSDT","price":"3000"})");
  const std::string lQuery = "symbol=ETHUSDT&side=BUY";
  const std::string lBody = Client().Stamp("type=LIMIT&timeInForce=GTC&quantity=0.01&price=2000");
  const TReply lReply = Client().Send(
      "POST", "/api/v3/order", lQuery, lBody + "&signature=" + Client().Sign(lQuery + lBody),
      {{"X-MBX-APIKEY", Client().ApiKey()}, {"Content-Type", "application/x-www-form-urlencoded"}});
  ASSERT_EQ(lReply.fStatus, 200) << lReply.fBody;
  EXPECT_EQ(lReply.Json()["status"], "NEW");
  // A DELETE signed over its query, with the harmless JSON content type the terminal sends.
  const TReply lCancel = Client().SignedDelete(
      "/api/v3/order",
      "symbol=ETHUSDT&orderId=" + std::to_string(lReply.Json()["orderId"].get<int64_t>()));
  EXPECT_EQ(lCancel.fStatus, 200) << lCancel.fBody;
  EXPECT_EQ(lCancel.Json()["status"], "CANCELED");
  Server().admin("/admin/feed", R"({"paused":false})");
}

} // namespace
} // namespace vexa::sim::test
