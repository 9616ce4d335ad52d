// Time from process start to the first painted main window with every dock, menu and toolbar.
// Each iteration starts this program again as a child that runs the terminal's own start-up;
// the child reports the monotonic clock at the last widget painted in the pass that first painted
// the main window (its docks, menus and toolbars are painted in that same pass) and quits.
#include "builder.h"
#include "fm_main.h"
#include "utils.h"

#include <QApplication>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <openssl/ssl.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

constexpr const char *cChildFlag = "--first-paint-child";

std::int64_t ClockNs(clockid_t aClock)
{
  timespec lNow{};
  clock_gettime(aClock, &lNow);
  return static_cast<std::int64_t>(lNow.tv_sec) * 1000000000 + lNow.tv_nsec;
}

std::int64_t MonotonicNs()
{
  return ClockNs(CLOCK_MONOTONIC);
}

// Notes when each widget of the first paint pass starts painting. The pass paints the window
// first, then its children; start-up goes on with its own work before the queued report runs,
// so the report gives the last paint seen, not the time it runs at.
class TFirstPaintFilter : public QObject
{
  bool fPainted = false;
  std::int64_t fLastPaint = 0;
  std::int64_t fCpuAtLastPaint = 0;

protected:
  bool eventFilter(QObject *aWatched, QEvent *aEvent) override
  {
    if (aEvent->type() != QEvent::Paint || !fmMain)
      return false;
    if (aWatched == fmMain && !fPainted) {
      fPainted = true;
      QMetaObject::invokeMethod(
          qApp,
          [this] {
            std::printf("%lld %lld\n", static_cast<long long>(fLastPaint),
                        static_cast<long long>(fCpuAtLastPaint));
            std::fflush(stdout);
            _exit(0);
          },
          Qt::QueuedConnection);
    }
    if (fPainted) {
      fLastPaint = MonotonicNs();
      fCpuAtLastPaint = ClockNs(CLOCK_PROCESS_CPUTIME_ID);
    }
    return false;
  }
};

int RunChild(int argc, char **argv)
{
  OPENSSL_init_ssl(0, nullptr);
  QApplication lApp(argc, argv);
  QTemporaryDir lExe;
  SetExeFolder(lExe.path());
  TFirstPaintFilter lFilter;
  lApp.installEventFilter(&lFilter);
  Builder().BuildOnStart();
  QApplication::exec();
  return 1; // never painted
}

void BM_StartToFirstPaint(benchmark::State &aState)
{
  const QString lSelf = QString::fromLocal8Bit(program_invocation_name);
  std::int64_t lCpuNs = 0;
  for (auto _ : aState) {
    QProcess lChild;
    QProcessEnvironment lEnv = QProcessEnvironment::systemEnvironment();
    if (!lEnv.contains(QStringLiteral("DISPLAY")))
      lEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    lChild.setProcessEnvironment(lEnv);
    const std::int64_t lStart = MonotonicNs();
    lChild.start(lSelf, {QString::fromLatin1(cChildFlag)});
    if (!lChild.waitForFinished(20000) || lChild.exitCode() != 0) {
      aState.SkipWithError("the child did not paint its window");
      return;
    }
    const QList<QByteArray> lFigures = lChild.readAllStandardOutput().trimmed().split(' ');
    const std::int64_t lPainted = lFigures.value(0).toLongLong();
    lCpuNs += lFigures.value(1).toLongLong();
    aState.SetIterationTime(static_cast<double>(lPainted - lStart) / 1e9);
  }
  // CPU time of the child until the paint: unlike the wall time, it hardly moves with the load
  // other programs put on the machine.
  aState.counters["cpu_ms"] =
      benchmark::Counter(static_cast<double>(lCpuNs) / 1e6, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_StartToFirstPaint)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
  if (argc > 1 && std::strcmp(argv[1], cChildFlag) == 0)
    return RunChild(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
