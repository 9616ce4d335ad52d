#include "folders.h"

#include "log_writer.h"
#include "utils.h"

#include <QDir>

#include <exception>
#include <stdexcept>

std::unique_ptr<TFolders> Folders;

TFolders::TFolders()
{
  try {
    Init();
  } catch (const std::exception &lError) {
    WriteLog(QStringLiteral("TFolders.Create error: ") + QString::fromUtf8(lError.what()), mtAlert);
    throw std::runtime_error(lError.what());
  }
}

QString TFolders::UserFolder(const QString &aVariable)
{
  QString lPath = GetWin(aVariable) + QStringLiteral("/Norvale/Vexa");
  while (lPath.size() > 1 && lPath.endsWith(QLatin1Char('/')))
    lPath.chop(1);
  return QDir::cleanPath(lPath);
}

void TFolders::Init()
{
  try {
    fFolders[static_cast<size_t>(afExe)] = ExeFolder();
    fFolders[static_cast<size_t>(afLocal)].clear();
    fFolders[static_cast<size_t>(afRoaming)].clear();
    fFolders[static_cast<size_t>(afUserLocal)] = UserFolder(QStringLiteral("%LOCALAPPDATA%"));
    fFolders[static_cast<size_t>(afUserRoaming)] = UserFolder(QStringLiteral("%APPDATA%"));
    for (const QString &lPath : fFolders)
      if (!lPath.isEmpty() && !QDir().mkpath(lPath))
        throw std::runtime_error(
            QStringLiteral("Unable to create directory \"%1\"").arg(lPath).toStdString());
  } catch (const std::exception &lError) {
    WriteLog(QStringLiteral("TFolders.Init error: ") + QString::fromUtf8(lError.what()), mtAlert);
  }
}
