#include "script.h"

#include <QScopedValueRollback>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

constexpr int cTickMs = 20;

// The step the alarm names: written on the GUI thread, read by the signal handler.
char gStepName[256] = "start-up";

void WriteAll(const char *aText)
{
  size_t lLeft = std::strlen(aText);
  while (lLeft > 0) {
    const ssize_t lWritten = ::write(STDERR_FILENO, aText, lLeft);
    if (lWritten <= 0)
      return;
    aText += lWritten;
    lLeft -= static_cast<size_t>(lWritten);
  }
}

// Only async-signal-safe calls here.
void OnAlarm(int)
{
  WriteAll("e2e FAIL: deadline passed; the GUI thread was at step: ");
  WriteAll(gStepName);
  WriteAll("\n");
  ::_exit(3);
}

} // namespace

TScript::TScript(QObject *aParent) : QObject(aParent), fTimer(new QTimer(this))
{
  fSinceStart.start();
  fTimer->setInterval(cTickMs);
  connect(fTimer, &QTimer::timeout, this, &TScript::Tick);
}

void TScript::ArmDeadline(unsigned aSeconds)
{
  std::signal(SIGALRM, OnAlarm);
  ::alarm(aSeconds);
}

void TScript::Act(const QString &aName, std::function<void()> aAction)
{
  fSteps.push_back({aName, std::move(aAction), {}, 0});
}

void TScript::WaitFor(const QString &aName, std::function<bool()> aDone, int aTimeoutMs)
{
  fSteps.push_back({aName, {}, std::move(aDone), aTimeoutMs});
}

void TScript::Start()
{
  fStep = 0;
  fSinceStep.start();
  if (fSteps.empty())
    Fail(QStringLiteral("no steps"));
  std::snprintf(gStepName, sizeof gStepName, "%s", fSteps[0].Name.toUtf8().constData());
  if (fSteps[0].Action)
    Log(QStringLiteral("act: %1").arg(fSteps[0].Name));
  fTimer->start();
}

void TScript::Fail(const QString &aWhy)
{
  std::fflush(stdout);
  std::fprintf(stderr, "e2e FAIL: %s\n", aWhy.toUtf8().constData());
  std::fflush(stderr);
  std::_Exit(2);
}

void TScript::Log(const QString &aText)
{
  std::fprintf(stdout, "e2e: %s\n", aText.toUtf8().constData());
  std::fflush(stdout);
}

void TScript::Tick()
{
  // A click inside a step serves events, and with them this timer.
  if (fInTick || fStep >= fSteps.size())
    return;
  QScopedValueRollback<bool> lGuard(fInTick, true);
  TStep &lStep = fSteps[fStep];
  if (lStep.Action) {
    if (fActStarted) {
      Next();
      return;
    }
    if (fActPosted)
      return;
    fActPosted = true;
    // Posted: a dialog the action opens runs its own loop, in which the next steps tick.
    QTimer::singleShot(0, this, [this, lAction = lStep.Action] {
      fActStarted = true;
      lAction();
    });
    return;
  }
  if (lStep.Done()) {
    Log(QStringLiteral("ok: %1 (%2 ms)").arg(lStep.Name).arg(fSinceStep.elapsed()));
    Next();
    return;
  }
  if (fSinceStep.elapsed() > lStep.TimeoutMs)
    Fail(QStringLiteral("waited %1 ms in vain for: %2").arg(lStep.TimeoutMs).arg(lStep.Name));
}

void TScript::Next()
{
  fActPosted = false;
  fActStarted = false;
  ++fStep;
  fSinceStep.start();
  if (fStep < fSteps.size()) {
    const TStep &lStep = fSteps[fStep];
    std::snprintf(gStepName, sizeof gStepName, "%s", lStep.Name.toUtf8().constData());
    if (lStep.Action)
      Log(QStringLiteral("act: %1").arg(lStep.Name));
    return;
  }
  // The last step closed the window; the alarm still guards the shut-down.
  std::snprintf(gStepName, sizeof gStepName, "shut-down");
  Log(QStringLiteral("all steps done after %1 ms").arg(fSinceStart.elapsed()));
  fTimer->stop();
}
