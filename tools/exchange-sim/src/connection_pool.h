#pragma once

#include <httplib.h>

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vexa::sim {

// Threads for connections: a connection keeps its thread from the TLS handshake to its last
// request, so a fixed pool is starved by clients that connect and say nothing. This one grows
// whenever no thread is free, up to aMaxThreads; beyond that, connections wait their turn.
class TConnectionPool : public httplib::TaskQueue
{
public:
  explicit TConnectionPool(size_t aMaxThreads) : fMaxThreads(aMaxThreads) {}
  ~TConnectionPool() override;
  TConnectionPool(const TConnectionPool &) = delete;
  TConnectionPool &operator=(const TConnectionPool &) = delete;

  void enqueue(std::function<void()> aJob) override;
  // Runs what is queued, then joins every thread.
  void shutdown() override;

private:
  void Work();

  const size_t fMaxThreads;
  std::mutex fMutex;
  std::condition_variable fWake;
  std::deque<std::function<void()>> fJobs;
  std::vector<std::thread> fThreads;
  size_t fIdle = 0;
  bool fStopping = false;
};

} // namespace vexa::sim
