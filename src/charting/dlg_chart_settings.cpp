#include "dlg_chart_settings.h"

#include "chart.h"
#include "color_box.h"
#include "kline.h"
#include "utils.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QVBoxLayout>

#include <array>
#include <cmath>

namespace {

struct TColorScheme
{
  const char *Name;
  TColor Background, Text, Buy, Sell, Grid, Bar;
};

constexpr std::array<TColorScheme, 4> cColorSchemes = {{
    {"Yellow On Black", 0x00000000, 0x00FFFFFF, 0x00FFFFFF, 0x00000000, 0x00808080, 0x0000FFFF},
    {"Green On Black", 0x00000000, 0x00FFFFFF, 0x00FFFFFF, 0x00000000, 0x00808080, 0x0000FF00},
    {"Black On White", 0x00FFFFFF, 0x00000000, 0x00FFFFFF, 0x00000000, 0x00808080, 0x00000000},
    {"Red Green On White", 0x00FFFFFF, 0x00000000, 0x00C0F1D8, 0x00D8C0F1, 0x00808080, 0x00000000},
}};

QLocale PinLocale()
{
  QLocale lLocale;
  lLocale.setNumberOptions(QLocale::OmitGroupSeparator);
  return lLocale;
}

QString PinText(double aValue)
{
  return PinLocale().toString(aValue, 'g', QLocale::FloatingPointShortest);
}

// The user's decimal separator or a point; anything else, infinities included, is 0.
double PinValue(const QString &aText)
{
  bool lOk = false;
  double lValue = PinLocale().toDouble(aText.trimmed(), &lOk);
  if (!lOk)
    lValue = QLocale::c().toDouble(aText.trimmed(), &lOk);
  return lOk && std::isfinite(lValue) ? lValue : 0;
}

QCheckBox *CheckBox(QWidget *aParent, const char *aName, const QString &aCaption,
                    bool aVisible = true)
{
  auto *lBox = new QCheckBox(aCaption, aParent);
  lBox->setObjectName(QLatin1String(aName));
  lBox->setVisible(aVisible);
  return lBox;
}

TCandleStyle StyleOf(TChartType aType)
{
  switch (aType) {
  case ctBar:
    return csCandleBar;
  case ctLine:
    return csLine;
  case ctCandle:
    break;
  }
  return csCandleStick;
}

} // namespace

