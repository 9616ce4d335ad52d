#pragma once

#include "consts.h"

#include <vector>

class TKlineList;

// Ordinals are stored in charts.json and templates.
enum class TIndicatorMethod { MODE_SMA = 0, MODE_EMA = 1, MODE_SMMA = 2, MODE_LWMA = 3 };
using enum TIndicatorMethod;
enum class TIndicatorPrice { PRICE_CLOSE = 0, PRICE_OPEN = 1, PRICE_HIGH = 2, PRICE_LOW = 3 };
using enum TIndicatorPrice;
enum class TLineStyle {
  STYLE_SOLID = 0,
  STYLE_DASH = 1,
  STYLE_DOT = 2,
  STYLE_DASHDOT = 3,
  STYLE_DASHDOTDOT = 4
};
using enum TLineStyle;

inline constexpr int cIndicatorMethodCount = 4;
inline constexpr int cIndicatorPriceCount = 4;
inline constexpr int cLineStyleCount = 5;

// One kline as the computations see it.
struct TIndicatorBar
{
  TDateTime Time = 0;
  double Open = 0;
  double High = 0;
  double Low = 0;
  double Close = 0;
};
using TIndicatorBars = std::vector<TIndicatorBar>;

struct TIndicatorPoint
{
  double X = 0;
  double Y = 0;
  bool operator==(const TIndicatorPoint &) const = default;
};
using TIndicatorPoints = std::vector<TIndicatorPoint>;

// The klines in ascending open-time order (the list keeps arrival order); klines without an
// open time are left out, as they are from the candles.
TIndicatorBars SortedBars(const TKlineList &aKlines);
double GetPrice(const TIndicatorBar &aBar, TIndicatorPrice aPrice);

// Each computation appends its points in ascending X. A step that cannot be taken (an index
// outside the klines, a period of 0) raises std::runtime_error; the points appended before it
// stay and later series are left as they are.
void CalcMa(const TIndicatorBars &aBars, int aPeriod, int aShift, TIndicatorMethod aMethod,
            TIndicatorPrice aPrice, TIndicatorPoints &aLine);
void CalcBollinger(const TIndicatorBars &aBars, int aPeriod, int aShift, int aDev,
                   TIndicatorPrice aPrice, TIndicatorPoints &aUpper, TIndicatorPoints &aMiddle,
                   TIndicatorPoints &aLower);
void CalcZigZag(const TIndicatorBars &aBars, int aDepth, int aBackstep, TIndicatorPoints &aLine);
// Markers at the highs of up fractals and the lows of down fractals; up ones first.
void CalcFractals(const TIndicatorBars &aBars, int aPeriod, TIndicatorPoints &aUp,
                  TIndicatorPoints &aDown);
