// The wire as the exchange speaks it: requests without a body length, pipelining, Date,
// connections that say nothing, gzip answers and the microsecond time unit.
#include "raw_connection.h"
#include "sim_fixture.h"

#include <zlib.h>

#include <algorithm>
#include <regex>

namespace vexa::sim::test {
namespace {

using TWireTest = TServerSuite<TDefaultArgs>;
using TSteady = std::chrono::steady_clock;

std::string Gunzip(const std::string &aData)
{
  z_stream lStream{};
  // 15 window bits plus 32: gzip or zlib, told by the header.
  if (inflateInit2(&lStream, 15 + 32) != Z_OK) {
    return "";
  }
  std::string lOut;
  char lBuffer[65536];
  lStream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(aData.data()));
  lStream.avail_in = static_cast<uInt>(aData.size());
  int lResult = Z_OK;
  while (lResult == Z_OK) {
    lStream.next_out = reinterpret_cast<Bytef *>(lBuffer);
    lStream.avail_out = sizeof(lBuffer);
    lResult = inflate(&lStream, Z_NO_FLUSH);
    lOut.append(lBuffer, sizeof(lBuffer) - lStream.avail_out);
  }
  inflateEnd(&lStream);
  return lResult == Z_STREAM_END ? lOut : "";
}

// Sends aRequest on a new TLS connection and reads the answers until the server closes.
std::vector<TRawAnswer> Exchange(const TExchangeProcess &aServer, const std::string &aRequest)
{
  TRawConnection lConnection(aServer.port());
  EXPECT_TRUE(lConnection.StartTls(aServer.caFile()));
  EXPECT_TRUE(lConnection.Send(aRequest));
  return ParseAnswers(lConnection.ReadAll(8000));
}

double SecondsSince(TSteady::time_point aStart)
{
  return std::chrono::duration<double>(TSteady::now() - aStart).count();
}

TEST_F(TWireTest, PostWithoutBodyOrLengthIsAnsweredAtOnce)
{
  const auto lStart = TSteady::now();
  const std::vector<TRawAnswer> lAnswers =
      Exchange(Server(), "POST /api/v3/order HTTP/1.1\r\nHost: 127.0.0.1\r\nX-MBX-APIKEY: " +
                             Server().apiKey() + "\r\nConnection: close\r\n\r\n");
  EXPECT_LT(SecondsSince(lStart), 2.0);
  ASSERT_EQ(lAnswers.size(), 1u);
  EXPECT_EQ(lAnswers[0].fStatus, 400);
  EXPECT_EQ(lAnswers[0].fBody,
            R"({"code":-1102,"msg":"Mandatory parameter 'timestamp' was not sent, was )"
            R"(empty/null, or malformed."})");
}

