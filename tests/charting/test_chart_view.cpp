// The view arithmetic of a chart: spacing, zoom, scrolling, the price scale, drags and the
// overlay's geometry.

#include "candle_index.h"
#include "chart_view.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TCandleX Xs(std::vector<double> aX)
{
  return [aX](int i) { return aX.at(static_cast<size_t>(i)); };
}

} // namespace

TEST(ChartView, SpacingLooksAtTheFirstFiveCandlesOnly)
{
  EXPECT_EQ(CalcCandleDistance(Xs({}), 0), 0);
  EXPECT_EQ(CalcCandleDistance(Xs({5}), 1), 0);
  EXPECT_EQ(CalcCandleDistance(Xs({0, 4}), 2), 4);
  EXPECT_EQ(CalcCandleDistance(Xs({0, 4, 7, 12, 14, 14.5}), 6), 2); // the 6th gap is not seen
  EXPECT_EQ(CalcMinPos(Xs({10, 4, 1}), 3), 3);                      // pixel gaps are absolute
  EXPECT_EQ(CalcMaxVisibleCandleCount(700, 0), 0);
  EXPECT_EQ(CalcMaxVisibleCandleCount(700, 6.5), 107);
  // Fewer than 3 candles leave the bar width as it is.
  EXPECT_FALSE(CalcBarWidth(10, 2).has_value());
  EXPECT_EQ(CalcBarWidth(10, 3), 7);
}

TEST(ChartView, ZoomSetsTheRightEdgeFromTheLeft)
{
  // 250 candles across a 1000 px screen at z3, on a 500 px axis: 125 candles of 0.01 day.
  EXPECT_DOUBLE_EQ(*ZoomedMaximum(z3, 500, 1000, 0.01, 100), 101.25);
  EXPECT_DOUBLE_EQ(*ZoomedMaximum(z0, 500, 1000, 0.01, 100), 100.15); // 31 * 500 / 1000 = 15
  // No candles: the spacing is 0 and the maximum falls onto a positive minimum.
  EXPECT_DOUBLE_EQ(*ZoomedMaximum(z3, 500, 1000, 0, 100), 100);
  EXPECT_FALSE(ZoomedMaximum(z3, 500, 1000, 0, 0).has_value());
}

TEST(ChartView, LeftAndRightEdgesKeepTheCandlesInView)
{
  const TAxisRange lAxis{100, 110};
  EXPECT_FALSE(FixLeftSide(lAxis, 9, 105).has_value()); // fewer than 10 candles
  EXPECT_EQ(FixLeftSide(lAxis, 10, 105), (TAxisRange{105, 115}));
  EXPECT_FALSE(FixLeftSide(lAxis, 10, 100).has_value());

  EXPECT_EQ(FixRightSide(lAxis, 108), (TAxisRange{98, 108}));
  EXPECT_FALSE(FixRightSide(lAxis, 110).has_value());
  // A shifted chart keeps a fifth (panning) or a quarter (following) of the view free.
  EXPECT_DOUBLE_EQ(RightTarget(108, true, 100, 0.01, 5), 108.2);
  EXPECT_DOUBLE_EQ(RightTarget(108, true, 100, 0.01, 4), 108.25);
  EXPECT_DOUBLE_EQ(RightTarget(108, false, 100, 0.01, 4), 108);
  EXPECT_EQ(AutoMove(lAxis, 112), (TAxisRange{102, 112}));
  EXPECT_FALSE(AutoMove(lAxis, 110).has_value());
}

TEST(ChartView, VisiblePriceRangeAndFixedZoom)
{
  const std::vector<double> lLow{5, 3, 4, 1};
  const std::vector<double> lHigh{6, 9, 7, 20};
  auto lAt = [](const std::vector<double> &v) { return [&v](int i) { return v.at(i); }; };
  EXPECT_FALSE(CalcYMinMax(-1, 2, lAt(lLow), lAt(lHigh)).has_value());
  EXPECT_EQ(CalcYMinMax(0, 2, lAt(lLow), lAt(lHigh)), (TAxisRange{3, 9}));
  EXPECT_EQ(DataPriceRange({3, 9}, true, 1, 2), (TAxisRange{1, 2}));
  EXPECT_EQ(DataPriceRange({3, 9}, false, 1, 2), (TAxisRange{3, 9}));
}

