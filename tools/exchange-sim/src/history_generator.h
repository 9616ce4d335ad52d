#pragma once

#include "bar.h"
#include "symbols.h"

#include <array>
#include <cstdint>

namespace vexa::sim {

// Deterministic price history of one symbol, never stored: day boundaries come from a
// Brownian bridge between seeded anchors, and each day is split top-down into hours, hours
// into quarters and quarters into minutes, every child constrained by its parent's open,
// high, low and close (quarters serve 15m and 30m, and 3m and 5m divide them).
// Coarse bars are therefore exactly the aggregate of their finer bars, and a page of
// monthly bars costs a few thousand hashes instead of 43,200 minutes per bar.
// Not thread-safe (it memoises the last day and hour); make one per request.
class THistoryGenerator
{
public:
  // History covers [aSymbol.fListingMs, aEndMs); aEndMs is minute aligned.
  THistoryGenerator(const TSymbolInfo &aSymbol, int64_t aEndMs);

  // Aggregate of the generated minutes in [aFromMs, aToMs), both minute aligned, clipped to
  // the history; empty when nothing is left.
  TBar Aggregate(int64_t aFromMs, int64_t aToMs);

  int64_t EndMs() const { return fEndMs; }

private:
  // Prices are real numbers here; they become units (rounded to the tick) only in bars.
  struct TNode
  {
    double fOpen = 0;
    double fHigh = 0;
    double fLow = 0;
    double fClose = 0;
    int64_t fVolume = 0;
    int64_t fQuoteVolume = 0;
    int64_t fTakerBase = 0;
    int64_t fTakerQuote = 0;
    int64_t fTrades = 0;
  };

  double LogLevel(int64_t aDay);
  double Anchor(int64_t aBlock) const;
  const TNode &Day(int64_t aDay);
  const TNode &Hour(int64_t aHour);
  const TNode &Quarter(int64_t aQuarter);
  const TNode &Minute(int64_t aMinute);
  void Split(const TNode &aParent, int aCount, double aSigma, uint64_t aKey, TNode *aChildren);
  TBar ToBar(const TNode &aNode) const;
  int64_t RoundPrice(double aPrice) const;

  const TSymbolInfo &fSymbol;
  int64_t fEndMs;
  double fTicksPerUnit; // ticks per unit of price

  static constexpr int64_t cBlockDays = 256; // anchors pull the path back to its typical price
  int64_t fBlock = INT64_MIN;
  std::array<double, cBlockDays + 1> fLevels{};

  int64_t fDayIndex = INT64_MIN;
  TNode fDay;
  int64_t fHoursOfDay = INT64_MIN;
  std::array<TNode, 24> fHours;
  int64_t fQuartersOfHour = INT64_MIN;
  std::array<TNode, 4> fQuarters;
  int64_t fMinutesOfQuarter = INT64_MIN;
  std::array<TNode, 15> fMinutes;
};

} // namespace vexa::sim
