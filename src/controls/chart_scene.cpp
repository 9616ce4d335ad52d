#include "chart_scene.h"

#include <QFontMetrics>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr int cLabelPad = 3;

} // namespace

TChartScene::TChartScene()
    : fLeft(*this, apLeft), fTop(*this, apTop), fRight(*this, apRight), fBottom(*this, apBottom)
{
  // Only the time and price axes are in use by default; the others exist for settings.
  fLeft.fVisible = false;
  fTop.fVisible = false;
  fBottom.fDateTime = true;
}

TChartScene::~TChartScene() = default;

TChartAxis &TChartScene::Axis(TChartAxisPosition aPosition)
{
  switch (aPosition) {
  case apLeft:
    return fLeft;
  case apTop:
    return fTop;
  case apRight:
    return fRight;
  case apBottom:
    break;
  }
  return fBottom;
}

template <class T> T *TChartScene::Adopt(std::unique_ptr<T> aSeries)
{
  T *lSeries = aSeries.get();
  fSeries.push_back(std::move(aSeries));
  Invalidate();
  return lSeries;
}

TCandleSeries *TChartScene::AddCandleSeries()
{
  return Adopt(std::make_unique<TCandleSeries>(*this, fBottom, fRight));
}

TLineSeries *TChartScene::AddLineSeries()
{
  return Adopt(std::make_unique<TLineSeries>(*this, fBottom, fRight));
}

TPointSeries *TChartScene::AddPointSeries()
{
  return Adopt(std::make_unique<TPointSeries>(*this, fBottom, fRight));
}

void TChartScene::RemoveSeries(TChartSeries *aSeries)
{
  const auto lIt = std::find_if(fSeries.begin(), fSeries.end(),
                                [aSeries](const auto &aItem) { return aItem.get() == aSeries; });
  if (lIt == fSeries.end())
    return;
  fSeries.erase(lIt);
  Invalidate();
}

std::pair<TChartSeries *, int> TChartScene::SeriesAt(QPoint aPos) const
{
  for (auto lIt = fSeries.rbegin(); lIt != fSeries.rend(); ++lIt) {
    if (!(*lIt)->Visible())
      continue;
    const int lIndex = (*lIt)->Clicked(aPos);
    if (lIndex >= 0)
      return {lIt->get(), lIndex};
  }
  return {nullptr, -1};
}

#define VEXA_SCENE_SETTER(Name, Field, Type)                                                       \
  void TChartScene::Set##Name(Type aValue)                                                         \
  {                                                                                                \
    if (Field == aValue)                                                                           \
      return;                                                                                      \
    Field = aValue;                                                                                \
    Invalidate();                                                                                  \
  }

VEXA_SCENE_SETTER(Color, fColor, const QColor &)
VEXA_SCENE_SETTER(BackWallColor, fBackWallColor, const QColor &)
VEXA_SCENE_SETTER(BackWallTransparent, fBackWallTransparent, bool)
VEXA_SCENE_SETTER(BorderVisible, fBorderVisible, bool)
VEXA_SCENE_SETTER(BorderColor, fBorderColor, const QColor &)
VEXA_SCENE_SETTER(Margins, fMargins, const QMargins &)
VEXA_SCENE_SETTER(Title, fTitle, const QString &)
VEXA_SCENE_SETTER(TitleFont, fTitleFont, const QFont &)
VEXA_SCENE_SETTER(TitleColor, fTitleColor, const QColor &)
VEXA_SCENE_SETTER(Size, fSize, QSize)

#undef VEXA_SCENE_SETTER

void TChartScene::Invalidate()
{
  fLayoutValid = false;
  if (!fInLayout && OnChanged)
    OnChanged();
}

void TChartScene::Realign()
{
  for (TChartAxis *lAxis : {&fLeft, &fTop, &fRight, &fBottom})
    lAxis->ForgetLabels();
  Invalidate();
}

QRect TChartScene::PlotRect()
{
  Layout();
  return fPlot;
}

void TChartScene::ApplyAutomatic()
{
  for (TChartAxis *lAxis : {&fLeft, &fTop, &fRight, &fBottom}) {
    if (!lAxis->fAutomatic)
      continue;
    double lMin = std::numeric_limits<double>::max();
    double lMax = std::numeric_limits<double>::lowest();
    for (const auto &lSeries : fSeries) {
      if (!lSeries->Visible() || lSeries->Count() == 0)
        continue;
      double lLo = 0, lHi = 0;
      if (&lSeries->HorizAxis() == lAxis) {
        lLo = lSeries->XValue(0);
        lHi = lSeries->XValue(lSeries->Count() - 1);
      } else if (&lSeries->VertAxis() != lAxis || !lSeries->YRange(lLo, lHi)) {
        continue;
      }
      lMin = std::min(lMin, lLo);
      lMax = std::max(lMax, lHi);
    }
    if (lMin <= lMax) {
      lAxis->fMinimum = lMin;
      lAxis->fMaximum = lMax;
    }
  }
}

