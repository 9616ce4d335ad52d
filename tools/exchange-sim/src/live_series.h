#pragma once

#include "bar.h"

#include <cstdint>
#include <vector>

namespace vexa::sim {

// Minute bars of one symbol recorded since the server started. Minutes without a trade are
// flat at the last price; they are stored only once a later trade needs them.
// Not thread-safe: the market guards it.
class TLiveSeries
{
public:
  TLiveSeries(int64_t aStartMs, int64_t aStartPrice);

  // A price change (and the trade behind it) at aTimeMs; time never runs backwards here.
  void Record(int64_t aTimeMs, int64_t aPrice, int64_t aQty, bool aTakerBuy, int64_t aTrades);

  // Aggregate of [aFromMs, aToMs) clipped to [start, aNowMs]; aNowMs's minute is partial.
  TBar Aggregate(int64_t aFromMs, int64_t aToMs, int64_t aNowMs) const;

  int64_t StartMs() const { return fStartMs; }
  int64_t LastPrice() const { return fLastPrice; }
  int64_t LastQty() const { return fLastQty; }
  int64_t TotalTrades() const { return fTotalTrades; }

private:
  int64_t fStartMs;
  int64_t fLastPrice;
  int64_t fLastQty = 0;
  int64_t fTotalTrades = 0;
  std::vector<TBar> fMinutes;
};

} // namespace vexa::sim
