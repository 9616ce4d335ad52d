#include "chart.h"

#include <QDateTime>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

// A scene of 100 candles at X = 0 .. 99 on a 400 x 300 surface.
struct TCandleScene
{
  TCandleScene()
  {
    Scene.SetSize(QSize(400, 300));
    Scene.BottomAxis().SetDateTime(false);
    Scene.BottomAxis().SetAutomatic(false);
    Scene.RightAxis().SetAutomatic(false);
    Candles = Scene.AddCandleSeries();
    for (int lIndex = 0; lIndex < 100; ++lIndex)
      Candles->AddOHLC(lIndex, 10, 12, 8, lIndex % 2 ? 11 : 9);
    Scene.BottomAxis().SetMinMax(-0.5, 99.5);
    Scene.RightAxis().SetMinMax(0, 20);
    Scene.Layout();
  }
  TChartScene Scene;
  TCandleSeries *Candles;
};

QPoint PixelOf(TChartScene &aScene, double aX, double aY)
{
  return QPoint(aScene.BottomAxis().CalcPos(aX), aScene.RightAxis().CalcPos(aY));
}

} // namespace

TEST(ChartAxis, MapsValuesToPixelsAndBackOnBothOrientations)
{
  TCandleScene lChart;
  for (TChartAxis *lAxis : {&lChart.Scene.BottomAxis(), &lChart.Scene.RightAxis()}) {
    const bool lH = lAxis->Horizontal();
    // The minimum sits at the left or bottom end, the maximum at the other.
    EXPECT_EQ(lAxis->CalcPos(lAxis->Minimum()), lH ? lAxis->PixelStart() : lAxis->PixelEnd());
    EXPECT_EQ(lAxis->CalcPos(lAxis->Maximum()), lH ? lAxis->PixelEnd() : lAxis->PixelStart());
    const double lMid = (lAxis->Minimum() + lAxis->Maximum()) / 2;
    EXPECT_NEAR(lAxis->ValueToPixel(lMid), (lAxis->PixelStart() + lAxis->PixelEnd()) / 2.0, 1e-9);
    for (double lValue : {lAxis->Minimum(), lMid, 3.25, lAxis->Maximum()})
      EXPECT_NEAR(lAxis->PixelToValue(lAxis->ValueToPixel(lValue)), lValue, 1e-9);
  }
  const QRect lPlot = lChart.Scene.PlotRect();
  EXPECT_EQ(lChart.Scene.RightAxis().PixelPosition(), lPlot.right());
  EXPECT_EQ(lChart.Scene.BottomAxis().PixelPosition(), lPlot.bottom());
}

TEST(ChartAxis, SetMinMaxSwapsReversedEndsAndEmptyRangeDoesNotDivide)
{
  TCandleScene lChart;
  TChartAxis &lAxis = lChart.Scene.RightAxis();
  lAxis.SetMinMax(50, 10);
  EXPECT_EQ(lAxis.Minimum(), 10);
  EXPECT_EQ(lAxis.Maximum(), 50);
  lAxis.SetMinMax(7, 7);
  lChart.Scene.Layout();
  EXPECT_EQ(lAxis.CalcPos(7), lAxis.PixelEnd());
  EXPECT_EQ(lAxis.PixelToValue(lAxis.PixelStart()), 7);
}

TEST(ChartAxis, DegenerateRangesFromBadDataNeitherHangNorCrash)
{
  const double lNan = std::nan("");
  const std::pair<double, double> lRanges[] = {
      {0, 1e308}, {1e15, 1e15 + 1e-3}, {-1e-300, 1e-300}, {lNan, 5}, {-1e300, 1e300}};
  for (const auto &[lMin, lMax] : lRanges) {
    TCandleScene lChart;
    lChart.Scene.RightAxis().SetMinMax(lMin, lMax);
    lChart.Scene.BottomAxis().SetDateTime(true);
    lChart.Scene.BottomAxis().SetMinMax(lMin, lMax);
    QImage lImage(lChart.Scene.Size(), QImage::Format_ARGB32_Premultiplied);
    QPainter lPainter(&lImage);
    lChart.Scene.Paint(lPainter);
    EXPECT_LE(lChart.Scene.RightAxis().Labels().size(), 400u) << lMin << ".." << lMax;
  }
}