void TChartScene::Layout()
{
  if (fLayoutValid)
    return;
  fInLayout = true;
  ApplyAutomatic();
  QRect lPlot = Bounds().marginsRemoved(fMargins);
  if (!fTitle.isEmpty())
    lPlot.setTop(lPlot.top() + QFontMetrics(fTitleFont).height() + cLabelPad);

  // Horizontal axes take a fixed band (ticks and one text line); vertical axes then take the
  // width of their widest label, which needs their labels built on the final plot height.
  auto lBand = [](const TChartAxis &aAxis) {
    if (!aAxis.fVisible)
      return 0;
    const int lText = aAxis.fLabelsVisible ? QFontMetrics(aAxis.fLabelFont).height() : 0;
    return std::max(aAxis.fTickLength, 0) + cLabelPad + lText;
  };
  lPlot.setBottom(lPlot.bottom() - lBand(fBottom));
  lPlot.setTop(lPlot.top() + lBand(fTop));

  for (TChartAxis *lAxis : {&fRight, &fLeft}) {
    if (!lAxis->fVisible)
      continue;
    lAxis->SetPixels(lPlot.top(), lPlot.bottom(), 0);
    const QFontMetrics lMetrics(lAxis->fLabelFont);
    int lWidth = std::max(lAxis->fTickLength, 0) + cLabelPad;
    if (lAxis->fLabelsVisible) {
      lAxis->BuildLabels(lMetrics);
      int lText = 0;
      for (const TChartAxisLabel &lLabel : lAxis->fLabels)
        lText = std::max(lText, lLabel.Width);
      lWidth += lText + cLabelPad;
    }
    if (lAxis == &fRight)
      lPlot.setRight(lPlot.right() - lWidth);
    else
      lPlot.setLeft(lPlot.left() + lWidth);
  }
  if (lPlot.width() < 1)
    lPlot.setWidth(1);
  if (lPlot.height() < 1)
    lPlot.setHeight(1);
  fPlot = lPlot;

  fLeft.SetPixels(lPlot.top(), lPlot.bottom(), lPlot.left());
  fRight.SetPixels(lPlot.top(), lPlot.bottom(), lPlot.right());
  fTop.SetPixels(lPlot.left(), lPlot.right(), lPlot.top());
  fBottom.SetPixels(lPlot.left(), lPlot.right(), lPlot.bottom());
  for (TChartAxis *lAxis : {&fLeft, &fTop, &fRight, &fBottom}) {
    if (lAxis->fVisible && lAxis->fLabelsVisible)
      lAxis->BuildLabels(QFontMetrics(lAxis->fLabelFont));
    else
      lAxis->fLabels.clear();
  }
  fLayoutValid = true;
  fInLayout = false;
}

