#pragma once

#include "chart_settings.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TCandleSeries;
class TChart;
class TColorBox;
class TKlineList;
class TLineSeries;
class TPointSeries;

// "Настройки графика": a chart's colours, colour schemes, display options and chart type, with
// a preview drawn from the chart's own klines. Only "ОК" produces a result (GetInfo).
class TfmChartSettings : public QDialog
{
  Q_OBJECT
public:
  explicit TfmChartSettings(QWidget *aParent = nullptr);

  // Starts from aInfo (zoom and left edge are not taken) and shows it.
  void SetInfo(const TChartSettingsInfo &aInfo);
  // What the form shows; zoom, left edge and the stored-only series colour are 0.
  TChartSettingsInfo GetInfo() const;
  void SetKlineList(const TKlineList *aKlineList) { fKlineList = aKlineList; }
  // The preview's candles: the first 51 klines of the list, none with 50 or fewer.
  void InitChart();

  const TChartSettingsInfo &Info() const { return fInfo; }
  TChart *chartSettings() const { return fChart; }
  TCandleSeries *SerCandles() const { return fSerCandles; }

  // Preview data: more klines than this are needed, and this many plus one are drawn.
  static constexpr int cPreviewMin = 50;

protected:
  void showEvent(QShowEvent *aEvent) override;

private:
  void BuildColorsPage(QWidget *aPage);
  void BuildGeneralPage(QWidget *aPage);
  void FillColors();
  void FillChart();
  void RefreshFixed();
  // Takes the options shown on the form into fInfo, so that refilling keeps what was ticked.
  void TakeOptions();
  void cbColorChange();
  void cbColorSchemeChange(int aIndex);
  void rbBarClick();
  void btnResetClick();

  TChartSettingsInfo fInfo;
  const TKlineList *fKlineList = nullptr;

  QTabWidget *pcSettings = nullptr;
  TChart *fChart = nullptr;
  TCandleSeries *fSerCandles = nullptr;
  TLineSeries *serPrice = nullptr;
  TPointSeries *serBuy = nullptr;
  TPointSeries *serSell = nullptr;
  QComboBox *cbColorScheme = nullptr;
  TColorBox *cbBackground = nullptr;
  TColorBox *cbText = nullptr;
  TColorBox *cbBuy = nullptr;
  TColorBox *cbSell = nullptr;
  TColorBox *cbBar = nullptr;
  TColorBox *cbGrid = nullptr;
  QCheckBox *chbAutonomic = nullptr;
  QCheckBox *chbChartOnTop = nullptr;
  QCheckBox *chbChartShift = nullptr;
  QCheckBox *chbChartAutoMove = nullptr;
  QCheckBox *chbFixedZoom11 = nullptr;
  QCheckBox *chbFixedZoom = nullptr;
  QLabel *lblPinMax = nullptr;
  QLineEdit *edPinMax = nullptr;
  QLabel *lblPinMin = nullptr;
  QLineEdit *edPinMin = nullptr;
  QCheckBox *chbShowOHLC = nullptr;
  QCheckBox *chbShowAsk = nullptr;
  QCheckBox *chbShowPeriods = nullptr;
  QCheckBox *chbShowGrid = nullptr;
  QCheckBox *chbShowVolume = nullptr;
  QCheckBox *chbShowTips = nullptr;
  QRadioButton *rbBar = nullptr;
  QRadioButton *rbCandle = nullptr;
  QRadioButton *rbLine = nullptr;
  QPushButton *btnOk = nullptr;
  QPushButton *btnCancel = nullptr;
  QPushButton *btnReset = nullptr;
};

// Shows the dialog modally for aInfo with aKlineList in the preview; on "ОК" aInfo becomes the
// dialog's result and true is returned, otherwise aInfo stays as it was.
bool ExecuteDlgChartSettings(const TKlineList &aKlineList, TChartSettingsInfo &aInfo,
                             QWidget *aParent = nullptr);