TEST(ChartSeries, VisibleIndexRangeAtEndsMiddleAndOutside)
{
  struct TCase
  {
    double Min, Max;
    int First, Last;
  };
  const TCase lCases[] = {
      {-5, 10, 0, 10},      // starts before the first point
      {20.5, 30.2, 21, 30}, // middle, ends between points
      {95, 200, 95, 99},    // runs past the last point
      {30, 30, 30, 30},     // one point exactly
      {10.2, 10.8, -1, -1}, // between two points
      {200, 300, -1, -1},   // right of the data
      {-9, -1, -1, -1},     // left of the data
  };
  TCandleScene lChart;
  for (const TCase &lCase : lCases) {
    lChart.Scene.BottomAxis().SetMinMax(lCase.Min, lCase.Max);
    EXPECT_EQ(lChart.Candles->FirstVisibleIndex(), lCase.First) << lCase.Min << ".." << lCase.Max;
    EXPECT_EQ(lChart.Candles->LastVisibleIndex(), lCase.Last) << lCase.Min << ".." << lCase.Max;
  }
  TLineSeries *lEmpty = lChart.Scene.AddLineSeries();
  EXPECT_EQ(lEmpty->FirstVisibleIndex(), -1);
  EXPECT_EQ(lEmpty->LastVisibleIndex(), -1);
}

TEST(ChartSeries, OlderPointsAreInsertedInOrderWithTheirValues)
{
  TChartScene lScene;
  TCandleSeries *lCandles = lScene.AddCandleSeries();
  EXPECT_EQ(lCandles->AddOHLC(10, 1, 2, 0.5, 1.5), 0);
  EXPECT_EQ(lCandles->AddOHLC(12, 3, 4, 2.5, 3.5), 1);
  EXPECT_EQ(lCandles->AddOHLC(11, 5, 6, 4.5, 5.5), 1); // a page of older history arrives later
  EXPECT_EQ(lCandles->XValue(1), 11);
  EXPECT_EQ(lCandles->OpenValue(1), 5);
  EXPECT_EQ(lCandles->CloseValue(2), 3.5);
  lCandles->SetHighValue(2, 9);
  lCandles->SetLowValue(0, 0.1);
  double lMin = 0, lMax = 0;
  ASSERT_TRUE(lCandles->YRange(lMin, lMax));
  EXPECT_EQ(lMin, 0.1);
  EXPECT_EQ(lMax, 9);
  lCandles->Clear();
  EXPECT_EQ(lCandles->Count(), 0);
  EXPECT_FALSE(lCandles->YRange(lMin, lMax));
}

TEST(ChartSeries, ChangesInsideAnUpdateRepaintOnceAtTheEnd)
{
  TChartScene lScene;
  int lRepaints = 0;
  lScene.OnChanged = [&] { ++lRepaints; };
  TLineSeries *lLine = lScene.AddLineSeries();
  lRepaints = 0;
  lLine->BeginUpdate();
  lLine->BeginUpdate();
  for (int lIndex = 0; lIndex < 10; ++lIndex)
    lLine->AddXY(lIndex, lIndex);
  lLine->EndUpdate();
  EXPECT_EQ(lRepaints, 0);
  lLine->EndUpdate();
  EXPECT_EQ(lRepaints, 1);
  lLine->SetColor(lLine->Color()); // unchanged: no repaint
  EXPECT_EQ(lRepaints, 1);
}

TEST(ChartAxis, NumberFormats)
{
  const struct
  {
    const char *Format;
    double Value;
    const char *Text;
  } lCases[] = {
      {"#,####0.#####", 1234567.5, "1,234,567.5"},
      {"#,####0.#####", 0.000012345, "0.00001"},
      {"0.00", 3, "3.00"},
      {"#,##0.###", -1234.5678, "-1,234.568"},
      {"#,##0.###", -0.0001, "0"},
      {"0", 999.6, "1000"},
  };
  for (const auto &lCase : lCases)
    EXPECT_EQ(FormatChartNumber(lCase.Format, lCase.Value), lCase.Text) << lCase.Format;
}

