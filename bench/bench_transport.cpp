// Wall time of exchange requests on loopback against a real vexa-exchange over HTTPS: one
// request end to end (request thread start, transport thread, TLS handshake, answer, JSON
// parsing, hand-over to the GUI thread), 20 requests at once, and the 24-hour statistics of
// 3,000 symbols with the bytes they take on the wire.

#include "base_thread.h"
#include "exchange_process.h"
#include "methods.h"
#include "sys_time.h"
#include "workflow.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

// A public request, as the terminal's market-data threads make it: prices by default.
class TPriceRequest : public TBaseThread
{
public:
  explicit TPriceRequest(QString aSymbol, bool aDayStatistics = false)
      : fSymbol(std::move(aSymbol)), fDayStatistics(aDayStatistics)
  {
  }
  int Items = 0;

protected:
  const TThreadTexts *Texts() const override { return &cTicker24hrThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override
  {
    if (fDayStatistics)
      return std::make_unique<TDMethodTicker24hr>();
    return std::make_unique<TDMethodTickerPrice>();
  }
  void DoMakeRequest() override
  {
    fRequest = fSymbol.isEmpty() ? QString() : QStringLiteral("symbol=") + fSymbol;
  }
  void DoOutput() override { Items = fRootNode.isArray() ? int(fRootNode.toArray().size()) : 1; }

private:
  QString fSymbol;
  bool fDayStatistics = false;
};

// One server for the short requests; a high limit: the benchmark measures the transport, not
// the rate limiter.
vexa::test::TExchangeProcess &MainExchange()
{
  static vexa::test::TExchangeProcess sExchange({"--weight-limit", "100000000"});
  return sExchange;
}

// Points the terminal at aExchange through a server.json, as the terminal finds its server.
bool UseExchange(const vexa::test::TExchangeProcess &aExchange)
{
  static QTemporaryDir sDir;
  QFile lServer(sDir.path() + QStringLiteral("/server.json"));
  if (!lServer.open(QIODevice::WriteOnly | QIODevice::Truncate))
    return false;
  lServer.write(
      QJsonDocument(
          QJsonObject{{QStringLiteral("server"), QString::fromStdString(aExchange.baseUrl())},
                      {QStringLiteral("caFile"), QString::fromStdString(aExchange.caFile())}})
          .toJson());
  lServer.close();
  Workflow->LoadServerURL(sDir.path());
  return true;
}

double Percentile(std::vector<double> aValues, double aShare)
{
  std::sort(aValues.begin(), aValues.end());
  const auto lIndex = static_cast<size_t>(aShare * static_cast<double>(aValues.size() - 1));
  return aValues[lIndex];
}

void OneRequest(benchmark::State &aState, const QString &aSymbol, bool aDayStatistics = false)
{
  std::vector<double> lTimes;
  for (auto _ : aState) {
    QElapsedTimer lTimer;
    lTimer.start();
    TPriceRequest lRequest(aSymbol, aDayStatistics);
    lRequest.Start();
    lRequest.WaitFor();
    lTimes.push_back(static_cast<double>(lTimer.nsecsElapsed()) / 1e6);
    if (lRequest.Items == 0) {
      aState.SkipWithError("no answer from the exchange");
      break;
    }
  }
  if (lTimes.empty())
    return;
  aState.counters["median_ms"] = Percentile(lTimes, 0.5);
  aState.counters["p95_ms"] = Percentile(lTimes, 0.95);
}

void BM_PublicRequestOneSymbol(benchmark::State &aState)
{
  OneRequest(aState, QStringLiteral("BTCUSDT"));
}

void BM_PublicRequestAllSymbols(benchmark::State &aState)
{
  OneRequest(aState, QString());
}

void BM_TwentyConcurrentRequests(benchmark::State &aState)
{
  constexpr int cCount = 20;
  for (auto _ : aState) {
    std::vector<std::unique_ptr<TPriceRequest>> lRequests;
    for (int i = 0; i < cCount; ++i) {
      lRequests.push_back(std::make_unique<TPriceRequest>(QStringLiteral("BTCUSDT")));
      lRequests.back()->Start();
    }
    for (auto &lRequest : lRequests)
      lRequest->WaitFor();
  }
  aState.counters["requests_per_s"] = benchmark::Counter(
      static_cast<double>(aState.iterations() * cCount), benchmark::Counter::kIsRate);
}

size_t CountBytes(char *, size_t aSize, size_t aCount, void *aTotal)
{
  *static_cast<size_t *>(aTotal) += aSize * aCount;
  return aSize * aCount;
}

// Body bytes of one answer as they travel, with or without asking for compression.
size_t WireBytes(const std::string &aUrl, const std::string &aCaFile, bool aCompressed)
{
  size_t lBytes = 0;
  CURL *lCurl = curl_easy_init();
  curl_easy_setopt(lCurl, CURLOPT_URL, aUrl.c_str());
  curl_easy_setopt(lCurl, CURLOPT_CAINFO, aCaFile.c_str());
  curl_easy_setopt(lCurl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(lCurl, CURLOPT_WRITEFUNCTION, CountBytes);
  curl_easy_setopt(lCurl, CURLOPT_WRITEDATA, &lBytes);
  if (aCompressed)
    curl_easy_setopt(lCurl, CURLOPT_ACCEPT_ENCODING, "gzip");
  curl_easy_setopt(lCurl, CURLOPT_HTTP_CONTENT_DECODING, 0L);
  const bool lOk = curl_easy_perform(lCurl) == CURLE_OK;
  curl_easy_cleanup(lCurl);
  return lOk ? lBytes : 0;
}

// The 24-hour statistics of every symbol on an exchange of 3,000 symbols, end to end.
void BM_DayStatistics3000Symbols(benchmark::State &aState)
{
  static vexa::test::TExchangeProcess sLarge({"--weight-limit", "100000000", "--symbols", "3000"});
  if (!UseExchange(sLarge)) {
    aState.SkipWithError("cannot write server.json");
    return;
  }
  OneRequest(aState, QString(), true);
  UseExchange(MainExchange());
  const std::string lUrl = sLarge.baseUrl() + "/api/v3/ticker/24hr";
  aState.counters["plain_kB"] =
      static_cast<double>(WireBytes(lUrl, sLarge.caFile(), false)) / 1024.0;
  aState.counters["gzip_kB"] = static_cast<double>(WireBytes(lUrl, sLarge.caFile(), true)) / 1024.0;
}

BENCHMARK(BM_PublicRequestOneSymbol)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_PublicRequestAllSymbols)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);
BENCHMARK(BM_TwentyConcurrentRequests)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_DayStatistics3000Symbols)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
  QCoreApplication lApp(argc, argv);
  Workflow = std::make_unique<TWorkflow>();
  if (!UseExchange(MainExchange()))
    return 1;
  SysTime = std::make_unique<TSysTime>();

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SysTime.reset();
  Workflow.reset();
  return 0;
}
