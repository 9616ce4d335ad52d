// The indicator computations against values worked out by hand on small kline sets.

#include "indicator_calc.h"
#include "kline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <vector>

namespace {

constexpr double cDay = 1.0 / 1440; // one minute as a date-time

// Close c, open c - 1, high c + 2, low c - 3: each price selects a different value.
TIndicatorBars CloseBars(const std::vector<double> &aCloses)
{
  TIndicatorBars lBars;
  for (size_t i = 0; i < aCloses.size(); ++i) {
    const double c = aCloses[i];
    lBars.push_back({46000 + double(i) * cDay, c - 1, c + 2, c - 3, c});
  }
  return lBars;
}

TIndicatorBars HighLowBars(const std::vector<std::pair<double, double>> &aHighLow)
{
  TIndicatorBars lBars;
  for (size_t i = 0; i < aHighLow.size(); ++i)
    lBars.push_back({46000 + double(i) * cDay, aHighLow[i].second, aHighLow[i].first,
                     aHighLow[i].second, aHighLow[i].first});
  return lBars;
}

double T(int aIndex)
{
  return 46000 + aIndex * cDay;
}

// Expected (index of the time, value) pairs.
using TExpected = std::vector<std::pair<int, double>>;

void ExpectPoints(const TIndicatorPoints &aGot, const TExpected &aWant)
{
  ASSERT_EQ(aGot.size(), aWant.size());
  for (size_t i = 0; i < aWant.size(); ++i) {
    EXPECT_DOUBLE_EQ(aGot[i].X, T(aWant[i].first)) << i;
    EXPECT_NEAR(aGot[i].Y, aWant[i].second, 1e-9) << i;
  }
}

const std::vector<double> cRising{1, 2, 3, 4, 5};

} // namespace

TEST(IndicatorCalc, SortedBarsFollowOpenTimeAndSkipKlinesWithoutOne)
{
  TKlineList lKlines;
  for (const std::int64_t lTime : {180000, 60000, 0, 120000})
    lKlines.Add(lTime)->Close = double(lTime);
  const TIndicatorBars lBars = SortedBars(lKlines);
  ASSERT_EQ(lBars.size(), 3u);
  EXPECT_EQ(lBars[0].Close, 60000);
  EXPECT_EQ(lBars[2].Close, 180000);
  EXPECT_LT(lBars[0].Time, lBars[1].Time);
}

TEST(IndicatorCalc, MovingAverages)
{
  struct TCase
  {
    const char *Name;
    std::vector<double> Closes;
    int Period, Shift;
    TIndicatorMethod Method;
    TIndicatorPrice Price;
    TExpected Want;
    bool Fails;
  };
  const std::vector<TCase> lCases{
      {"sma", cRising, 2, 0, MODE_SMA, PRICE_CLOSE, {{2, 2.5}, {3, 3.5}, {4, 4.5}}, false},
      // The newest kline weighs 3, the oldest of the window 1: above the simple average.
      {"lwma", cRising, 3, 0, MODE_LWMA, PRICE_CLOSE, {{3, 20.0 / 6}, {4, 26.0 / 6}}, false},
      // Seed (1 + 2) / 2, then alpha 2/3.
      {"ema", cRising, 2, 0, MODE_EMA, PRICE_CLOSE, {{2, 2.5}, {3, 3.5}, {4, 4.5}}, false},
      // Seed 1.5, then alpha 1/2.
      {"smma", cRising, 2, 0, MODE_SMMA, PRICE_CLOSE, {{2, 2.25}, {3, 3.125}, {4, 4.0625}}, false},
      {"ema on a turn",
       {4, 2, 8, 2},
       2,
       0,
       MODE_EMA,
       PRICE_CLOSE,
       {{2, 19.0 / 3}, {3, 31.0 / 9}},
       false},
      {"sma period 1", {7, 3, 9}, 1, 0, MODE_SMA, PRICE_CLOSE, {{1, 3}, {2, 9}}, false},
      {"lwma period 1", {7, 3, 9}, 1, 0, MODE_LWMA, PRICE_CLOSE, {{1, 3}, {2, 9}}, false},
      {"open", cRising, 2, 0, MODE_SMA, PRICE_OPEN, {{2, 1.5}, {3, 2.5}, {4, 3.5}}, false},
      {"high", cRising, 4, 0, MODE_SMA, PRICE_HIGH, {{4, 5.5}}, false},
      // Lows -1, 0, 1, 2 weighted 1 to 4 over 10.
      {"low", cRising, 4, 0, MODE_LWMA, PRICE_LOW, {{4, 0.4 * 2 + 0.3 * 1 + 0.1 * -1}}, false},
      {"n equals period", {1, 2}, 2, 0, MODE_EMA, PRICE_CLOSE, {}, false},
      // The last Shift points fall past the newest kline: the fill stops there.
      {"shift", cRising, 2, 1, MODE_SMA, PRICE_CLOSE, {{3, 2.5}, {4, 3.5}}, true},
      {"period 0", cRising, 0, 0, MODE_SMA, PRICE_CLOSE, {}, true},
      {"period 0 smoothed", cRising, 0, 0, MODE_SMMA, PRICE_CLOSE, {}, true},
      {"negative period", cRising, -2, 4, MODE_SMA, PRICE_CLOSE, {}, true},
  };
  for (const TCase &lCase : lCases) {
    SCOPED_TRACE(lCase.Name);
    TIndicatorPoints lLine;
    bool lFailed = false;
    try {
      CalcMa(CloseBars(lCase.Closes), lCase.Period, lCase.Shift, lCase.Method, lCase.Price, lLine);
    } catch (const std::runtime_error &) {
      lFailed = true;
    }
    EXPECT_EQ(lFailed, lCase.Fails);
    ExpectPoints(lLine, lCase.Want);
  }
}

