#pragma once

#include <algorithm>
#include <cstdint>

namespace vexa::sim {

// Open/high/low/close and volumes of a stretch of time, in units of 1e-8.
struct TBar
{
  int64_t fOpen = 0;
  int64_t fHigh = 0;
  int64_t fLow = 0;
  int64_t fClose = 0;
  int64_t fVolume = 0;
  int64_t fQuoteVolume = 0;
  int64_t fTakerBase = 0;
  int64_t fTakerQuote = 0;
  int64_t fTrades = 0;
  bool fEmpty = true;

  // Appends a later stretch of time.
  void Merge(const TBar &aLater)
  {
    if (aLater.fEmpty) {
      return;
    }
    if (fEmpty) {
      *this = aLater;
      return;
    }
    fHigh = std::max(fHigh, aLater.fHigh);
    fLow = std::min(fLow, aLater.fLow);
    fClose = aLater.fClose;
    fVolume += aLater.fVolume;
    fQuoteVolume += aLater.fQuoteVolume;
    fTakerBase += aLater.fTakerBase;
    fTakerQuote += aLater.fTakerQuote;
    fTrades += aLater.fTrades;
  }

  static TBar Flat(int64_t aPrice)
  {
    TBar lBar;
    lBar.fOpen = lBar.fHigh = lBar.fLow = lBar.fClose = aPrice;
    lBar.fEmpty = false;
    return lBar;
  }
};

} // namespace vexa::sim
