#include "builder.h"

#include "fm_main.h"
#include "folders.h"
#include "log_writer.h"
#include "periodic_work.h"
#include "sys_time.h"
#include "timer.h"
#include "ui_writer.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QThread>

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
  SysTime = std::make_unique<TSysTime>();
  UIWriter = std::make_unique<TUIWriter>();
  Timer = std::make_unique<TTimer>();
  Workflow->DoShowMainForm();
  Timer->Init();
}

void TBuilder::DestroyOnFinish()
{
  if (Timer)
    Timer->Deinit();
  QThread::msleep(1000);
  QCoreApplication::processEvents();
  // The main window has closed; nothing may reach it once the singletons start to go.
  delete fmMain;
  SysTime.reset();
  Folders.reset();
  if (Workflow)
    Workflow->SetHost(nullptr);
  Workflow.reset();
  fWork.reset();
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
  UIWriter.reset();
  SysTime.reset();
  Workflow.reset();
  fWork.reset();
  Folders.reset();
  LogWriter.reset();
}
