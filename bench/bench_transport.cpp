// Wall time of exchange requests on loopback against a real vexa-exchange over HTTPS: one
// request end to end (request thread start, transport thread, TLS handshake, answer, JSON
// parsing, hand-over to the GUI thread), and 20 requests at once.

#include "base_thread.h"
#include "exchange_process.h"
#include "methods.h"
#include "sys_time.h"
#include "workflow.h"

#include <benchmark/benchmark.h>

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

// A public price request, as the terminal's market-data threads make it.
class TPriceRequest : public TBaseThread
{
public:
  explicit TPriceRequest(QString aSymbol) : fSymbol(std::move(aSymbol)) {}
  int Items = 0;

protected:
  const TThreadTexts *Texts() const override { return &cTicker24hrThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override
  {
    return std::make_unique<TDMethodTickerPrice>();
  }
  void DoMakeRequest() override
  {
    fRequest = fSymbol.isEmpty() ? QString() : QStringLiteral("symbol=") + fSymbol;
  }
  void DoOutput() override { Items = fRootNode.isArray() ? int(fRootNode.toArray().size()) : 1; }

private:
  QString fSymbol;
};

double Percentile(std::vector<double> aValues, double aShare)
{
  std::sort(aValues.begin(), aValues.end());
  const auto lIndex = static_cast<size_t>(aShare * static_cast<double>(aValues.size() - 1));
  return aValues[lIndex];
}

void OneRequest(benchmark::State &aState, const QString &aSymbol)
{
  std::vector<double> lTimes;
  for (auto _ : aState) {
    QElapsedTimer lTimer;
    lTimer.start();
    TPriceRequest lRequest(aSymbol);
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

BENCHMARK(BM_PublicRequestOneSymbol)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(200);
BENCHMARK(BM_PublicRequestAllSymbols)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(100);
BENCHMARK(BM_TwentyConcurrentRequests)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);

} // namespace

int main(int argc, char **argv)
{
  QCoreApplication lApp(argc, argv);
  // A generous weight limit: the benchmark measures the transport, not the rate limiter.
  vexa::test::TExchangeProcess lExchange({"--weight-limit", "100000000"});
  QTemporaryDir lDir;
  QFile lServer(lDir.path() + QStringLiteral("/server.json"));
  if (!lServer.open(QIODevice::WriteOnly))
    return 1;
  lServer.write(
      QJsonDocument(
          QJsonObject{{QStringLiteral("server"), QString::fromStdString(lExchange.baseUrl())},
                      {QStringLiteral("caFile"), QString::fromStdString(lExchange.caFile())}})
          .toJson());
  lServer.close();
  Workflow = std::make_unique<TWorkflow>();
  Workflow->LoadServerURL(lDir.path());
  SysTime = std::make_unique<TSysTime>();

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  SysTime.reset();
  Workflow.reset();
  return 0;
}
