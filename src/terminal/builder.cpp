#include "builder.h"

#include "account_threads.h"
#include "base_thread.h"
#include "chart_list.h"
#include "fm_main.h"
#include "folders.h"
#include "log_writer.h"
#include "methods.h"
#include "periodic_work.h"
#include "profile.h"
#include "sys_time.h"
#include "timer.h"
#include "ui_writer.h"
#include "user.h"
#include "worker_thread.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace {
// Longest a request can still be on the wire: connect plus one read timeout.
constexpr qint64 cFinishWaitMs = 20000;
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
  QThread::msleep(1000);
  QCoreApplication::processEvents();
  // Free-running requests past the close wait would otherwise reach destroyed singletons.
  QElapsedTimer lWait;
  lWait.start();
  while (TWorkerThread::LiveCount() > 0 && lWait.elapsed() < cFinishWaitMs) {
    QThread::msleep(20);
    QCoreApplication::processEvents();
  }
  // The main window has closed; nothing may reach it once the singletons start to go.
  delete fmMain;
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
  Timer.reset();
  SetRefreshOrdersBubbles({});
  ChartList.reset();
  UIWriter.reset();
  SysTime.reset();
  if (User) {
    User->WaitForThreads();
    User->DeInit();
  }
  User.reset();
  SetMainProfileSource({});
  Profile.reset();
  Workflow.reset();
  fWork.reset();
  Folders.reset();
  LogWriter.reset();
}
