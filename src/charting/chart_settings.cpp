#include "chart_settings.h"

#include "chart.h"
#include "sys_time.h"
#include "utils.h"

#include <QDateTime>
#include <QJsonObject>

#include <algorithm>

namespace {

TColor JsonColor(const QJsonObject &aJson, const char *aKey)
{
  return static_cast<TColor>(aJson.value(QLatin1String(aKey)).toInteger());
}

bool JsonBool(const QJsonObject &aJson, const char *aKey)
{
  return aJson.value(QLatin1String(aKey)).toBool();
}

double JsonDouble(const QJsonObject &aJson, const char *aKey)
{
  return aJson.value(QLatin1String(aKey)).toDouble();
}

} // namespace

void TChartSettingsInfo::Assign(const TChartSettingsInfo &aSource)
{
  const TZoom lZoom = Zoom;
  const TDateTime lLeft = Left;
  *this = aSource;
  Zoom = lZoom;
  Left = lLeft;
}

void TChartSettingsInfo::Reset()
{
  TChartSettingsInfo lDefaults;
  lDefaults.Background = clWhite;
  lDefaults.Text = 0;
  lDefaults.Buy = clLtGreen;
  lDefaults.Sell = clLtRed;
  lDefaults.Series = 0;
  lDefaults.Grid = 0x00808080;
  lDefaults.Bar = 0;
  lDefaults.ChartType = ctCandle;
  Assign(lDefaults);
}

void TChartSettingsInfo::Load(const QJsonObject &aJson)
{
  Background = JsonColor(aJson, "background");
  Text = JsonColor(aJson, "text");
  Buy = JsonColor(aJson, "buy");
  Sell = JsonColor(aJson, "sell");
  Series = JsonColor(aJson, "series");
  Grid = JsonColor(aJson, "grid");
  Bar = JsonColor(aJson, "bar");
  Autonomic = JsonBool(aJson, "autonomic");
  ChartOnTop = JsonBool(aJson, "chartOnTop");
  ChartShift = JsonBool(aJson, "chartShift");
  ChartAutoMove = JsonBool(aJson, "chartAutoMove");
  FixedZoom11 = JsonBool(aJson, "fixedZoom11");
  FixedZoom = JsonBool(aJson, "fixedZoom");
  PinMin = JsonDouble(aJson, "pinMin");
  PinMax = JsonDouble(aJson, "pinMax");
  ChartType = static_cast<TChartType>(aJson.value(QLatin1String("chartType")).toInt());
  ShowOHLC = JsonBool(aJson, "showOHLC");
  ShowAsk = JsonBool(aJson, "showAsk");
  ShowPeriods = JsonBool(aJson, "showPeriods");
  ShowGrid = JsonBool(aJson, "showGrid");
  ShowVolume = JsonBool(aJson, "showVolume");
  ShowTips = JsonBool(aJson, "showTips");
  // A level outside the table would index past it everywhere the zoom is used.
  Zoom =
      static_cast<TZoom>(std::clamp(aJson.value(QLatin1String("zoom")).toInt(), 0, cZoomCount - 1));
  Left = JsonDouble(aJson, "left_bar");
  if (Left == 0)
    Left = ChartNow() - 1;
}

void TChartSettingsInfo::Save(QJsonObject &aJson) const
{
  aJson.insert(QLatin1String("background"), static_cast<qint64>(Background));
  aJson.insert(QLatin1String("text"), static_cast<qint64>(Text));
  aJson.insert(QLatin1String("buy"), static_cast<qint64>(Buy));
  aJson.insert(QLatin1String("sell"), static_cast<qint64>(Sell));
  aJson.insert(QLatin1String("series"), static_cast<qint64>(Series));
  aJson.insert(QLatin1String("grid"), static_cast<qint64>(Grid));
  aJson.insert(QLatin1String("bar"), static_cast<qint64>(Bar));
  aJson.insert(QLatin1String("autonomic"), Autonomic);
  aJson.insert(QLatin1String("chartOnTop"), ChartOnTop);
  aJson.insert(QLatin1String("chartShift"), ChartShift);
  aJson.insert(QLatin1String("chartAutoMove"), ChartAutoMove);
  aJson.insert(QLatin1String("fixedZoom11"), FixedZoom11);
  aJson.insert(QLatin1String("fixedZoom"), FixedZoom);
  aJson.insert(QLatin1String("pinMin"), PinMin);
  aJson.insert(QLatin1String("pinMax"), PinMax);
  aJson.insert(QLatin1String("chartType"), static_cast<int>(ChartType));
  aJson.insert(QLatin1String("showOHLC"), ShowOHLC);
  aJson.insert(QLatin1String("showAsk"), ShowAsk);
  aJson.insert(QLatin1String("showPeriods"), ShowPeriods);
  aJson.insert(QLatin1String("showGrid"), ShowGrid);
  aJson.insert(QLatin1String("showVolume"), ShowVolume);
  aJson.insert(QLatin1String("showTips"), ShowTips);
  aJson.insert(QLatin1String("zoom"), static_cast<int>(Zoom));
  aJson.insert(QLatin1String("left_bar"), Left);
}

