#include "indicator_calc.h"

#include "kline.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

// Index checks on every access: a shift or period from a file may point anywhere.
class TBarsAt
{
public:
  explicit TBarsAt(const TIndicatorBars &aBars) : fBars(aBars) {}
  long long Count() const { return static_cast<long long>(fBars.size()); }
  const TIndicatorBar &operator()(long long aIndex) const
  {
    if (aIndex < 0 || aIndex >= Count())
      throw std::runtime_error("kline index " + std::to_string(aIndex) + " out of range 0.." +
                               std::to_string(Count() - 1));
    return fBars[static_cast<size_t>(aIndex)];
  }

private:
  const TIndicatorBars &fBars;
};

void CheckDivisor(int aPeriod)
{
  if (aPeriod == 0)
    throw std::runtime_error("Division by zero");
}

// Sum of the prices of the window of aPeriod klines ending at aLast.
double WindowSum(const TBarsAt &aAt, long long aLast, int aPeriod, TIndicatorPrice aPrice)
{
  double lSum = 0;
  for (long long j = 0; j < aPeriod; ++j)
    lSum += GetPrice(aAt(aLast - j), aPrice);
  return lSum;
}

} // namespace

TIndicatorBars SortedBars(const TKlineList &aKlines)
{
  TIndicatorBars lBars;
  lBars.reserve(static_cast<size_t>(aKlines.Count()));
  std::vector<std::pair<std::int64_t, const TKline *>> lOrder;
  lOrder.reserve(static_cast<size_t>(aKlines.Count()));
  for (int i = 0; i < aKlines.Count(); ++i) {
    const TKline *lKline = aKlines.GetItem(i);
    if (lKline->OpenTime() > 0)
      lOrder.emplace_back(lKline->OpenTime(), lKline);
  }
  std::sort(lOrder.begin(), lOrder.end(),
            [](const auto &a, const auto &b) { return a.first < b.first; });
  for (const auto &[lTime, lKline] : lOrder)
    lBars.push_back(
        {lKline->GetOpenTime(), lKline->Open, lKline->High, lKline->Low, lKline->Close});
  return lBars;
}

double GetPrice(const TIndicatorBar &aBar, TIndicatorPrice aPrice)
{
  switch (aPrice) {
  case PRICE_OPEN:
    return aBar.Open;
  case PRICE_HIGH:
    return aBar.High;
  case PRICE_LOW:
    return aBar.Low;
  case PRICE_CLOSE:
    break;
  }
  return aBar.Close;
}

void CalcMa(const TIndicatorBars &aBars, int aPeriod, int aShift, TIndicatorMethod aMethod,
            TIndicatorPrice aPrice, TIndicatorPoints &aLine)
{
  const TBarsAt lAt(aBars);
  const bool lRecursive = aMethod == MODE_EMA || aMethod == MODE_SMMA;
  double lAverage = 0;
  for (long long i = aPeriod; i < lAt.Count(); ++i) {
    lAt(i); // a negative period reaches before the first kline
    double lValue = 0;
    if (lRecursive) {
      if (i == aPeriod) {
        // Seeded with the simple average of the first Period prices.
        CheckDivisor(aPeriod);
        lAverage = WindowSum(lAt, aPeriod - 1, aPeriod, aPrice) / aPeriod;
      }
      const double lAlpha = aMethod == MODE_EMA ? 2.0 / (aPeriod + 1) : 1.0 / aPeriod;
      lAverage += lAlpha * (GetPrice(lAt(i), aPrice) - lAverage);
      lValue = lAverage;
    } else if (aMethod == MODE_LWMA) {
      CheckDivisor(aPeriod);
      // The newest kline weighs Period, the oldest of the window 1.
      double lSum = 0;
      for (long long j = 0; j < aPeriod; ++j)
        lSum += static_cast<double>(aPeriod - j) * GetPrice(lAt(i - j), aPrice);
      lValue = lSum / (aPeriod * (aPeriod + 1.0) / 2);
    } else {
      CheckDivisor(aPeriod);
      lValue = WindowSum(lAt, i, aPeriod, aPrice) / aPeriod;
    }
    aLine.push_back({lAt(i + aShift).Time, lValue});
  }
}

