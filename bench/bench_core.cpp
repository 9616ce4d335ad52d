#include "log_writer.h"
#include "utils.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

std::unique_ptr<QTemporaryDir> gLogDir;

// The writer runs as it does for every user but the developer: it takes each entry out and
// drops it, so the figure is the caller's cost and no file grows during the run.
void StartLogWriter(const benchmark::State &)
{
  SetUserNameSource([] { return QStringLiteral("bench"); });
  gLogDir = std::make_unique<QTemporaryDir>();
  LogWriter = std::make_unique<TLogWriter>(gLogDir->path());
}

void StopLogWriter(const benchmark::State &)
{
  LogWriter.reset();
  gLogDir.reset();
  SetUserNameSource({});
}

// One WriteLog call (one allocation, one locked push) while four threads log at once.
void BM_WriteLog(benchmark::State &aState)
{
  const QString lText = QStringLiteral("TTickerPriceThread.DoParseResponse: 2143 symbols");
  const int lThreadID = aState.thread_index() + 1;
  for (auto _ : aState)
    WriteLog(lText, mtInfo, lThreadID);
  aState.SetItemsProcessed(aState.iterations());
}
BENCHMARK(BM_WriteLog)
    ->Setup(StartLogWriter)
    ->Teardown(StopLogWriter)
    ->Threads(4)
    ->UseRealTime()
    ->Iterations(200000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace

// main() is in bench_first_paint.cpp, which also runs start-up children.
