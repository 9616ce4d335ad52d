// A chart item on its window: klines to candles, the price, order markers, colours, the view
// under the mouse, the overlay, and "now" in every time zone.

#include "chart_test_env.h"

#include "../exchange/log_capture.h"
#include "chart_item_link.h"
#include "connection_item.h"
#include "events.h"
#include "profile.h"
#include "utils.h"

#include <QDateTime>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <ctime>

using namespace chart_test;

namespace {

class ChartItem : public TChartListTest
{
};

QImage Render(TChartItem &aItem)
{
  TChartScene &lScene = aItem.Chart()->Scene();
  QImage lImage(lScene.Size(), QImage::Format_RGB32);
  QPainter lPainter(&lImage);
  lScene.Paint(lPainter);
  return lImage;
}

TDateTime UtcPlus3()
{
  return StampToDate(QDateTime::currentMSecsSinceEpoch());
}

std::int64_t NowStamp()
{
  const std::int64_t lNow = QDateTime::currentMSecsSinceEpoch();
  return lNow - lNow % cMinute;
}

} // namespace

TEST_F(ChartItem, KlinesBecomeOneCandlePerOpenTimeInTimeOrder)
{
  TLogCapture lLog;
  TChartItem *lItem = NewChart();
  const std::int64_t t = 1'700'000'000'000 - 1'700'000'000'000 % cMinute;
  // The newest page first, then an older page holding a kline without an open time.
  Feed(*lItem, {{t + 2 * cMinute, 3, 4, 2, 3.5}, {t + 3 * cMinute, 4, 5, 3, 4.5}});
  Feed(*lItem, {{0, 9, 9, 9, 9}, {t, 1, 2, 0.5, 1.5}, {t + cMinute, 2, 3, 1, 2.5}});
  // The current kline comes back with new values.
  Feed(*lItem, {{t + 3 * cMinute, 4, 7, 2.5, 6}});

  const TCandleSeries &lCandles = *lItem->SerCandles();
  ASSERT_EQ(lCandles.Count(), 4);
  for (int i = 0; i < 4; ++i) {
    EXPECT_DOUBLE_EQ(lCandles.XValue(i), StampToDate(t + i * cMinute)) << i;
    EXPECT_DOUBLE_EQ(lCandles.OpenValue(i), i + 1.0) << i;
  }
  EXPECT_DOUBLE_EQ(lCandles.HighValue(3), 7);
  EXPECT_DOUBLE_EQ(lCandles.LowValue(3), 2.5);
  EXPECT_DOUBLE_EQ(lCandles.CloseValue(3), 6);
  EXPECT_EQ(lItem->CandleKline(3)->OpenTime(), t + 3 * cMinute);
  EXPECT_EQ(lLog.Matching("TChartItem.RefreshChart error: opentime = 0, symbol=BTCUSDT").size(),
            1u);
}

TEST_F(ChartItem, PriceMovesTheNewestCandleAndThePriceLine)
{
  struct TCase
  {
    double Price, High, Low;
  };
  // The newest candle is 4..6 (low..high), opened at 5; an older one reaches far higher.
  for (const TCase &c : {TCase{7, 7, 4}, TCase{3, 6, 3}, TCase{5.5, 6, 4}}) {
    TChartItem *lItem = NewChart();
    const std::int64_t t = NowStamp();
    Feed(*lItem, {{t, 5, 6, 4, 5}, {t - cMinute, 10, 20, 9, 10}});
    lItem->SetChartPrice(c.Price);
    lItem->RefreshChartPrice();
    const TCandleSeries &lCandles = *lItem->SerCandles();
    EXPECT_DOUBLE_EQ(lCandles.HighValue(1), c.High) << c.Price;
    EXPECT_DOUBLE_EQ(lCandles.LowValue(1), c.Low) << c.Price;
    EXPECT_DOUBLE_EQ(lCandles.CloseValue(1), c.Price) << c.Price;
    EXPECT_DOUBLE_EQ(lCandles.HighValue(0), 20); // older candles stay
    const TLineSeries &lLine = *lItem->SerPrice();
    ASSERT_EQ(lLine.Count(), 2);
    EXPECT_DOUBLE_EQ(lLine.XValue(0), lCandles.XValue(0));
    EXPECT_DOUBLE_EQ(lLine.XValue(1), lCandles.XValue(1));
    EXPECT_DOUBLE_EQ(lLine.YValue(1), c.Price);
  }
}

