// The chart settings dialog: schemes, options, pins, the preview and the result, and the chart
// taking the result.

#include "chart_test_env.h"
#include "color_box.h"
#include "dlg_chart_settings.h"
#include "test_presenter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTimer>

using namespace chart_test;

namespace {

template <class T> T *Part(const QWidget &aForm, const char *aName)
{
  T *lPart = aForm.findChild<T *>(QLatin1String(aName));
  EXPECT_NE(lPart, nullptr) << aName;
  return lPart;
}

void ChooseScheme(TfmChartSettings &aForm, int aIndex)
{
  auto *lCombo = Part<QComboBox>(aForm, "cbColorScheme");
  lCombo->setCurrentIndex(aIndex);
  Q_EMIT lCombo->activated(aIndex);
}

// Runs aAnswer on the settings dialog once its modal run has started.
void AnswerDialog(std::function<void(TfmChartSettings &)> aAnswer)
{
  auto *lPoll = new QTimer();
  QObject::connect(lPoll, &QTimer::timeout, lPoll, [lPoll, aAnswer] {
    if (auto *lForm = qobject_cast<TfmChartSettings *>(QApplication::activeModalWidget())) {
      lPoll->deleteLater();
      aAnswer(*lForm);
    }
  });
  lPoll->start(10);
}

void Press(TfmChartSettings &aForm, const char *aButton)
{
  Part<QPushButton>(aForm, aButton)->click();
}

class DlgChartSettingsTest : public TChartListTest
{
protected:
  TPresenterGuard fBoxes;
};

} // namespace

TEST_F(DlgChartSettingsTest, SchemesSetTheirSixColoursAndKeepTheOptionsTicked)
{
  struct TCase
  {
    const char *Name;
    TColor Background, Text, Buy, Sell, Grid, Bar;
  };
  const TCase lCases[] = {
      {"Yellow On Black", 0, 0xFFFFFF, 0xFFFFFF, 0, 0x808080, 0x00FFFF},
      {"Green On Black", 0, 0xFFFFFF, 0xFFFFFF, 0, 0x808080, 0x00FF00},
      {"Black On White", 0xFFFFFF, 0, 0xFFFFFF, 0, 0x808080, 0},
      {"Red Green On White", 0xFFFFFF, 0, clLtGreen, clLtRed, 0x808080, 0},
  };
  TfmChartSettings lForm;
  TChartSettingsInfo lStart;
  lStart.Reset();
  lStart.ChartType = ctLine;
  lForm.SetInfo(lStart);
  EXPECT_EQ(Part<QComboBox>(lForm, "cbColorScheme")->currentIndex(), -1);
  Part<QCheckBox>(lForm, "chbShowGrid")->setChecked(true);
  Part<QRadioButton>(lForm, "rbCandle")->click();
  for (int i = 0; i < 4; ++i) {
    const TCase &lCase = lCases[i];
    SCOPED_TRACE(lCase.Name);
    EXPECT_EQ(Part<QComboBox>(lForm, "cbColorScheme")->itemText(i), lCase.Name);
    ChooseScheme(lForm, i);
    const TChartSettingsInfo lInfo = lForm.GetInfo();
    EXPECT_EQ(std::vector<TColor>(
                  {lInfo.Background, lInfo.Text, lInfo.Buy, lInfo.Sell, lInfo.Grid, lInfo.Bar}),
              std::vector<TColor>(
                  {lCase.Background, lCase.Text, lCase.Buy, lCase.Sell, lCase.Grid, lCase.Bar}));
    // The preview shows them: rising candles in the buy colour, falling in the sell colour.
    EXPECT_EQ(FromQColor(lForm.SerCandles()->UpColor()), lCase.Buy);
    EXPECT_EQ(FromQColor(lForm.SerCandles()->DownColor()), lCase.Sell);
    EXPECT_EQ(FromQColor(lForm.chartSettings()->Scene().Color()), lCase.Background);
    EXPECT_TRUE(lInfo.ShowGrid);
    EXPECT_EQ(lInfo.ChartType, ctCandle);
    EXPECT_EQ(lForm.SerCandles()->CandleStyle(), csCandleStick);
  }
}

