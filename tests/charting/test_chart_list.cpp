// The chart list: charts.json through real windows, full mode, tiling and the commands.

#include "chart_test_env.h"

#include "events.h"
#include "winctrl_mdi_window_button.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTest>

using namespace chart_test;

namespace {

class ChartListTest : public TChartListTest
{
protected:
  QJsonObject SavedFile() const
  {
    QFile lFile(fList->GetFileName());
    if (!lFile.open(QIODevice::ReadOnly))
      return {};
    return QJsonDocument::fromJson(lFile.readAll()).object();
  }
};

} // namespace

TEST_F(ChartListTest, SavedChartsComeBackInTheirPlacesWithTheirSettings)
{
  const std::vector<std::tuple<const char *, TChartInterval, QRect>> lCharts{
      {"BTCUSDT", h1, QRect(0, 0, 400, 240)},
      {"ETHBTC", d1, QRect(400, 0, 496, 296)},
      {"BNBUSDT", m15, QRect(8, 304, 600, 200)}};
  for (const auto &[lSymbol, lInterval, lBounds] : lCharts) {
    TChartItem *lItem = NewChart(lSymbol);
    lItem->SetInterval(lInterval);
    lItem->Window()->SetBounds(lBounds);
  }
  fList->GetItem(1)->ChartSettings().ShowVolume = true;
  fList->GetItem(1)->ChartSettings().Zoom = z2;
  auto lMa = std::make_unique<TMaIndicatorInfo>();
  lMa->Period = 9;
  fList->GetItem(1)->IndicatorList().Add(std::move(lMa));
  fList->GetItem(1)->Chart()->BottomAxis().SetMinMax(46000.5, 46001);
  fList->GetItem(2)->Window()->SetState(wsMaximized); // one window only: not full mode
  fList->Save();

  auto lLoaded = std::make_unique<TChartList>();
  lLoaded->SetWinControl(&fHost);
  lLoaded->SetFileName(fList->GetFileName());
  fList.reset();
  lLoaded->Load();
  ASSERT_EQ(lLoaded->Count(), 3);
  EXPECT_FALSE(lLoaded->FullMode());
  for (int i = 0; i < 3; ++i) {
    const auto &[lSymbol, lInterval, lBounds] = lCharts[i];
    TChartItem *lItem = lLoaded->GetItem(i);
    EXPECT_EQ(lItem->Symbol(), lSymbol);
    EXPECT_EQ(lItem->Interval(), lInterval);
    const QRect lGot = i == 2 ? lItem->Window()->NormalBounds() : lItem->Window()->geometry();
    EXPECT_EQ(lGot, lBounds) << i;
  }
  EXPECT_EQ(lLoaded->GetItem(2)->Window()->State(), wsMaximized);
  EXPECT_EQ(lLoaded->GetItem(0)->Window()->State(), wsNormal);
  EXPECT_TRUE(lLoaded->GetItem(1)->ChartSettings().ShowVolume);
  EXPECT_EQ(lLoaded->GetItem(1)->ChartSettings().Zoom, z2);
  EXPECT_EQ(lLoaded->GetItem(1)->ChartSettings().Left, 46000.5); // the left edge shown
  ASSERT_EQ(lLoaded->GetItem(1)->IndicatorList().Count(), 1);
  const auto *lLoadedMa =
      dynamic_cast<TMaIndicatorInfo *>(&lLoaded->GetItem(1)->IndicatorList().GetItem(0)->Info());
  ASSERT_TRUE(lLoadedMa);
  EXPECT_EQ(lLoadedMa->Period, 9);
  EXPECT_EQ(lLoaded->GetItem(0)->IndicatorList().Count(), 0);
  EXPECT_EQ(lLoaded->GetSelected(), lLoaded->GetItem(0));
  fList = std::move(lLoaded);
}

TEST_F(ChartListTest, FilesWithPartsMissing)
{
  QFile lFile(fList->GetFileName());
  ASSERT_TRUE(lFile.open(QIODevice::WriteOnly));
  lFile.write(R"({"charts":[{"symbol":"ETHBTC"}],"full":true})");
  lFile.close();
  fList->Load();
  ASSERT_EQ(fList->Count(), 1);
  EXPECT_EQ(fList->GetItem(0)->Interval(), m1);
  EXPECT_EQ(fList->GetItem(0)->IndicatorList().Count(), 0);
  EXPECT_TRUE(fList->FullMode());
  EXPECT_EQ(fList->GetItem(0)->Window()->State(), wsMaximized);
  EXPECT_FALSE(fList->GetItem(0)->Window()->CaptionVisible());

  // An unreadable file empties the list; no file leaves it as it is.
  ASSERT_TRUE(lFile.open(QIODevice::WriteOnly));
  lFile.write("{broken");
  lFile.close();
  fList->Load();
  EXPECT_EQ(fList->Count(), 0);
  NewChart();
  fList->Load(fDir.filePath("none.json"));
  EXPECT_EQ(fList->Count(), 1);
}

// Charts laid out for a wider area keep their grid, scaled down, instead of the outer ones
// being pushed onto their neighbours.
TEST_F(ChartListTest, LayoutFromAWiderAreaIsScaledDownWhole)
{
  QJsonArray lCharts;
  for (int i = 0; i < 4; ++i)
    lCharts.append(QJsonObject{
        {"symbol", "BTCUSDT"}, {"left", i * 400}, {"top", 0}, {"width", 400}, {"height", 300}});
  QFile lFile(fList->GetFileName());
  ASSERT_TRUE(lFile.open(QIODevice::WriteOnly));
  lFile.write(QJsonDocument(QJsonObject{{"charts", lCharts}}).toJson());
  lFile.close();
  fList->Load();
  ASSERT_EQ(fList->Count(), 4);
  for (int i = 0; i < 4; ++i) {
    const QRect lBounds = fList->GetItem(i)->Window()->geometry();
    EXPECT_TRUE(fHost.rect().contains(lBounds)) << i;
    EXPECT_GE(lBounds.width(), 200) << i;
    if (i > 0) {
      EXPECT_LE(fList->GetItem(i - 1)->Window()->geometry().right(), lBounds.left() - 1) << i;
    }
  }
}

