#include "chart_templates.h"

#include "chart_item.h"
#include "folders.h"
#include "log_writer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <exception>
#include <stdexcept>

std::unique_ptr<TChartTemplates> ChartTemplates;

TChartTemplates::TChartTemplates()
{
  const QString lFolder = DoNotifyFolders();
  if (!lFolder.isEmpty() && !QDir().mkpath(lFolder))
    WriteLog(QStringLiteral("TChartTemplates.Create error: Unable to create directory \"%1\"")
                 .arg(lFolder),
             mtAlert);
}

QString TChartTemplates::DoNotifyFolders()
{
  try {
    if (!Folders)
      throw std::runtime_error("no application folders");
    const QString lRoaming = Folders->Folder(afUserRoaming);
    if (lRoaming.isEmpty())
      throw std::runtime_error("no user folder");
    return lRoaming + QStringLiteral("/Templates");
  } catch (const std::exception &e) {
    WriteLog(QStringLiteral("TChartTemplates.DoNotifyFolders error: ") +
                 QString::fromUtf8(e.what()),
             mtAlert);
  }
  return {};
}

QString TChartTemplates::PathOf(const QString &aName)
{
  const QString lFolder = DoNotifyFolders();
  // A name is a file of the folder, never a path out of it.
  if (lFolder.isEmpty() || aName.isEmpty() || aName.contains(QLatin1Char('/')) ||
      aName.contains(QLatin1Char('\\')) || aName == QLatin1String(".."))
    return {};
  return lFolder + QLatin1Char('/') + aName + QStringLiteral(".tpl");
}

QStringList TChartTemplates::GetFileList() const
{
  const QString lFolder = DoNotifyFolders();
  if (lFolder.isEmpty())
    return {};
  return QDir(lFolder).entryList({QStringLiteral("*.tpl")},
                                 QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
}

void TChartTemplates::Load(const QString &aName, TChartItem &aChart)
{
  const QString lPath = PathOf(aName);
  if (!lPath.isEmpty())
    aChart.LoadTemplate(lPath);
}

void TChartTemplates::Save(const QString &aFileName, TChartItem &aChart)
{
  aChart.SaveTemplate(aFileName);
}

void TChartTemplates::Delete(const QString &aName)
{
  const QString lPath = PathOf(aName);
  if (!lPath.isEmpty() && QFileInfo::exists(lPath))
    QFile::remove(lPath);
}
