// Indicators on a chart: their files, their series, the double-click menu, the commands and the
// templates.

#include "chart_templates.h"
#include "chart_test_env.h"
#include "core_test_env.h"
#include "dlg_indicator.h"
#include "indicators.h"

#include "../exchange/log_capture.h"

#include <QApplication>
#include <QFile>
#include <QJsonDocument>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace chart_test;

namespace {

QJsonArray SavedArray(const TIndicatorList &aList)
{
  QJsonArray lArray;
  aList.Save(lArray);
  return lArray;
}

// Answers the next modal indicator dialog: the period field, then "ОК".
void AnswerDialog(const QString &aPeriod)
{
  QTimer::singleShot(0, [aPeriod] {
    auto *lForm = qobject_cast<TfmIndicator *>(QApplication::activeModalWidget());
    ASSERT_TRUE(lForm);
    lForm->findChild<QLineEdit *>(QStringLiteral("edPeriod"))->setText(aPeriod);
    lForm->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
  });
}

class IndicatorsOnChart : public TChartListTest
{
protected:
  // A chart of 30 one-minute klines, closes 101 to 130, shown whole.
  TChartItem *FedChart()
  {
    TChartItem *lItem = NewChart();
    const std::vector<TBar> lBars = Minutes(100 * cMinute, 30);
    Feed(*lItem, lBars);
    lItem->SetIsLoading(false);
    TChartSeries *lCandles = lItem->SerCandles();
    lItem->Chart()->BottomAxis().SetMinMax(lCandles->XValue(0) - 0.001,
                                           lCandles->XValue(29) + 0.001);
    lItem->Chart()->RightAxis().SetMinMax(90, 140);
    return lItem;
  }
  static QJsonArray FileIndicators(const QString &aFileName)
  {
    QFile lFile(aFileName);
    lFile.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(lFile.readAll())["charts"][0]["indicators"].toArray();
  }
};

} // namespace

TEST(IndicatorList, SavedAndLoadedKeepEveryKindMissingKeysGiveZero)
{
  TIndicatorList lList;
  auto lMa = std::make_unique<TMaIndicatorInfo>();
  lMa->Period = 7, lMa->Shift = 2, lMa->Method = MODE_SMMA, lMa->Price = PRICE_LOW;
  lMa->LineColor = 0x00123456, lMa->LineStyle = STYLE_DASHDOTDOT, lMa->LineWidth = 4;
  auto lBands = std::make_unique<TBollingerIndicatorInfo>();
  lBands->Period = 21, lBands->Shift = 1, lBands->Dev = 3, lBands->Price = PRICE_HIGH;
  lBands->LineColor = 0x00FF00FF, lBands->LineStyle = STYLE_DOT, lBands->LineWidth = 2;
  auto lZigZag = std::make_unique<TZigZagIndicatorInfo>();
  lZigZag->Depth = 9, lZigZag->Backstep = 4, lZigZag->LineStyle = STYLE_DASH;
  auto lFractal = std::make_unique<TFractalIndicatorInfo>();
  lFractal->Period = 3, lFractal->Color = 0x00ABCDEF, lFractal->Radius = 1.5;
  lList.Add(std::move(lMa));
  lList.Add(std::move(lBands));
  lList.Add(std::move(lZigZag));
  lList.Add(std::move(lFractal));

  const QJsonArray lSaved = SavedArray(lList);
  ASSERT_EQ(lSaved.size(), 4);
  EXPECT_EQ(lSaved[0].toObject().value("method").toInt(), 2);
  EXPECT_EQ(lSaved[0].toObject().value("lineColor").toInt(), 0x00123456);
  EXPECT_EQ(lSaved[3].toObject().keys(), (QStringList{"color", "period", "type"}));

  TIndicatorList lLoaded;
  lLoaded.Load(lSaved);
  EXPECT_EQ(SavedArray(lLoaded), lSaved);
  EXPECT_EQ(dynamic_cast<TFractalIndicatorInfo &>(lLoaded.GetItem(3)->Info()).Radius, 0);

  // Unknown types and non-objects are skipped; a missing key is 0, not the default.
  lLoaded.Load(QJsonArray{QJsonObject{{"type", "RSI"}}, 5, QJsonObject{{"type", "MA"}},
                          QJsonObject{{"type", "Bollinger"}, {"method", 9}, {"lineStyle", 7}}});
  ASSERT_EQ(lLoaded.Count(), 2);
  const auto &lBare = dynamic_cast<TMaIndicatorInfo &>(lLoaded.GetItem(0)->Info());
  EXPECT_EQ(lBare.Period, 0);
  EXPECT_EQ(lBare.LineColor, 0u);
  EXPECT_EQ(lBare.LineWidth, 0);
  EXPECT_EQ(dynamic_cast<TBollingerIndicatorInfo &>(lLoaded.GetItem(1)->Info()).LineStyle,
            STYLE_DASHDOTDOT);
}