TEST_F(ChartListTest, NewChartShowsFiveMinuteKlinesAndIsSaved)
{
  TChartItem *lItem = fList->AddNewChart(QStringLiteral("LTCBTC"));
  ASSERT_NE(lItem, nullptr);
  EXPECT_EQ(lItem->Interval(), m5);
  EXPECT_EQ(fList->GetSelected(), lItem);
  EXPECT_TRUE(lItem->IsLoading());
  EXPECT_EQ(fList->GetAsSymbolList(), QStringList{"LTCBTC"});
  const QJsonArray lSaved = SavedFile().value("charts").toArray();
  ASSERT_EQ(lSaved.size(), 1);
  EXPECT_EQ(lSaved.at(0).toObject().value("interval").toInt(), 2);
  // Closing it takes it out of the file.
  lItem->DestroyWindow();
  EXPECT_TRUE(SavedFile().value("charts").toArray().isEmpty());
}

TEST_F(ChartListTest, MozaicTilesInMultiplesOf8)
{
  struct TCase
  {
    int Charts;
    std::vector<QRect> Cells;
  };
  // The host is 1000 x 600.
  const std::vector<TCase> lCases{
      {1, {QRect(0, 0, 1000, 600)}},
      {3, {QRect(0, 0, 328, 600), QRect(328, 0, 328, 600), QRect(656, 0, 328, 600)}},
      {4,
       {QRect(0, 0, 496, 296), QRect(496, 0, 496, 296), QRect(0, 296, 496, 296),
        QRect(496, 296, 496, 296)}},
      {5,
       {QRect(0, 0, 328, 296), QRect(328, 0, 328, 296), QRect(656, 0, 328, 296),
        QRect(0, 296, 328, 296), QRect(328, 296, 328, 296)}}};
  for (const TCase &c : lCases) {
    fList->Clear();
    for (int i = 0; i < c.Charts; ++i)
      NewChart();
    fList->Maximize(wsMaximized);
    fList->Mozaic();
    EXPECT_FALSE(fList->FullMode());
    for (int i = 0; i < c.Charts; ++i) {
      EXPECT_EQ(fList->GetItem(i)->Window()->State(), wsNormal);
      EXPECT_EQ(fList->GetItem(i)->Window()->geometry(), c.Cells[i]) << c.Charts << " " << i;
    }
    EXPECT_EQ(SavedFile().value("charts").toArray().size(), c.Charts);
  }
}

TEST_F(ChartListTest, FullModeAndCommandsWithoutASelectedChart)
{
  fList->Maximize(wsMaximized);
  EXPECT_TRUE(fList->FullMode());
  EXPECT_EQ(fPublished.Count(BASE_MAIN_TABS_REFRESH), 1);
  fList->Maximize(wsNormal);

  TChartItem *lItem = NewChart();
  lItem->Window()->SetActive(false);
  ASSERT_EQ(fList->GetSelected(), nullptr);
  const TZoom lZoom = lItem->ChartSettings().Zoom;
  fList->acZoomOutExecute();
  fList->acStickExecute(ctLine);
  fList->RefreshKlinesByInterval(h4);
  EXPECT_EQ(lItem->ChartSettings().Zoom, lZoom);
  EXPECT_EQ(lItem->ChartSettings().ChartType, ctCandle);
  EXPECT_EQ(lItem->Interval(), m5);
  EXPECT_FALSE(QFile::exists(fList->GetFileName()));

  lItem->SetActive(true);
  fList->acZoomOutExecute();
  EXPECT_EQ(lItem->ChartSettings().Zoom, z1);
  EXPECT_EQ(fPublished.Count(BASE_MAIN_REFRESH_ACTIVE_WINDOW), 1);
  EXPECT_TRUE(QFile::exists(fList->GetFileName()));
  fList->SetTabsVisible(true);
  fList->SetTabsVisible(true);
  EXPECT_EQ(fPublished.Count(BASE_MAIN_TABS_REFRESH), 3);
}

// The window's own buttons: close frees the chart from inside the button's press, maximise
// takes every chart into full mode.
TEST_F(ChartListTest, WindowButtonsCloseAndMaximize)
{
  TChartItem *lFirst = NewChart(QStringLiteral("BTCUSDT"));
  NewChart(QStringLiteral("ETHBTC"));
  QTest::mousePress(lFirst->Window()->Button(btMaximize), Qt::LeftButton);
  EXPECT_TRUE(fList->FullMode());
  for (int i = 0; i < 2; ++i)
    EXPECT_EQ(fList->GetItem(i)->Window()->State(), wsMaximized);
  QTest::mouseRelease(lFirst->Window()->Button(btMaximize), Qt::LeftButton);

  QPointer<TwinctrlMdiWindow> lWindow = lFirst->Window();
  QTest::mousePress(lWindow->Button(btClose), Qt::LeftButton);
  PumpFor(20);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(lWindow.isNull()); // gone once its event had returned
  ASSERT_EQ(fList->Count(), 1);
  EXPECT_EQ(fList->GetItem(0)->Symbol(), QStringLiteral("ETHBTC"));
  EXPECT_EQ(SavedFile().value("charts").toArray().size(), 1);
}