TEST(ChartAxis, LabelCallbackReplacesEveryLabelAndSeesItsValue)
{
  TChartScene lScene;
  lScene.SetSize(QSize(600, 300));
  TChartAxis &lTime = lScene.BottomAxis();
  lTime.SetAutomatic(false);
  lTime.SetDateTimeFormat(QStringLiteral("hh:mm dd.MM.yyyy"));
  lTime.SetDesiredIncrement(1.0 / 1440);
  const double lStart = QDateTimeToChartDate(QDateTime(QDate(2026, 3, 1), QTime(10, 0), Qt::UTC));
  lTime.SetMinMax(lStart, lStart + 2.0 / 24);
  lScene.RightAxis().SetAutomatic(false);
  lScene.RightAxis().SetMinMax(100, 200);
  lScene.OnGetAxisLabel = [&](const TChartAxis &aAxis, double aValue, QString &aText) {
    if (&aAxis == &lTime)
      aText = QStringLiteral("T ") + aText.left(5);
    else
      aText = QString::asprintf("%8.5f", aValue);
  };
  lScene.Layout();

  ASSERT_GE(lTime.Labels().size(), 3u);
  const double lStep = lTime.LabelStep();
  EXPECT_GE(lStep, 1.0 / 1440 - 1e-12);
  for (const TChartAxisLabel &lLabel : lTime.Labels()) {
    EXPECT_EQ(lLabel.Text, "T " + ChartDateToQDateTime(lLabel.Value).toString("hh:mm"));
    EXPECT_NEAR(std::remainder(lLabel.Value, lStep), 0, 1e-6) << "labels sit on whole steps";
    EXPECT_GE(lLabel.Value, lTime.Minimum());
    EXPECT_LE(lLabel.Value, lTime.Maximum());
    EXPECT_EQ(lLabel.Pixel, lTime.CalcPos(lLabel.Value));
  }
  ASSERT_FALSE(lScene.RightAxis().Labels().empty());
  for (const TChartAxisLabel &lLabel : lScene.RightAxis().Labels())
    EXPECT_EQ(lLabel.Text, QString::asprintf("%8.5f", lLabel.Value));
  // Neighbouring labels never overlap.
  const auto &lLabels = lTime.Labels();
  for (size_t lIndex = 1; lIndex < lLabels.size(); ++lIndex)
    EXPECT_GT(lLabels[lIndex].Pixel - lLabels[lIndex - 1].Pixel,
              (lLabels[lIndex].Width + lLabels[lIndex - 1].Width) / 2);
}

TEST(ChartSeries, HitTestsOfCandlesPointsAndLines)
{
  TCandleScene lChart;
  lChart.Scene.BottomAxis().SetMinMax(24.5, 44.5); // candles about 16 px apart
  lChart.Candles->SetCandleWidth(4);
  TPointSeries *lPoints = lChart.Scene.AddPointSeries();
  lPoints->SetPointerSize(8, 8);
  lPoints->AddXY(40, 18, 0.4);
  TLineSeries *lLine = lChart.Scene.AddLineSeries();
  lLine->AddXY(25, 2);
  lLine->AddXY(44, 2);
  lChart.Scene.Layout();
  TChartScene &lScene = lChart.Scene;

  EXPECT_EQ(lChart.Candles->Clicked(PixelOf(lScene, 30, 10)), 30);   // body
  EXPECT_EQ(lChart.Candles->Clicked(PixelOf(lScene, 30, 11.9)), 30); // wick
  EXPECT_EQ(lChart.Candles->Clicked(PixelOf(lScene, 30, 13)), -1);   // above the high
  EXPECT_EQ(lChart.Candles->Clicked(PixelOf(lScene, 30.5, 10)), -1); // between candles
  EXPECT_EQ(lPoints->Clicked(PixelOf(lScene, 40, 18) + QPoint(3, -3)), 0);
  EXPECT_EQ(lPoints->Clicked(PixelOf(lScene, 40, 18) + QPoint(9, 0)), -1);
  EXPECT_EQ(lLine->Clicked(PixelOf(lScene, 42, 2) + QPoint(0, 2)), 1); // nearer the end
  EXPECT_EQ(lLine->Clicked(PixelOf(lScene, 27, 2) + QPoint(0, -2)), 0);
  EXPECT_EQ(lLine->Clicked(PixelOf(lScene, 42, 2) + QPoint(0, 8)), -1);

  auto [lHit, lIndex] = lScene.SeriesAt(PixelOf(lScene, 40, 18));
  EXPECT_EQ(lHit, lPoints);
  EXPECT_EQ(lIndex, 0);
  lPoints->SetVisible(false);
  EXPECT_EQ(lScene.SeriesAt(PixelOf(lScene, 40, 18)).first, nullptr);
}

