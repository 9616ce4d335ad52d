#pragma once

#include "chart_axis.h"
#include "chart_candle_series.h"
#include "chart_series.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QSize>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QPainter;

// Drawn over the finished chart with the chart's own painter (overlays, crosshair, banners).
using TAfterDrawEvent = std::function<void(QPainter &aPainter)>;
// May replace the text of each axis label; aValue is the tick's value.
using TAxisLabelEvent = std::function<void(const TChartAxis &aAxis, double aValue, QString &aText)>;

// The chart without a widget: axes, series, look, layout and painting on any QPaintDevice.
// The widget (TChart) is a thin shell around it; tests and benchmarks drive it on a QImage.
// Layout (pixel spans, labels) is computed once per change of size, range or look, never per
// paint of unchanged state.
class TChartScene
{
public:
  TChartScene();
  ~TChartScene();
  TChartScene(const TChartScene &) = delete;
  TChartScene &operator=(const TChartScene &) = delete;

  TChartAxis &LeftAxis() { return fLeft; }
  TChartAxis &TopAxis() { return fTop; }
  TChartAxis &RightAxis() { return fRight; }
  TChartAxis &BottomAxis() { return fBottom; }
  TChartAxis &Axis(TChartAxisPosition aPosition);

  // Series are owned by the scene and drawn in the order they were added. By default they sit
  // on the bottom (time) and right (price) axes.
  TCandleSeries *AddCandleSeries();
  TLineSeries *AddLineSeries();
  TPointSeries *AddPointSeries();
  // Removes and frees the series; unknown pointers are ignored.
  void RemoveSeries(TChartSeries *aSeries);
  int SeriesCount() const { return static_cast<int>(fSeries.size()); }
  TChartSeries *Series(int aIndex) const { return fSeries[static_cast<size_t>(aIndex)].get(); }
  // The topmost visible series hit at aPos with the point index (see TChartSeries::Clicked).
  std::pair<TChartSeries *, int> SeriesAt(QPoint aPos) const;

  // Look.
  QColor Color() const { return fColor; }
  void SetColor(const QColor &aValue);
  // The plot area's fill; a transparent back wall shows the chart colour.
  QColor BackWallColor() const { return fBackWallColor; }
  void SetBackWallColor(const QColor &aValue);
  bool BackWallTransparent() const { return fBackWallTransparent; }
  void SetBackWallTransparent(bool aValue);
  bool BorderVisible() const { return fBorderVisible; }
  void SetBorderVisible(bool aValue);
  QColor BorderColor() const { return fBorderColor; }
  void SetBorderColor(const QColor &aValue);
  // Margins in pixels between the chart's edge and its axes and title.
  QMargins Margins() const { return fMargins; }
  void SetMargins(const QMargins &aValue);
  // A title above the plot; empty takes no room.
  const QString &Title() const { return fTitle; }
  void SetTitle(const QString &aValue);
  const QFont &TitleFont() const { return fTitleFont; }
  void SetTitleFont(const QFont &aValue);
  QColor TitleColor() const { return fTitleColor; }
  void SetTitleColor(const QColor &aValue);

  TAfterDrawEvent OnAfterDraw;
  // Label texts are kept per value until the axis' look changes or Realign runs, so the
  // callback must answer the same value with the same text meanwhile.
  TAxisLabelEvent OnGetAxisLabel;

  // Size of the surface painted on; the widget keeps it equal to its own size.
  QSize Size() const { return fSize; }
  void SetSize(QSize aValue);
  QRect Bounds() const { return QRect(QPoint(0, 0), fSize); }
  // The plot rectangle of the current layout.
  QRect PlotRect();
  // Brings pixel spans and labels up to date; Paint does it itself when needed.
  void Layout();
  // Marks the layout stale and asks the owner to repaint.
  void Invalidate();
  // As Invalidate, and label texts are formatted afresh.
  void Realign();
  void Paint(QPainter &aPainter);

  // Called whenever something visible changed (the widget repaints).
  std::function<void()> OnChanged;

private:
  friend class TChartAxis;
  friend class TChartSeries;
  void ApplyAutomatic();
  void PaintGrid(QPainter &aPainter, const TChartAxis &aAxis, bool aMinor);
  void PaintAxis(QPainter &aPainter, const TChartAxis &aAxis);
  template <class T> T *Adopt(std::unique_ptr<T> aSeries);

  TChartAxis fLeft, fTop, fRight, fBottom;
  std::vector<std::unique_ptr<TChartSeries>> fSeries;
  QColor fColor = Qt::white;
  QColor fBackWallColor = Qt::white;
  bool fBackWallTransparent = false;
  bool fBorderVisible = true;
  QColor fBorderColor = Qt::black;
  QMargins fMargins = QMargins(4, 4, 4, 4);
  QString fTitle;
  QFont fTitleFont;
  QColor fTitleColor = Qt::black;
  QSize fSize = QSize(400, 300);
  QRect fPlot;
  QImage fDotsVertical, fDotsHorizontal; // minor grid strips
  bool fLayoutValid = false;
  bool fInLayout = false;
};