void TChartScene::PaintGrid(QPainter &aPainter, const TChartAxis &aAxis, bool aMinor)
{
  if (!aAxis.fVisible || aAxis.fLabels.empty())
    return;
  const QRect lPlot = fPlot;
  auto lLine = [&](int aPixel) {
    if (aAxis.Horizontal())
      aPainter.drawLine(aPixel, lPlot.top(), aPixel, lPlot.bottom());
    else
      aPainter.drawLine(lPlot.left(), aPixel, lPlot.right(), aPixel);
  };
  const QSize lSize = aAxis.Horizontal() ? QSize(1, lPlot.height()) : QSize(lPlot.width(), 1);
  if (aMinor && aAxis.fMinorGridVisible && aAxis.fMinorTickCount > 0 &&
      std::max(lSize.width(), lSize.height()) > 1) {
    // One dotted strip drawn once per size and colour, then blitted: stroking dashes per line
    // costs several times more. Over an opaque wall the gaps carry the wall's colour, so the
    // blit is a plain copy; minor grids go first, so they never cut a major line.
    QImage &lStrip = aAxis.Horizontal() ? fDotsVertical : fDotsHorizontal;
    const QPoint lGap = aAxis.Horizontal() ? QPoint(0, 1) : QPoint(1, 0);
    const QRgb lGapColor = fBackWallTransparent ? 0 : fBackWallColor.rgb();
    if (lStrip.size() != lSize || lStrip.pixel(0, 0) != aAxis.fMinorGridColor.rgba() ||
        lStrip.pixel(lGap) != lGapColor) {
      lStrip = QImage(lSize, fBackWallTransparent ? QImage::Format_ARGB32_Premultiplied
                                                  : QImage::Format_RGB32);
      lStrip.fill(lGapColor);
      for (int lDot = 0; lDot < std::max(lSize.width(), lSize.height()); lDot += 2)
        lStrip.setPixel(aAxis.Horizontal() ? 0 : lDot, aAxis.Horizontal() ? lDot : 0,
                        aAxis.fMinorGridColor.rgba());
    }
    auto lDotted = [&](int aPixel) {
      aPainter.drawImage(
          aAxis.Horizontal() ? QPoint(aPixel, lPlot.top()) : QPoint(lPlot.left(), aPixel), lStrip);
    };
    const auto &lLabels = aAxis.fLabels;
    const double lParts = aAxis.fMinorTickCount + 1;
    // Between labels, and one label step beyond each end so the plot is covered to its edges.
    for (size_t lIndex = 0; lIndex <= lLabels.size(); ++lIndex) {
      const double lStep = lLabels.size() > 1
                               ? (lIndex < lLabels.size() && lIndex > 0
                                      ? lLabels[lIndex].Value - lLabels[lIndex - 1].Value
                                      : lLabels[1].Value - lLabels[0].Value)
                               : aAxis.fLabelStep;
      const double lFrom =
          lIndex < lLabels.size() ? lLabels[lIndex].Value - lStep : lLabels.back().Value;
      for (int lPart = 1; lPart < lParts; ++lPart) {
        const double lValue = lFrom + lStep * lPart / lParts;
        if (lValue > aAxis.fMinimum && lValue < aAxis.fMaximum)
          lDotted(aAxis.CalcPos(lValue));
      }
    }
  }
  if (!aMinor && aAxis.fGridVisible) {
    aPainter.setPen(QPen(aAxis.fGridColor, 1));
    for (const TChartAxisLabel &lLabel : aAxis.fLabels)
      lLine(lLabel.Pixel);
  }
}

void TChartScene::PaintAxis(QPainter &aPainter, const TChartAxis &aAxis)
{
  if (!aAxis.fVisible)
    return;
  const int lPos = aAxis.fPixelPosition;
  // Outward is away from the plot: right and down for the right and bottom axes.
  const int lOut = aAxis.fPosition == apRight || aAxis.fPosition == apBottom ? 1 : -1;
  auto lTick = [&](int aPixel, int aFrom, int aTo) {
    if (aAxis.Horizontal())
      aPainter.drawLine(aPixel, lPos + lOut * aFrom, aPixel, lPos + lOut * aTo);
    else
      aPainter.drawLine(lPos + lOut * aFrom, aPixel, lPos + lOut * aTo, aPixel);
  };
  if (aAxis.fTickLength > 0) {
    aPainter.setPen(QPen(aAxis.fTickColor, 1));
    for (const TChartAxisLabel &lLabel : aAxis.fLabels)
      lTick(lLabel.Pixel, 1, aAxis.fTickLength);
  }
  if (aAxis.fInnerTickLength > 0) {
    aPainter.setPen(QPen(aAxis.fInnerTickColor, 1));
    for (const TChartAxisLabel &lLabel : aAxis.fLabels)
      lTick(lLabel.Pixel, -1, -aAxis.fInnerTickLength);
  }
  if (aAxis.fMinorTickLength != 0 && aAxis.fMinorTickCount > 0 && aAxis.fLabels.size() > 1) {
    aPainter.setPen(QPen(aAxis.fMinorTickColor, 1));
    const int lLength = aAxis.fMinorTickLength;
    const auto &lLabels = aAxis.fLabels;
    for (size_t lIndex = 1; lIndex < lLabels.size(); ++lIndex)
      for (int lPart = 1; lPart <= aAxis.fMinorTickCount; ++lPart) {
        const double lValue =
            lLabels[lIndex - 1].Value + (lLabels[lIndex].Value - lLabels[lIndex - 1].Value) *
                                            lPart / (aAxis.fMinorTickCount + 1);
        lTick(aAxis.CalcPos(lValue), lLength > 0 ? 1 : -1, lLength);
      }
  }
  aPainter.setPen(QPen(aAxis.fLineColor, 1));
  if (aAxis.Horizontal())
    aPainter.drawLine(fPlot.left(), lPos, fPlot.right(), lPos);
  else
    aPainter.drawLine(lPos, fPlot.top(), lPos, fPlot.bottom());

  if (!aAxis.fLabelsVisible || aAxis.fLabels.empty())
    return;
  aPainter.setFont(aAxis.fLabelFont);
  aPainter.setPen(aAxis.fLabelColor);
  const QFontMetrics lMetrics(aAxis.fLabelFont);
  const int lGap = std::max(aAxis.fTickLength, 0) + cLabelPad;
  const QRect lBounds = Bounds();
  // A horizontal axis' labels stop at the plot's right edge so they never run under the price
  // scale's labels in the corner; any label that would be cut by the chart's edge is left out.
  const int lRightLimit = fRight.fVisible ? fPlot.right() + cLabelPad : lBounds.right();
  for (const TChartAxisLabel &lLabel : aAxis.fLabels) {
    const int lWidth = lLabel.Width;
    QRect lRect;
    if (aAxis.Horizontal()) {
      const int lTop = lOut > 0 ? lPos + lGap : lPos - lGap - lMetrics.height();
      lRect = QRect(lLabel.Pixel - lWidth / 2, lTop, lWidth, lMetrics.height());
      if (lRect.left() < lBounds.left() || lRect.right() > lRightLimit)
        continue;
    } else {
      const int lLeft = lOut > 0 ? lPos + lGap : lPos - lGap - lWidth;
      lRect = QRect(lLeft, lLabel.Pixel - lMetrics.height() / 2, lWidth, lMetrics.height());
      if (lRect.top() < lBounds.top() || lRect.bottom() > lBounds.bottom())
        continue;
    }
    aPainter.drawStaticText(lRect.topLeft(), aAxis.StaticText(lLabel.Text));
  }
}

