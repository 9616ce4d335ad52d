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

} // namespace

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
  Folders = std::make_unique<TFolders>();
  LogWriter = std::make_unique<TLogWriter>();
  for (int i = 0; i < 3; ++i)
    WriteLog(QString(), mtConfirm, 0);
  Workflow = std::make_unique<TWorkflow>();
  fWork = std::make_unique<TPeriodicWork>();
  Workflow->SetHost(fWork.get());
  Profile = std::make_unique<TProfile>(Workflow->Mode());
  SetMainProfileSource([] { return Profile ? Profile->MainProfile() : nullptr; });
  User = std::make_unique<TUser>();
  SysTime = std::make_unique<TSysTime>();
  UIWriter = std::make_unique<TUIWriter>();
  Timer = std::make_unique<TTimer>();
  ChartTemplates = std::make_unique<TChartTemplates>();
  ChartList = std::make_unique<TChartList>();
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
  ChartTemplates.reset();
  SysTime.reset();
  SetRefreshOrdersBubbles({});
  ChartList.reset();
  Folders.reset();
  if (Workflow)
    Workflow->SetHost(nullptr);
  Workflow.reset();
  fWork.reset();
  SetMainProfileSource({});
  Profile.reset();
  if (User)
    User->DeInit();
  User.reset();
  Timer.reset();
  LogWriter.reset();
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
