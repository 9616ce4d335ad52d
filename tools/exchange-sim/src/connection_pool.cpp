#include "connection_pool.h"

namespace vexa::sim {

TConnectionPool::~TConnectionPool()
{
  shutdown();
}

void TConnectionPool::enqueue(std::function<void()> aJob)
{
  std::lock_guard lLock(fMutex);
  fJobs.push_back(std::move(aJob));
  if (fJobs.size() > fIdle && fThreads.size() < fMaxThreads) {
    fThreads.emplace_back([this] { Work(); });
  } else {
    fWake.notify_one();
  }
}

void TConnectionPool::shutdown()
{
  std::vector<std::thread> lThreads;
  {
    std::lock_guard lLock(fMutex);
    fStopping = true;
    lThreads.swap(fThreads);
  }
  fWake.notify_all();
  for (std::thread &lThread : lThreads) {
    lThread.join();
  }
}

void TConnectionPool::Work()
{
  std::unique_lock lLock(fMutex);
  for (;;) {
    ++fIdle;
    fWake.wait(lLock, [this] { return !fJobs.empty() || fStopping; });
    --fIdle;
    if (fJobs.empty()) {
      return;
    }
    std::function<void()> lJob = std::move(fJobs.front());
    fJobs.pop_front();
    lLock.unlock();
    lJob();
    lLock.lock();
  }
}

} // namespace vexa::sim
