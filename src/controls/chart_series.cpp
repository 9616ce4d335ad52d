#include "chart_series.h"

#include "chart_axis.h"
#include "chart_scene.h"

#include <QPainter>
#include <QPolygon>

#include <algorithm>
#include <cmath>

namespace {

constexpr int cLineHitTolerance = 3;

double SegmentDistance(QPointF aP, QPointF aA, QPointF aB)
{
  const QPointF lAB = aB - aA;
  const double lLen2 = QPointF::dotProduct(lAB, lAB);
  double lT = lLen2 > 0 ? QPointF::dotProduct(aP - aA, lAB) / lLen2 : 0;
  lT = std::clamp(lT, 0.0, 1.0);
  const QPointF lD = aP - (aA + lT * lAB);
  return std::hypot(lD.x(), lD.y());
}

bool MinMaxOf(const std::vector<double> &aLow, const std::vector<double> &aHigh, int aFirst,
              int aLast, double &aMin, double &aMax)
{
  const int lCount = static_cast<int>(aLow.size());
  if (aFirst < 0)
    aFirst = 0;
  if (aLast < 0 || aLast >= lCount)
    aLast = lCount - 1;
  if (aFirst > aLast)
    return false;
  aMin = *std::min_element(aLow.begin() + aFirst, aLow.begin() + aLast + 1);
  aMax = *std::max_element(aHigh.begin() + aFirst, aHigh.begin() + aLast + 1);
  return true;
}

} // namespace

TChartSeries::TChartSeries(TChartScene &aScene, TChartAxis &aHorizAxis, TChartAxis &aVertAxis)
    : fScene(aScene), fHorizAxis(aHorizAxis), fVertAxis(aVertAxis)
{
}

double TChartSeries::CalcXPos(int aIndex) const
{
  return fHorizAxis.ValueToPixel(XValue(aIndex));
}

int TChartSeries::FirstVisibleIndex() const
{
  const auto lIt = std::lower_bound(fX.begin(), fX.end(), fHorizAxis.Minimum());
  if (lIt == fX.end() || *lIt > fHorizAxis.Maximum())
    return -1;
  return static_cast<int>(lIt - fX.begin());
}

int TChartSeries::LastVisibleIndex() const
{
  const auto lIt = std::upper_bound(fX.begin(), fX.end(), fHorizAxis.Maximum());
  if (lIt == fX.begin() || *(lIt - 1) < fHorizAxis.Minimum())
    return -1;
  return static_cast<int>(lIt - fX.begin()) - 1;
}

size_t TChartSeries::InsertPos(double aX) const
{
  if (fX.empty() || aX >= fX.back())
    return fX.size();
  return static_cast<size_t>(std::upper_bound(fX.begin(), fX.end(), aX) - fX.begin());
}

void TChartSeries::Clear()
{
  if (fX.empty())
    return;
  fX.clear();
  DoClear();
  Changed();
}

void TChartSeries::EndUpdate()
{
  if (fUpdateCount > 0 && --fUpdateCount == 0 && fChangedInUpdate) {
    fChangedInUpdate = false;
    fScene.Invalidate();
  }
}

void TChartSeries::Changed()
{
  if (fUpdateCount > 0)
    fChangedInUpdate = true;
  else
    fScene.Invalidate();
}

void TChartSeries::SetVisible(bool aValue)
{
  if (fVisible == aValue)
    return;
  fVisible = aValue;
  Changed();
}

void TChartSeries::SetColor(const QColor &aValue)
{
  if (fColor == aValue)
    return;
  fColor = aValue;
  ColorChanged();
  Changed();
}

// ---- TLineSeries

int TLineSeries::AddXY(double aX, double aY)
{
  const size_t lPos = InsertPos(aX);
  fX.insert(fX.begin() + static_cast<std::ptrdiff_t>(lPos), aX);
  fY.insert(fY.begin() + static_cast<std::ptrdiff_t>(lPos), aY);
  Changed();
  return static_cast<int>(lPos);
}