TEST_F(ChartItem, OrderMarkersShowTheMainAccountsOrdersOfTheSymbol)
{
  TChartItem *lItem = NewChart(QStringLiteral("ETHBTC"));
  lItem->RefreshOrdersBubbles(); // without a profile: nothing happens
  EXPECT_EQ(lItem->SerBuy()->Count() + lItem->SerSell()->Count(), 0);

  Profile = std::make_unique<TProfile>(wfmTrade);
  TUserOrderList &lOrders = Profile->MainProfile()->UserOrderList;
  auto lAdd = [&](const char *aSymbol, const char *aSide, double aPrice) {
    TUserOrder &lOrder = lOrders.Add();
    lOrder.Symbol = aSymbol;
    lOrder.Side = aSide;
    lOrder.Price = aPrice;
    lOrder.Time = 1'700'000'000'000;
  };
  lAdd("ETHBTC", "BUY", 0.05);
  lAdd("ETHBTC", "SELL", 0.07);
  lAdd("ETHBTC", "STRANGE", 0.08);
  lAdd("BTCUSDT", "BUY", 40000);
  lItem->RefreshOrdersBubbles(); // the open orders have not arrived yet
  EXPECT_EQ(lItem->SerBuy()->Count() + lItem->SerSell()->Count(), 0);

  lOrders.Loaded = true;
  lItem->Chart()->RightAxis().SetMinMax(0, 1);
  lItem->RefreshOrdersBubbles();
  ASSERT_EQ(lItem->SerBuy()->Count(), 1);
  EXPECT_DOUBLE_EQ(lItem->SerBuy()->YValue(0), 0.05);
  EXPECT_DOUBLE_EQ(lItem->SerBuy()->Radius(0), 0.02);
  EXPECT_DOUBLE_EQ(lItem->SerBuy()->XValue(0), StampToDate(1'700'000'000'000));
  ASSERT_EQ(lItem->SerSell()->Count(), 2); // any side but BUY is a sell marker
  EXPECT_DOUBLE_EQ(lItem->SerSell()->YValue(1), 0.08);
  Profile.reset();
}

TEST_F(ChartItem, ColoursAndChartTypeFromTheSettings)
{
  TChartItem *lItem = NewChart();
  // A new chart starts from the look it was built with.
  EXPECT_EQ(lItem->ChartSettings().Buy, 0x0082E6B4u);
  EXPECT_EQ(lItem->ChartSettings().Sell, 0x00B482E6u);
  EXPECT_EQ(lItem->ChartSettings().ChartType, ctCandle);
  EXPECT_EQ(lItem->ChartSettings().Background, 0x00FFFFFFu);

  TChartSettingsInfo &lSettings = lItem->ChartSettings();
  lSettings.Reset();
  lSettings.Background = 0;
  lSettings.Bar = 0x0000FFFF;
  lSettings.ChartType = ctBar;
  lItem->LoadSettings(nullptr);
  EXPECT_EQ(lItem->SerPrice()->Color(), QColor(Qt::white));
  EXPECT_EQ(lItem->SerCandles()->CandleStyle(), csCandleBar);
  EXPECT_EQ(lItem->SerCandles()->UpColor(), QColor(255, 255, 0)); // bars take the bar colour
  EXPECT_EQ(fPublished.Count(BASE_MAIN_CHART_TYPE), 1);

  lSettings.Background = 0x00FFFFFF;
  lSettings.ChartType = ctCandle;
  lItem->LoadSettings(nullptr);
  EXPECT_EQ(lItem->SerPrice()->Color(), QColor(Qt::black));
  EXPECT_EQ(lItem->SerCandles()->UpColor(), ToQColor(clLtGreen));

  TChartSettingsInfo lBack;
  lBack.SetInfo(*lItem->Chart(), *lItem->SerCandles());
  EXPECT_EQ(lBack.Sell, clLtRed);
  EXPECT_EQ(lBack.Grid, 0x00808080u);
  EXPECT_EQ(lBack.ChartType, ctCandle);
  lItem->SerCandles()->SetCandleStyle(csOpenClose);
  lBack.SetInfo(*lItem->Chart(), *lItem->SerCandles());
  EXPECT_EQ(lBack.ChartType, ctCandle); // a style without a type leaves it
}

