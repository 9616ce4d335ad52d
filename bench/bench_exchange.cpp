// vexa-exchange under load: all-symbol prices over HTTPS keep-alive on loopback, and the
// time to answer a 1000-kline page, over HTTPS and inside the server (generation + JSON).
#include "clock.h"
#include "exchange_process.h"
#include "klines_service.h"
#include "market.h"
#include "symbols.h"

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

namespace {

size_t Discard(char *, size_t aSize, size_t aCount, void *aTarget)
{
  *static_cast<size_t *>(aTarget) += aSize * aCount;
  return aSize * aCount;
}

vexa::test::TExchangeProcess &Server()
{
  // One server for the whole run; a high limit so that the benchmark is never refused.
  static vexa::test::TExchangeProcess sServer({"--weight-limit", "1000000000", "--seed", "1"});
  return sServer;
}

// One easy handle for all iterations: the TLS connection is kept alive and reused.
class TKeepAliveClient
{
public:
  TKeepAliveClient() : fCurl(curl_easy_init())
  {
    curl_easy_setopt(fCurl, CURLOPT_CAINFO, Server().caFile().c_str());
    curl_easy_setopt(fCurl, CURLOPT_WRITEFUNCTION, Discard);
    curl_easy_setopt(fCurl, CURLOPT_WRITEDATA, &fBytes);
    curl_easy_setopt(fCurl, CURLOPT_NOSIGNAL, 1L);
  }
  ~TKeepAliveClient() { curl_easy_cleanup(fCurl); }
  TKeepAliveClient(const TKeepAliveClient &) = delete;
  TKeepAliveClient &operator=(const TKeepAliveClient &) = delete;

  bool Get(const std::string &aPathAndQuery)
  {
    const std::string lUrl = Server().baseUrl() + aPathAndQuery;
    curl_easy_setopt(fCurl, CURLOPT_URL, lUrl.c_str());
    long lStatus = 0;
    const bool lOk = curl_easy_perform(fCurl) == CURLE_OK &&
                     curl_easy_getinfo(fCurl, CURLINFO_RESPONSE_CODE, &lStatus) == CURLE_OK &&
                     lStatus == 200;
    return lOk;
  }
  size_t Bytes() const { return fBytes; }
  void PinTls12()
  {
    curl_easy_setopt(fCurl, CURLOPT_SSLVERSION,
                     static_cast<long>(CURL_SSLVERSION_TLSv1_2) |
                         static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2));
  }

private:
  CURL *fCurl;
  size_t fBytes = 0;
};

void TickerPriceAllSymbols(benchmark::State &aState)
{
  TKeepAliveClient lClient;
  for (auto lIgnored : aState) {
    if (!lClient.Get("/api/v3/ticker/price")) {
      aState.SkipWithError("request failed");
      break;
    }
  }
  aState.SetItemsProcessed(aState.iterations());
  aState.counters["bytes/answer"] = static_cast<double>(lClient.Bytes()) /
                                    static_cast<double>(std::max<int64_t>(1, aState.iterations()));
}
BENCHMARK(TickerPriceAllSymbols)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(3.0);

// The terminal's own way: a new TLS 1.2 connection for every exchange.
void TickerPriceNewConnection(benchmark::State &aState)
{
  for (auto lIgnored : aState) {
    TKeepAliveClient lClient;
    lClient.PinTls12();
    if (!lClient.Get("/api/v3/ticker/price?symbol=BTCUSDT")) {
      aState.SkipWithError("request failed");
      break;
    }
  }
  aState.SetItemsProcessed(aState.iterations());
}
BENCHMARK(TickerPriceNewConnection)->Unit(benchmark::kMicrosecond)->UseRealTime();

void KlinesPageOverHttps(benchmark::State &aState, const char *aInterval)
{
  TKeepAliveClient lClient;
  const std::string lQuery =
      std::string("/api/v3/klines?symbol=BTCUSDT&limit=1000&interval=") + aInterval;
  for (auto lIgnored : aState) {
    if (!lClient.Get(lQuery)) {
      aState.SkipWithError("request failed");
      break;
    }
  }
  aState.SetItemsProcessed(aState.iterations());
}
BENCHMARK_CAPTURE(KlinesPageOverHttps, 1m, "1m")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(KlinesPageOverHttps, 30m, "30m")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(KlinesPageOverHttps, 1h, "1h")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(KlinesPageOverHttps, 1d, "1d")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(KlinesPageOverHttps, 1w, "1w")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(KlinesPageOverHttps, 1M, "1M")->Unit(benchmark::kMillisecond)->UseRealTime();

// What the server itself spends on a page: selection, generation and JSON.
void KlinesPageInServer(benchmark::State &aState, const char *aInterval)
{
  using namespace vexa::sim;
  static const TClock sClock;
  static const TSymbolCatalogue sCatalogue(1, 400, sClock.NowMs());
  static const TMarket sMarket(sCatalogue, sClock, sClock.NowMs() / cMinuteMs * cMinuteMs);
  const TKlinesService lService(sMarket);
  TKlineQuery lQuery;
  lQuery.fSymbol = 0;
  lQuery.fInterval = *TInterval::Parse(aInterval);
  lQuery.fLimit = 1000;
  size_t lKlines = 0;
  for (auto lIgnored : aState) {
    std::string lJson;
    const std::vector<TKline> lPage = lService.Page(lQuery, sClock.NowMs());
    TKlinesService::AppendJson(lJson, lPage);
    lKlines = lPage.size();
    benchmark::DoNotOptimize(lJson.data());
  }
  aState.counters["klines"] = static_cast<double>(lKlines);
}
BENCHMARK_CAPTURE(KlinesPageInServer, 1m, "1m")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KlinesPageInServer, 30m, "30m")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KlinesPageInServer, 1h, "1h")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KlinesPageInServer, 1d, "1d")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KlinesPageInServer, 1w, "1w")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KlinesPageInServer, 1M, "1M")->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