TEST_F(DlgChartSettingsTest, ColourBoxesShowAnyColourAndTakeACustomOne)
{
  TfmChartSettings lForm;
  TChartSettingsInfo lInfo;
  lInfo.Background = 0x00123456; // no standard colour
  lInfo.Buy = clLtGreen;
  lForm.SetInfo(lInfo);
  auto *lBackground = Part<TColorBox>(lForm, "cbBackground");
  EXPECT_EQ(lBackground->currentText(), "#563412");
  EXPECT_EQ(FromQColor(lBackground->Selected()), 0x00123456u);
  EXPECT_EQ(Part<TColorBox>(lForm, "cbBuy")->currentText(), "Light Green");

  const TColorBox::TPickColor lOld = TColorBox::PickColor;
  std::optional<QColor> lAnswer = QColor(1, 2, 3);
  TColorBox::PickColor = [&](const QColor &, QWidget *) { return lAnswer; };
  auto *lGrid = Part<TColorBox>(lForm, "cbGrid");
  Q_EMIT lGrid->activated(TColorBox::cCustomIndex);
  EXPECT_EQ(lForm.Info().Grid, 0x00030201u);
  EXPECT_EQ(lForm.chartSettings()->Scene().BottomAxis().GridColor(), QColor(1, 2, 3));
  lAnswer.reset(); // cancelled: the box and the field keep the colour
  Q_EMIT lGrid->activated(TColorBox::cCustomIndex);
  EXPECT_EQ(lGrid->currentText(), "#010203");
  EXPECT_EQ(lForm.GetInfo().Grid, 0x00030201u);
  TColorBox::PickColor = lOld;
}

TEST_F(DlgChartSettingsTest, PinsFollowFixedScaleButAreAlwaysReturned)
{
  TfmChartSettings lForm;
  TChartSettingsInfo lInfo;
  lInfo.PinMin = 0.00012345;
  lInfo.PinMax = 65432.5;
  lForm.SetInfo(lInfo);
  auto *lFixed = Part<QCheckBox>(lForm, "chbFixedZoom");
  for (const char *lName : {"edPinMin", "edPinMax", "lblPinMin", "lblPinMax"})
    EXPECT_FALSE(Part<QWidget>(lForm, lName)->isEnabled()) << lName;
  EXPECT_EQ(lForm.GetInfo().PinMin, 0.00012345);
  EXPECT_EQ(lForm.GetInfo().PinMax, 65432.5);
  lFixed->click();
  for (const char *lName : {"edPinMin", "edPinMax", "lblPinMin", "lblPinMax"})
    EXPECT_TRUE(Part<QWidget>(lForm, lName)->isEnabled()) << lName;
  Part<QLineEdit>(lForm, "edPinMax")->setText("12.5");
  Part<QLineEdit>(lForm, "edPinMin")->setText("abc");
  EXPECT_EQ(lForm.GetInfo().PinMax, 12.5);
  EXPECT_EQ(lForm.GetInfo().PinMin, 0);
  Part<QLineEdit>(lForm, "edPinMin")->setText("inf");
  EXPECT_EQ(lForm.GetInfo().PinMin, 0);
}

TEST_F(DlgChartSettingsTest, PreviewNeedsMoreThanFiftyKlinesAndDrawsFiftyOne)
{
  struct TCase
  {
    int Klines;
    int Candles;
    int ZeroOpenTimes;
  };
  for (const TCase &lCase :
       {TCase{50, 0, 1}, TCase{51, 51, 0}, TCase{60, 51, 0}, TCase{51, 51, 2}}) {
    SCOPED_TRACE(testing::Message() << lCase.Klines << " klines");
    TKlineList lKlines;
    for (int i = 0; i < lCase.Klines; ++i)
      lKlines.Add(i < lCase.ZeroOpenTimes ? 0 : 1700000000000 + i * cMinute);
    const size_t lBoxesBefore = fBoxes.Presenter().Shown().size();
    TfmChartSettings lForm;
    lForm.SetKlineList(&lKlines);
    lForm.InitChart();
    EXPECT_EQ(lForm.SerCandles()->Count(), lCase.Candles);
    // One box per kline without an open time that the preview draws.
    const auto lShown = fBoxes.Presenter().Shown();
    EXPECT_EQ(lShown.size() - lBoxesBefore, size_t(lCase.Candles ? lCase.ZeroOpenTimes : 0));
    if (lShown.size() > lBoxesBefore) {
      EXPECT_EQ(lShown.back().Text, "OpenTimeEx = 0");
    }
  }
}

