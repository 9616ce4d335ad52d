#pragma once

#include "bar.h"
#include "clock.h"
#include "live_series.h"
#include "symbols.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <vector>

namespace vexa::sim {

// Best bid and ask around the last price.
struct TBookTop
{
  int64_t fBid = 0;
  int64_t fAsk = 0;
  int64_t fLast = 0;
  int64_t fUpdateId = 0;
};

// Live state of every symbol: last price, recorded minutes since start, feed pause flags.
// Thread-safe. Price listeners are called without the market's lock held.
class TMarket
{
public:
  using TPriceListener = std::function<void(int aSymbol, int64_t aPrice)>;

  TMarket(const TSymbolCatalogue &aCatalogue, const TClock &aClock, int64_t aStartMs);

  const TSymbolCatalogue &Catalogue() const { return fCatalogue; }
  const TClock &Clock() const { return fClock; }
  // First minute of live data; history before it is generated.
  int64_t StartMs() const { return fStartMs; }

  void SetPriceListener(TPriceListener aListener) { fListener = std::move(aListener); }

  int64_t LastPrice(int aSymbol) const;
  std::vector<int64_t> LastPrices() const;
  TBookTop BookTop(int aSymbol) const;
  int64_t LastQty(int aSymbol) const;
  int64_t TotalLiveTrades(int aSymbol) const;

  // A move of the walk: a trade of aQty at aPrice.
  void Tick(int aSymbol, int64_t aPrice, int64_t aQty, bool aTakerBuy);
  // A price set by the admin resource; matching follows through the listener.
  void SetPrice(int aSymbol, int64_t aPrice);
  // Volume of a user's fill; the last price does not move.
  void AddTradeVolume(int aSymbol, int64_t aQty, bool aTakerBuy);
  // Invalidates book snapshots (the user's book changed).
  void BumpUpdateId(int aSymbol);

  TBar LiveAggregate(int aSymbol, int64_t aFromMs, int64_t aToMs, int64_t aNowMs) const;

  void SetPaused(bool aPaused) { fPaused.store(aPaused); }
  void SetSymbolPaused(int aSymbol, bool aPaused);
  bool IsPaused(int aSymbol) const;
  bool IsFeedPaused() const { return fPaused.load(); }

private:
  struct TState
  {
    TLiveSeries fSeries;
    int64_t fUpdateId;
    bool fLastUp = true;
    bool fPaused = false;
  };

  void Apply(int aSymbol, int64_t aPrice, int64_t aQty, bool aTakerBuy, int64_t aTrades);

  const TSymbolCatalogue &fCatalogue;
  const TClock &fClock;
  int64_t fStartMs;
  mutable std::mutex fMutex;
  std::vector<TState> fStates;
  std::atomic<bool> fPaused{false};
  TPriceListener fListener;
};

} // namespace vexa::sim
