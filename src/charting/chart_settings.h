#pragma once

#include "consts.h"

#include <QColor>

class QJsonObject;
class TChart;
class TCandleSeries;
class TLineSeries;
class TPointSeries;

enum class TChartType { ctBar = 0, ctCandle = 1, ctLine = 2 };
using enum TChartType;

// A chart's colours, display options, chart type, fixed price range, zoom level and left edge,
// as stored with the chart in charts.json and in templates. A new object is all zero until
// Reset, Load, Assign or SetInfo fills it.
class TChartSettingsInfo
{
public:
  TColor Background = 0;
  TColor Text = 0;
  TColor Buy = 0;
  TColor Sell = 0;
  TColor Series = 0; // stored only
  TColor Grid = 0;
  TColor Bar = 0;
  bool Autonomic = false;  // stored only
  bool ChartOnTop = false; // stored only
  bool ChartShift = false;
  bool ChartAutoMove = false;
  bool FixedZoom11 = false; // stored only
  bool FixedZoom = false;
  double PinMin = 0;
  double PinMax = 0;
  TChartType ChartType = ctBar;
  bool ShowOHLC = false;
  bool ShowAsk = false; // stored only
  bool ShowPeriods = false;
  bool ShowGrid = false;
  bool ShowVolume = false;
  bool ShowTips = false; // stored only
  TZoom Zoom = z0;
  TDateTime Left = 0;

  // Every field but Zoom and Left.
  void Assign(const TChartSettingsInfo &aSource);
  // The defaults; Zoom and Left stay.
  void Reset();
  // Every key of the object; a missing key gives 0 / false. A left edge of 0 becomes one day
  // before now.
  void Load(const QJsonObject &aJson);
  // Writes every key into aJson; its other keys stay.
  void Save(QJsonObject &aJson) const;

  // Applies colours, chart type and grids to a chart and its series.
  void GetInfo(TChart &aChart, TCandleSeries &aCandles, TPointSeries &aBuy, TPointSeries &aSell,
               TLineSeries &aPriceLine) const;
  // Reads back what a chart shows: colours, grid and chart type.
  void SetInfo(TChart &aChart, const TCandleSeries &aCandles);
};

// $00BBGGRR values and the toolkit's colours.
QColor ToQColor(TColor aColor);
TColor FromQColor(const QColor &aColor);

// "Now" in the charts' fixed UTC+3 representation: the exchange clock once it has been set,
// else the machine's UTC clock plus three hours. Never the machine's local time.
TDateTime ChartNow();