TEST_F(ChartItem, ZoomDragOnTheTimeScale)
{
  TChartItem *lItem = NewChart();
  Feed(*lItem, Minutes(NowStamp(), 50));
  lItem->ChartSettings().Zoom = z3;
  lItem->ChartFullRefresh();
  const TChartAxis &lTime = lItem->Chart()->BottomAxis();
  const QPoint lPress(300, lTime.PixelPosition() + 5);
  struct TCase
  {
    int Dx;
    TZoom Zoom;
  };
  lItem->OnChartMouseDown(Qt::LeftButton, {}, lPress);
  ASSERT_EQ(lItem->ChartClick(), pmHorizontal);
  for (const TCase &c : {TCase{1, z2}, TCase{15, z2}, TCase{16, z1}, TCase{-15, z4}}) {
    lItem->OnChartMouseMove({}, lPress + QPoint(c.Dx, 0));
    EXPECT_EQ(lItem->ChartSettings().Zoom, c.Zoom) << c.Dx;
  }
  lItem->OnChartMouseUp(Qt::LeftButton, {}, lPress);
  EXPECT_EQ(lItem->ChartClick(), pmNone);
  EXPECT_EQ(fPublished.Count(BASE_MAIN_ZOOM_REFRESH), 3); // z2, z1, z4
  EXPECT_EQ(lItem->Window()->Caption(), QStringLiteral("BTCUSDT 5m (50%)"));

  // The zoom commands stop at the ends of the table.
  lItem->ChartSettings().Zoom = z0;
  lItem->acZoomInExecute();
  EXPECT_EQ(lItem->ChartSettings().Zoom, z0);
  lItem->ChartSettings().Zoom = z5;
  lItem->acZoomOutExecute();
  EXPECT_EQ(lItem->ChartSettings().Zoom, z5);
  EXPECT_EQ(fPublished.Count(BASE_MAIN_ZOOM_REFRESH), 3);
}

TEST_F(ChartItem, PriceScaleDragStretchesButNeverCutsOffCandles)
{
  TChartItem *lItem = NewChart();
  Feed(*lItem, Minutes(NowStamp(), 50));
  lItem->ChartSettings().Zoom = z3;
  lItem->ChartFullRefresh();
  const TChartAxis &lPrice = lItem->Chart()->RightAxis();
  const double lMin = lPrice.Minimum();
  const double lMax = lPrice.Maximum();
  const QPoint lPress(lPrice.PixelPosition() + 10, 200);
  lItem->OnChartMouseDown(Qt::LeftButton, {}, lPress);
  ASSERT_EQ(lItem->ChartClick(), pmVertical);
  lItem->OnChartMouseMove({}, lPress + QPoint(0, 100));
  EXPECT_NEAR(lPrice.Maximum(), lMax * 1.1, 1e-9);
  EXPECT_NEAR(lPrice.Minimum(), lMin * 0.9, 1e-9);
  lItem->OnChartMouseMove({}, lPress - QPoint(0, 100));
  EXPECT_DOUBLE_EQ(lPrice.Minimum(), lMin); // snapped back to the visible candles
  EXPECT_DOUBLE_EQ(lPrice.Maximum(), lMax);
  lItem->OnChartMouseUp(Qt::LeftButton, {}, lPress);
}

