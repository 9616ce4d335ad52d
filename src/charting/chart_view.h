#pragma once

// The arithmetic of a chart's view, apart from any widget: candle spacing, the horizontal
// range under zoom and scrolling, the vertical range, mouse drags and the overlay's geometry.
// The chart item feeds it from its axes and series.

#include "consts.h"

#include <QRect>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

struct TAxisRange
{
  double Min = 0;
  double Max = 0;
  double Width() const { return Max - Min; }
  bool operator==(const TAxisRange &) const = default;
};

// X (a date or a pixel) of candle i.
using TCandleX = std::function<double(int)>;

// Days (or pixels) between neighbouring candles: the smallest gap among the first five
// candles, the first gap taken as it is; 0 with fewer than 2 candles.
double CalcCandleDistance(const TCandleX &aX, int aCount);
// The smallest absolute pixel gap among the first five candles (bar width).
double CalcMinPos(const TCandleX &aX, int aCount);
int CalcMaxVisibleCandleCount(int aAxisPixels, double aDistancePx);
// The candle width in pixels for a gap; none with fewer than 3 candles.
std::optional<int> CalcBarWidth(double aMinPos, int aCount);

// The time axis maximum at a zoom level; none when the result is not positive.
std::optional<double> ZoomedMaximum(TZoom aZoom, int aAxisPixels, int aScreenWidth,
                                    double aDistanceDate, double aAxisMin);
// The range that keeps the left edge at the first candle; none when nothing moves.
std::optional<TAxisRange> FixLeftSide(const TAxisRange &aAxis, int aCount, double aFirstX);
// The newest time the right edge may show: now, plus a margin of candles when shifted
// (aDivisor 5 when panning, 4 when following the price).
double RightTarget(TDateTime aNow, bool aShift, int aMaxVisible, double aDistanceDate,
                   double aDivisor);
std::optional<TAxisRange> FixRightSide(const TAxisRange &aAxis, double aTarget);
std::optional<TAxisRange> AutoMove(const TAxisRange &aAxis, double aTarget);

// Least low and greatest high of candles aFirst..aLast; none when an index is negative.
std::optional<TAxisRange> CalcYMinMax(int aFirst, int aLast, const std::function<double(int)> &aLow,
                                      const std::function<double(int)> &aHigh);
// The price range the data asks for: the pins with fixed zoom, else the data range.
TAxisRange DataPriceRange(const TAxisRange &aData, bool aFixed, double aPinMin, double aPinMax);
// The price axis while its scale is dragged from aClickY to aY; a range that would cut off
// visible candles snaps back to aData (the range DataPriceRange gives).
TAxisRange PriceScaleDrag(const TAxisRange &aStart, int aClickY, int aY, const TAxisRange &aData,
                          bool aFixed, double aPinMin, double aPinMax);
// The zoom level of a drag on the time scale: every 15 px to the left one level out, the
// first pixel to the right already one level in.
TZoom ZoomDrag(TZoom aStart, int aClickX, int aX);

// The midnights strictly inside a time range of at most 31 whole days; none past that.
std::vector<TDateTime> DaySeparators(const TAxisRange &aAxis);

// Volume bars in the lowest fifth of the plot, one per visible candle: the bar's end row.
class TVolumeBars
{
public:
  // Pixel start (top) and end (bottom) of the price axis, and the visible volumes.
  TVolumeBars(int aPixelStart, int aPixelEnd, std::vector<double> aVolumes);
  // False when all volumes are equal (or there are none): nothing is drawn.
  bool Drawable() const { return fMaxV != fMinV && !fVolumes.empty(); }
  int Bottom() const { return fBottom; }
  int Top() const { return fTop; }
  int BarEnd(int aIndex) const;

private:
  std::vector<double> fVolumes;
  int fBottom = 0;
  int fTop = 0;
  double fMaxV = 0;
  double fMinV = 0;
};

// The loading banner's rectangle: the bounds shrunk by a quarter on each side.
QRect BannerRect(const QRect &aBounds);
// The largest font size from 8 up whose text width stays below the rectangle's width.
int GetFontSize(int aWidth, const std::function<int(int)> &aTextWidthAtSize);
// The price axis label of a tick.
QString PriceLabel(double aValue);
