#include "price_walk.h"

#include "decimal.h"
#include "hashing.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace vexa::sim {

namespace {

constexpr int64_t cStepMs = 25;

} // namespace

TPriceWalk::TPriceWalk(TMarket &aMarket, uint64_t aSeed) : fMarket(aMarket), fSeed(aSeed) {}

TPriceWalk::~TPriceWalk()
{
  Stop();
}

double TPriceWalk::MeanIntervalMs(int aSymbol) const
{
  switch (fMarket.Catalogue().At(aSymbol).fActivity) {
  case TActivity::Hot:
    return 250;
  case TActivity::Normal:
    return 1500;
  case TActivity::Slow:
    return 8000;
  case TActivity::Idle:
    break;
  }
  return 0;
}

void TPriceWalk::Start()
{
  const int64_t lNow = fMarket.Clock().NowMs();
  TRandom lRandom(HashKey(fSeed, 0x3A1C));
  fNextMs.assign(static_cast<size_t>(fMarket.Catalogue().Count()), 0);
  for (size_t i = 0; i < fNextMs.size(); ++i) {
    const double lMean = MeanIntervalMs(static_cast<int>(i));
    fNextMs[i] = lMean > 0 ? lNow + static_cast<int64_t>(lRandom.Unit() * lMean) : INT64_MAX;
  }
  fThread = std::thread([this] { Run(); });
}

void TPriceWalk::Stop()
{
  {
    std::lock_guard lLock(fMutex);
    fStopping = true;
  }
  fWake.notify_all();
  if (fThread.joinable()) {
    fThread.join();
  }
}

void TPriceWalk::Run()
{
  TRandom lRandom(HashKey(fSeed, 0x7E57));
  std::unique_lock lLock(fMutex);
  while (!fStopping) {
    lLock.unlock();
    const int64_t lNow = fMarket.Clock().NowMs();
    for (size_t i = 0; i < fNextMs.size(); ++i) {
      if (fNextMs[i] > lNow) {
        continue;
      }
      const int lSymbol = static_cast<int>(i);
      if (!fMarket.IsPaused(lSymbol)) {
        Step(lSymbol);
      }
      // Exponential waiting times, as between real trades.
      const double lMean = MeanIntervalMs(lSymbol);
      const double lWait = -std::log(1.0 - 0.999 * lRandom.Unit()) * lMean;
      fNextMs[i] = lNow + std::max<int64_t>(cStepMs, static_cast<int64_t>(lWait));
    }
    lLock.lock();
    fWake.wait_for(lLock, std::chrono::milliseconds(cStepMs), [this] { return fStopping; });
  }
}

void TPriceWalk::Step(int aSymbol)
{
  const TSymbolInfo &lInfo = fMarket.Catalogue().At(aSymbol);
  const int64_t lLast = fMarket.LastPrice(aSymbol);
  // Seeded per symbol and per move, so that a symbol's moves do not depend on the others.
  const uint64_t lHash =
      HashKey(lInfo.fSeed, 0x5A1C, static_cast<uint64_t>(fMarket.TotalLiveTrades(aSymbol)));
  const double lMean = MeanIntervalMs(aSymbol);
  const double lSigma = lInfo.fDailyVolatility * std::sqrt(lMean / 86'400'000.0);
  // A gentle pull towards the typical price keeps a long-running demo in range.
  const double lDeviation = std::log(DoubleFromUnits(lLast) / lInfo.fBasePrice);
  const double lReturn = lSigma * NormalFromHash(lHash) - 0.002 * lSigma * lDeviation;
  int64_t lTicks =
      std::llround(DoubleFromUnits(lLast) * std::expm1(lReturn) / DoubleFromUnits(lInfo.fTick));
  if (lTicks == 0) {
    lTicks = LaneUnit(Mix64(lHash), 0) < 0.5 ? -1 : 1;
  }
  int64_t lPrice = lLast + lTicks * lInfo.fTick;
  lPrice = std::clamp(lPrice, lInfo.fMinPrice, lInfo.fMaxPrice);
  const double lSize =
      lInfo.fTradeSize * lMean / 250.0 * -std::log(1.0 - 0.999 * LaneUnit(Mix64(lHash), 1));
  int64_t lQty = UnitsFromDouble(lSize);
  lQty = std::max(lInfo.fStep, lQty / lInfo.fStep * lInfo.fStep);
  const bool lTakerBuy = lTicks > 0;
  fMarket.Tick(aSymbol, lPrice, lQty, lTakerBuy);
}

} // namespace vexa::sim
