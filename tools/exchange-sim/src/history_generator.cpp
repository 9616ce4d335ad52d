#include "history_generator.h"

#include "decimal.h"
#include "hashing.h"
#include "intervals.h"

#include <algorithm>
#include <cmath>

namespace vexa::sim {

namespace {

constexpr double cAnchorSigma = 0.25;
constexpr uint64_t cTagAnchor = 0xA1;
constexpr uint64_t cTagBridge = 0xB2;
constexpr uint64_t cTagDay = 0xD3;
constexpr uint64_t cTagHours = 0xE4;
constexpr uint64_t cTagQuarters = 0xF4;
constexpr uint64_t cTagMinutes = 0xF5;
constexpr int64_t cQuarterMs = 15 * cMinuteMs;

double Reflect(double aValue, double aLow, double aHigh)
{
  if (aValue >= aLow && aValue <= aHigh) {
    return aValue;
  }
  const double lRange = aHigh - aLow;
  if (!(lRange > 0)) {
    return aLow;
  }
  double lOffset = std::fmod(aValue - aLow, 2 * lRange);
  if (lOffset < 0) {
    lOffset += 2 * lRange;
  }
  if (lOffset > lRange) {
    lOffset = 2 * lRange - lOffset;
  }
  return aLow + lOffset;
}

// Cumulative shares of aWeights (the last exactly 1), for SplitInteger.
void Shares(const double *aWeights, int aCount, double *aShares)
{
  double lSum = 0;
  for (int i = 0; i < aCount; ++i) {
    lSum += aWeights[i];
  }
  const double lScale = lSum > 0 ? 1.0 / lSum : 0;
  double lCumulative = 0;
  for (int i = 0; i < aCount; ++i) {
    lCumulative += lSum > 0 ? aWeights[i] : 1.0;
    aShares[i] = lSum > 0 ? lCumulative * lScale : lCumulative / aCount;
  }
  aShares[aCount - 1] = 1.0;
}

// Splits aTotal by cumulative shares into parts that add up to aTotal exactly.
template <typename TSetter>
void SplitInteger(int64_t aTotal, const double *aShares, int aCount, TSetter aSet)
{
  const double lTotal = static_cast<double>(aTotal);
  int64_t lPrevious = 0;
  for (int i = 0; i < aCount; ++i) {
    int64_t lCurrent = i == aCount - 1 ? aTotal : static_cast<int64_t>(lTotal * aShares[i]);
    lCurrent = std::clamp(lCurrent, lPrevious, aTotal);
    aSet(i, lCurrent - lPrevious);
    lPrevious = lCurrent;
  }
}

// Per-position hash keys, mixed once: a child's key is then one more mix away.
struct TLaneKeys
{
  uint64_t fWalk[61];
  uint64_t fShape[60];
  TLaneKeys()
  {
    for (int i = 0; i <= 60; ++i) {
      fWalk[i] = Mix64(static_cast<uint64_t>(i) + 0x51ED27ull);
    }
    for (int i = 0; i < 60; ++i) {
      fShape[i] = Mix64(static_cast<uint64_t>(i) + 0xC0FFEEull);
    }
  }
};
const TLaneKeys cLaneKeys;

} // namespace

THistoryGenerator::THistoryGenerator(const TSymbolInfo &aSymbol, int64_t aEndMs)
    : fSymbol(aSymbol), fEndMs(aEndMs), fTicksPerUnit(1.0 / DoubleFromUnits(aSymbol.fTick))
{
}

double THistoryGenerator::Anchor(int64_t aBlock) const
{
  return cAnchorSigma *
         NormalFromHash(HashKey(fSymbol.fSeed, cTagAnchor, static_cast<uint64_t>(aBlock)));
}

double THistoryGenerator::LogLevel(int64_t aDay)
{
  const int64_t lBlock = FloorDiv(aDay, cBlockDays);
  if (lBlock != fBlock) {
    // The whole block at once: midpoints of halves, then of quarters, and so on.
    const int64_t lFirstDay = lBlock * cBlockDays;
    fLevels[0] = Anchor(lBlock);
    fLevels[cBlockDays] = Anchor(lBlock + 1);
    for (int64_t lSpan = cBlockDays; lSpan > 1; lSpan /= 2) {
      const double lSpread = fSymbol.fDailyVolatility * std::sqrt(static_cast<double>(lSpan)) * 0.5;
      for (int64_t lLeft = 0; lLeft < cBlockDays; lLeft += lSpan) {
        const int64_t lMiddle = lLeft + lSpan / 2;
        const uint64_t lKey =
            HashKey(fSymbol.fSeed, cTagBridge, static_cast<uint64_t>(lFirstDay + lMiddle));
        fLevels[lMiddle] =
            0.5 * (fLevels[lLeft] + fLevels[lLeft + lSpan]) + lSpread * NormalFromHash(lKey);
      }
    }
    fBlock = lBlock;
  }
  return fLevels[aDay - lBlock * cBlockDays];
}

const THistoryGenerator::TNode &THistoryGenerator::Day(int64_t aDay)
{
  if (fDayIndex == aDay) {
    return fDay;
  }
  const uint64_t lHash = HashKey(fSymbol.fSeed, cTagDay, static_cast<uint64_t>(aDay));
  const double lOpenLog = LogLevel(aDay);
  const double lCloseLog = LogLevel(aDay + 1);
  TNode lDay;
  lDay.fOpen = fSymbol.fBasePrice * std::exp(lOpenLog);
  lDay.fClose = fSymbol.fBasePrice * std::exp(lCloseLog);
  const double lSigma = fSymbol.fDailyVolatility * 0.5 * (lDay.fOpen + lDay.fClose);
  lDay.fHigh = std::max(lDay.fOpen, lDay.fClose) + lSigma * (0.15 + 0.7 * LaneUnit(lHash, 0));
  lDay.fLow = std::min(lDay.fOpen, lDay.fClose) - lSigma * (0.15 + 0.7 * LaneUnit(lHash, 1));
  lDay.fLow = std::max(lDay.fLow, 0.5 * std::min(lDay.fOpen, lDay.fClose));

  const double lMove = std::fabs(lCloseLog - lOpenLog);
  const double lFactor = std::min(2.5, (0.6 + 0.8 * LaneUnit(lHash, 2)) * (1.0 + 8.0 * lMove));
  const double lVolume = fSymbol.fDailyVolume * lFactor;
  const double lTypical = 0.25 * (lDay.fOpen + lDay.fHigh + lDay.fLow + lDay.fClose);
  const double lTakerShare = 0.42 + 0.16 * LaneUnit(lHash, 3);
  lDay.fVolume = UnitsFromDouble(lVolume);
  lDay.fQuoteVolume = UnitsFromDouble(lVolume * lTypical);
  lDay.fTakerBase = UnitsFromDouble(lVolume * lTakerShare);
  lDay.fTakerQuote = UnitsFromDouble(lVolume * lTakerShare * lTypical);
  lDay.fTrades = std::max<int64_t>(1, std::llround(lVolume / std::max(fSymbol.fTradeSize, 1e-12)));

  fDayIndex = aDay;
  fDay = lDay;
  return fDay;
}

const THistoryGenerator::TNode &THistoryGenerator::Hour(int64_t aHour)
{
  const int64_t lDay = FloorDiv(aHour, 24);
  if (fHoursOfDay != lDay) {
    const TNode lParent = Day(lDay);
    const double lSigma =
        fSymbol.fDailyVolatility * 0.5 * (lParent.fOpen + lParent.fClose) / std::sqrt(24.0);
    Split(lParent, 24, lSigma, HashKey(fSymbol.fSeed, cTagHours, static_cast<uint64_t>(lDay)),
          fHours.data());
    fHoursOfDay = lDay;
  }
  return fHours[static_cast<size_t>(aHour - lDay * 24)];
}

const THistoryGenerator::TNode &THistoryGenerator::Quarter(int64_t aQuarter)
{
  const int64_t lHour = FloorDiv(aQuarter, 4);
  if (fQuartersOfHour != lHour) {
    const TNode lParent = Hour(lHour);
    const double lSigma =
        fSymbol.fDailyVolatility * 0.5 * (lParent.fOpen + lParent.fClose) / std::sqrt(24.0 * 4.0);
    Split(lParent, 4, lSigma, HashKey(fSymbol.fSeed, cTagQuarters, static_cast<uint64_t>(lHour)),
          fQuarters.data());
    fQuartersOfHour = lHour;
  }
  return fQuarters[static_cast<size_t>(aQuarter - lHour * 4)];
}

const THistoryGenerator::TNode &THistoryGenerator::Minute(int64_t aMinute)
{
  const int64_t lQuarter = FloorDiv(aMinute, 15);
  if (fMinutesOfQuarter != lQuarter) {
    const TNode lParent = Quarter(lQuarter);
    const double lSigma =
        fSymbol.fDailyVolatility * 0.5 * (lParent.fOpen + lParent.fClose) / std::sqrt(24.0 * 60.0);
    Split(lParent, 15, lSigma, HashKey(fSymbol.fSeed, cTagMinutes, static_cast<uint64_t>(lQuarter)),
          fMinutes.data());
    fMinutesOfQuarter = lQuarter;
  }
  return fMinutes[static_cast<size_t>(aMinute - lQuarter * 15)];
}

void THistoryGenerator::Split(const TNode &aParent, int aCount, double aSigma, uint64_t aKey,
                              TNode *aChildren)
{
  double lBoundary[61];
  double lWalk[61];
  lWalk[0] = 0;
  for (int k = 1; k <= aCount; ++k) {
    lWalk[k] = lWalk[k - 1] + aSigma * NormalFromHash(Mix64(aKey ^ cLaneKeys.fWalk[k]));
  }
  // A bridge from the parent's open to its close, folded into its range.
  const double lDrift = (aParent.fClose - aParent.fOpen - lWalk[aCount]) / aCount;
  lBoundary[0] = aParent.fOpen;
  for (int k = 1; k < aCount; ++k) {
    lBoundary[k] = Reflect(aParent.fOpen + lWalk[k] + lDrift * k, aParent.fLow, aParent.fHigh);
  }
  lBoundary[aCount] = aParent.fClose;

  int lHighChild = 0;
  int lLowChild = 0;
  double lHighest = -1;
  double lLowest = 0;
  double lWeights[60] = {};
  const double lInverseSigma = aSigma > 0 ? 1.0 / aSigma : 0;
  for (int i = 0; i < aCount; ++i) {
    const uint64_t lHash = Mix64(aKey ^ cLaneKeys.fShape[i]);
    const double lUpper = std::max(lBoundary[i], lBoundary[i + 1]);
    const double lLower = std::min(lBoundary[i], lBoundary[i + 1]);
    TNode &lChild = aChildren[i];
    lChild.fOpen = lBoundary[i];
    lChild.fClose = lBoundary[i + 1];
    lChild.fHigh = std::min(aParent.fHigh, lUpper + aSigma * (0.05 + 0.5 * LaneUnit(lHash, 0)));
    lChild.fLow = std::max(aParent.fLow, lLower - aSigma * (0.05 + 0.5 * LaneUnit(lHash, 1)));
    if (i == 0 || lUpper > lHighest) {
      lHighest = lUpper;
      lHighChild = i;
    }
    if (i == 0 || lLower < lLowest) {
      lLowest = lLower;
      lLowChild = i;
    }
    const double lMove = std::fabs(lBoundary[i + 1] - lBoundary[i]) * lInverseSigma;
    lWeights[i] = (0.4 + LaneUnit(lHash, 2)) * (1.0 + lMove);
  }
  // The parent's extremes are reached where its path comes closest to them.
  aChildren[lHighChild].fHigh = aParent.fHigh;
  aChildren[lLowChild].fLow = aParent.fLow;

  double lShares[60];
  Shares(lWeights, aCount, lShares);
  SplitInteger(aParent.fVolume, lShares, aCount,
               [aChildren](int aIndex, int64_t aPart) { aChildren[aIndex].fVolume = aPart; });
  SplitInteger(aParent.fTrades, lShares, aCount,
               [aChildren](int aIndex, int64_t aPart) { aChildren[aIndex].fTrades = aPart; });
  double lVolumeWeights[60] = {};
  double lQuoteWeights[60] = {};
  for (int i = 0; i < aCount; ++i) {
    const TNode &lChild = aChildren[i];
    lVolumeWeights[i] = static_cast<double>(lChild.fVolume);
    lQuoteWeights[i] =
        lVolumeWeights[i] * 0.25 * (lChild.fOpen + lChild.fHigh + lChild.fLow + lChild.fClose);
  }
  Shares(lVolumeWeights, aCount, lShares);
  SplitInteger(aParent.fTakerBase, lShares, aCount,
               [aChildren](int aIndex, int64_t aPart) { aChildren[aIndex].fTakerBase = aPart; });
  Shares(lQuoteWeights, aCount, lShares);
  SplitInteger(aParent.fQuoteVolume, lShares, aCount,
               [aChildren](int aIndex, int64_t aPart) { aChildren[aIndex].fQuoteVolume = aPart; });
  SplitInteger(aParent.fTakerQuote, lShares, aCount,
               [aChildren](int aIndex, int64_t aPart) { aChildren[aIndex].fTakerQuote = aPart; });
}

int64_t THistoryGenerator::RoundPrice(double aPrice) const
{
  // Rounding is monotonic, so the aggregate of rounded bars is the rounded aggregate.
  const int64_t lTicks = static_cast<int64_t>(aPrice * fTicksPerUnit + 0.5);
  return std::max<int64_t>(1, lTicks) * fSymbol.fTick;
}

TBar THistoryGenerator::ToBar(const TNode &aNode) const
{
  TBar lBar;
  lBar.fOpen = RoundPrice(aNode.fOpen);
  lBar.fHigh = RoundPrice(aNode.fHigh);
  lBar.fLow = RoundPrice(aNode.fLow);
  lBar.fClose = RoundPrice(aNode.fClose);
  lBar.fVolume = aNode.fVolume;
  lBar.fQuoteVolume = aNode.fQuoteVolume;
  lBar.fTakerBase = aNode.fTakerBase;
  lBar.fTakerQuote = aNode.fTakerQuote;
  lBar.fTrades = aNode.fTrades;
  lBar.fEmpty = false;
  return lBar;
}

TBar THistoryGenerator::Aggregate(int64_t aFromMs, int64_t aToMs)
{
  // Merged as real prices and rounded once: the same result, a fraction of the work.
  TNode lSum;
  bool lEmpty = true;
  auto lMerge = [&lSum, &lEmpty](const TNode &aNode) {
    if (lEmpty) {
      lSum = aNode;
      lEmpty = false;
      return;
    }
    lSum.fHigh = std::max(lSum.fHigh, aNode.fHigh);
    lSum.fLow = std::min(lSum.fLow, aNode.fLow);
    lSum.fClose = aNode.fClose;
    lSum.fVolume += aNode.fVolume;
    lSum.fQuoteVolume += aNode.fQuoteVolume;
    lSum.fTakerBase += aNode.fTakerBase;
    lSum.fTakerQuote += aNode.fTakerQuote;
    lSum.fTrades += aNode.fTrades;
  };
  int64_t lTime = std::max(aFromMs, fSymbol.fListingMs);
  const int64_t lEnd = std::min(aToMs, fEndMs);
  while (lTime < lEnd) {
    if (lTime % cDayMs == 0 && lTime + cDayMs <= lEnd) {
      lMerge(Day(lTime / cDayMs));
      lTime += cDayMs;
    } else if (lTime % cHourMs == 0 && lTime + cHourMs <= lEnd) {
      lMerge(Hour(lTime / cHourMs));
      lTime += cHourMs;
    } else if (lTime % cQuarterMs == 0 && lTime + cQuarterMs <= lEnd) {
      lMerge(Quarter(lTime / cQuarterMs));
      lTime += cQuarterMs;
    } else {
      lMerge(Minute(lTime / cMinuteMs));
      lTime += cMinuteMs;
    }
  }
  return lEmpty ? TBar() : ToBar(lSum);
}

} // namespace vexa::sim
