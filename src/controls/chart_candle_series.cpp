#include "chart_candle_series.h"

#include "chart_axis.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

TCandleSeries::TCandleSeries(TChartScene &aScene, TChartAxis &aHorizAxis, TChartAxis &aVertAxis)
    : TChartSeries(aScene, aHorizAxis, aVertAxis)
{
}

int TCandleSeries::AddOHLC(double aX, double aOpen, double aHigh, double aLow, double aClose)
{
  const size_t lPos = InsertPos(aX);
  const auto lAt = static_cast<std::ptrdiff_t>(lPos);
  fX.insert(fX.begin() + lAt, aX);
  fOpen.insert(fOpen.begin() + lAt, aOpen);
  fHigh.insert(fHigh.begin() + lAt, aHigh);
  fLow.insert(fLow.begin() + lAt, aLow);
  fClose.insert(fClose.begin() + lAt, aClose);
  Changed();
  return static_cast<int>(lPos);
}

void TCandleSeries::SetValue(std::vector<double> &aValues, int aIndex, double aValue)
{
  double &lValue = aValues[Idx(aIndex)];
  if (lValue == aValue)
    return;
  lValue = aValue;
  Changed();
}

void TCandleSeries::SetOpenValue(int aIndex, double aValue)
{
  SetValue(fOpen, aIndex, aValue);
}
void TCandleSeries::SetHighValue(int aIndex, double aValue)
{
  SetValue(fHigh, aIndex, aValue);
}
void TCandleSeries::SetLowValue(int aIndex, double aValue)
{
  SetValue(fLow, aIndex, aValue);
}
void TCandleSeries::SetCloseValue(int aIndex, double aValue)
{
  SetValue(fClose, aIndex, aValue);
}

void TCandleSeries::DoClear()
{
  fOpen.clear();
  fHigh.clear();
  fLow.clear();
  fClose.clear();
}

bool TCandleSeries::YRange(double &aMin, double &aMax, int aFirst, int aLast) const
{
  const int lCount = Count();
  if (aFirst < 0)
    aFirst = 0;
  if (aLast < 0 || aLast >= lCount)
    aLast = lCount - 1;
  if (aFirst > aLast)
    return false;
  aMin = *std::min_element(fLow.begin() + aFirst, fLow.begin() + aLast + 1);
  aMax = *std::max_element(fHigh.begin() + aFirst, fHigh.begin() + aLast + 1);
  return true;
}

#define VEXA_CANDLE_SETTER(Name, Field, Type)                                                      \
  void TCandleSeries::Set##Name(Type aValue)                                                       \
  {                                                                                                \
    if (Field == aValue)                                                                           \
      return;                                                                                      \
    Field = aValue;                                                                                \
    Changed();                                                                                     \
  }

VEXA_CANDLE_SETTER(CandleStyle, fStyle, TCandleStyle)
VEXA_CANDLE_SETTER(UpColor, fUpColor, const QColor &)
VEXA_CANDLE_SETTER(DownColor, fDownColor, const QColor &)
VEXA_CANDLE_SETTER(PenColor, fPenColor, const QColor &)
VEXA_CANDLE_SETTER(CandleWidth, fCandleWidth, int)

#undef VEXA_CANDLE_SETTER

int TCandleSeries::Clicked(QPoint aPos) const
{
  if (fX.empty())
    return -1;
  // The candle nearest in X, then whether the point is within its width and its high-low span.
  const double lValue = fHorizAxis.PixelToValue(aPos.x());
  const auto lIt = std::lower_bound(fX.begin(), fX.end(), lValue);
  size_t lIndex = static_cast<size_t>(lIt - fX.begin());
  if (lIndex == fX.size() ||
      (lIndex > 0 && std::fabs(fX[lIndex - 1] - lValue) < std::fabs(fX[lIndex] - lValue)))
    --lIndex;
  const double lHalf = std::max(fCandleWidth / 2.0, 2.0);
  if (std::fabs(fHorizAxis.ValueToPixel(fX[lIndex]) - aPos.x()) > lHalf)
    return -1;
  const double lTop = fVertAxis.ValueToPixel(fHigh[lIndex]);
  const double lBottom = fVertAxis.ValueToPixel(fLow[lIndex]);
  if (aPos.y() < std::min(lTop, lBottom) - 1 || aPos.y() > std::max(lTop, lBottom) + 1)
    return -1;
  return static_cast<int>(lIndex);
}

