#include "indicator_calc.h"

#include "kline.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace {

[[noreturn]] void ThrowIndex(long long aIndex, long long aCount)
{
  throw std::runtime_error("kline index " + std::to_string(aIndex) + " out of range 0.." +
                           std::to_string(aCount - 1));
}

// Index checks before every step: a shift or period from a file may point anywhere. The checks
// are made once per step so that the sums run over plain arrays.
class TBarsAt
{
public:
  explicit TBarsAt(const TIndicatorBars &aBars) : fBars(aBars) {}
  long long Count() const { return static_cast<long long>(fBars.size()); }
  void Check(long long aIndex) const
  {
    if (aIndex < 0 || aIndex >= Count()) [[unlikely]]
      ThrowIndex(aIndex, Count());
  }
  const TIndicatorBar &operator()(long long aIndex) const
  {
    Check(aIndex);
    return fBars[static_cast<size_t>(aIndex)];
  }
  std::vector<double> Prices(TIndicatorPrice aPrice) const
  {
    std::vector<double> lPrices;
    lPrices.reserve(fBars.size());
    for (const TIndicatorBar &lBar : fBars)
      lPrices.push_back(GetPrice(lBar, aPrice));
    return lPrices;
  }

private:
  const TIndicatorBars &fBars;
};

void CheckDivisor(int aPeriod)
{
  if (aPeriod == 0)
    throw std::runtime_error("Division by zero");
}

// The window of aPeriod klines ending at aLast, checked; its first index.
size_t Window(const TBarsAt &aAt, long long aLast, int aPeriod)
{
  aAt.Check(aLast);
  aAt.Check(aLast - aPeriod + 1);
  return static_cast<size_t>(aLast - aPeriod + 1);
}

double Sum(const std::vector<double> &aPrices, size_t aFirst, int aPeriod)
{
  double lSum = 0;
  for (size_t j = aFirst, lEnd = aFirst + static_cast<size_t>(aPeriod); j < lEnd; ++j)
    lSum += aPrices[j];
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
  const std::vector<double> lP = lAt.Prices(aPrice);
  const bool lRecursive = aMethod == MODE_EMA || aMethod == MODE_SMMA;
  double lAverage = 0;
  for (long long i = aPeriod; i < lAt.Count(); ++i) {
    lAt.Check(i); // a negative period reaches before the first kline
    CheckDivisor(aPeriod);
    double lValue = 0;
    if (lRecursive) {
      // Seeded with the simple average of the first Period prices.
      if (i == aPeriod)
        lAverage = Sum(lP, Window(lAt, aPeriod - 1, aPeriod), aPeriod) / aPeriod;
      const double lAlpha = aMethod == MODE_EMA ? 2.0 / (aPeriod + 1) : 1.0 / aPeriod;
      lAverage += lAlpha * (lP[static_cast<size_t>(i)] - lAverage);
      lValue = lAverage;
    } else if (aMethod == MODE_LWMA) {
      // The newest kline weighs Period, the oldest of the window 1.
      const size_t lFirst = Window(lAt, i, aPeriod);
      double lSum = 0;
      for (int j = 0; j < aPeriod; ++j)
        lSum += (j + 1.0) * lP[lFirst + static_cast<size_t>(j)];
      lValue = lSum / (aPeriod * (aPeriod + 1.0) / 2);
    } else {
      lValue = Sum(lP, Window(lAt, i, aPeriod), aPeriod) / aPeriod;
    }
    aLine.push_back({lAt(i + aShift).Time, lValue});
  }
}

void CalcBollinger(const TIndicatorBars &aBars, int aPeriod, int aShift, int aDev,
                   TIndicatorPrice aPrice, TIndicatorPoints &aUpper, TIndicatorPoints &aMiddle,
                   TIndicatorPoints &aLower)
{
  const TBarsAt lAt(aBars);
  const std::vector<double> lP = lAt.Prices(aPrice);
  for (long long i = aPeriod; i < lAt.Count(); ++i) {
    lAt.Check(i);
    CheckDivisor(aPeriod);
    const size_t lFirst = Window(lAt, i, aPeriod);
    const size_t lEnd = lFirst + static_cast<size_t>(aPeriod);
    const double lMean = Sum(lP, lFirst, aPeriod) / aPeriod;
    double lSquares = 0;
    for (size_t j = lFirst; j < lEnd; ++j)
      lSquares += (lP[j] - lMean) * (lP[j] - lMean);
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
    lAt.Check(aFrom);
    lAt.Check(aTo);
    long long lBest = aFrom;
    for (long long k = aFrom + 1; k <= aTo; ++k)
      if (aBars[static_cast<size_t>(k)].Low < aBars[static_cast<size_t>(lBest)].Low)
        lBest = k;
    return lBest;
  };
  const auto lFindMax = [&](long long aFrom, long long aTo) {
    lAt.Check(aFrom);
    lAt.Check(aTo);
    long long lBest = aFrom;
    for (long long k = aFrom + 1; k <= aTo; ++k)
      if (aBars[static_cast<size_t>(k)].High > aBars[static_cast<size_t>(lBest)].High)
        lBest = k;
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
    lAt.Check(i - 2);
    const double lHigh = lAt(i).High;
    if (lAt(i - 2).High < lHigh && lAt(i - 1).High < lHigh && lAt(i + 1).High < lHigh &&
        lAt(i + 2).High < lHigh)
      aUp.push_back({lAt(i).Time, lHigh});
  }
  for (long long i = aPeriod; i <= lLast; ++i) {
    lAt.Check(i - 2);
    const double lLow = lAt(i).Low;
    if (lAt(i - 2).Low > lLow && lAt(i - 1).Low > lLow && lAt(i + 1).Low > lLow &&
        lAt(i + 2).Low > lLow)
      aDown.push_back({lAt(i).Time, lLow});
  }
}
