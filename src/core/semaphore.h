#pragma once

#include <QSemaphore>

#include <atomic>
#include <cstdint>

enum class TAcquireResult { arObject = 0, arTimeout = 1 };
using enum TAcquireResult;

// A counting semaphore with a maximum, as the writers' queues need it: one unit per queued item.
class TSemaphore
{
public:
  // Raises std::system_error when the counts make no sense (the writer cannot be created).
  TSemaphore(int aInitialCount, int aMaximumCount);
  TSemaphore(const TSemaphore &) = delete;
  TSemaphore &operator=(const TSemaphore &) = delete;

  // Waits at most aTimeout milliseconds; cInfinite waits for ever.
  TAcquireResult AcquireEx(std::uint32_t aTimeout);
  // Returns the count before the release; raises std::system_error past the maximum.
  int Release(int aReleaseCount);
  int Release() { return Release(1); }

  // The units not yet taken (may lag a concurrent Release by a moment).
  int Count() const { return fCount.load(std::memory_order_relaxed); }
  int MaximumCount() const { return fMaximumCount; }

  static constexpr std::uint32_t cInfinite = 0xFFFFFFFF;

private:
  QSemaphore fSemaphore;
  const int fMaximumCount;
  // Mirrors the semaphore's count so that Release can report it and enforce the maximum;
  // raised before the semaphore and lowered after it, so it never undercounts.
  std::atomic<int> fCount;
};