TEST_F(IndicatorsOnChart, FillsDrawOverTheCandlesAndAFailedFillKeepsItsPointsBefore)
{
  TLogCapture lLog;
  TChartItem *lItem = FedChart();
  TChartScene &lScene = lItem->Chart()->Scene();
  const int lBaseSeries = lScene.SeriesCount();
  TIndicatorList &lList = lItem->IndicatorList();

  auto lMaInfo = std::make_unique<TMaIndicatorInfo>();
  lMaInfo->Period = 5, lMaInfo->LineColor = 0x00FF0000, lMaInfo->LineStyle = STYLE_DASH;
  lMaInfo->LineWidth = 2;
  TIndicatorItem *lMa = lList.Add(std::move(lMaInfo));
  lMa->FillSeries(&lItem->KlineList());
  auto *lLine = dynamic_cast<TLineSeries *>(lMa->GetSeries(0));
  ASSERT_TRUE(lLine);
  ASSERT_EQ(lLine->Count(), 25);
  EXPECT_DOUBLE_EQ(lLine->YValue(24), (126 + 127 + 128 + 129 + 130) / 5.0);
  EXPECT_EQ(lLine->Color(), QColor(Qt::blue));
  EXPECT_EQ(lLine->PenStyle(), Qt::DashLine);
  EXPECT_EQ(lLine->PenWidth(), 2);
  EXPECT_EQ(lLine->Cursor(), Qt::PointingHandCursor);

  TIndicatorItem *lFractal = lList.Add(std::make_unique<TFractalIndicatorInfo>());
  lFractal->FillSeries(&lItem->KlineList());
  ASSERT_EQ(lScene.SeriesCount(), lBaseSeries + 3);
  auto *lUp = dynamic_cast<TPointSeries *>(lFractal->GetSeries(0));
  auto *lDown = dynamic_cast<TPointSeries *>(lFractal->GetSeries(1));
  ASSERT_TRUE(lUp && lDown);
  EXPECT_EQ(lUp->PointerStyle(), psTriangle);
  EXPECT_EQ(lDown->PointerStyle(), psDownTriangle);
  EXPECT_EQ(lUp->PointerWidth(), 8);
  EXPECT_EQ(lUp->Color(), QColor(Qt::red));
  EXPECT_EQ(lUp->Count(), 0); // steadily rising klines have no fractals

  // Shift 3: the last three points fall past the newest kline; a fractal period of 1 reaches
  // before the first kline. Both are logged and the chart goes on.
  lLog.Clear();
  dynamic_cast<TMaIndicatorInfo &>(lMa->Info()).Shift = 3;
  dynamic_cast<TFractalIndicatorInfo &>(lFractal->Info()).Period = 1;
  lList.Refresh();
  EXPECT_EQ(lLine->Count(), 22);
  EXPECT_DOUBLE_EQ(lLine->XValue(0), lItem->SerCandles()->XValue(8));
  EXPECT_EQ(lUp->Count() + lDown->Count(), 0);
  EXPECT_EQ(lLog.Matching("TIndicatorItem.FillSeries error: ").size(), 2u);

  // New klines extend the indicators.
  Feed(*lItem, Minutes(101 * cMinute, 1));
  EXPECT_EQ(lLine->Count(), 23);

  lList.DeleteItem(lFractal);
  EXPECT_EQ(lScene.SeriesCount(), lBaseSeries + 1);
  EXPECT_EQ(lList.FindBySeries(lUp), nullptr);

  // Another interval: the old lines go with the old candles.
  lItem->SetInterval(h1);
  EXPECT_EQ(lLine->Count(), 0);
}