TEST(ChartScene, CandlesArePaintedCrispInTheirColours)
{
  TCandleScene lChart;
  TChartScene &lScene = lChart.Scene;
  lChart.Candles->SetUpColor(Qt::green);
  lChart.Candles->SetDownColor(Qt::red);
  lChart.Candles->SetPenColor(Qt::blue);
  lScene.BottomAxis().SetMinMax(9.5, 19.5); // ten candles, about 30 px apart
  lChart.Candles->SetCandleWidth(9);
  int lDraws = 0;
  lScene.OnAfterDraw = [&](QPainter &) { ++lDraws; };
  QImage lImage(lScene.Size(), QImage::Format_ARGB32_Premultiplied);
  QPainter lPainter(&lImage);
  lScene.Paint(lPainter);
  lPainter.end();
  EXPECT_EQ(lDraws, 1);

  const QPoint lRising = PixelOf(lScene, 11, 10.5);
  const QPoint lFalling = PixelOf(lScene, 12, 9.5);
  EXPECT_EQ(lImage.pixelColor(lRising + QPoint(2, 0)), QColor(Qt::green));
  EXPECT_EQ(lImage.pixelColor(lFalling + QPoint(2, 0)), QColor(Qt::red));
  EXPECT_EQ(lImage.pixelColor(PixelOf(lScene, 11, 11.8)), QColor(Qt::blue)); // wick
  EXPECT_EQ(lImage.pixelColor(lRising + QPoint(-4, 0)), QColor(Qt::blue));   // outline
  // No smoothing: one pixel beside the outline is the wall again.
  EXPECT_EQ(lImage.pixelColor(lRising + QPoint(-5, 0)), lScene.BackWallColor());
  EXPECT_EQ(lImage.pixelColor(PixelOf(lScene, 11, 11.8) + QPoint(1, 0)), lScene.BackWallColor());
}

