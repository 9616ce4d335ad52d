#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>

namespace vexa::sim {

// The exchange's time: the system clock moved by the clock-offset fault.
class TClock
{
public:
  explicit TClock(int64_t aOffsetMs = 0) : fOffsetMs(aOffsetMs) {}

  int64_t NowMs() const { return SystemMs() + fOffsetMs.load(std::memory_order_relaxed); }
  int64_t OffsetMs() const { return fOffsetMs.load(std::memory_order_relaxed); }
  void SetOffsetMs(int64_t aOffsetMs) { fOffsetMs.store(aOffsetMs, std::memory_order_relaxed); }

  static int64_t SystemMs()
  {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
  }

private:
  std::atomic<int64_t> fOffsetMs;
};

} // namespace vexa::sim
