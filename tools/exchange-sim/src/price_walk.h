#pragma once

#include "market.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace vexa::sim {

// Moves the prices in real time on its own thread: busy symbols several times a second,
// quiet ones every few seconds, idle ones never. Seeded, so the sequence of moves repeats;
// their timing follows the wall clock.
class TPriceWalk
{
public:
  TPriceWalk(TMarket &aMarket, uint64_t aSeed);
  ~TPriceWalk();
  TPriceWalk(const TPriceWalk &) = delete;
  TPriceWalk &operator=(const TPriceWalk &) = delete;

  void Start();
  void Stop();

private:
  void Run();
  void Step(int aSymbol);
  double MeanIntervalMs(int aSymbol) const;

  TMarket &fMarket;
  uint64_t fSeed;
  std::vector<int64_t> fNextMs;
  std::thread fThread;
  std::mutex fMutex;
  std::condition_variable fWake;
  bool fStopping = false;
};

} // namespace vexa::sim