TEST_F(TWireTest, PipelinedRequestsAreAllAnsweredInOrder)
{
  const std::vector<TRawAnswer> lAnswers = Exchange(
      Server(), "GET /api/v3/ping HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
                "GET /api/v3/time HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n"
                "GET /api/v3/ping HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
  ASSERT_EQ(lAnswers.size(), 3u);
  EXPECT_EQ(lAnswers[0].fBody, "{}");
  EXPECT_NE(lAnswers[1].fBody.find("serverTime"), std::string::npos);
  EXPECT_EQ(lAnswers[2].fBody, "{}");
}

TEST_F(TWireTest, EveryAnswerCarriesADate)
{
  const std::regex lImfDate(R"([A-Z][a-z]{2}, \d{2} [A-Z][a-z]{2} \d{4} \d{2}:\d{2}:\d{2} GMT)");
  const std::vector<std::pair<std::string, int>> lCases = {
      {"GET /api/v3/ping HTTP/1.1", 200},  {"GET /api/v3/ticker/price?symbol=NOPE HTTP/1.1", 400},
      {"GET /nowhere HTTP/1.1", 404},      {"BREW /api/v3/ping HTTP/1.1", 400},
      {"POST /admin/price HTTP/1.1", 400},
  };
  for (const auto &[lLine, lStatus] : lCases) {
    const std::vector<TRawAnswer> lAnswers =
        Exchange(Server(), lLine + "\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    ASSERT_EQ(lAnswers.size(), 1u) << lLine;
    EXPECT_EQ(lAnswers[0].fStatus, lStatus) << lLine;
    ASSERT_TRUE(lAnswers[0].fHeaders.count("date")) << lLine;
    EXPECT_TRUE(std::regex_match(lAnswers[0].fHeaders.at("date"), lImfDate))
        << lAnswers[0].fHeaders.at("date");
  }
}

TEST_F(TWireTest, SilentAndUnfinishedConnectionsStallNobody)
{
  // Port probes that never send a TLS hello, and requests that never end.
  const auto lOpened = TSteady::now();
  std::vector<std::unique_ptr<TRawConnection>> lProbes;
  std::vector<std::unique_ptr<TRawConnection>> lUnfinished;
  for (int i = 0; i < 32; ++i) {
    lProbes.push_back(std::make_unique<TRawConnection>(Server().port()));
  }
  for (int i = 0; i < 32; ++i) {
    lUnfinished.push_back(std::make_unique<TRawConnection>(Server().port()));
    ASSERT_TRUE(lUnfinished.back()->StartTls(Server().caFile())) << i;
    ASSERT_TRUE(lUnfinished.back()->Send("GET /api/v3/ping HTTP/1.1\r\nHost: 127."));
  }
  const TReply lReply = Client().Get("/api/v3/time");
  EXPECT_EQ(lReply.fStatus, 200);
  EXPECT_LT(lReply.fSeconds, 1.0);
  // The probes are dropped once the handshake time (2 s) is up.
  for (const auto &lProbe : lProbes) {
    EXPECT_TRUE(
        lProbe->ClosedWithin(std::max(0, static_cast<int>(4000 - SecondsSince(lOpened) * 1000))));
  }
}

TEST_F(TWireTest, GzipWhenTheClientTakesIt)
{
  const std::string lKlines = "/api/v3/klines?symbol=BTCUSDT&interval=1h&startTime=1700000000000"
                              "&limit=300";
  const TReply lPlain = Client().Get(lKlines);
  ASSERT_EQ(lPlain.fStatus, 200);
  EXPECT_FALSE(lPlain.fHeaders.count("content-encoding"));
  const TReply lError = Client().Get("/api/v3/klines", "symbol=NOPE&interval=1h");
  ASSERT_EQ(lError.fStatus, 400);

  struct TCase
  {
    std::string fTarget;
    std::string fAccept;
    const TReply *fIdentity;
    bool fGzip;
  };
  const std::vector<TCase> lCases = {
      {lKlines, "gzip", &lPlain, true},
      {lKlines, "deflate, gzip, br, zstd", &lPlain, true},
      {"/api/v3/klines?symbol=NOPE&interval=1h", "gzip", &lError, true},
      {lKlines, "gzip;q=0, br", &lPlain, false},
      {lKlines, "identity", &lPlain, false},
  };
  for (const TCase &lCase : lCases) {
    const std::vector<TRawAnswer> lAnswers = Exchange(
        Server(), "GET " + lCase.fTarget + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" +
                      "Accept-Encoding: " + lCase.fAccept + "\r\nConnection: close\r\n\r\n");
    ASSERT_EQ(lAnswers.size(), 1u) << lCase.fAccept;
    const TRawAnswer &lAnswer = lAnswers[0];
    EXPECT_EQ(lAnswer.fStatus, lCase.fIdentity->fStatus);
    if (lCase.fGzip) {
      EXPECT_EQ(lAnswer.fHeaders.at("content-encoding"), "gzip") << lCase.fAccept;
      EXPECT_EQ(Gunzip(lAnswer.fBody), lCase.fIdentity->fBody) << lCase.fAccept;
    } else {
      EXPECT_FALSE(lAnswer.fHeaders.count("content-encoding")) << lCase.fAccept;
      EXPECT_EQ(lAnswer.fBody, lCase.fIdentity->fBody) << lCase.fAccept;
    }
  }
}

TEST_F(TWireTest, MicrosecondTimeUnitScalesEveryTime)
{
  const std::map<std::string, std::string> lMicro = {{"X-MBX-TIME-UNIT", "MICROSECOND"}};
  const int64_t lMs = Client().Get("/api/v3/time").Json()["serverTime"];
  for (const std::string lUnit : {"MICROSECOND", "microsecond"}) {
    const int64_t lUs =
        Client().Get("/api/v3/time", "", {{"X-MBX-TIME-UNIT", lUnit}}).Json()["serverTime"];
    EXPECT_NEAR(static_cast<double>(lUs) / 1000.0, static_cast<double>(lMs), 3000.0) << lUnit;
  }

  const std::string lQuery = "symbol=BTCUSDT&interval=1m&startTime=1700000000000&limit=2";
  const nlohmann::json lKlineMs = Client().Get("/api/v3/klines", lQuery).Json()[0];
  const nlohmann::json lKlineUs = Client().Get("/api/v3/klines", lQuery, lMicro).Json()[0];
  EXPECT_EQ(lKlineUs[0].get<int64_t>(), lKlineMs[0].get<int64_t>() * 1000);
  EXPECT_EQ(lKlineUs[6].get<int64_t>(), (lKlineMs[6].get<int64_t>() + 1) * 1000 - 1);

  const nlohmann::json lDayMs = Client().Get("/api/v3/ticker/24hr", "symbol=ETHBTC").Json();
  const nlohmann::json lDayUs = Client().Get("/api/v3/ticker/24hr", "symbol=ETHBTC", lMicro).Json();
  EXPECT_NEAR(static_cast<double>(lDayUs["openTime"].get<int64_t>()) / 1000.0,
              static_cast<double>(lDayMs["openTime"].get<int64_t>()), 3000.0);

  // Signed answers too: a resting order as placed and as listed.
  Server().admin("/admin/price", R"({"symbol":"BTCUSDT","price":"50000"})");
  const std::string lBody = Client().Stamp(
      "symbol=BTCUSDT&side=BUY&type=LIMIT&timeInForce=GTC&quantity=0.001&price=20000");
  const TReply lPlaced =
      Client().Send("POST", "/api/v3/order", "", lBody + "&signature=" + Client().Sign(lBody),
                    {{"X-MBX-APIKEY", Client().ApiKey()},
                     {"X-MBX-TIME-UNIT", "MICROSECOND"},
                     {"Content-Type", "application/x-www-form-urlencoded"}});
  ASSERT_EQ(lPlaced.fStatus, 200) << lPlaced.fBody;
  const int64_t lTransactUs = lPlaced.Json()["transactTime"];
  EXPECT_NEAR(static_cast<double>(lTransactUs) / 1000.0, static_cast<double>(Client().NowMs()),
              5000.0);
  const std::string lOpenQuery = Client().Stamp("symbol=BTCUSDT");
  const TReply lOpen = Client().Send(
      "GET", "/api/v3/openOrders", lOpenQuery + "&signature=" + Client().Sign(lOpenQuery), "",
      {{"X-MBX-APIKEY", Client().ApiKey()}, {"X-MBX-TIME-UNIT", "MICROSECOND"}});
  ASSERT_EQ(lOpen.fStatus, 200) << lOpen.fBody;
  ASSERT_EQ(lOpen.Json().size(), 1u);
  EXPECT_EQ(lOpen.Json()[0]["time"].get<int64_t>(), lTransactUs);
  EXPECT_EQ(lOpen.Json()[0]["workingTime"].get<int64_t>(), lTransactUs);

  const TReply lBad = Client().Get("/api/v3/time", "", {{"X-MBX-TIME-UNIT", "SECOND"}});
  EXPECT_EQ(lBad.fStatus, 400);
  EXPECT_EQ(lBad.fBody, R"({"code":-1194,"msg":"Invalid value for time unit; expected either )"
                        R"(MICROSECOND or MILLISECOND."})");
}

} // namespace
} // namespace vexa::sim::test
