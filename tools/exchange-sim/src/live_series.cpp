#include "live_series.h"

#include "decimal.h"
#include "intervals.h"

#include <algorithm>

namespace vexa::sim {

TLiveSeries::TLiveSeries(int64_t aStartMs, int64_t aStartPrice)
    : fStartMs(aStartMs), fLastPrice(aStartPrice)
{
}

void TLiveSeries::Record(int64_t aTimeMs, int64_t aPrice, int64_t aQty, bool aTakerBuy,
                         int64_t aTrades)
{
  int64_t lIndex = FloorDiv(aTimeMs - fStartMs, cMinuteMs);
  lIndex = std::max<int64_t>(lIndex, static_cast<int64_t>(fMinutes.size()) - 1);
  lIndex = std::max<int64_t>(lIndex, 0);
  while (static_cast<int64_t>(fMinutes.size()) <= lIndex) {
    fMinutes.push_back(TBar::Flat(fLastPrice));
  }
  TBar &lBar = fMinutes[static_cast<size_t>(lIndex)];
  lBar.fHigh = std::max(lBar.fHigh, aPrice);
  lBar.fLow = std::min(lBar.fLow, aPrice);
  lBar.fClose = aPrice;
  const int64_t lQuote = MulUnits(aPrice, aQty);
  lBar.fVolume += aQty;
  lBar.fQuoteVolume += lQuote;
  if (aTakerBuy) {
    lBar.fTakerBase += aQty;
    lBar.fTakerQuote += lQuote;
  }
  lBar.fTrades += aTrades;
  fLastPrice = aPrice;
  if (aQty > 0) {
    fLastQty = aQty;
  }
  fTotalTrades += aTrades;
}

TBar TLiveSeries::Aggregate(int64_t aFromMs, int64_t aToMs, int64_t aNowMs) const
{
  TBar lBar;
  const int64_t lFrom = std::max(aFromMs, fStartMs);
  const int64_t lTo = std::min(aToMs, aNowMs + 1);
  if (lFrom >= lTo) {
    return lBar;
  }
  const int64_t lFirst = FloorDiv(lFrom - fStartMs, cMinuteMs);
  const int64_t lLast = FloorDiv(lTo - 1 - fStartMs, cMinuteMs);
  const int64_t lStored = static_cast<int64_t>(fMinutes.size());
  for (int64_t i = lFirst; i <= std::min(lLast, lStored - 1); ++i) {
    lBar.Merge(fMinutes[static_cast<size_t>(i)]);
  }
  if (lLast >= lStored) {
    // Minutes after the last trade stay at the last price.
    lBar.Merge(TBar::Flat(fLastPrice));
  }
  return lBar;
}

} // namespace vexa::sim
