// Start-up, certificates, TLS versions, plain HTTP, loopback binding, request log, shutdown.
#include "sim_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace vexa::sim::test {
namespace {

std::string ReadFile(const std::filesystem::path &aPath)
{
  std::ifstream lIn(aPath);
  std::stringstream lText;
  lText << lIn.rdbuf();
  return lText.str();
}

std::string MakeStateDir(const std::string &aName)
{
  const std::filesystem::path lDir =
      std::filesystem::temp_directory_path() / (aName + "-" + std::to_string(::getpid()));
  std::filesystem::remove_all(lDir);
  std::filesystem::create_directories(lDir);
  return lDir.string();
}

TEST(Serving, ReadyLineGivesHttpsUrlAndTrustedCa)
{
  TExchangeProcess lServer;
  EXPECT_EQ(lServer.baseUrl(), "https://127.0.0.1:" + std::to_string(lServer.port()));
  EXPECT_GT(lServer.port(), 0);
  EXPECT_TRUE(std::filesystem::exists(lServer.caFile()));
  TSimClient lClient(lServer.baseUrl(), lServer.caFile());
  const TReply lReply = lClient.Get("/api/v3/ping");
  ASSERT_EQ(lReply.fCurlCode, CURLE_OK) << curl_easy_strerror(lReply.fCurlCode);
  EXPECT_EQ(lReply.fStatus, 200);
  EXPECT_EQ(lReply.fBody, "{}");
  EXPECT_EQ(lReply.fHeaders.at("content-type"), "application/json;charset=UTF-8");

  // Without the CA the certificate must not verify.
  TSimClient lStranger(lServer.baseUrl(), "/etc/ssl/certs/ca-certificates.crt");
  EXPECT_NE(lStranger.Get("/api/v3/ping").fCurlCode, CURLE_OK);
}

TEST(Serving, RestartReusesCertificatesAndDemoKeys)
{
  const std::string lDir = MakeStateDir("vexa-sim-restart");
  std::string lCa;
  std::string lServerCert;
  std::string lApiKey;
  {
    TExchangeProcess lFirst(TExchangeProcess::TConfig{{}, lDir, {}, 15000});
    lCa = ReadFile(lFirst.caFile());
    lServerCert = ReadFile(std::filesystem::path(lDir) / "server.pem");
    lApiKey = lFirst.apiKey();
    EXPECT_EQ(lFirst.apiKey().size(), 64u);
    EXPECT_EQ(lFirst.secretKey().size(), 64u);
    EXPECT_EQ(lFirst.stop(), 0);
  }
  struct stat lInfo
  {
  };
  ASSERT_EQ(::stat((lDir + "/demo-account.json").c_str(), &lInfo), 0);
  EXPECT_EQ(lInfo.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat((lDir + "/server-key.pem").c_str(), &lInfo), 0);
  EXPECT_EQ(lInfo.st_mode & 0777, 0600u);
  {
    TExchangeProcess lSecond(TExchangeProcess::TConfig{{}, lDir, {}, 15000});
    EXPECT_EQ(ReadFile(lSecond.caFile()), lCa);
    EXPECT_EQ(ReadFile(std::filesystem::path(lDir) / "server.pem"), lServerCert);
    EXPECT_EQ(lSecond.apiKey(), lApiKey);
    TSimClient lClient(lSecond.baseUrl(), lSecond.caFile());
    EXPECT_EQ(lClient.Get("/api/v3/ping").fStatus, 200);
  }
  // A damaged server certificate is replaced, the CA kept.
  std::ofstream(std::filesystem::path(lDir) / "server.pem") << "garbage";
  {
    TExchangeProcess lThird(TExchangeProcess::TConfig{{}, lDir, {}, 15000});
    EXPECT_EQ(ReadFile(lThird.caFile()), lCa);
    TSimClient lClient(lThird.baseUrl(), lThird.caFile());
    EXPECT_EQ(lClient.Get("/api/v3/ping").fStatus, 200);
  }
  std::filesystem::remove_all(lDir);
}

TEST(Serving, SpeaksTls12AndTls13)
{
  TExchangeProcess lServer;
  const long lTls12 =
      static_cast<long>(CURL_SSLVERSION_TLSv1_2) | static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2);
  const long lTls13 =
      static_cast<long>(CURL_SSLVERSION_TLSv1_3) | static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_3);
  for (long lVersion : {lTls12, lTls13}) {
    TSimClient lClient(lServer.baseUrl(), lServer.caFile());
    lClient.SetTlsVersion(lVersion);
    const TReply lReply = lClient.Get("/api/v3/time");
    EXPECT_EQ(lReply.fCurlCode, CURLE_OK) << curl_easy_strerror(lReply.fCurlCode);
    EXPECT_EQ(lReply.fStatus, 200);
  }
}

TEST(Serving, PlainHttpForDebugging)
{
  TExchangeProcess lServer({"--http"});
  EXPECT_EQ(lServer.baseUrl().rfind("http://127.0.0.1:", 0), 0u);
  TSimClient lClient(lServer.baseUrl(), lServer.caFile());
  EXPECT_EQ(lClient.Get("/api/v3/ping").fStatus, 200);
}

TEST(Serving, ListensOnLoopbackOnly)
{
  TExchangeProcess lServer;
  char lPort[8];
  std::snprintf(lPort, sizeof lPort, "%04X", lServer.port());
  std::ifstream lTable("/proc/net/tcp");
  std::string lLine;
  int lListening = 0;
  while (std::getline(lTable, lLine)) {
    std::istringstream lFields(lLine);
    std::string lSlot;
    std::string lLocal;
    std::string lRemote;
    std::string lState;
    lFields >> lSlot >> lLocal >> lRemote >> lState;
    if (lState == "0A" && lLocal.substr(lLocal.find(':') + 1) == lPort) {
      ++lListening;
      EXPECT_EQ(lLocal.substr(0, lLocal.find(':')), "0100007F") << lLine;
    }
  }
  EXPECT_EQ(lListening, 1);
}

