#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class TChartItem;

// The folder of chart templates (.tpl files: a chart's settings and indicators). The files
// themselves are written and read by the chart item.
class TChartTemplates
{
public:
  // Creates the folder when it is missing.
  TChartTemplates();

  // The templates folder; empty (and logged) when it cannot be told.
  static QString DoNotifyFolders();
  // File names (with ".tpl", without folder) in the order the file system lists them.
  QStringList GetFileList() const;
  // Applies the template of that name (without ".tpl") to aChart.
  void Load(const QString &aName, TChartItem &aChart);
  // Saves aChart's look as a template at a full path.
  void Save(const QString &aFileName, TChartItem &aChart);
  // Deletes the template of that name; nothing when there is none.
  void Delete(const QString &aName);

private:
  static QString PathOf(const QString &aName);
};

extern std::unique_ptr<TChartTemplates> ChartTemplates;
