// Ten charts (and, to compare, none) in the running terminal against vexa-exchange for one minute:
// the terminal's CPU time over wall time once the histories are in, its peak resident memory, and
// the longest stall of its GUI thread. The terminal runs as a child (this program with a flag) so
// that its figures are its own; a 10 ms timer on its GUI thread measures the stalls. On a busy
// machine a stall may be time the thread waited for a core: the most CPU time the GUI thread
// itself spent between two ticks of the timer is reported beside it.
#include "builder.h"
#include "chart_item.h"
#include "chart_list.h"
#include "exchange_process.h"
#include "utils.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <curl/curl.h>
#include <openssl/ssl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <sys/resource.h>
#include <unistd.h>

namespace {

constexpr const char *cChildFlag = "--charts-child";
constexpr int cMaxCharts = 10;
// Charts the child expects to load (the benchmark's argument).
int gCharts = cMaxCharts;
constexpr qint64 cMeasureMs = 60000;

double CpuSeconds()
{
  rusage lUsage{};
  getrusage(RUSAGE_SELF, &lUsage);
  return lUsage.ru_utime.tv_sec + lUsage.ru_stime.tv_sec +
         (lUsage.ru_utime.tv_usec + lUsage.ru_stime.tv_usec) / 1e6;
}

double ThreadCpuMs()
{
  timespec lTime{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &lTime);
  return lTime.tv_sec * 1e3 + lTime.tv_nsec / 1e6;
}

double PeakRssMb()
{
  QFile lStatus(QStringLiteral("/proc/self/status"));
  if (!lStatus.open(QIODevice::ReadOnly))
    return 0;
  for (const QByteArray &lLine : lStatus.readAll().split('\n'))
    if (lLine.startsWith("VmHWM:"))
      return lLine.mid(6).trimmed().split(' ').front().toDouble() / 1024;
  return 0;
}

bool AllLoaded()
{
  if (!ChartList || ChartList->Count() < gCharts)
    return false;
  for (int i = 0; i < ChartList->Count(); ++i)
    if (ChartList->GetItem(i)->IsLoading())
      return false;
  return true;
}

// The terminal's own start-up, measured from inside; prints
// "load_s cpu_pct rss_mb stall_ms busy_ms".
int RunChild(int argc, char **argv)
{
  OPENSSL_init_ssl(0, nullptr);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  QApplication lApp(argc, argv);
  SetExeFolder(QString::fromLocal8Bit(argv[2]));
  gCharts = std::atoi(argv[3]);
  QElapsedTimer lWall;
  lWall.start();
  double lLoadedAt = -1;
  double lCpuAtLoad = 0;
  qint64 lLast = 0;
  qint64 lStall = 0;
  double lCpuLast = 0;
  double lBusy = 0;
  QTimer lProbe;
  lProbe.setTimerType(Qt::PreciseTimer);
  lProbe.setInterval(10);
  QObject::connect(&lProbe, &QTimer::timeout, [&] {
    const qint64 lNow = lWall.elapsed();
    if (lLoadedAt < 0) {
      if (AllLoaded()) {
        lLoadedAt = lNow;
        lCpuAtLoad = CpuSeconds();
      }
    } else {
      lStall = std::max(lStall, lNow - lLast - 10);
      lBusy = std::max(lBusy, ThreadCpuMs() - lCpuLast);
      if (lNow - lLoadedAt >= cMeasureMs) {
        const double lCpu = CpuSeconds() - lCpuAtLoad;
        std::printf("%.2f %.2f %.1f %lld %.1f\n", lLoadedAt / 1000.0,
                    100.0 * lCpu / ((lNow - lLoadedAt) / 1000.0), PeakRssMb(),
                    static_cast<long long>(lStall), lBusy);
        std::fflush(stdout);
        _exit(0);
      }
    }
    lLast = lNow;
    lCpuLast = ThreadCpuMs();
  });
  lProbe.start();
  Builder().BuildOnStart();
  QApplication::exec();
  return 1;
}

void WriteJson(const QString &aFileName, const QJsonObject &aRoot)
{
  QFile lFile(aFileName);
  lFile.open(QIODevice::WriteOnly);
  lFile.write(QJsonDocument(aRoot).toJson());
}

void BM_TenChartsOneMinute(benchmark::State &aState)
{
  vexa::test::TExchangeProcess lExchange({"--symbols", "100"});
  QTemporaryDir lDir;
  const QString lExe = lDir.filePath(QStringLiteral("exe"));
  const QString lRoaming = lDir.filePath(QStringLiteral("roaming"));
  QDir().mkpath(lExe);
  QDir().mkpath(lRoaming + QStringLiteral("/Norvale/Vexa"));
  WriteJson(lExe + QStringLiteral("/server.json"),
            {{"server", QString::fromStdString(lExchange.baseUrl())},
             {"caFile", QString::fromStdString(lExchange.caFile())}});
  const int lCount = static_cast<int>(aState.range(0));
  const char *lSymbols[cMaxCharts] = {"BTCUSDT", "ETHUSDT", "ETHBTC",   "BNBUSDT", "SOLUSDT",
                                      "XRPUSDT", "ADAUSDT", "DOGEUSDT", "BNBBTC",  "SOLBTC"};
  const int lIntervals[cMaxCharts] = {0, 2, 3, 5, 7, 11, 4, 13, 1, 6};
  QJsonArray lCharts;
  for (int i = 0; i < lCount; ++i)
    lCharts.append(QJsonObject{{"symbol", lSymbols[i]},
                               {"interval", lIntervals[i]},
                               {"left", (i % 5) * 312},
                               {"top", (i / 5) * 400},
                               {"width", 304},
                               {"height", 392},
                               {"zoom", 3},
                               {"chartType", 1},
                               {"background", 16777215},
                               {"showVolume", true},
                               {"showGrid", true},
                               {"chartAutoMove", true}});
  WriteJson(lRoaming + QStringLiteral("/Norvale/Vexa/charts.json"),
            {{"charts", lCharts}, {"full", false}});

  for (auto _ : aState) {
    QProcess lChild;
    QProcessEnvironment lEnv = QProcessEnvironment::systemEnvironment();
    lEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    lEnv.insert(QStringLiteral("APPDATA"), lRoaming);
    lEnv.insert(QStringLiteral("LOCALAPPDATA"), lDir.filePath(QStringLiteral("local")));
    lChild.setProcessEnvironment(lEnv);
    lChild.start(QString::fromLocal8Bit(program_invocation_name),
                 {QString::fromLatin1(cChildFlag), lExe, QString::number(lCount)});
    if (!lChild.waitForFinished(static_cast<int>(cMeasureMs) + 120000) || lChild.exitCode() != 0) {
      aState.SkipWithError("the terminal did not load its charts and run the minute");
      return;
    }
    const QList<QByteArray> lFigures = lChild.readAllStandardOutput().trimmed().split(' ');
    if (lFigures.size() != 5) {
      aState.SkipWithError("no figures from the terminal");
      return;
    }
    aState.counters["history_load_s"] = lFigures[0].toDouble();
    aState.counters["cpu_pct_of_core"] = lFigures[1].toDouble();
    aState.counters["peak_rss_mb"] = lFigures[2].toDouble();
    aState.counters["longest_stall_ms"] = lFigures[3].toDouble();
    aState.counters["longest_busy_ms"] = lFigures[4].toDouble();
  }
}
// No chart gives the terminal's own figures to compare with.
BENCHMARK(BM_TenChartsOneMinute)->Arg(0)->Arg(10)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
  if (argc > 3 && std::strcmp(argv[1], cChildFlag) == 0)
    return RunChild(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