void TLineSeries::SetYValue(int aIndex, double aValue)
{
  double &lY = fY[static_cast<size_t>(aIndex)];
  if (lY == aValue)
    return;
  lY = aValue;
  Changed();
}

bool TLineSeries::YRange(double &aMin, double &aMax, int aFirst, int aLast) const
{
  return MinMaxOf(fY, fY, aFirst, aLast, aMin, aMax);
}

void TLineSeries::SetPenStyle(Qt::PenStyle aValue)
{
  if (fPenStyle == aValue)
    return;
  fPenStyle = aValue;
  Changed();
}

void TLineSeries::SetPenWidth(int aValue)
{
  if (fPenWidth == aValue)
    return;
  fPenWidth = aValue;
  Changed();
}

int TLineSeries::Clicked(QPoint aPos) const
{
  if (fX.empty())
    return -1;
  const double lTolerance = cLineHitTolerance + fPenWidth / 2.0;
  const double lLo = fHorizAxis.PixelToValue(aPos.x() - lTolerance);
  const double lHi = fHorizAxis.PixelToValue(aPos.x() + lTolerance);
  // Every segment that may pass within reach: one point left of the window to one right of it.
  auto lFirst = std::lower_bound(fX.begin(), fX.end(), std::min(lLo, lHi));
  auto lLast = std::upper_bound(fX.begin(), fX.end(), std::max(lLo, lHi));
  size_t lFrom = static_cast<size_t>(lFirst - fX.begin());
  size_t lTo = static_cast<size_t>(lLast - fX.begin());
  lFrom = lFrom > 0 ? lFrom - 1 : 0;
  lTo = std::min(lTo, fX.size() - 1);
  auto lPoint = [this](size_t aIndex) {
    return QPointF(fHorizAxis.ValueToPixel(fX[aIndex]), fVertAxis.ValueToPixel(fY[aIndex]));
  };
  const QPointF lPos(aPos);
  for (size_t lIndex = lFrom; lIndex <= lTo; ++lIndex) {
    const QPointF lA = lPoint(lIndex);
    const QPointF lB = lIndex < lTo ? lPoint(lIndex + 1) : lA;
    if (SegmentDistance(lPos, lA, lB) <= lTolerance) {
      const bool lNearA = QLineF(lPos, lA).length() <= QLineF(lPos, lB).length();
      return static_cast<int>(lNearA ? lIndex : lIndex + 1);
    }
  }
  return -1;
}

void TLineSeries::Paint(QPainter &aPainter)
{
  if (fX.size() < 2)
    return;
  // One point beyond each end of the visible range so that the line reaches the plot edges.
  auto lFirst = std::lower_bound(fX.begin(), fX.end(), fHorizAxis.Minimum());
  auto lLast = std::upper_bound(fX.begin(), fX.end(), fHorizAxis.Maximum());
  size_t lFrom = static_cast<size_t>(lFirst - fX.begin());
  size_t lTo = static_cast<size_t>(lLast - fX.begin());
  lFrom = lFrom > 0 ? lFrom - 1 : 0;
  lTo = std::min(lTo, fX.size() - 1);
  if (lFrom >= lTo)
    return;
  fBuffer.clear();
  const TPixelMap lX(fHorizAxis), lY(fVertAxis);
  for (size_t lIndex = lFrom; lIndex <= lTo; ++lIndex)
    fBuffer.emplace_back(lX(fX[lIndex]), lY(fY[lIndex]));
  QPen lPen(fColor, fPenWidth, fPenStyle);
  lPen.setCosmetic(true);
  aPainter.setPen(lPen);
  aPainter.drawPolyline(fBuffer.data(), static_cast<int>(fBuffer.size()));
}

// ---- TPointSeries