TEST_F(IndicatorsOnChart, DoubleClickOnALineSelectsItsIndicatorAndPopsTheMenu)
{
  QMenu lMenu;
  lMenu.addAction(QStringLiteral("Настройка"));
  fList->SetPmIndicator(&lMenu);
  TChartItem *lItem = FedChart();
  TIndicatorList &lList = lItem->IndicatorList();
  lList.Add(std::make_unique<TZigZagIndicatorInfo>())->FillSeries(&lItem->KlineList());
  TIndicatorItem *lMa = lList.Add(std::make_unique<TMaIndicatorInfo>());
  lMa->FillSeries(&lItem->KlineList());
  TChart *lChart = lItem->Chart();
  lChart->Scene().Layout();

  auto *lLine = dynamic_cast<TLineSeries *>(lMa->GetSeries(0));
  const QPoint lOn(qRound(lLine->CalcXPos(5)),
                   qRound(lChart->RightAxis().ValueToPixel(lLine->YValue(5))));
  QTest::mouseDClick(lChart, Qt::LeftButton, {}, lOn + QPoint(0, 40));
  EXPECT_EQ(lList.Selected(), nullptr);
  EXPECT_FALSE(lMenu.isVisible());
  QTest::mouseDClick(lChart, Qt::LeftButton, {}, lOn);
  EXPECT_EQ(lList.Selected(), lMa);
  EXPECT_TRUE(lMenu.isVisible());
  lMenu.hide();

  lList.DeleteItem(lMa);
  EXPECT_EQ(lList.Selected(), nullptr);
  EXPECT_EQ(lList.Count(), 1);
}

TEST_F(IndicatorsOnChart, CommandsAddEditAndDeleteTheSelectedIndicator)
{
  TChartItem *lItem = FedChart();
  lItem->SetActive(true);
  TIndicatorList &lList = lItem->IndicatorList();

  // A new indicator starts from its defaults whatever the object held.
  auto lInfo = std::make_unique<TMaIndicatorInfo>();
  lInfo->Shift = 9;
  AnswerDialog(QStringLiteral("3"));
  lItem->AddIndicator(std::move(lInfo));
  ASSERT_EQ(lList.Count(), 1);
  TIndicatorItem *lMa = lList.GetItem(0);
  EXPECT_EQ(lMa->GetSeries(0)->Count(), 27);
  const QJsonArray lSaved = FileIndicators(fList->GetFileName());
  ASSERT_EQ(lSaved.size(), 1);
  EXPECT_EQ(lSaved[0]["period"].toInt(), 3);
  EXPECT_EQ(lSaved[0]["shift"].toInt(), 0);

  // Without a selection the commands do nothing; edits are not saved until the next save.
  // The dialog took the focus from the chart; the double-click on the line gives it back.
  lItem->SetActive(true);
  fList->acIndicatorDeleteExecute();
  EXPECT_EQ(lList.Count(), 1);
  lList.SetSelected(lMa);
  AnswerDialog(QStringLiteral("10"));
  fList->acIndicatorSettingsExecute();
  EXPECT_EQ(lMa->GetSeries(0)->Count(), 20);
  EXPECT_EQ(FileIndicators(fList->GetFileName()).at(0)["period"].toInt(), 3);

  lItem->SetActive(true);
  fList->acIndicatorDeleteExecute();
  EXPECT_EQ(lList.Count(), 0);
  EXPECT_TRUE(FileIndicators(fList->GetFileName()).isEmpty());
}