void TCandleSeries::Paint(QPainter &aPainter)
{
  const int lFirst = FirstVisibleIndex();
  if (lFirst < 0)
    return;
  const int lLast = LastVisibleIndex();
  const TPixelMap lX(fHorizAxis), lY(fVertAxis);
  const int lWidth = std::max(fCandleWidth, 1);
  const int lHalf = lWidth / 2;
  // Bodies narrower than three pixels have no room for an outline: they are filled only.
  const bool lThin = lWidth < 3;
  fUpBodies.clear();
  fDownBodies.clear();
  fWicks.clear();
  fUpFills.clear();
  fDownFills.clear();
  fCloses.clear();

  // Wicks, thin bodies and bar strokes are one-pixel rectangles: filling spans is the raster
  // engine's fastest path, well ahead of stroking lines.
  for (int lIndex = lFirst; lIndex <= lLast; ++lIndex) {
    const size_t i = Idx(lIndex);
    const int lCx = lX(fX[i]);
    const int lOpen = lY(fOpen[i]);
    const int lClose = lY(fClose[i]);
    const bool lRising = fClose[i] >= fOpen[i];
    switch (fStyle) {
    case csCandleStick:
    case csOpenClose: {
      if (fStyle == csCandleStick) {
        const int lHigh = lY(fHigh[i]);
        fWicks.emplace_back(lCx, lHigh, 1, lY(fLow[i]) - lHigh + 1);
      }
      const int lTop = std::min(lOpen, lClose);
      const int lBottom = std::max(lOpen, lClose);
      if (lThin)
        (lRising ? fUpFills : fDownFills)
            .emplace_back(lCx - lHalf, lTop, lWidth, lBottom - lTop + 1);
      else
        (lRising ? fUpBodies : fDownBodies)
            .emplace_back(lCx - lHalf, lTop, lWidth - 1, lBottom - lTop);
      break;
    }
    case csCandleBar: {
      auto &lFills = lRising ? fUpFills : fDownFills;
      const int lHigh = lY(fHigh[i]);
      lFills.emplace_back(lCx, lHigh, 1, lY(fLow[i]) - lHigh + 1);
      if (lHalf > 0) {
        lFills.emplace_back(lCx - lHalf, lOpen, lHalf, 1);
        lFills.emplace_back(lCx + 1, lClose, lHalf, 1);
      }
      break;
    }
    case csLine:
      fCloses.emplace_back(lCx, lClose);
      break;
    }
  }

  aPainter.setPen(Qt::NoPen);
  auto lFill = [&aPainter](const std::vector<QRect> &aRects, const QColor &aColor) {
    if (aRects.empty())
      return;
    aPainter.setBrush(aColor);
    aPainter.drawRects(aRects.data(), static_cast<int>(aRects.size()));
  };
  lFill(fWicks, fPenColor);
  lFill(fUpFills, fUpColor);
  lFill(fDownFills, fDownColor);
  if (!fUpBodies.empty() || !fDownBodies.empty()) {
    aPainter.setPen(QPen(fPenColor, 1));
    aPainter.setBrush(fUpColor);
    aPainter.drawRects(fUpBodies.data(), static_cast<int>(fUpBodies.size()));
    aPainter.setBrush(fDownColor);
    aPainter.drawRects(fDownBodies.data(), static_cast<int>(fDownBodies.size()));
  }
  aPainter.setBrush(Qt::NoBrush);
  if (fCloses.size() > 1) {
    aPainter.setPen(QPen(fUpColor, 1));
    aPainter.drawPolyline(fCloses.data(), static_cast<int>(fCloses.size()));
  }
}
