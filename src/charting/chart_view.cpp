#include "chart_view.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Gaps 1-2, 2-3 and 3-4 join the first as the candle count allows.
template <class Gap> double SmallestGap(int aCount, double aFirst, Gap aGap)
{
  double lResult = aFirst;
  if (aCount > 2)
    lResult = std::min(aGap(2), lResult);
  if (aCount > 3)
    lResult = std::min(aGap(3), lResult);
  if (aCount >= 5)
    lResult = std::min(aGap(4), lResult);
  return lResult;
}

// Delphi's Round: halves go to the even neighbour.
int RoundEven(double aValue)
{
  return static_cast<int>(std::nearbyint(aValue));
}

} // namespace

double CalcCandleDistance(const TCandleX &aX, int aCount)
{
  if (aCount < 2)
    return 0;
  return SmallestGap(aCount, aX(1) - aX(0), [&](int i) { return std::fabs(aX(i) - aX(i - 1)); });
}

double CalcMinPos(const TCandleX &aX, int aCount)
{
  if (aCount < 2)
    return 0;
  const auto lGap = [&](int i) { return std::fabs(aX(i) - aX(i - 1)); };
  return SmallestGap(aCount, lGap(1), lGap);
}

int CalcMaxVisibleCandleCount(int aAxisPixels, double aDistancePx)
{
  if (aDistancePx <= 0)
    return 0;
  return static_cast<int>(std::trunc(aAxisPixels / aDistancePx));
}

std::optional<int> CalcBarWidth(double aMinPos, int aCount)
{
  if (aCount < 3)
    return std::nullopt;
  return static_cast<int>(std::ceil(aMinPos * 0.66));
}

std::optional<double> ZoomedMaximum(TZoom aZoom, int aAxisPixels, int aScreenWidth,
                                    double aDistanceDate, double aAxisMin)
{
  if (aScreenWidth <= 0)
    return std::nullopt;
  const long long lCandles =
      static_cast<long long>(cZoomCandles[static_cast<int>(aZoom)]) * aAxisPixels / aScreenWidth;
  const double lMax = static_cast<double>(lCandles) * aDistanceDate + aAxisMin;
  if (lMax > 0)
    return lMax;
  return std::nullopt;
}

std::optional<TAxisRange> FixLeftSide(const TAxisRange &aAxis, int aCount, double aFirstX)
{
  if (aCount < 10 || aAxis.Min >= aFirstX)
    return std::nullopt;
  return TAxisRange{aFirstX, aFirstX + aAxis.Width()};
}

double RightTarget(TDateTime aNow, bool aShift, int aMaxVisible, double aDistanceDate,
                   double aDivisor)
{
  if (!aShift)
    return aNow;
  return aNow + (aMaxVisible / aDivisor) * aDistanceDate;
}

std::optional<TAxisRange> FixRightSide(const TAxisRange &aAxis, double aTarget)
{
  if (aAxis.Max <= aTarget)
    return std::nullopt;
  return TAxisRange{aTarget - aAxis.Width(), aTarget};
}

std::optional<TAxisRange> AutoMove(const TAxisRange &aAxis, double aTarget)
{
  if (aAxis.Max == aTarget)
    return std::nullopt;
  return TAxisRange{aTarget - aAxis.Width(), aTarget};
}

std::optional<TAxisRange> CalcYMinMax(int aFirst, int aLast, const std::function<double(int)> &aLow,
                                      const std::function<double(int)> &aHigh)
{
  if (aFirst < 0 || aLast < 0)
    return std::nullopt;
  TAxisRange lRange{std::numeric_limits<double>::max(), 0};
  for (int i = aFirst; i <= aLast; ++i) {
    lRange.Min = std::min(aLow(i), lRange.Min);
    lRange.Max = std::max(aHigh(i), lRange.Max);
  }
  return lRange;
}

TAxisRange DataPriceRange(const TAxisRange &aData, bool aFixed, double aPinMin, double aPinMax)
{
  return aFixed ? TAxisRange{aPinMin, aPinMax} : aData;
}

TAxisRange PriceScaleDrag(const TAxisRange &aStart, int aClickY, int aY, const TAxisRange &aData,
                          bool aFixed, double aPinMin, double aPinMax)
{
  TAxisRange lNew{aPinMin, aPinMax};
  if (!aFixed) {
    const double lDelta = aY - aClickY;
    lNew.Min = (100 - 0.1 * lDelta) * aStart.Min / 100;
    lNew.Max = (100 + 0.1 * lDelta) * aStart.Max / 100;
  }
  if (lNew.Max < aData.Max || lNew.Min > aData.Min)
    lNew = aData;
  return lNew;
}

TZoom ZoomDrag(TZoom aStart, int aClickX, int aX)
{
  const int lSteps = static_cast<int>(std::floor((aClickX - aX) / 15.0));
  const int lLevel = std::clamp(static_cast<int>(aStart) + lSteps, 0, cZoomCount - 1);
  return static_cast<TZoom>(lLevel);
}

std::vector<TDateTime> DaySeparators(const TAxisRange &aAxis)
{
  std::vector<TDateTime> lResult;
  const double lDays = std::trunc(std::fabs(aAxis.Max - aAxis.Min));
  if (lDays > 31)
    return lResult;
  TDateTime lDay = aAxis.Min;
  for (int i = 0; i <= static_cast<int>(lDays); ++i) {
    lDay += 1;
    const TDateTime lMidnight = std::floor(lDay);
    if (lMidnight < aAxis.Max)
      lResult.push_back(lMidnight);
  }
  return lResult;
}

TVolumeBars::TVolumeBars(int aPixelStart, int aPixelEnd, std::vector<double> aVolumes)
    : fVolumes(std::move(aVolumes)), fBottom(aPixelEnd)
{
  fTop = static_cast<int>(std::floor((aPixelEnd - aPixelStart) / 5.0 * 4 + aPixelStart));
  // From the volumes themselves: a fixed starting minimum would scale every bar of a symbol
  // trading more than it from that figure instead of the least volume shown.
  if (!fVolumes.empty()) {
    const auto [lMin, lMax] = std::minmax_element(fVolumes.begin(), fVolumes.end());
    fMinV = *lMin;
    fMaxV = *lMax;
  }
}

int TVolumeBars::BarEnd(int aIndex) const
{
  const double lShare = (fVolumes[static_cast<size_t>(aIndex)] - fMinV) / (fMaxV - fMinV);
  return static_cast<int>(std::floor(lShare * (fTop - fBottom) + fBottom));
}

QRect BannerRect(const QRect &aBounds)
{
  const int lDx = RoundEven(aBounds.width() / 4.0);
  const int lDy = RoundEven(aBounds.height() / 4.0);
  return aBounds.adjusted(lDx, lDy, -lDx, -lDy);
}

int GetFontSize(int aWidth, const std::function<int(int)> &aTextWidthAtSize)
{
  int lSize = 8;
  // A bound keeps a degenerate measure from looping for ever.
  while (lSize < 400 && aTextWidthAtSize(lSize) < aWidth)
    ++lSize;
  return lSize - 1;
}

QString PriceLabel(double aValue)
{
  return QString::asprintf("%8.5f", aValue);
}