TEST(IndicatorCalc, BollingerBands)
{
  TIndicatorPoints lUp, lMid, lLow;
  // Window {2, 3}: mean 2.5, deviation 0.5 (divisor Period).
  CalcBollinger(CloseBars(cRising), 2, 0, 2, PRICE_CLOSE, lUp, lMid, lLow);
  ExpectPoints(lUp, {{2, 3.5}, {3, 4.5}, {4, 5.5}});
  ExpectPoints(lMid, {{2, 2.5}, {3, 3.5}, {4, 4.5}});
  ExpectPoints(lLow, {{2, 1.5}, {3, 2.5}, {4, 3.5}});

  // Window {1, 4, 7}: mean 4, deviation sqrt(6).
  lUp.clear(), lMid.clear(), lLow.clear();
  CalcBollinger(CloseBars({9, 1, 4, 7}), 3, 0, 1, PRICE_CLOSE, lUp, lMid, lLow);
  ExpectPoints(lUp, {{3, 4 + std::sqrt(6.0)}});
  ExpectPoints(lLow, {{3, 4 - std::sqrt(6.0)}});

  lUp.clear(), lMid.clear(), lLow.clear();
  CalcBollinger(CloseBars({0.1, 0.1, 0.1, 0.1, 0.1}), 3, 0, 2, PRICE_CLOSE, lUp, lMid, lLow);
  ASSERT_EQ(lUp.size(), 2u);
  for (size_t i = 0; i < lUp.size(); ++i) {
    EXPECT_NEAR(lUp[i].Y, 0.1, 1e-15);
    EXPECT_NEAR(lLow[i].Y, 0.1, 1e-15);
  }

  // Shift past the newest kline: the points before stay on all three bands.
  lUp.clear(), lMid.clear(), lLow.clear();
  EXPECT_THROW(CalcBollinger(CloseBars(cRising), 2, 2, 2, PRICE_CLOSE, lUp, lMid, lLow),
               std::runtime_error);
  ExpectPoints(lMid, {{4, 2.5}});
  EXPECT_EQ(lUp.size(), 1u);
  EXPECT_EQ(lLow.size(), 1u);
  lMid.clear();
  EXPECT_THROW(CalcBollinger(CloseBars(cRising), 0, 0, 2, PRICE_CLOSE, lUp, lMid, lLow),
               std::runtime_error);
  EXPECT_TRUE(lMid.empty());
}

TEST(IndicatorCalc, ZigZag)
{
  // (high, low) per kline.
  const std::vector<std::pair<double, double>> lBars{{10, 8}, {11, 9},  {12, 10}, {11, 7}, {9, 6},
                                                     {13, 8}, {14, 11}, {12, 9},  {10, 5}};
  struct TCase
  {
    const char *Name;
    size_t Count;
    int Depth, Backstep;
    TExpected Want;
  };
  const std::vector<TCase> lCases{
      // The first low at kline 0 is replaced by lower ones, then the highs take over; kline 0
      // is a turning point like any other, not the mark of "none yet".
      {"all", 9, 2, 1, {{4, 6}, {6, 14}, {8, 5}}},
      {"one low with depth + 1 klines", 3, 2, 1, {{0, 8}}},
      {"least low of depth + 1 klines", 5, 4, 1, {{4, 6}}},
      {"n equals depth", 2, 2, 1, {}},
      // Backstep 5 keeps the low at 8 from following the low at 4 so soon.
      {"backstep", 9, 2, 5, {{4, 6}, {6, 14}}},
  };
  for (const TCase &lCase : lCases) {
    SCOPED_TRACE(lCase.Name);
    TIndicatorPoints lLine;
    const std::vector<std::pair<double, double>> lSome(lBars.begin(), lBars.begin() + lCase.Count);
    CalcZigZag(HighLowBars(lSome), lCase.Depth, lCase.Backstep, lLine);
    ExpectPoints(lLine, lCase.Want);
  }
  TIndicatorPoints lLine;
  // Equal lows keep the earlier kline.
  CalcZigZag(HighLowBars({{9, 5}, {9, 4}, {9, 4}}), 2, 1, lLine);
  ExpectPoints(lLine, {{1, 4}});
}

TEST(IndicatorCalc, Fractals)
{
  // Up at 2; at 5 and 6 the highs are equal neighbours. Down at 2; at 5 the low equals kline 6.
  const TIndicatorBars lBars =
      HighLowBars({{1, 5}, {2, 4}, {5, 1}, {2, 4}, {1, 5}, {4, 2}, {4, 2}, {1, 5}, {0, 6}, {0, 6}});
  TIndicatorPoints lUp, lDown;
  CalcFractals(lBars, 2, lUp, lDown);
  ExpectPoints(lUp, {{2, 5}});
  ExpectPoints(lDown, {{2, 1}});

  // The first kline examined is Period; fewer than Period + 3 klines give nothing.
  lUp.clear(), lDown.clear();
  CalcFractals(lBars, 3, lUp, lDown);
  EXPECT_TRUE(lUp.empty() && lDown.empty());
  CalcFractals(TIndicatorBars(lBars.begin(), lBars.begin() + 4), 2, lUp, lDown);
  EXPECT_TRUE(lUp.empty() && lDown.empty());

  // A period below 2 reaches before kline 0: nothing, and the down series is not reached.
  for (const int lPeriod : {1, 0}) {
    EXPECT_THROW(CalcFractals(lBars, lPeriod, lUp, lDown), std::runtime_error);
    EXPECT_TRUE(lUp.empty() && lDown.empty());
  }
}
