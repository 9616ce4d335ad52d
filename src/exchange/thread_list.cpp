#include "thread_list.h"

#include "worker_thread.h"

#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <mutex>
#include <vector>

struct TThreadList::TRegistry
{
  mutable std::mutex Lock;
  std::vector<TWorkerThread *> Threads;
};

namespace {

constexpr int cUserWaitMs = 1000;
constexpr int cUserPollMs = 50;
constexpr int cUserGraceMs = 1000;
constexpr int cChartWaitMs = 500;
constexpr int cChartPollMs = 20;

} // namespace

TThreadList::TThreadList(TThreadListKind aKind)
    : fKind(aKind), fRegistry(std::make_shared<TRegistry>())
{
}

TThreadList::~TThreadList() = default;

TThreadRegistration TThreadList::Register(TWorkerThread *aThread)
{
  std::lock_guard lLock(fRegistry->Lock);
  fRegistry->Threads.push_back(aThread);
  return TThreadRegistration(fRegistry, aThread);
}

int TThreadList::ThreadListCount() const
{
  std::lock_guard lLock(fRegistry->Lock);
  return static_cast<int>(fRegistry->Threads.size());
}

void TThreadList::DestroyThreads()
{
  {
    // A thread unregisters under this lock before it can be freed, so every entry is alive.
    std::lock_guard lLock(fRegistry->Lock);
    for (auto lIt = fRegistry->Threads.rbegin(); lIt != fRegistry->Threads.rend(); ++lIt)
      (*lIt)->Terminate();
  }
  ProcessMessages();
  if (fKind == tlkUser) {
    QThread::msleep(cUserGraceMs);
    ProcessMessages();
  }
}

void TThreadList::WaitForThreads()
{
  QElapsedTimer lTimer;
  lTimer.start();
  if (fKind == tlkUser) {
    while (ThreadListCount() > 0 && lTimer.elapsed() < cUserWaitMs) {
      QThread::msleep(cUserPollMs);
      ProcessMessages();
    }
    if (ThreadListCount() > 0)
      DestroyThreads();
    return;
  }
  DestroyThreads();
  while (ThreadListCount() > 0 && lTimer.elapsed() < cChartWaitMs) {
    QThread::msleep(cChartPollMs);
    ProcessMessages();
  }
}

TThreadRegistration::~TThreadRegistration()
{
  Release();
}

TThreadRegistration::TThreadRegistration(TThreadRegistration &&aOther) noexcept
    : fRegistry(std::move(aOther.fRegistry)), fThread(aOther.fThread)
{
  aOther.fThread = nullptr;
}

TThreadRegistration &TThreadRegistration::operator=(TThreadRegistration &&aOther) noexcept
{
  if (this != &aOther) {
    Release();
    fRegistry = std::move(aOther.fRegistry);
    fThread = aOther.fThread;
    aOther.fThread = nullptr;
  }
  return *this;
}

void TThreadRegistration::Release()
{
  if (!fRegistry)
    return;
  {
    std::lock_guard lLock(fRegistry->Lock);
    auto &lThreads = fRegistry->Threads;
    // The last occurrence: entries are unique per thread, and late entries leave first.
    const auto lIt = std::find(lThreads.rbegin(), lThreads.rend(), fThread);
    if (lIt != lThreads.rend())
      lThreads.erase(std::next(lIt).base());
  }
  fRegistry.reset();
  fThread = nullptr;
}

namespace {

std::mutex gUserListLock;
TThreadList *gUserList = nullptr;

TThreadList &FallbackUserList()
{
  static TThreadList lList(tlkUser);
  return lList;
}

} // namespace

TThreadList &UserThreadList()
{
  std::lock_guard lLock(gUserListLock);
  return gUserList ? *gUserList : FallbackUserList();
}

void SetUserThreadList(TThreadList *aList)
{
  std::lock_guard lLock(gUserListLock);
  gUserList = aList;
}

TThreadRegistration RegisterInUserThreadList(TWorkerThread *aThread)
{
  std::lock_guard lLock(gUserListLock);
  return (gUserList ? *gUserList : FallbackUserList()).Register(aThread);
}
