#include "charts_file.h"

#include "utils.h"

#include <QFileInfo>

#include <algorithm>
#include <stdexcept>

TChartRecord TChartRecord::FromJson(const QJsonObject &aJson)
{
  TChartRecord lRecord;
  lRecord.Symbol = aJson.value(QLatin1String("symbol")).toString();
  lRecord.Interval = static_cast<TChartInterval>(
      std::clamp(aJson.value(QLatin1String("interval")).toInt(), 0, cChartIntervalCount - 1));
  lRecord.Bounds = QRect(
      aJson.value(QLatin1String("left")).toInt(), aJson.value(QLatin1String("top")).toInt(),
      aJson.value(QLatin1String("width")).toInt(), aJson.value(QLatin1String("height")).toInt());
  lRecord.State = std::clamp(aJson.value(QLatin1String("state")).toInt(), 0, 2);
  lRecord.Settings.Load(aJson);
  const QJsonValue lIndicators = aJson.value(QLatin1String("indicators"));
  lRecord.HasIndicators = lIndicators.isArray();
  lRecord.Indicators = lIndicators.toArray();
  return lRecord;
}

QJsonObject TChartRecord::ToJson() const
{
  QJsonObject lJson;
  lJson.insert(QLatin1String("symbol"), Symbol);
  lJson.insert(QLatin1String("interval"), static_cast<int>(Interval));
  lJson.insert(QLatin1String("left"), Bounds.left());
  lJson.insert(QLatin1String("top"), Bounds.top());
  lJson.insert(QLatin1String("width"), Bounds.width());
  lJson.insert(QLatin1String("height"), Bounds.height());
  lJson.insert(QLatin1String("state"), State);
  Settings.Save(lJson);
  lJson.insert(QLatin1String("indicators"), Indicators);
  return lJson;
}

TChartsFile TChartsFile::Read(const QString &aFileName)
{
  const std::optional<QJsonObject> lRoot = LoadJsonFile(aFileName);
  if (!lRoot)
    throw std::runtime_error("error reading " + QFileInfo(aFileName).fileName().toStdString());
  TChartsFile lFile;
  const QJsonValue lCharts = lRoot->value(QLatin1String("charts"));
  if (lCharts.isUndefined())
    return lFile;
  lFile.HasCharts = true;
  lFile.Full = lRoot->value(QLatin1String("full")).toBool();
  for (const QJsonValue &lChart : lCharts.toArray())
    lFile.Charts.push_back(TChartRecord::FromJson(lChart.toObject()));
  return lFile;
}

bool TChartsFile::Write(const QString &aFileName) const
{
  QJsonArray lCharts;
  for (const TChartRecord &lRecord : Charts)
    lCharts.append(lRecord.ToJson());
  QJsonObject lRoot;
  lRoot.insert(QLatin1String("charts"), lCharts);
  lRoot.insert(QLatin1String("full"), Full);
  return SaveJsonFile(lRoot, aFileName);
}