void CalcBollinger(const TIndicatorBars &aBars, int aPeriod, int aShift, int aDev,
                   TIndicatorPrice aPrice, TIndicatorPoints &aUpper, TIndicatorPoints &aMiddle,
                   TIndicatorPoints &aLower)
{
  const TBarsAt lAt(aBars);
  for (long long i = aPeriod; i < lAt.Count(); ++i) {
    lAt(i);
    CheckDivisor(aPeriod);
    const double lMean = WindowSum(lAt, i, aPeriod, aPrice) / aPeriod;
    double lSquares = 0;
    for (long long j = 0; j < aPeriod; ++j) {
      const double lDelta = GetPrice(lAt(i - j), aPrice) - lMean;
      lSquares += lDelta * lDelta;
    }
    const double lBand = aDev * std::sqrt(lSquares / aPeriod);
    const double lX = lAt(i + aShift).Time;
    aUpper.push_back({lX, lMean + lBand});
    aMiddle.push_back({lX, lMean});
    aLower.push_back({lX, lMean - lBand});
  }
}

void CalcZigZag(const TIndicatorBars &aBars, int aDepth, int aBackstep, TIndicatorPoints &aLine)
{
  const TBarsAt lAt(aBars);
  const long long lCount = lAt.Count();
  // The first index of aFrom..aTo with the least low (greatest high); ties keep the earlier.
  const auto lFindMin = [&](long long aFrom, long long aTo) {
    long long lBest = aFrom;
    for (long long k = aFrom; k <= aTo; ++k)
      if (lAt(k).Low < lAt(lBest).Low)
        lBest = k;
    lAt(aTo);
    return lBest;
  };
  const auto lFindMax = [&](long long aFrom, long long aTo) {
    long long lBest = aFrom;
    for (long long k = aFrom; k <= aTo; ++k)
      if (lAt(k).High > lAt(lBest).High)
        lBest = k;
    lAt(aTo);
    return lBest;
  };
  std::vector<signed char> lMarks(static_cast<size_t>(std::max<long long>(lCount, 0)), 0);
  const auto lMark = [&](long long aIndex) -> signed char & {
    lAt(aIndex);
    return lMarks[static_cast<size_t>(aIndex)];
  };
  long long lLo = 0, lHi = 0;
  // A turning point at kline 0 is a turning point like any other, not "none yet".
  bool lStarted = false;
  for (long long i = aDepth; i < lCount; ++i) {
    if (!lStarted) {
      lLo = lFindMin(i - aDepth, i);
      lMark(lLo) = -1;
      lStarted = true;
    } else if (lLo < lHi) {
      if (i - lLo >= aBackstep && lFindMin(i - aDepth, i) == i) {
        lLo = i;
        lMark(i) = -1;
      } else if (lAt(i).High > lAt(lHi).High) {
        lMark(lHi) = 0;
        lHi = i;
        lMark(i) = 1;
      }
    } else {
      if (i - lHi >= aBackstep && lFindMax(i - aDepth, i) == i) {
        lHi = i;
        lMark(i) = 1;
      } else if (lAt(i).Low < lAt(lLo).Low) {
        lMark(lLo) = 0;
        lLo = i;
        lMark(i) = -1;
      }
    }
  }
  for (long long i = 0; i < lCount; ++i) {
    if (lMarks[static_cast<size_t>(i)] < 0)
      aLine.push_back({lAt(i).Time, lAt(i).Low});
    else if (lMarks[static_cast<size_t>(i)] > 0)
      aLine.push_back({lAt(i).Time, lAt(i).High});
  }
}

void CalcFractals(const TIndicatorBars &aBars, int aPeriod, TIndicatorPoints &aUp,
                  TIndicatorPoints &aDown)
{
  const TBarsAt lAt(aBars);
  const long long lLast = lAt.Count() - 3;
  for (long long i = aPeriod; i <= lLast; ++i) {
    const double lHigh = lAt(i).High;
    if (lAt(i - 2).High < lHigh && lAt(i - 1).High < lHigh && lAt(i + 1).High < lHigh &&
        lAt(i + 2).High < lHigh)
      aUp.push_back({lAt(i).Time, lHigh});
  }
  for (long long i = aPeriod; i <= lLast; ++i) {
    const double lLow = lAt(i).Low;
    if (lAt(i - 2).Low > lLow && lAt(i - 1).Low > lLow && lAt(i + 1).Low > lLow &&
        lAt(i + 2).Low > lLow)
      aDown.push_back({lAt(i).Time, lLow});
  }
}