TEST(Chart, PanningShiftsBothTimeAxisEndsByTheDraggedAmount)
{
  TChart lChart;
  lChart.resize(500, 300);
  lChart.show();
  TChartScene &lScene = lChart.Scene();
  lScene.BottomAxis().SetAutomatic(false);
  lScene.RightAxis().SetAutomatic(false);
  lScene.BottomAxis().SetMinMax(100, 200);
  lScene.RightAxis().SetMinMax(1, 2);
  const QRect lPlot = lScene.PlotRect();
  const double lPerPixel = 100.0 / lScene.BottomAxis().PixelLength();
  const QPoint lStart = lPlot.center();

  int lDowns = 0, lScrolls = 0;
  lChart.OnMouseDown = [&](Qt::MouseButton, Qt::KeyboardModifiers, QPoint) { ++lDowns; };
  lChart.OnScroll = [&] { ++lScrolls; };
  auto lDrag = [&](int aDx, int aDy) {
    QTest::mousePress(&lChart, Qt::LeftButton, {}, lStart);
    for (int lStep = 1; lStep <= 4; ++lStep) {
      const QPointF lPos(lStart + QPoint(aDx, aDy) * lStep / 4);
      QMouseEvent lMove(QEvent::MouseMove, lPos, lChart.mapToGlobal(lPos), Qt::NoButton,
                        Qt::LeftButton, Qt::NoModifier);
      QApplication::sendEvent(&lChart, &lMove);
    }
    QTest::mouseRelease(&lChart, Qt::LeftButton, {}, lStart + QPoint(aDx, aDy));
  };

  lDrag(40, 25); // to the right: earlier times come into view
  EXPECT_NEAR(lScene.BottomAxis().Minimum(), 100 - 40 * lPerPixel, 1e-9);
  EXPECT_NEAR(lScene.BottomAxis().Maximum(), 200 - 40 * lPerPixel, 1e-9);
  EXPECT_EQ(lScene.RightAxis().Minimum(), 1); // horizontal panning leaves the price alone
  EXPECT_EQ(lScene.RightAxis().Maximum(), 2);
  EXPECT_EQ(lDowns, 1);
  EXPECT_EQ(lScrolls, 4);

  // A mouse-down handler may switch panning off for the very press it sees.
  lChart.OnMouseDown = [&](Qt::MouseButton, Qt::KeyboardModifiers, QPoint) {
    lChart.SetAllowPanning(pmNone);
  };
  const double lMin = lScene.BottomAxis().Minimum();
  lDrag(-60, 0);
  EXPECT_EQ(lScene.BottomAxis().Minimum(), lMin);
}

TEST(Chart, RectangleZoomShowsTheDraggedAreaAndTheReverseDragRestores)
{
  TChart lChart;
  lChart.resize(500, 300);
  lChart.show();
  lChart.SetAllowPanning(pmNone);
  lChart.SetAllowZoom(true);
  TChartScene &lScene = lChart.Scene();
  lScene.BottomAxis().SetAutomatic(false);
  lScene.RightAxis().SetAutomatic(false);
  lScene.BottomAxis().SetMinMax(100, 200);
  lScene.RightAxis().SetMinMax(1, 2);
  int lZooms = 0;
  lChart.OnZoom = [&] { ++lZooms; };
  const QRect lPlot = lScene.PlotRect();
  auto lDrag = [&](QPoint aFrom, QPoint aTo) {
    QTest::mousePress(&lChart, Qt::LeftButton, {}, aFrom);
    QMouseEvent lMove(QEvent::MouseMove, QPointF(aTo), lChart.mapToGlobal(QPointF(aTo)),
                      Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&lChart, &lMove);
    QTest::mouseRelease(&lChart, Qt::LeftButton, {}, aTo);
  };
  const QPoint lFrom = lPlot.topLeft() + QPoint(50, 40);
  const QPoint lTo = lPlot.topLeft() + QPoint(250, 140);
  const double lLeft = lScene.BottomAxis().PixelToValue(lFrom.x());
  const double lRight = lScene.BottomAxis().PixelToValue(lTo.x());
  const double lLow = lScene.RightAxis().PixelToValue(lTo.y());
  const double lHigh = lScene.RightAxis().PixelToValue(lFrom.y());

  lDrag(lFrom, lTo);
  EXPECT_NEAR(lScene.BottomAxis().Minimum(), lLeft, 1e-9);
  EXPECT_NEAR(lScene.BottomAxis().Maximum(), lRight, 1e-9);
  EXPECT_NEAR(lScene.RightAxis().Minimum(), lLow, 1e-9);
  EXPECT_NEAR(lScene.RightAxis().Maximum(), lHigh, 1e-9);
  lDrag(lTo, lFrom);
  lDrag(lTo, lFrom); // nothing left to undo
  EXPECT_EQ(lScene.BottomAxis().Minimum(), 100);
  EXPECT_EQ(lScene.BottomAxis().Maximum(), 200);
  EXPECT_EQ(lScene.RightAxis().Minimum(), 1);
  EXPECT_EQ(lZooms, 2);
}
