#pragma once

#include "chart_scene.h"

#include <QPoint>
#include <QWidget>

#include <array>
#include <functional>
#include <utility>

// What the built-in mouse panning moves; the same set names a drag's meaning for the owner.
enum TPanningMode { pmNone, pmHorizontal, pmVertical, pmBoth };

using TChartMouseEvent =
    std::function<void(Qt::MouseButton aButton, Qt::KeyboardModifiers aShift, QPoint aPos)>;
using TChartMoveEvent = std::function<void(Qt::KeyboardModifiers aShift, QPoint aPos)>;
using TChartNotifyEvent = std::function<void()>;

// The chart widget: a thin shell that sizes and paints its TChartScene and turns mouse input
// into the events below and into built-in panning. Everything drawable lives in Scene().
//
//   auto *lChart = new TChart(aWindow);
//   TCandleSeries *lCandles = lChart->Scene().AddCandleSeries();   // bottom and right axes
//   lCandles->BeginUpdate(); lCandles->AddOHLC(x, o, h, l, c); lCandles->EndUpdate();
//   lChart->BottomAxis().SetAutomatic(false);
//   lChart->BottomAxis().SetMinMax(aFrom, aTo);                     // repaints by itself
//   lChart->Scene().OnAfterDraw = [](QPainter &aPainter) { ... };   // overlay
//
// X values are days since 30 Dec 1899 on the date-time bottom axis; any ascending doubles work.
class TChart : public QWidget
{
  Q_OBJECT
public:
  explicit TChart(QWidget *aParent = nullptr);

  TChartScene &Scene() { return fScene; }
  TChartAxis &BottomAxis() { return fScene.BottomAxis(); }
  TChartAxis &RightAxis() { return fScene.RightAxis(); }
  TChartAxis &TopAxis() { return fScene.TopAxis(); }
  TChartAxis &LeftAxis() { return fScene.LeftAxis(); }

  // Left-button dragging inside the plot moves the axes' ranges with the mouse.
  TPanningMode AllowPanning() const { return fAllowPanning; }
  void SetAllowPanning(TPanningMode aValue) { fAllowPanning = aValue; }
  // Left-button drag to the lower right zooms to the dragged rectangle, a drag to the upper left
  // restores the range held before the first zoom. Off by default.
  bool AllowZoom() const { return fAllowZoom; }
  void SetAllowZoom(bool aValue) { fAllowZoom = aValue; }

  // Repaint now; re-lay out and repaint; repaint at the next event loop pass.
  void Refresh();
  void Realign();
  void Invalidate();

  // Raised before the built-in panning acts, so a mouse-down handler may still switch it.
  TChartMouseEvent OnMouseDown;
  TChartMoveEvent OnMouseMove;
  TChartMouseEvent OnMouseUp;
  TChartNotifyEvent OnClick;
  // After a rectangle zoom or its undo.
  TChartNotifyEvent OnZoom;
  // After every panning step.
  TChartNotifyEvent OnScroll;

  QSize sizeHint() const override { return QSize(500, 280); }

protected:
  void paintEvent(QPaintEvent *aEvent) override;
  void resizeEvent(QResizeEvent *aEvent) override;
  void mousePressEvent(QMouseEvent *aEvent) override;
  void mouseMoveEvent(QMouseEvent *aEvent) override;
  void mouseReleaseEvent(QMouseEvent *aEvent) override;
  void mouseDoubleClickEvent(QMouseEvent *aEvent) override;

private:
  enum TDrag { dNone, dPan, dZoom };
  void UpdateHoverCursor(QPoint aPos);

  TChartScene fScene;
  TPanningMode fAllowPanning = pmHorizontal;
  bool fAllowZoom = false;
  TDrag fDrag = dNone;
  QPoint fDragLast;
  QPoint fDragStart;
  QRect fZoomRect;
  bool fZoomed = false;
  std::array<std::pair<double, double>, 4> fSavedRange{};
  bool fHoverCursor = false;
};
