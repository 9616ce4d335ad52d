#include "worker_thread.h"

#include "log_writer.h"

#include <QCoreApplication>
#include <QThread>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>

namespace {

std::atomic<int> gLiveThreads{0};

bool OnMainThread()
{
  const QCoreApplication *lApp = QCoreApplication::instance();
  return lApp && QThread::currentThread() == lApp->thread();
}

} // namespace

TWorkerThread::~TWorkerThread()
{
  if (fThread.joinable())
    fThread.join();
}

void TWorkerThread::Start()
{
  gLiveThreads.fetch_add(1);
  try {
    fThread = std::thread([this] {
      Run();
      gLiveThreads.fetch_sub(1);
    });
  } catch (...) {
    // It never ran: WaitFor must not wait for it.
    gLiveThreads.fetch_sub(1);
    {
      std::lock_guard lLock(fLock);
      fFinished = true;
    }
    throw;
  }
}

void TWorkerThread::StartFreeOnTerminate(std::unique_ptr<TWorkerThread> aThread)
{
  gLiveThreads.fetch_add(1);
  TWorkerThread *lThread = aThread.get();
  try {
    // Nothing of lThread is touched after the thread exists: it may already have freed itself.
    std::thread([lThread] {
      lThread->Run();
      delete lThread;
      gLiveThreads.fetch_sub(1);
    }).detach();
  } catch (...) {
    gLiveThreads.fetch_sub(1);
    throw; // aThread still owns it and frees it
  }
  aThread.release();
}

void TWorkerThread::Run()
{
  fThreadID = static_cast<int>(gettid());
  try {
    Execute();
  } catch (const std::exception &e) {
    WriteLog(QStringLiteral("TWorkerThread.Execute error: ") + QString::fromUtf8(e.what()), mtAlert,
             fThreadID);
  } catch (...) {
    WriteLog(QStringLiteral("TWorkerThread.Execute error: unknown exception"), mtAlert, fThreadID);
  }
  bool lWakeGui = false;
  {
    std::lock_guard lLock(fLock);
    fFinished = true;
    lWakeGui = fGuiWaiting;
  }
  fDone.notify_all();
  // The GUI thread sleeps in its event loop while it waits; an empty call wakes it at once.
  if (lWakeGui)
    if (QCoreApplication *lApp = QCoreApplication::instance())
      QMetaObject::invokeMethod(
          lApp, [] {}, Qt::QueuedConnection);
}

bool TWorkerThread::Finished() const
{
  std::lock_guard lLock(fLock);
  return fFinished;
}

void TWorkerThread::WaitFor()
{
  if (OnMainThread()) {
    {
      std::lock_guard lLock(fLock);
      fGuiWaiting = true;
    }
    // Hand-overs from this and other workers run meanwhile; the end of this thread wakes us.
    while (!Finished())
      QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    std::lock_guard lLock(fLock);
    fGuiWaiting = false;
  }
  if (fThread.joinable())
    fThread.join();
}

int TWorkerThread::LiveCount()
{
  return gLiveThreads.load();
}

void RunOnMainThread(const std::function<void()> &aProc)
{
  QCoreApplication *lApp = QCoreApplication::instance();
  if (!lApp || QThread::currentThread() == lApp->thread()) {
    aProc();
    return;
  }
  std::exception_ptr lError;
  // Qt orders the hand-over inside its own library; these two flags say it again where a
  // thread checker can see it.
  std::atomic<bool> lSent{false};
  std::atomic<bool> lRan{false};
  lSent.store(true, std::memory_order_release);
  const bool lDelivered = QMetaObject::invokeMethod(
      lApp,
      [&] {
        (void)lSent.load(std::memory_order_acquire);
        try {
          aProc();
        } catch (...) {
          lError = std::current_exception();
        }
        lRan.store(true, std::memory_order_release);
      },
      Qt::BlockingQueuedConnection);
  if (!lDelivered)
    throw std::runtime_error("the main thread did not take the hand-over");
  (void)lRan.load(std::memory_order_acquire);
  if (lError)
    std::rethrow_exception(lError);
}

void PostToMainThread(std::function<void()> aProc)
{
  try {
    QCoreApplication *lApp = QCoreApplication::instance();
    if (!lApp)
      aProc();
    else
      QMetaObject::invokeMethod(lApp, std::move(aProc), Qt::QueuedConnection);
  } catch (...) {
    std::fputs("PostToMainThread: a call was lost\n", stderr);
  }
}

void ProcessMessages()
{
  if (OnMainThread())
    QCoreApplication::processEvents();
}
