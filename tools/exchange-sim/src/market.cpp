#include "market.h"

#include "hashing.h"
#include "history_generator.h"
#include "intervals.h"

namespace vexa::sim {

TMarket::TMarket(const TSymbolCatalogue &aCatalogue, const TClock &aClock, int64_t aStartMs)
    : fCatalogue(aCatalogue), fClock(aClock), fStartMs(aStartMs)
{
  fStates.reserve(static_cast<size_t>(aCatalogue.Count()));
  for (int i = 0; i < aCatalogue.Count(); ++i) {
    const TSymbolInfo &lInfo = aCatalogue.At(i);
    // The live walk continues exactly where the generated history ends.
    THistoryGenerator lHistory(lInfo, aStartMs);
    const TBar lLast = lHistory.Aggregate(aStartMs - cMinuteMs, aStartMs);
    const int64_t lPrice = lLast.fEmpty ? lInfo.fTick : lLast.fClose;
    const int64_t lUpdateId = 1'000'000 + static_cast<int64_t>(lInfo.fSeed % 1'000'000'000);
    fStates.push_back(TState{TLiveSeries(aStartMs, lPrice), lUpdateId});
  }
}

int64_t TMarket::LastPrice(int aSymbol) const
{
  std::lock_guard lLock(fMutex);
  return fStates[static_cast<size_t>(aSymbol)].fSeries.LastPrice();
}

std::vector<int64_t> TMarket::LastPrices() const
{
  std::vector<int64_t> lPrices;
  lPrices.reserve(fStates.size());
  std::lock_guard lLock(fMutex);
  for (const TState &lState : fStates) {
    lPrices.push_back(lState.fSeries.LastPrice());
  }
  return lPrices;
}

TBookTop TMarket::BookTop(int aSymbol) const
{
  const int64_t lTick = fCatalogue.At(aSymbol).fTick;
  std::lock_guard lLock(fMutex);
  const TState &lState = fStates[static_cast<size_t>(aSymbol)];
  TBookTop lTop;
  lTop.fLast = lState.fSeries.LastPrice();
  lTop.fUpdateId = lState.fUpdateId;
  // The last trade hit the ask after an uptick and the bid after a downtick.
  if (lState.fLastUp) {
    lTop.fAsk = lTop.fLast;
    lTop.fBid = std::max(lTick, lTop.fLast - lTick);
    if (lTop.fBid == lTop.fAsk) {
      lTop.fAsk += lTick;
    }
  } else {
    lTop.fBid = lTop.fLast;
    lTop.fAsk = lTop.fLast + lTick;
  }
  return lTop;
}

int64_t TMarket::LastQty(int aSymbol) const
{
  std::lock_guard lLock(fMutex);
  return fStates[static_cast<size_t>(aSymbol)].fSeries.LastQty();
}

int64_t TMarket::TotalLiveTrades(int aSymbol) const
{
  std::lock_guard lLock(fMutex);
  return fStates[static_cast<size_t>(aSymbol)].fSeries.TotalTrades();
}

void TMarket::Apply(int aSymbol, int64_t aPrice, int64_t aQty, bool aTakerBuy, int64_t aTrades)
{
  {
    std::lock_guard lLock(fMutex);
    TState &lState = fStates[static_cast<size_t>(aSymbol)];
    const int64_t lPrevious = lState.fSeries.LastPrice();
    if (aPrice != lPrevious) {
      lState.fLastUp = aPrice > lPrevious;
    }
    lState.fSeries.Record(fClock.NowMs(), aPrice, aQty, aTakerBuy, aTrades);
    ++lState.fUpdateId;
  }
  if (fListener) {
    fListener(aSymbol, aPrice);
  }
}

void TMarket::Tick(int aSymbol, int64_t aPrice, int64_t aQty, bool aTakerBuy)
{
  Apply(aSymbol, aPrice, aQty, aTakerBuy, 1);
}

void TMarket::SetPrice(int aSymbol, int64_t aPrice)
{
  Apply(aSymbol, aPrice, 0, true, 0);
}

void TMarket::AddTradeVolume(int aSymbol, int64_t aQty, bool aTakerBuy)
{
  std::lock_guard lLock(fMutex);
  TState &lState = fStates[static_cast<size_t>(aSymbol)];
  lState.fSeries.Record(fClock.NowMs(), lState.fSeries.LastPrice(), aQty, aTakerBuy, 1);
  ++lState.fUpdateId;
}

void TMarket::BumpUpdateId(int aSymbol)
{
  std::lock_guard lLock(fMutex);
  ++fStates[static_cast<size_t>(aSymbol)].fUpdateId;
}

TBar TMarket::LiveAggregate(int aSymbol, int64_t aFromMs, int64_t aToMs, int64_t aNowMs) const
{
  std::lock_guard lLock(fMutex);
  return fStates[static_cast<size_t>(aSymbol)].fSeries.Aggregate(aFromMs, aToMs, aNowMs);
}

void TMarket::SetSymbolPaused(int aSymbol, bool aPaused)
{
  std::lock_guard lLock(fMutex);
  fStates[static_cast<size_t>(aSymbol)].fPaused = aPaused;
}

bool TMarket::IsPaused(int aSymbol) const
{
  if (fPaused.load()) {
    return true;
  }
  std::lock_guard lLock(fMutex);
  return fStates[static_cast<size_t>(aSymbol)].fPaused;
}

} // namespace vexa::sim
