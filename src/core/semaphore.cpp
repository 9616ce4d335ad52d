#include "semaphore.h"

#include <climits>
#include <system_error>

namespace {

int CheckedInitialCount(int aInitialCount, int aMaximumCount)
{
  if (aMaximumCount <= 0 || aInitialCount < 0 || aInitialCount > aMaximumCount)
    throw std::system_error(std::make_error_code(std::errc::invalid_argument),
                            "TSemaphore: invalid initial or maximum count");
  return aInitialCount;
}

} // namespace

TSemaphore::TSemaphore(int aInitialCount, int aMaximumCount)
    : fSemaphore(CheckedInitialCount(aInitialCount, aMaximumCount)), fMaximumCount(aMaximumCount),
      fCount(aInitialCount)
{
}

TAcquireResult TSemaphore::AcquireEx(std::uint32_t aTimeout)
{
  if (aTimeout == cInfinite)
    fSemaphore.acquire();
  else if (!fSemaphore.tryAcquire(1, aTimeout > INT_MAX ? INT_MAX : static_cast<int>(aTimeout)))
    return arTimeout;
  fCount.fetch_sub(1, std::memory_order_relaxed);
  return arObject;
}

int TSemaphore::Release(int aReleaseCount)
{
  if (aReleaseCount <= 0)
    throw std::system_error(std::make_error_code(std::errc::invalid_argument),
                            "TSemaphore: release count must be positive");
  int lPrevious = fCount.load(std::memory_order_relaxed);
  do {
    if (lPrevious > fMaximumCount - aReleaseCount)
      throw std::system_error(std::make_error_code(std::errc::value_too_large),
                              "TSemaphore: count would exceed its maximum");
  } while (!fCount.compare_exchange_weak(lPrevious, lPrevious + aReleaseCount,
                                         std::memory_order_relaxed));
  fSemaphore.release(aReleaseCount);
  return lPrevious;
}