TEST_F(IndicatorsOnChart, TemplatesCarryTheLookAndTheIndicators)
{
  TCoreTestEnv lEnv;
  TLogCapture lLog;
  TChartTemplates lTemplates;
  const QString lFolder = TChartTemplates::DoNotifyFolders();
  ASSERT_TRUE(QDir(lFolder).exists());

  TChartItem *lSource = FedChart();
  lSource->ChartSettings().Reset();
  lSource->ChartSettings().Background = 0;
  lSource->ChartSettings().ChartType = ctBar;
  lSource->IndicatorList().Add(std::make_unique<TMaIndicatorInfo>());
  lSource->IndicatorList().Add(std::make_unique<TFractalIndicatorInfo>());
  lTemplates.Save(lFolder + "/dark.tpl", *lSource);
  lTemplates.Save(lFolder + "/x.tpl.tpl", *lSource);
  QStringList lFiles = lTemplates.GetFileList();
  lFiles.sort();
  EXPECT_EQ(lFiles, (QStringList{"dark.tpl", "x.tpl.tpl"}));

  TChartItem *lTarget = FedChart();
  lTarget->LoadSettings(nullptr);
  TIndicatorList &lList = lTarget->IndicatorList();
  lList.Add(std::make_unique<TZigZagIndicatorInfo>())->FillSeries(&lTarget->KlineList());
  const int lSeriesBefore = lTarget->Chart()->Scene().SeriesCount();
  lTemplates.Load("dark", *lTarget);
  ASSERT_EQ(lList.Count(), 2);
  EXPECT_TRUE(dynamic_cast<TFractalIndicatorInfo *>(&lList.GetItem(1)->Info()));
  EXPECT_EQ(lList.GetItem(0)->GetSeries(0)->Count(), 16); // computed from the chart's klines
  EXPECT_EQ(lTarget->Chart()->Scene().SeriesCount(), lSeriesBefore - 1 + 3);
  EXPECT_EQ(lTarget->ChartSettings().Background, 0u);
  EXPECT_EQ(lTarget->SerCandles()->CandleStyle(), csCandleBar); // at once

  // Without "indicators" the chart keeps its own; an empty array removes them all.
  const auto lWrite = [&](const char *aName, const QByteArray &aText) {
    QFile lFile(lFolder + "/" + aName);
    lFile.open(QIODevice::WriteOnly);
    lFile.write(aText);
  };
  lWrite("plain.tpl", R"({"info":{"background":255}})");
  lWrite("none.tpl", R"({"info":{"background":65280},"indicators":[]})");
  lWrite("broken.tpl", "{oops");
  lTemplates.Load("plain", *lTarget);
  EXPECT_EQ(lTarget->ChartSettings().Background, 255u);
  EXPECT_EQ(lList.Count(), 2);
  lTemplates.Load("broken", *lTarget);
  lTemplates.Load("missing", *lTarget);
  EXPECT_EQ(lTarget->ChartSettings().Background, 255u);
  EXPECT_EQ(lLog.Matching("error reading broken.tpl").size(), 1u);
  lTemplates.Load("none", *lTarget);
  EXPECT_EQ(lList.Count(), 0);
  EXPECT_EQ(lTarget->ChartSettings().Background, 65280u);

  // Names, not paths: nothing outside the folder is deleted.
  QFile(lFolder + "/../outside.tpl").open(QIODevice::WriteOnly);
  lTemplates.Delete("../outside");
  EXPECT_TRUE(QFile::exists(lFolder + "/../outside.tpl"));
  lTemplates.Delete("dark");
  lTemplates.Delete("missing");
  EXPECT_FALSE(QFile::exists(lFolder + "/dark.tpl"));
}
