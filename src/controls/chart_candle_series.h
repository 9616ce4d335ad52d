#pragma once

#include "chart_series.h"

#include <QLine>
#include <QRect>

// Candle-stick: filled body and wick; open-close: body only; bar: high-low bar with an open tick
// on the left and a close tick on the right; line: a line through the closes.
enum TCandleStyle { csCandleStick, csOpenClose, csCandleBar, csLine };

// Open/high/low/close candles. A candle rises when its close is at least its open.
class TCandleSeries : public TChartSeries
{
public:
  TCandleSeries(TChartScene &aScene, TChartAxis &aHorizAxis, TChartAxis &aVertAxis);

  // Inserts in X order and returns the index of the new candle.
  int AddOHLC(double aX, double aOpen, double aHigh, double aLow, double aClose);
  double OpenValue(int aIndex) const { return fOpen[Idx(aIndex)]; }
  double HighValue(int aIndex) const { return fHigh[Idx(aIndex)]; }
  double LowValue(int aIndex) const { return fLow[Idx(aIndex)]; }
  double CloseValue(int aIndex) const { return fClose[Idx(aIndex)]; }
  void SetOpenValue(int aIndex, double aValue);
  void SetHighValue(int aIndex, double aValue);
  void SetLowValue(int aIndex, double aValue);
  void SetCloseValue(int aIndex, double aValue);
  bool YRange(double &aMin, double &aMax, int aFirst = -1, int aLast = -1) const override;

  TCandleStyle CandleStyle() const { return fStyle; }
  void SetCandleStyle(TCandleStyle aValue);
  QColor UpColor() const { return fUpColor; }
  void SetUpColor(const QColor &aValue);
  QColor DownColor() const { return fDownColor; }
  void SetDownColor(const QColor &aValue);
  // Body outline and wicks.
  QColor PenColor() const { return fPenColor; }
  void SetPenColor(const QColor &aValue);
  int CandleWidth() const { return fCandleWidth; }
  void SetCandleWidth(int aValue);

  // Hit when aPos lies within the candle's width and between its high and low.
  int Clicked(QPoint aPos) const override;
  void Paint(QPainter &aPainter) override;

protected:
  void DoClear() override;

private:
  static size_t Idx(int aIndex) { return static_cast<size_t>(aIndex); }
  void SetValue(std::vector<double> &aValues, int aIndex, double aValue);

  std::vector<double> fOpen, fHigh, fLow, fClose;
  TCandleStyle fStyle = csCandleStick;
  QColor fUpColor = Qt::white;
  QColor fDownColor = Qt::black;
  QColor fPenColor = Qt::black;
  int fCandleWidth = 4;
  // Per-colour batches, kept between paints so that a frame allocates nothing.
  std::vector<QRect> fUpBodies, fDownBodies;       // outlined
  std::vector<QRect> fWicks, fUpFills, fDownFills; // filled only
  std::vector<QPoint> fCloses;
};