TEST_F(ChartItem, CrosshairPressNeitherPansNorDragsAndReleaseEndsIt)
{
  TChartItem *lItem = NewChart();
  QGuiApplication::setOverrideCursor(Qt::CrossCursor);
  lItem->OnChartMouseDown(Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_EQ(lItem->ChartClick(), pmNone);
  EXPECT_EQ(lItem->Chart()->AllowPanning(), pmNone);
  EXPECT_TRUE(lItem->Active());
  lItem->OnChartMouseUp(Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  lItem->OnChartMouseDown(Qt::LeftButton, {}, QPoint(100, 100));
  EXPECT_EQ(lItem->Chart()->AllowPanning(), pmHorizontal);
  EXPECT_EQ(lItem->ChartClick(), pmBoth);
}

TEST_F(ChartItem, EqualVolumesDrawNeitherBarsNorTheBanner)
{
  TChartItem *lItem = NewChart();
  std::vector<TBar> lBars = Minutes(NowStamp(), 30);
  for (TBar &lBar : lBars)
    lBar.Volume = 5;
  Feed(*lItem, lBars);
  lItem->ChartSettings().ShowVolume = true;
  lItem->ChartSettings().Zoom = z3;
  lItem->ChartFullRefresh();
  ASSERT_TRUE(lItem->IsLoading()); // a new chart shows the banner until its history is in
  const QImage lLoading = Render(*lItem);
  lItem->SetIsLoading(false);
  EXPECT_EQ(Render(*lItem), lLoading);

  // Different volumes: bars, and the banner while loading.
  Feed(*lItem, {{lBars.back().OpenTime, 1, 2, 0.5, 1, 50}});
  const QImage lBarsOnly = Render(*lItem);
  EXPECT_NE(lBarsOnly, lLoading);
  lItem->SetIsLoading(true);
  EXPECT_NE(Render(*lItem), lBarsOnly);
}

// On a narrow window the long OHLC text stops at the plot: the price scale is left as it was.
TEST_F(ChartItem, CaptionStopsAtThePriceScale)
{
  TChartItem *lItem = NewChart();
  std::vector<TBar> lBars = Minutes(NowStamp(), 30);
  for (TBar &lBar : lBars)
    for (double *lPrice : {&lBar.Open, &lBar.High, &lBar.Low, &lBar.Close})
      *lPrice += 65000;
  Feed(*lItem, lBars);
  lItem->SetIsLoading(false);
  lItem->Window()->SetBounds(QRect(0, 0, 260, 300));
  lItem->ChartSettings().ShowOHLC = false;
  const QImage lPlain = Render(*lItem);
  lItem->ChartSettings().ShowOHLC = true;
  const QImage lCaption = Render(*lItem);
  const QRect lPlot = lItem->Chart()->Scene().PlotRect();
  ASSERT_LT(lPlot.right(), lPlain.width() - 30); // the price scale takes the right side
  const QRect lScale(lPlot.right() + 1, 0, lPlain.width() - lPlot.right() - 1, 40);
  EXPECT_EQ(lCaption.copy(lScale), lPlain.copy(lScale));
  const QRect lRow(10, 10, lPlot.right() - 10, 14);
  EXPECT_NE(lCaption.copy(lRow), lPlain.copy(lRow));
}

TEST_F(ChartItem, AxisLabels)
{
  TChartItem *lItem = NewChart();
  QString lText = QStringLiteral("14:05 09.12.2026");
  lItem->OnChartGetAxisLabel(lItem->Chart()->BottomAxis(), 0, lText);
  EXPECT_EQ(lText, ChartDateToTradeDate(QStringLiteral("14:05 09.12.2026")));
  lItem->OnChartGetAxisLabel(lItem->Chart()->RightAxis(), 0.5, lText);
  EXPECT_EQ(lText, QStringLiteral(" 0.50000"));
}

// The right edge is "now" on the exchange's UTC+3 clock wherever the machine is.
TEST_F(ChartItem, RightEdgeStopsAtTheNewestCandleInEveryTimeZone)
{
  const QByteArray lOldZone = qgetenv("TZ");
  for (const char *lZone : {"UTC", "America/Los_Angeles", "Asia/Kolkata", "Pacific/Auckland"}) {
    qputenv("TZ", lZone);
    tzset();
    TChartItem *lItem = NewChart();
    Feed(*lItem, Minutes(NowStamp(), 60));
    lItem->ChartSettings().Zoom = z3;
    lItem->ChartFullRefresh();
    // A new chart opens on its newest candles.
    EXPECT_NEAR(lItem->Chart()->BottomAxis().Maximum(), UtcPlus3(), 5.0 / 86400) << lZone;
    // Panned a day into the future, it comes back to now.
    const double lWidth =
        lItem->Chart()->BottomAxis().Maximum() - lItem->Chart()->BottomAxis().Minimum();
    lItem->Chart()->BottomAxis().SetMinMax(UtcPlus3() + 1 - lWidth, UtcPlus3() + 1);
    lItem->FixRightSide();
    EXPECT_NEAR(lItem->Chart()->BottomAxis().Maximum(), UtcPlus3(), 5.0 / 86400) << lZone;
    lItem->DestroyWindow();
  }
  if (lOldZone.isEmpty())
    qunsetenv("TZ");
  else
    qputenv("TZ", lOldZone);
  tzset();
}

TEST_F(ChartItem, ZoomKeepsTheNewestCandlesInView)
{
  TChartItem *lItem = NewChart();
  Feed(*lItem, Minutes(NowStamp(), 2000));
  lItem->ChartSettings().Zoom = z0;
  lItem->ChartFullRefresh();
  const TChartAxis &lTime = lItem->Chart()->BottomAxis();
  double lWidth = lTime.Maximum() - lTime.Minimum();
  for (int i = 0; i < 5; ++i) {
    lItem->acZoomOutExecute();
    EXPECT_NEAR(lTime.Maximum(), UtcPlus3(), 5.0 / 86400) << i;
    EXPECT_GT(lTime.Maximum() - lTime.Minimum(), lWidth) << i;
    lWidth = lTime.Maximum() - lTime.Minimum();
  }
  lItem->acZoomInExecute();
  EXPECT_NEAR(lTime.Maximum(), UtcPlus3(), 5.0 / 86400);
  EXPECT_LT(lTime.Maximum() - lTime.Minimum(), lWidth);
}

TEST_F(ChartItem, ClosedChartIgnoresItsLateThreads)
{
  TChartItem *lItem = NewChart();
  const std::shared_ptr<TChartItemLink> lLink = lItem->Link();
  lItem->DestroyWindow();
  EXPECT_EQ(fList->Count(), 0);
  EXPECT_TRUE(lLink->IsClosing());
  EXPECT_EQ(lLink->KlineList(), nullptr);
  // The completion steps of a load that ends now reach nothing.
  lLink->SetIsLoading(false);
  lLink->ChartFullRefresh();
  lLink->OnNotify(BASE_MAIN_KLINES, 0);
  PumpFor(20);
}

TEST_F(ChartItem, AutoMoveFollowsTheNewestCandleWithThePriceScale)
{
  TChartItem *lItem = NewChart();
  std::vector<TBar> lBars = Minutes(NowStamp(), 600);
  Feed(*lItem, lBars);
  lItem->ChartSettings().Zoom = z3;
  lItem->ChartSettings().Left = StampToDate(lBars.front().OpenTime); // looking at the oldest
  lItem->ChartFullRefresh();
  ASSERT_LT(lItem->Chart()->BottomAxis().Maximum(), UtcPlus3() - 0.1);
  lItem->ChartSettings().ChartAutoMove = true;
  lItem->SetChartPrice(lBars.back().Close);
  lItem->RefreshChartPrice();
  EXPECT_NEAR(lItem->Chart()->BottomAxis().Maximum(), UtcPlus3(), 5.0 / 86400);
  const TChartAxis &lPrice = lItem->Chart()->RightAxis();
  EXPECT_LE(lPrice.Minimum(), lBars.back().Low);
  EXPECT_GE(lPrice.Maximum(), lBars.back().High);
}