void TChartScene::Paint(QPainter &aPainter)
{
  Layout();
  aPainter.save();
  aPainter.setRenderHint(QPainter::Antialiasing, false);
  if (fBackWallTransparent) {
    aPainter.fillRect(Bounds(), fColor);
  } else {
    // Every pixel once: the plot in the wall colour, the four bands around it in the chart's.
    const QRect lB = Bounds();
    aPainter.fillRect(QRect(0, 0, lB.width(), fPlot.top()), fColor);
    aPainter.fillRect(QRect(0, fPlot.bottom() + 1, lB.width(), lB.height() - fPlot.bottom() - 1),
                      fColor);
    aPainter.fillRect(QRect(0, fPlot.top(), fPlot.left(), fPlot.height()), fColor);
    aPainter.fillRect(
        QRect(fPlot.right() + 1, fPlot.top(), lB.width() - fPlot.right() - 1, fPlot.height()),
        fColor);
    aPainter.fillRect(fPlot, fBackWallColor);
  }

  aPainter.setClipRect(fPlot);
  for (const TChartAxis *lAxis : {&fLeft, &fTop, &fRight, &fBottom})
    PaintGrid(aPainter, *lAxis, true);
  for (const TChartAxis *lAxis : {&fLeft, &fTop, &fRight, &fBottom})
    PaintGrid(aPainter, *lAxis, false);
  for (const auto &lSeries : fSeries)
    if (lSeries->Visible())
      lSeries->Paint(aPainter);
  aPainter.setClipping(false);

  aPainter.setPen(QPen(fBottom.fLineColor, 1));
  aPainter.setBrush(Qt::NoBrush);
  aPainter.drawRect(fPlot);
  for (const TChartAxis *lAxis : {&fLeft, &fTop, &fRight, &fBottom})
    PaintAxis(aPainter, *lAxis);

  if (!fTitle.isEmpty()) {
    aPainter.setFont(fTitleFont);
    aPainter.setPen(fTitleColor);
    const QRect lTitle(fMargins.left(), fMargins.top(),
                       fSize.width() - fMargins.left() - fMargins.right(),
                       QFontMetrics(fTitleFont).height());
    aPainter.drawText(lTitle, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, fTitle);
  }
  if (fBorderVisible) {
    aPainter.setPen(QPen(fBorderColor, 1));
    aPainter.drawRect(Bounds().adjusted(0, 0, -1, -1));
  }
  aPainter.restore();
  if (OnAfterDraw) {
    aPainter.save();
    OnAfterDraw(aPainter);
    aPainter.restore();
  }
}
