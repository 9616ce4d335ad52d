#include "builder.h"

#include "account_threads.h"
#include "base_thread.h"
#include "chart_list.h"
#include "chart_templates.h"
#include "fm_main.h"
#include "folders.h"
#include "log_writer.h"
#include "methods.h"
#include "periodic_work.h"
#include "profile.h"
#include "sys_time.h"
#include "timer.h"
#include "trade_engine_client.h"
#include "ui_writer.h"
#include "user.h"
#include "worker_thread.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

#include <functional>
#include <utility>

namespace {

// The transport cuts every exchange off within one read timeout once it is stopped; the
// margin covers a thread's last steps after that (logging, its GUI hand-overs).
constexpr qint64 cFinishWaitMs = cReadTimeoutMs + 2000;

// Serves the GUI thread until no request thread is left; false when some still run after
// the longest an exchange can take.
bool WaitForRequestThreads()
{
  QElapsedTimer lWait;
  lWait.start();
  while (TWorkerThread::LiveCount() > 0 && lWait.elapsed() < cFinishWaitMs) {
    QThread::msleep(20);
    QCoreApplication::processEvents();
  }
  return TWorkerThread::LiveCount() == 0;
}

// A thread that should have ended long ago still runs: what it may read is left in place
// rather than freed under it.
void LeaveSharedObjects()
{
  WriteLog(QStringLiteral("TBuilder.DestroyOnFinish error: %1 request threads still run; "
                          "the shared objects are left in place")
               .arg(TWorkerThread::LiveCount()),
           mtAlert);
  (void)Workflow.release();
  (void)SysTime.release();
  (void)Profile.release();
  (void)User.release();
  (void)LogWriter.release();
  (void)UIWriter.release();
}

std::function<void()> gStepProbe;

// Every singleton step ends with the probe, so that a test sees the order they come and go in.
template <class T, class... TArgs> void Create(std::unique_ptr<T> &aGlobal, TArgs &&...aArgs)
{
  aGlobal = std::make_unique<T>(std::forward<TArgs>(aArgs)...);
  if (gStepProbe)
    gStepProbe();
}

template <class T> void Free(std::unique_ptr<T> &aGlobal)
{
  aGlobal.reset();
  if (gStepProbe)
    gStepProbe();
}

} // namespace

void SetBuilderStepProbe(std::function<void()> aProbe)
{
  gStepProbe = std::move(aProbe);
}

TBuilder::TBuilder() = default;
TBuilder::~TBuilder() = default;

TBuilder &Builder()
{
  static TBuilder lBuilder;
  return lBuilder;
}

void TBuilder::BuildOnStart()
{
  ResumeTransport();
  Create(Folders);
  Create(LogWriter);
  for (int i = 0; i < 3; ++i)
    WriteLog(QString(), mtConfirm, 0);
  Create(Workflow);
  fWork = std::make_unique<TPeriodicWork>();
  Workflow->SetHost(fWork.get());
  Create(Profile, Workflow->Mode());
  SetMainProfileSource([] { return Profile ? Profile->MainProfile() : nullptr; });
  Create(User);
  Create(SysTime);
  Create(UIWriter);
  Create(Timer);
  Create(ChartTemplates);
  Create(ChartList);
  SetRefreshOrdersBubbles([] {
    if (ChartList)
      ChartList->RefreshOrdersBubbles();
  });
  Profile->Init();
  Workflow->DoShowMainForm();
  Timer->Init();
}

void TBuilder::DestroyOnFinish()
{
  if (Timer)
    Timer->Deinit();
  // No request starts from here on, and none outlives the singletons it reads.
  StopTransport();
  QThread::msleep(1000);
  QCoreApplication::processEvents();
  const bool lQuiet = WaitForRequestThreads();
  // The main window has closed; nothing may reach it once the singletons start to go.
  delete fmMain;
  if (!lQuiet)
    LeaveSharedObjects();
  Free(ChartTemplates);
  Free(SysTime);
  SetRefreshOrdersBubbles({});
  Free(ChartList);
  Free(Folders);
  if (Workflow)
    Workflow->SetHost(nullptr);
  Free(Workflow);
  fWork.reset();
  SetMainProfileSource({});
  Free(Profile);
  if (User)
    User->DeInit();
  Free(User);
  Free(Timer);
  Free(LogWriter);
}

void TBuilder::Abandon()
{
  if (Timer)
    Timer->Deinit();
  delete fmMain;
  if (Workflow)
    Workflow->SetHost(nullptr);
  // What the requests of the failed start read stays until they have ended.
  StopTransport();
  if (User)
    User->WaitForThreads();
  if (!WaitForRequestThreads())
    LeaveSharedObjects();
  Timer.reset();
  SetRefreshOrdersBubbles({});
  ChartList.reset();
  ChartTemplates.reset();
  UIWriter.reset();
  SysTime.reset();
  if (User)
    User->DeInit();
  User.reset();
  SetMainProfileSource({});
  Profile.reset();
  Workflow.reset();
  fWork.reset();
  Folders.reset();
  LogWriter.reset();
}