TfmChartSettings::TfmChartSettings(QWidget *aParent) : QDialog(aParent)
{
  setObjectName(QStringLiteral("fmChartSettings"));
  setWindowTitle(QStringLiteral("Настройки графика"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(580, 390);

  auto *lRoot = new QVBoxLayout(this);
  lRoot->setContentsMargins(8, 8, 8, 8);
  pcSettings = new QTabWidget(this);
  pcSettings->setObjectName(QStringLiteral("pcSettings"));
  auto *lColors = new QWidget(pcSettings);
  lColors->setObjectName(QStringLiteral("tsColors"));
  auto *lGeneral = new QWidget(pcSettings);
  lGeneral->setObjectName(QStringLiteral("tsGeneral"));
  BuildColorsPage(lColors);
  BuildGeneralPage(lGeneral);
  pcSettings->addTab(lColors, QStringLiteral("Цвета"));
  pcSettings->addTab(lGeneral, QStringLiteral("Общие"));
  pcSettings->setCurrentIndex(0);
  lRoot->addWidget(pcSettings, 1);

  auto *lButtons = new QHBoxLayout();
  btnReset = new QPushButton(QStringLiteral("Сброс"), this);
  btnReset->setObjectName(QStringLiteral("btnReset"));
  btnReset->setAutoDefault(false);
  btnOk = new QPushButton(QStringLiteral("ОК"), this);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Отмена"), this);
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  btnCancel->setAutoDefault(false);
  lButtons->addWidget(btnReset);
  lButtons->addStretch(1);
  lButtons->addWidget(btnOk);
  lButtons->addWidget(btnCancel);
  lRoot->addLayout(lButtons);
  connect(btnReset, &QPushButton::clicked, this, &TfmChartSettings::btnResetClick);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  FillColors();
}

void TfmChartSettings::BuildColorsPage(QWidget *aPage)
{
  auto *lGrid = new QGridLayout(aPage);
  lGrid->setContentsMargins(6, 6, 6, 6);
  lGrid->setHorizontalSpacing(8);

  auto *lSchemeRow = new QHBoxLayout();
  auto *lSchemeLabel = new QLabel(QStringLiteral("Цветовая схема"), aPage);
  cbColorScheme = new QComboBox(aPage);
  cbColorScheme->setObjectName(QStringLiteral("cbColorScheme"));
  for (const TColorScheme &lScheme : cColorSchemes)
    cbColorScheme->addItem(QLatin1String(lScheme.Name));
  cbColorScheme->setCurrentIndex(-1);
  lSchemeLabel->setBuddy(cbColorScheme);
  lSchemeRow->addWidget(lSchemeLabel);
  lSchemeRow->addWidget(cbColorScheme, 1);
  lGrid->addLayout(lSchemeRow, 0, 0, 1, 2);
  connect(cbColorScheme, &QComboBox::activated, this, &TfmChartSettings::cbColorSchemeChange);

  fChart = new TChart(aPage);
  fChart->setObjectName(QStringLiteral("chartSettings"));
  fChart->setFixedSize(364, 240);
  fChart->SetAllowPanning(pmNone);
  TChartScene &lScene = fChart->Scene();
  lScene.TopAxis().SetVisible(false);
  lScene.LeftAxis().SetVisible(false);
  lScene.BottomAxis().SetDateTime(true);
  lScene.BottomAxis().SetDateTimeFormat(QStringLiteral("hh:mm"));
  fSerCandles = lScene.AddCandleSeries();
  serPrice = lScene.AddLineSeries();
  serBuy = lScene.AddPointSeries();
  serBuy->SetPointerStyle(psTriangle);
  serBuy->SetPointerSize(8, 8);
  serSell = lScene.AddPointSeries();
  serSell->SetPointerStyle(psDownTriangle);
  serSell->SetPointerSize(13, 13);
  lGrid->addWidget(fChart, 1, 0, Qt::AlignLeft | Qt::AlignTop);

  auto *lBoxes = new QFormLayout();
  lBoxes->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
  const std::pair<TColorBox **, std::pair<const char *, QString>> lColorBoxes[] = {
      {&cbBackground, {"cbBackground", QStringLiteral("Фон:")}},
      {&cbText, {"cbText", QStringLiteral("Текст:")}},
      {&cbBuy, {"cbBuy", QStringLiteral("Buy:")}},
      {&cbSell, {"cbSell", QStringLiteral("Sell:")}},
      {&cbBar, {"cbBar", QStringLiteral("Бар:")}},
      {&cbGrid, {"cbGrid", QStringLiteral("Сетка:")}}};
  for (const auto &[lBox, lNames] : lColorBoxes) {
    *lBox = new TColorBox(aPage);
    (*lBox)->setObjectName(QLatin1String(lNames.first));
    lBoxes->addRow(lNames.second, *lBox);
    connect(*lBox, &TColorBox::ColorChanged, this, &TfmChartSettings::cbColorChange);
  }
  lGrid->addLayout(lBoxes, 1, 1, Qt::AlignTop);
  lGrid->setRowStretch(2, 1);
}

void TfmChartSettings::BuildGeneralPage(QWidget *aPage)
{
  auto *lColumns = new QHBoxLayout(aPage);
  lColumns->setContentsMargins(10, 10, 10, 10);
  lColumns->setSpacing(20);

  auto *lLeft = new QVBoxLayout();
  chbAutonomic = CheckBox(aPage, "chbAutonomic", QStringLiteral("Автономный график"), false);
  chbChartOnTop = CheckBox(aPage, "chbChartOnTop", QStringLiteral("График сверху"), false);
  chbChartShift = CheckBox(aPage, "chbChartShift", QStringLiteral("Смещение графика"));
  chbChartAutoMove = CheckBox(aPage, "chbChartAutoMove", QStringLiteral("Автопрокрутка графика"));
  chbFixedZoom11 = CheckBox(aPage, "chbFixedZoom11", QStringLiteral("Фиксировать масштаб  1:1"));
  chbFixedZoom = CheckBox(aPage, "chbFixedZoom", QStringLiteral("Фиксировать масштаб"));
  for (QCheckBox *lBox :
       {chbAutonomic, chbChartOnTop, chbChartShift, chbChartAutoMove, chbFixedZoom11, chbFixedZoom})
    lLeft->addWidget(lBox);
  connect(chbFixedZoom, &QCheckBox::clicked, this, &TfmChartSettings::RefreshFixed);
  auto *lPins = new QFormLayout();
  lPins->setContentsMargins(20, 0, 0, 0);
  lblPinMax = new QLabel(QStringLiteral("Закрепить максимум"), aPage);
  lblPinMax->setObjectName(QStringLiteral("lblPinMax"));
  edPinMax = new QLineEdit(aPage);
  edPinMax->setObjectName(QStringLiteral("edPinMax"));
  lblPinMin = new QLabel(QStringLiteral("Закрепить минимум"), aPage);
  lblPinMin->setObjectName(QStringLiteral("lblPinMin"));
  edPinMin = new QLineEdit(aPage);
  edPinMin->setObjectName(QStringLiteral("edPinMin"));
  lPins->addRow(lblPinMax, edPinMax);
  lPins->addRow(lblPinMin, edPinMin);
  lLeft->addLayout(lPins);
  lLeft->addStretch(1);

  auto *lRight = new QVBoxLayout();
  chbShowOHLC = CheckBox(aPage, "chbShowOHLC", QStringLiteral("Показывать OHLC"));
  chbShowAsk = CheckBox(aPage, "chbShowAsk", QStringLiteral("Показывать линию Ask"), false);
  chbShowPeriods =
      CheckBox(aPage, "chbShowPeriods", QStringLiteral("Показывать разделители периодов"));
  chbShowGrid = CheckBox(aPage, "chbShowGrid", QStringLiteral("Показывать сетку"));
  chbShowVolume = CheckBox(aPage, "chbShowVolume", QStringLiteral("Показывать объемы"));
  chbShowTips =
      CheckBox(aPage, "chbShowTips", QStringLiteral("Показывать описание объектов"), false);
  for (QCheckBox *lBox :
       {chbShowOHLC, chbShowAsk, chbShowPeriods, chbShowGrid, chbShowVolume, chbShowTips})
    lRight->addWidget(lBox);
  auto *lTypes = new QGroupBox(QStringLiteral("Тип графика"), aPage);
  auto *lTypesLayout = new QVBoxLayout(lTypes);
  auto *lTypeGroup = new QButtonGroup(this);
  const std::pair<QRadioButton **, std::pair<const char *, QString>> lRadios[] = {
      {&rbBar, {"rbBar", QStringLiteral("Бары")}},
      {&rbCandle, {"rbCandle", QStringLiteral("Японские свечи")}},
      {&rbLine, {"rbLine", QStringLiteral("Линия")}}};
  for (const auto &[lRadio, lNames] : lRadios) {
    *lRadio = new QRadioButton(lNames.second, lTypes);
    (*lRadio)->setObjectName(QLatin1String(lNames.first));
    lTypeGroup->addButton(*lRadio);
    lTypesLayout->addWidget(*lRadio);
    connect(*lRadio, &QRadioButton::clicked, this, &TfmChartSettings::rbBarClick);
  }
  lRight->addSpacing(6);
  lRight->addWidget(lTypes);
  lRight->addStretch(1);

  lColumns->addLayout(lLeft, 1);
  lColumns->addLayout(lRight, 1);
}

void TfmChartSettings::showEvent(QShowEvent *aEvent)
{
  QDialog::showEvent(aEvent);
  if (const QScreen *lScreen = screen())
    move(lScreen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TfmChartSettings::SetInfo(const TChartSettingsInfo &aInfo)
{
  fInfo.Assign(aInfo);
  FillColors();
}

void TfmChartSettings::FillColors()
{
  cbBackground->SetSelected(ToQColor(fInfo.Background));
  cbText->SetSelected(ToQColor(fInfo.Text));
  cbBuy->SetSelected(ToQColor(fInfo.Buy));
  cbSell->SetSelected(ToQColor(fInfo.Sell));
  cbBar->SetSelected(ToQColor(fInfo.Bar));
  cbGrid->SetSelected(ToQColor(fInfo.Grid));
  chbAutonomic->setChecked(fInfo.Autonomic);
  chbChartOnTop->setChecked(fInfo.ChartOnTop);
  chbChartShift->setChecked(fInfo.ChartShift);
  chbChartAutoMove->setChecked(fInfo.ChartAutoMove);
  chbFixedZoom11->setChecked(fInfo.FixedZoom11);
  chbFixedZoom->setChecked(fInfo.FixedZoom);
  chbShowOHLC->setChecked(fInfo.ShowOHLC);
  chbShowAsk->setChecked(fInfo.ShowAsk);
  chbShowPeriods->setChecked(fInfo.ShowPeriods);
  chbShowGrid->setChecked(fInfo.ShowGrid);
  chbShowVolume->setChecked(fInfo.ShowVolume);
  chbShowTips->setChecked(fInfo.ShowTips);
  edPinMin->setText(PinText(fInfo.PinMin));
  edPinMax->setText(PinText(fInfo.PinMax));
  // A chart type from a damaged file selects no button; "ОК" then gives bars.
  QButtonGroup *lGroup = rbBar->group();
  lGroup->setExclusive(false);
  rbBar->setChecked(fInfo.ChartType == ctBar);
  rbCandle->setChecked(fInfo.ChartType == ctCandle);
  rbLine->setChecked(fInfo.ChartType == ctLine);
  lGroup->setExclusive(true);
  RefreshFixed();
  FillChart();
}

void TfmChartSettings::FillChart()
{
  fInfo.GetInfo(*fChart, *fSerCandles, *serBuy, *serSell, *serPrice);
  // The preview keeps the style chosen on the form, which fInfo takes only on "ОК".
  rbBarClick();
}

void TfmChartSettings::RefreshFixed()
{
  const bool lFixed = chbFixedZoom->isChecked();
  for (QWidget *lWidget : {static_cast<QWidget *>(edPinMax), static_cast<QWidget *>(lblPinMax),
                           static_cast<QWidget *>(edPinMin), static_cast<QWidget *>(lblPinMin)})
    lWidget->setEnabled(lFixed);
}

void TfmChartSettings::cbColorChange()
{
  fInfo.Background = FromQColor(cbBackground->Selected());
  fInfo.Text = FromQColor(cbText->Selected());
  fInfo.Buy = FromQColor(cbBuy->Selected());
  fInfo.Sell = FromQColor(cbSell->Selected());
  fInfo.Bar = FromQColor(cbBar->Selected());
  fInfo.Grid = FromQColor(cbGrid->Selected());
  FillChart();
}

void TfmChartSettings::TakeOptions()
{
  const TChartSettingsInfo lShown = GetInfo();
  const TColor lSeries = fInfo.Series;
  fInfo.Assign(lShown);
  fInfo.Series = lSeries;
}

void TfmChartSettings::cbColorSchemeChange(int aIndex)
{
  if (aIndex < 0 || aIndex >= static_cast<int>(cColorSchemes.size()))
    return;
  TakeOptions();
  const TColorScheme &lScheme = cColorSchemes[static_cast<size_t>(aIndex)];
  fInfo.Background = lScheme.Background;
  fInfo.Text = lScheme.Text;
  fInfo.Buy = lScheme.Buy;
  fInfo.Sell = lScheme.Sell;
  fInfo.Grid = lScheme.Grid;
  fInfo.Bar = lScheme.Bar;
  FillColors();
}

void TfmChartSettings::rbBarClick()
{
  if (rbBar->isChecked())
    fSerCandles->SetCandleStyle(StyleOf(ctBar));
  else if (rbCandle->isChecked())
    fSerCandles->SetCandleStyle(StyleOf(ctCandle));
  else if (rbLine->isChecked())
    fSerCandles->SetCandleStyle(StyleOf(ctLine));
}

void TfmChartSettings::btnResetClick()
{
  TChartSettingsInfo lDefaults;
  lDefaults.Reset();
  SetInfo(lDefaults);
}

void TfmChartSettings::InitChart()
{
  fChart->BottomAxis().SetAutomatic(true);
  fChart->RightAxis().SetAutomatic(true);
  fSerCandles->Clear();
  if (!fKlineList || fKlineList->Count() <= cPreviewMin)
    return;
  fSerCandles->BeginUpdate();
  try {
    for (int i = 0; i <= cPreviewMin; ++i) {
      const TKline *lKline = fKlineList->GetItem(i);
      const TDateTime lTime = lKline->OpenTimeEx();
      if (lKline->OpenTime() <= 0 || lTime == 0)
        Alert(QStringLiteral("OpenTimeEx = 0"));
      fSerCandles->AddOHLC(lTime, lKline->Open, lKline->High, lKline->Low, lKline->Close);
    }
  } catch (const std::exception &) {
    // A preview that could not be filled shows what it got; the settings do not depend on it.
  }
  fSerCandles->EndUpdate();
}

TChartSettingsInfo TfmChartSettings::GetInfo() const
{
  TChartSettingsInfo lInfo;
  lInfo.Background = FromQColor(cbBackground->Selected());
  lInfo.Text = FromQColor(cbText->Selected());
  lInfo.Buy = FromQColor(cbBuy->Selected());
  lInfo.Sell = FromQColor(cbSell->Selected());
  lInfo.Grid = FromQColor(cbGrid->Selected());
  lInfo.Bar = FromQColor(cbBar->Selected());
  lInfo.Autonomic = chbAutonomic->isChecked();
  lInfo.ChartOnTop = chbChartOnTop->isChecked();
  lInfo.ChartShift = chbChartShift->isChecked();
  lInfo.ChartAutoMove = chbChartAutoMove->isChecked();
  lInfo.FixedZoom11 = chbFixedZoom11->isChecked();
  lInfo.FixedZoom = chbFixedZoom->isChecked();
  lInfo.PinMin = PinValue(edPinMin->text());
  lInfo.PinMax = PinValue(edPinMax->text());
  lInfo.ChartType = rbCandle->isChecked() ? ctCandle : rbLine->isChecked() ? ctLine : ctBar;
  lInfo.ShowOHLC = chbShowOHLC->isChecked();
  lInfo.ShowAsk = chbShowAsk->isChecked();
  lInfo.ShowPeriods = chbShowPeriods->isChecked();
  lInfo.ShowGrid = chbShowGrid->isChecked();
  lInfo.ShowVolume = chbShowVolume->isChecked();
  lInfo.ShowTips = chbShowTips->isChecked();
  return lInfo;
}

bool ExecuteDlgChartSettings(const TKlineList &aKlineList, TChartSettingsInfo &aInfo,
                             QWidget *aParent)
{
  TfmChartSettings lForm(aParent);
  lForm.SetInfo(aInfo);
  lForm.SetKlineList(&aKlineList);
  lForm.InitChart();
  if (lForm.exec() != QDialog::Accepted)
    return false;
  aInfo = lForm.GetInfo();
  return true;
}