TEST(Serving, RequestLogHasOneLinePerRequest)
{
  const std::string lDir = MakeStateDir("vexa-sim-log");
  const std::string lLog = lDir + "/requests.log";
  {
    TExchangeProcess lServer({"--request-log", lLog});
    auto lClient = ClientFor(lServer);
    lClient->Get("/api/v3/ticker/price", "symbol=BTCUSDT");
    lClient->SignedPost("/api/v3/order", "symbol=BTCUSDT&side=BUY&type=MARKET&quantity=1e-3");
  }
  std::ifstream lIn(lLog);
  std::vector<std::vector<std::string>> lLines;
  std::string lLine;
  while (std::getline(lIn, lLine)) {
    std::vector<std::string> lFields;
    std::istringstream lSplit(lLine);
    std::string lField;
    while (std::getline(lSplit, lField, '\t')) {
      lFields.push_back(lField);
    }
    lLines.push_back(lFields);
  }
  ASSERT_EQ(lLines.size(), 2u);
  ASSERT_EQ(lLines[0].size(), 8u);
  EXPECT_EQ(lLines[0][1], "GET");
  EXPECT_EQ(lLines[0][2], "/api/v3/ticker/price?symbol=BTCUSDT");
  EXPECT_EQ(lLines[0][3], "-");
  EXPECT_EQ(lLines[0][4], "key=no");
  EXPECT_EQ(lLines[0][5], "200");
  EXPECT_GE(std::stod(lLines[0][6]), 0.0);
  ASSERT_EQ(lLines[1].size(), 8u);
  EXPECT_EQ(lLines[1][1], "POST");
  EXPECT_EQ(lLines[1][2], "/api/v3/order");
  EXPECT_NE(lLines[1][3].find("quantity=1e-3"), std::string::npos);
  EXPECT_EQ(lLines[1][4], "key=yes");
  EXPECT_EQ(lLines[1][5], "400");
  std::filesystem::remove_all(lDir);
}

TEST(Serving, StopsCleanlyOnSigtermAtOnceAndWithIdleConnections)
{
  // Right after the ready line, before the accept loop may be running.
  TExchangeProcess lQuick;
  EXPECT_EQ(lQuick.stop(), 0);

  TExchangeProcess lServer;
  TSimClient lClient(lServer.baseUrl(), lServer.caFile());
  ASSERT_EQ(lClient.Get("/api/v3/ping").fStatus, 200); // the connection stays open
  const auto lStart = std::chrono::steady_clock::now();
  EXPECT_EQ(lServer.stop(), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - lStart, std::chrono::seconds(3));
}

TEST(Serving, BadOptionsExitWithStatus2)
{
  for (const char *lBad : {"--fail-rate=2", "--symbols=0", "--bogus"}) {
    try {
      TExchangeProcess lServer({lBad});
      ADD_FAILURE() << lBad << " was accepted";
    } catch (const std::runtime_error &aError) {
      EXPECT_NE(std::string(aError.what()).find("status 2"), std::string::npos) << aError.what();
    }
  }
}

TEST(Serving, AccountsFileReplacesTheDemoAccount)
{
  const std::string lDir = MakeStateDir("vexa-sim-accounts");
  const std::string lFile = lDir + "/accounts.json";
  std::ofstream(lFile) << R"({"accounts":[
    {"name":"alice","apiKey":"aliceKey1","secretKey":"aliceSecret","balances":{"USDT":"250.5"}},
    {"name":"bob","apiKey":"bobKey2","secretKey":"bobSecret",
     "balances":[{"asset":"BTC","free":"2"}]}]})";
  TExchangeProcess lServer(
      TExchangeProcess::TConfig{{"--accounts", lFile}, lDir + "/state", {}, 15000});
  EXPECT_TRUE(lServer.apiKey().empty());
  EXPECT_FALSE(std::filesystem::exists(lDir + "/state/demo-account.json"));
  TSimClient lClient(lServer.baseUrl(), lServer.caFile());
  auto lFree = [&lClient](const std::string &aAsset) {
    const TReply lReply = lClient.SignedGet("/api/v3/account", "omitZeroBalances=true");
    EXPECT_EQ(lReply.fStatus, 200) << lReply.fBody;
    const nlohmann::json lAccount = lReply.Json();
    for (const auto &lBalance : lAccount["balances"]) {
      if (lBalance["asset"] == aAsset) {
        return lBalance["free"].get<std::string>();
      }
    }
    return std::string("none");
  };
  lClient.SetKeys("aliceKey1", "aliceSecret");
  EXPECT_EQ(lFree("USDT"), "250.50000000");
  lClient.SetKeys("bobKey2", "bobSecret");
  EXPECT_EQ(lFree("BTC"), "2.00000000");
  EXPECT_EQ(lFree("USDT"), "none");
  lServer.stop();

  std::ofstream(lFile) << R"({"accounts":[{"apiKey":"bad key!","secretKey":"x"}]})";
  EXPECT_THROW(TExchangeProcess(TExchangeProcess::TConfig{{"--accounts", lFile}, {}, {}, 15000}),
               std::runtime_error);
  std::filesystem::remove_all(lDir);
}

} // namespace
} // namespace vexa::sim::test
