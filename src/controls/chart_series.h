#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>

#include <functional>
#include <vector>

class QPainter;
class TChartAxis;
class TChartScene;
class TChartSeries;

// Double-click on a series: the series, the point index hit (for a line, the nearer end of the
// segment hit) and the position in chart coordinates.
using TSeriesClickEvent = std::function<void(TChartSeries *aSeries, int aIndex, QPoint aPos)>;

// The common part of every series: X values kept in ascending order, so that the visible index
// range is two binary searches and painting never looks at points outside it.
class TChartSeries
{
public:
  TChartSeries(TChartScene &aScene, TChartAxis &aHorizAxis, TChartAxis &aVertAxis);
  virtual ~TChartSeries() = default;
  TChartSeries(const TChartSeries &) = delete;
  TChartSeries &operator=(const TChartSeries &) = delete;

  TChartScene &Scene() const { return fScene; }
  TChartAxis &HorizAxis() const { return fHorizAxis; }
  TChartAxis &VertAxis() const { return fVertAxis; }

  int Count() const { return static_cast<int>(fX.size()); }
  double XValue(int aIndex) const { return fX[static_cast<size_t>(aIndex)]; }
  // Pixel X of point i on the current layout.
  double CalcXPos(int aIndex) const;
  // First and last point inside the horizontal axis range; -1 when none is.
  int FirstVisibleIndex() const;
  int LastVisibleIndex() const;
  // Least and greatest Y of the points aFirst..aLast (all points with -1); false when none.
  virtual bool YRange(double &aMin, double &aMax, int aFirst = -1, int aLast = -1) const = 0;

  void Clear();
  // Changes between BeginUpdate and EndUpdate repaint once, at the last EndUpdate.
  void BeginUpdate() { ++fUpdateCount; }
  void EndUpdate();

  bool Visible() const { return fVisible; }
  void SetVisible(bool aValue);
  QColor Color() const { return fColor; }
  void SetColor(const QColor &aValue);
  // Shown over the series' points (Qt::ArrowCursor for none).
  Qt::CursorShape Cursor() const { return fCursor; }
  void SetCursor(Qt::CursorShape aValue) { fCursor = aValue; }

  // The index of the point under aPos (chart coordinates), -1 when the series is not hit at
  // all; a line hit between its points answers the nearer point.
  virtual int Clicked(QPoint aPos) const = 0;
  TSeriesClickEvent OnDblClick;

  // Paints the visible index range; called by the scene with the plot clip set.
  virtual void Paint(QPainter &aPainter) = 0;

protected:
  // The index at which a new X keeps the order; appending is the common, cheap case.
  size_t InsertPos(double aX) const;
  virtual void DoClear() = 0;
  virtual void ColorChanged() {}
  void Changed();

  TChartScene &fScene;
  TChartAxis &fHorizAxis;
  TChartAxis &fVertAxis;
  std::vector<double> fX;
  QColor fColor = Qt::red;

private:
  bool fVisible = true;
  Qt::CursorShape fCursor = Qt::ArrowCursor;
  int fUpdateCount = 0;
  bool fChangedInUpdate = false;
};

// A polyline through (x, y) points.
class TLineSeries : public TChartSeries
{
public:
  using TChartSeries::TChartSeries;

  int AddXY(double aX, double aY);
  double YValue(int aIndex) const { return fY[static_cast<size_t>(aIndex)]; }
  void SetYValue(int aIndex, double aValue);
  bool YRange(double &aMin, double &aMax, int aFirst = -1, int aLast = -1) const override;

  Qt::PenStyle PenStyle() const { return fPenStyle; }
  void SetPenStyle(Qt::PenStyle aValue);
  int PenWidth() const { return fPenWidth; }
  void SetPenWidth(int aValue);

  int Clicked(QPoint aPos) const override;
  void Paint(QPainter &aPainter) override;

protected:
  void DoClear() override { fY.clear(); }

private:
  std::vector<double> fY;
  Qt::PenStyle fPenStyle = Qt::SolidLine;
  int fPenWidth = 1;
  std::vector<QPoint> fBuffer; // reused by every paint
};

enum TPointerStyle { psTriangle, psDownTriangle, psRectangle, psCircle };

// Markers at (x, y), each with a radius value that the owner keeps in its own units; the marker
// is drawn at the pointer's pixel size so that it reads the same at any price scale.
class TPointSeries : public TChartSeries
{
public:
  using TChartSeries::TChartSeries;

  int AddXY(double aX, double aY, double aRadius = 0);
  double YValue(int aIndex) const { return fY[static_cast<size_t>(aIndex)]; }
  double Radius(int aIndex) const { return fRadius[static_cast<size_t>(aIndex)]; }
  bool YRange(double &aMin, double &aMax, int aFirst = -1, int aLast = -1) const override;

  TPointerStyle PointerStyle() const { return fStyle; }
  void SetPointerStyle(TPointerStyle aValue);
  // Pixel size of a marker.
  int PointerWidth() const { return fPointerWidth; }
  int PointerHeight() const { return fPointerHeight; }
  void SetPointerSize(int aWidth, int aHeight);

  int Clicked(QPoint aPos) const override;
  void Paint(QPainter &aPainter) override;

protected:
  void DoClear() override;
  void ColorChanged() override;

private:
  const QImage &Sprite();

  std::vector<double> fY;
  std::vector<double> fRadius;
  TPointerStyle fStyle = psTriangle;
  int fPointerWidth = 8;
  int fPointerHeight = 8;
  QImage fSprite; // the marker, drawn once per look
};