int TPointSeries::AddXY(double aX, double aY, double aRadius)
{
  const size_t lPos = InsertPos(aX);
  const auto lAt = static_cast<std::ptrdiff_t>(lPos);
  fX.insert(fX.begin() + lAt, aX);
  fY.insert(fY.begin() + lAt, aY);
  fRadius.insert(fRadius.begin() + lAt, aRadius);
  Changed();
  return static_cast<int>(lPos);
}

void TPointSeries::DoClear()
{
  fY.clear();
  fRadius.clear();
}

bool TPointSeries::YRange(double &aMin, double &aMax, int aFirst, int aLast) const
{
  return MinMaxOf(fY, fY, aFirst, aLast, aMin, aMax);
}

void TPointSeries::SetPointerStyle(TPointerStyle aValue)
{
  if (fStyle == aValue)
    return;
  fStyle = aValue;
  fSprite = QImage();
  Changed();
}

void TPointSeries::SetPointerSize(int aWidth, int aHeight)
{
  if (fPointerWidth == aWidth && fPointerHeight == aHeight)
    return;
  fPointerWidth = aWidth;
  fPointerHeight = aHeight;
  fSprite = QImage();
  Changed();
}

void TPointSeries::ColorChanged()
{
  fSprite = QImage();
}

int TPointSeries::Clicked(QPoint aPos) const
{
  const int lFirst = FirstVisibleIndex();
  const int lLast = LastVisibleIndex();
  if (lFirst < 0)
    return -1;
  // Later points are drawn on top, so they answer first.
  for (int lIndex = lLast; lIndex >= lFirst; --lIndex) {
    const double lX = CalcXPos(lIndex);
    const double lY = fVertAxis.ValueToPixel(YValue(lIndex));
    if (std::fabs(aPos.x() - lX) <= fPointerWidth / 2.0 + 1 &&
        std::fabs(aPos.y() - lY) <= fPointerHeight / 2.0 + 1)
      return lIndex;
  }
  return -1;
}

const QImage &TPointSeries::Sprite()
{
  if (!fSprite.isNull())
    return fSprite;
  // One marker drawn once and blitted per point: polygons per point cost far more.
  fSprite = QImage(fPointerWidth + 1, fPointerHeight + 1, QImage::Format_ARGB32_Premultiplied);
  fSprite.fill(Qt::transparent);
  QPainter lPainter(&fSprite);
  lPainter.setPen(QPen(fColor.darker(160), 1));
  lPainter.setBrush(fColor);
  const int lW = fPointerWidth, lH = fPointerHeight;
  switch (fStyle) {
  case psTriangle: {
    const QPoint lPoints[3] = {{0, lH}, {lW, lH}, {lW / 2, 0}};
    lPainter.drawPolygon(lPoints, 3);
    break;
  }
  case psDownTriangle: {
    const QPoint lPoints[3] = {{0, 0}, {lW, 0}, {lW / 2, lH}};
    lPainter.drawPolygon(lPoints, 3);
    break;
  }
  case psRectangle:
    lPainter.drawRect(0, 0, lW - 1, lH - 1);
    break;
  case psCircle:
    lPainter.setRenderHint(QPainter::Antialiasing);
    lPainter.drawEllipse(QRectF(0.5, 0.5, lW - 1, lH - 1));
    break;
  }
  return fSprite;
}

void TPointSeries::Paint(QPainter &aPainter)
{
  const int lFirst = FirstVisibleIndex();
  if (lFirst < 0)
    return;
  const int lLast = LastVisibleIndex();
  const QImage &lSprite = Sprite();
  const TPixelMap lX(fHorizAxis), lY(fVertAxis);
  const int lW = fPointerWidth / 2;
  const int lH = fPointerHeight / 2;
  for (int lIndex = lFirst; lIndex <= lLast; ++lIndex)
    aPainter.drawImage(QPoint(lX(XValue(lIndex)) - lW, lY(YValue(lIndex)) - lH), lSprite);
}