TEST(ChartView, PriceScaleDragStretchesAndSnapsBack)
{
  const TAxisRange lStart{90, 110};
  const TAxisRange lData{95, 105};
  // 100 px down widens both ends by 10 %.
  const TAxisRange lWide = PriceScaleDrag(lStart, 50, 150, lData, false, 0, 0);
  EXPECT_DOUBLE_EQ(lWide.Min, 81);
  EXPECT_DOUBLE_EQ(lWide.Max, 121);
  // Upwards narrows it, but never past the visible candles.
  const TAxisRange lNarrow = PriceScaleDrag(lStart, 50, 30, lData, false, 0, 0);
  EXPECT_DOUBLE_EQ(lNarrow.Min, 91.8);
  EXPECT_EQ(PriceScaleDrag(lStart, 50, -200, lData, false, 0, 0), lData);
  // Fixed zoom: the pins, or the pinned data range when the pins would cut it.
  EXPECT_EQ(PriceScaleDrag(lStart, 50, 150, {80, 130}, true, 80, 130), (TAxisRange{80, 130}));
}

TEST(ChartView, ZoomDragStepsOf15Pixels)
{
  struct TCase
  {
    int Dx; // from the press, positive to the right
    TZoom From, To;
  };
  for (const TCase &c : std::vector<TCase>{{0, z3, z3},
                                           {1, z3, z2},
                                           {15, z3, z2},
                                           {16, z3, z1},
                                           {-14, z3, z3},
                                           {-15, z3, z4},
                                           {-31, z3, z5},
                                           {200, z1, z0},
                                           {-200, z4, z5}})
    EXPECT_EQ(ZoomDrag(c.From, 300, 300 + c.Dx), c.To) << c.Dx;
}

TEST(ChartView, DaySeparatorsAtMidnightsUpTo31Days)
{
  EXPECT_EQ(DaySeparators({10.25, 12.75}), (std::vector<TDateTime>{11, 12}));
  EXPECT_EQ(DaySeparators({10.5, 41.6}).size(), 31u); // 31 whole days
  EXPECT_TRUE(DaySeparators({10.5, 42.6}).empty());   // 32 whole days
  EXPECT_TRUE(DaySeparators({10.25, 10.75}).empty()); // no midnight inside
}

TEST(ChartView, VolumeBarsUseTheLowestFifthAndNeedDifferentVolumes)
{
  EXPECT_FALSE(TVolumeBars(0, 500, {}).Drawable());
  EXPECT_FALSE(TVolumeBars(0, 500, {7}).Drawable());
  EXPECT_FALSE(TVolumeBars(0, 500, {7, 7, 7}).Drawable());
  EXPECT_FALSE(TVolumeBars(0, 500, {3e7, 3e7}).Drawable());
  const TVolumeBars lBars(100, 600, {2e7, 3e7, 4e7});
  ASSERT_TRUE(lBars.Drawable());
  EXPECT_EQ(lBars.Bottom(), 600);
  EXPECT_EQ(lBars.Top(), 500);
  // Scaled between the least and the greatest volume shown, however large.
  EXPECT_EQ(lBars.BarEnd(0), 600);
  EXPECT_EQ(lBars.BarEnd(1), 550);
  EXPECT_EQ(lBars.BarEnd(2), 500);
}

TEST(ChartView, BannerAndLabels)
{
  // Quarters rounded half to even: 502 / 4 = 125.5 -> 126, 302 / 4 = 75.5 -> 76.
  EXPECT_EQ(BannerRect(QRect(0, 0, 502, 302)), QRect(126, 76, 250, 150));
  EXPECT_EQ(BannerRect(QRect(0, 0, 500, 300)), QRect(125, 75, 250, 150));
  // Text 10 px per point: below 250 px up to size 24, so 24 - 1.
  EXPECT_EQ(GetFontSize(250, [](int aSize) { return aSize * 10; }), 24);
  EXPECT_EQ(GetFontSize(10, [](int aSize) { return aSize * 10; }), 7);
  EXPECT_EQ(PriceLabel(1.5), " 1.50000");
  EXPECT_EQ(PriceLabel(43210.123456), "43210.12346");
}

TEST(CandleIndex, OneCandlePerOpenTimeInAscendingOrder)
{
  TCandleIndex lIndex;
  // The newest page first, then an older one, then the minute update.
  const std::vector<std::pair<std::int64_t, TCandleIndex::TPlace>> lSteps{
      {300, {true, 0}},  {400, {true, 1}}, {100, {true, 0}}, {200, {true, 1}},
      {300, {false, 2}}, {500, {true, 4}}, {400, {false, 3}}};
  for (const auto &[lTime, lPlace] : lSteps) {
    const TCandleIndex::TPlace lGot = lIndex.Place(lTime);
    EXPECT_EQ(lGot.IsNew, lPlace.IsNew) << lTime;
    EXPECT_EQ(lGot.Index, lPlace.Index) << lTime;
  }
  EXPECT_EQ(lIndex.Count(), 5);
  EXPECT_EQ(lIndex.Find(400), 3);
  EXPECT_EQ(lIndex.Find(450), -1);
}
