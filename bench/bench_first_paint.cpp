// Time from process start to the first painted main window with every dock, menu and toolbar.
// Each iteration starts this program again as a child that runs the terminal's own start-up;
// the child reports the monotonic clock once the paint pass that first painted the main window
// has ended (its docks, menus and toolbars are painted in that same pass) and quits at once.
#include "builder.h"
#include "fm_main.h"
#include "utils.h"

#include <QApplication>
#include <QEvent>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <curl/curl.h>
#include <openssl/ssl.h>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

constexpr const char *cChildFlag = "--first-paint-child";

std::int64_t MonotonicNs()
{
  timespec lNow{};
  clock_gettime(CLOCK_MONOTONIC, &lNow);
  return static_cast<std::int64_t>(lNow.tv_sec) * 1000000000 + lNow.tv_nsec;
}

class TFirstPaintFilter : public QObject
{
  bool fPainted = false;

protected:
  bool eventFilter(QObject *aWatched, QEvent *aEvent) override
  {
    if (aEvent->type() == QEvent::Paint && fmMain && aWatched == fmMain && !fPainted) {
      fPainted = true;
      // Queued, so it runs after the children of this paint pass have been painted too.
      QMetaObject::invokeMethod(
          qApp,
          [] {
            std::printf("%lld\n", static_cast<long long>(MonotonicNs()));
            std::fflush(stdout);
            _exit(0);
          },
          Qt::QueuedConnection);
    }
    return false;
  }
};

int RunChild(int argc, char **argv)
{
  OPENSSL_init_ssl(0, nullptr);
  curl_global_init(CURL_GLOBAL_DEFAULT);
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
    const std::int64_t lPainted = lChild.readAllStandardOutput().trimmed().toLongLong();
    aState.SetIterationTime(static_cast<double>(lPainted - lStart) / 1e9);
  }
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