TEST_F(DlgChartSettingsTest, OkReturnsTheFormCancelKeepsTheCallersSettings)
{
  TKlineList lKlines;
  TChartSettingsInfo lInfo;
  lInfo.Reset();
  lInfo.Series = 0x00ABCDEF;
  lInfo.Zoom = z4;
  lInfo.Left = 46000;
  lInfo.ShowTips = true; // hidden box: kept through the dialog
  lInfo.Autonomic = true;
  AnswerDialog([](TfmChartSettings &aForm) {
    EXPECT_EQ(aForm.windowTitle(), "Настройки графика");
    EXPECT_EQ(aForm.size(), QSize(580, 390));
    EXPECT_EQ(Part<QTabWidget>(aForm, "pcSettings")->currentIndex(), 0);
    EXPECT_FALSE(Part<QCheckBox>(aForm, "chbShowTips")->isVisible());
    Part<QCheckBox>(aForm, "chbShowVolume")->setChecked(true);
    Press(aForm, "btnCancel");
  });
  EXPECT_FALSE(ExecuteDlgChartSettings(lKlines, lInfo));
  EXPECT_FALSE(lInfo.ShowVolume);

  AnswerDialog([](TfmChartSettings &aForm) {
    Part<QCheckBox>(aForm, "chbShowVolume")->setChecked(true);
    Part<QRadioButton>(aForm, "rbBar")->click();
    Press(aForm, "btnOk");
  });
  ASSERT_TRUE(ExecuteDlgChartSettings(lKlines, lInfo));
  EXPECT_TRUE(lInfo.ShowVolume && lInfo.ShowTips && lInfo.Autonomic);
  EXPECT_EQ(lInfo.ChartType, ctBar);
  EXPECT_EQ(lInfo.Buy, clLtGreen);
  EXPECT_EQ(lInfo.Series, 0u);
  EXPECT_EQ(lInfo.Zoom, z0);
  EXPECT_EQ(lInfo.Left, 0);

  // "Сброс" shows the defaults; only "ОК" hands them over.
  lInfo.Background = 0;
  AnswerDialog([](TfmChartSettings &aForm) {
    Press(aForm, "btnReset");
    Press(aForm, "btnOk");
  });
  ASSERT_TRUE(ExecuteDlgChartSettings(lKlines, lInfo));
  EXPECT_EQ(lInfo.Background, clWhite);
  EXPECT_FALSE(lInfo.ShowVolume || lInfo.ShowTips);
  EXPECT_EQ(lInfo.ChartType, ctCandle);
}

TEST_F(DlgChartSettingsTest, ChartTakesConfirmedSettingsKeepsItsZoomAndSaves)
{
  TChartItem *lItem = NewChart();
  lItem->ChartSettings().Zoom = z2;
  AnswerDialog([](TfmChartSettings &aForm) {
    ChooseScheme(aForm, 0);
    Press(aForm, "btnOk");
  });
  lItem->SetActive(true);
  fList->acChartSettingsExecute();
  EXPECT_EQ(lItem->ChartSettings().Bar, 0x0000FFFFu);
  EXPECT_EQ(lItem->ChartSettings().Zoom, z2);
  EXPECT_EQ(FromQColor(lItem->Chart()->Scene().Color()), 0u);
  EXPECT_TRUE(QFile::exists(fList->GetFileName()));
}
