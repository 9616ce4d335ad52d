#pragma once

#include "chart_settings.h"
#include "consts.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QRect>
#include <QString>

#include <vector>

// One open chart as charts.json keeps it: symbol, interval, window bounds and state, the
// settings keys in the same object, and the indicators.
struct TChartRecord
{
  QString Symbol;
  TChartInterval Interval = m1;
  QRect Bounds;
  int State = 0; // 0 normal, 1 minimized, 2 maximized
  TChartSettingsInfo Settings;
  bool HasIndicators = false;
  QJsonArray Indicators;

  // Missing keys give 0 / false / empty; values outside their range are brought into it.
  static TChartRecord FromJson(const QJsonObject &aJson);
  QJsonObject ToJson() const;
};

// The root of charts.json: the charts in list order and the full (tabbed) mode.
struct TChartsFile
{
  bool Full = false;
  bool HasCharts = false; // the file had a "charts" member
  std::vector<TChartRecord> Charts;

  // Raises std::runtime_error("error reading charts.json") when the file yields no object.
  static TChartsFile Read(const QString &aFileName);
  // Writes the whole file through a temporary one; false when it could not be written.
  bool Write(const QString &aFileName) const;
};