TDateTime ChartNow()
{
  if (SysTime) {
    const TDateTime lTime = SysTime->Time();
    if (lTime != 0)
      return lTime;
  }
  return StampToDate(QDateTime::currentMSecsSinceEpoch());
}

QColor ToQColor(TColor aColor)
{
  return QColor(aColor & 0xFF, (aColor >> 8) & 0xFF, (aColor >> 16) & 0xFF);
}

TColor FromQColor(const QColor &aColor)
{
  return static_cast<TColor>(aColor.red()) | (static_cast<TColor>(aColor.green()) << 8) |
         (static_cast<TColor>(aColor.blue()) << 16);
}

void TChartSettingsInfo::GetInfo(TChart &aChart, TCandleSeries &aCandles, TPointSeries &aBuy,
                                 TPointSeries &aSell, TLineSeries &aPriceLine) const
{
  TChartScene &lScene = aChart.Scene();
  lScene.SetColor(ToQColor(Background));
  lScene.SetBackWallColor(ToQColor(Background));
  aCandles.SetUpColor(ToQColor(Buy));
  aBuy.SetColor(ToQColor(Buy));
  aCandles.SetDownColor(ToQColor(Sell));
  aSell.SetColor(ToQColor(Sell));
  for (TChartAxis *lAxis :
       {&lScene.BottomAxis(), &lScene.TopAxis(), &lScene.LeftAxis(), &lScene.RightAxis()}) {
    lAxis->SetLabelColor(ToQColor(Text));
    lAxis->SetGridColor(ToQColor(Grid));
    lAxis->SetMinorGridColor(ToQColor(Grid));
    lAxis->SetMinorTickColor(ToQColor(Grid));
    lAxis->SetTickColor(ToQColor(Grid));
    lAxis->SetInnerTickColor(ToQColor(Grid));
    lAxis->SetLineColor(ToQColor(Text));
  }
  aCandles.SetPenColor(ToQColor(Bar));
  switch (ChartType) {
  case ctBar:
    aCandles.SetCandleStyle(csCandleBar);
    break;
  case ctCandle:
    aCandles.SetCandleStyle(csCandleStick);
    break;
  case ctLine:
    aCandles.SetCandleStyle(csLine);
    break;
  }
  aPriceLine.SetColor(FromQColor(lScene.Color()) == 0 ? Qt::white : Qt::black);
  lScene.BottomAxis().SetGridVisible(ShowGrid);
  lScene.BottomAxis().SetMinorGridVisible(ShowGrid);
  lScene.RightAxis().SetGridVisible(ShowGrid);
  lScene.RightAxis().SetMinorGridVisible(false);
}

void TChartSettingsInfo::SetInfo(TChart &aChart, const TCandleSeries &aCandles)
{
  TChartScene &lScene = aChart.Scene();
  Background = FromQColor(lScene.BackWallColor());
  Text = FromQColor(lScene.BottomAxis().LabelColor());
  Buy = FromQColor(aCandles.UpColor());
  Sell = FromQColor(aCandles.DownColor());
  Grid = FromQColor(lScene.BottomAxis().GridColor());
  Bar = FromQColor(aCandles.PenColor());
  ShowGrid = lScene.BottomAxis().GridVisible();
  switch (aCandles.CandleStyle()) {
  case csCandleStick:
    ChartType = ctCandle;
    break;
  case csCandleBar:
    ChartType = ctBar;
    break;
  case csLine:
    ChartType = ctLine;
    break;
  case csOpenClose:
    break;
  }
}
