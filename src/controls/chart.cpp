#include "chart.h"

#include <QMouseEvent>
#include <QPainter>

#include <array>
#include <cmath>

namespace {

// A press and release closer than this is a click, not a zoom rectangle.
constexpr int cZoomMinDrag = 4;

} // namespace

TChart::TChart(QWidget *aParent) : QWidget(aParent)
{
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  // A click gives it the keyboard focus, which activates the window holding it.
  setFocusPolicy(Qt::ClickFocus);
  fScene.SetSize(size());
  fScene.OnChanged = [this] { update(); };
}

void TChart::Refresh()
{
  repaint();
}

void TChart::Realign()
{
  fScene.SetSize(size());
  fScene.Realign();
}

void TChart::Invalidate()
{
  update();
}

void TChart::paintEvent(QPaintEvent *)
{
  QPainter lPainter(this);
  fScene.Paint(lPainter);
  if (fDrag == dZoom && !fZoomRect.isNull()) {
    lPainter.setPen(QPen(Qt::black, 1, Qt::DashLine));
    lPainter.setBrush(Qt::NoBrush);
    lPainter.drawRect(fZoomRect.normalized());
  }
}

void TChart::resizeEvent(QResizeEvent *)
{
  fScene.SetSize(size());
}

void TChart::mousePressEvent(QMouseEvent *aEvent)
{
  const QPoint lPos = aEvent->position().toPoint();
  if (OnMouseDown)
    OnMouseDown(aEvent->button(), aEvent->modifiers(), lPos);
  if (aEvent->button() != Qt::LeftButton || !fScene.PlotRect().contains(lPos))
    return;
  fDragStart = fDragLast = lPos;
  if (fAllowPanning != pmNone)
    fDrag = dPan;
  else if (fAllowZoom)
    fDrag = dZoom;
  fZoomRect = QRect();
}

void TChart::mouseMoveEvent(QMouseEvent *aEvent)
{
  const QPoint lPos = aEvent->position().toPoint();
  if (fDrag == dPan && (aEvent->buttons() & Qt::LeftButton)) {
    const QPoint lDelta = lPos - fDragLast;
    fDragLast = lPos;
    // The data follows the mouse: dragging right shows earlier values.
    if (fAllowPanning == pmHorizontal || fAllowPanning == pmBoth) {
      fScene.BottomAxis().ScrollPixels(-lDelta.x());
      fScene.TopAxis().ScrollPixels(-lDelta.x());
    }
    if (fAllowPanning == pmVertical || fAllowPanning == pmBoth) {
      fScene.RightAxis().ScrollPixels(-lDelta.y());
      fScene.LeftAxis().ScrollPixels(-lDelta.y());
    }
    if (!lDelta.isNull() && OnScroll)
      OnScroll();
  } else if (fDrag == dZoom && (aEvent->buttons() & Qt::LeftButton)) {
    fZoomRect = QRect(fDragStart, lPos);
    update();
  } else if (fDrag == dNone) {
    UpdateHoverCursor(lPos);
  }
  if (OnMouseMove)
    OnMouseMove(aEvent->modifiers(), lPos);
}

void TChart::mouseReleaseEvent(QMouseEvent *aEvent)
{
  const QPoint lPos = aEvent->position().toPoint();
  if (fDrag == dZoom && aEvent->button() == Qt::LeftButton) {
    const QRect lRect = QRect(fDragStart, lPos).normalized();
    const std::array<TChartAxis *, 4> lAxes = {&fScene.LeftAxis(), &fScene.TopAxis(),
                                               &fScene.RightAxis(), &fScene.BottomAxis()};
    if (lRect.width() >= cZoomMinDrag && lRect.height() >= cZoomMinDrag) {
      if (lPos.x() > fDragStart.x() && lPos.y() > fDragStart.y()) {
        for (size_t lIndex = 0; lIndex < lAxes.size(); ++lIndex) {
          TChartAxis *lAxis = lAxes[lIndex];
          if (!fZoomed)
            fSavedRange[lIndex] = {lAxis->Minimum(), lAxis->Maximum()};
          const bool lH = lAxis->Horizontal();
          lAxis->SetMinMax(lAxis->PixelToValue(lH ? lRect.left() : lRect.bottom()),
                           lAxis->PixelToValue(lH ? lRect.right() : lRect.top()));
        }
        fZoomed = true;
        if (OnZoom)
          OnZoom();
      } else if (fZoomed) {
        fZoomed = false;
        for (size_t lIndex = 0; lIndex < lAxes.size(); ++lIndex)
          lAxes[lIndex]->SetMinMax(fSavedRange[lIndex].first, fSavedRange[lIndex].second);
        if (OnZoom)
          OnZoom();
      }
    }
    fZoomRect = QRect();
    update();
  }
  fDrag = dNone;
  if (OnMouseUp)
    OnMouseUp(aEvent->button(), aEvent->modifiers(), lPos);
  if (rect().contains(lPos) && OnClick)
    OnClick();
}

void TChart::mouseDoubleClickEvent(QMouseEvent *aEvent)
{
  const QPoint lPos = aEvent->position().toPoint();
  const auto [lSeries, lIndex] = fScene.SeriesAt(lPos);
  if (lSeries && lSeries->OnDblClick)
    lSeries->OnDblClick(lSeries, lIndex, lPos);
}

void TChart::UpdateHoverCursor(QPoint aPos)
{
  const auto [lSeries, lIndex] = fScene.SeriesAt(aPos);
  const bool lHover = lSeries && lSeries->Cursor() != Qt::ArrowCursor;
  if (lHover)
    setCursor(lSeries->Cursor());
  else if (fHoverCursor)
    unsetCursor();
  fHoverCursor = lHover;
}
