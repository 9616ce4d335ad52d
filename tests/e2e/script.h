#pragma once

// A trader's session played inside the terminal's own process. Steps run one after another:
// an action step acts on widgets from a posted call, so that a modal dialog it opens never
// stops the script; a wait step polls its condition for a bounded time. Any failure prints
// why on stderr and ends the process with a non-zero status at once, and an alarm ends it if
// the GUI thread stops answering, so the test that started the process never hangs.

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <functional>
#include <vector>

class QTimer;

class TScript : public QObject
{
public:
  explicit TScript(QObject *aParent);

  // Ends the process when the session, start-up and shut-down included, takes longer.
  static void ArmDeadline(unsigned aSeconds);

  void Act(const QString &aName, std::function<void()> aAction);
  void WaitFor(const QString &aName, std::function<bool()> aDone, int aTimeoutMs);
  void Start();

  [[noreturn]] static void Fail(const QString &aWhy);
  static void Log(const QString &aText);

private:
  struct TStep
  {
    QString Name;
    std::function<void()> Action;
    std::function<bool()> Done;
    int TimeoutMs = 0;
  };

  void Tick();
  void Next();

  std::vector<TStep> fSteps;
  size_t fStep = 0;
  bool fInTick = false;
  bool fActPosted = false;
  bool fActStarted = false;
  QElapsedTimer fSinceStep;
  QElapsedTimer fSinceStart;
  QTimer *fTimer;
};
