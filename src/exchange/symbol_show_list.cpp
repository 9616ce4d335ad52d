#include "symbol_show_list.h"

#include "events.h"
#include "folders.h"
#include "log_writer.h"
#include "ui_writer.h"
#include "utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <QSet>
#include <stdexcept>

TSymbolShowList::TSymbolShowList()
{
  QString lPath;
  DoNotifyFolders(lPath);
  if (!lPath.isEmpty() && !QDir(lPath).exists())
    QDir().mkpath(lPath);
}

TSymbol *TSymbolShowList::GetItem(int aIndex) const
{
  if (aIndex < 0 || aIndex >= Count())
    return nullptr;
  return fShowList[static_cast<size_t>(aIndex)].Symbol;
}

QString TSymbolShowList::Name(int aIndex) const
{
  if (aIndex < 0 || aIndex >= Count())
    return QString();
  return fShowList[static_cast<size_t>(aIndex)].Name;
}

QStringList TSymbolShowList::Names() const
{
  QStringList lResult;
  lResult.reserve(Count());
  for (const TLine &lLine : fShowList)
    lResult.append(lLine.Name);
  return lResult;
}

void TSymbolShowList::DoNotifyFolders(QString &aPath) const
{
  try {
    if (!Folders)
      throw std::runtime_error("no application folders");
    const QString &lRoot = Folders->Folder(afUserRoaming);
    if (lRoot.isEmpty())
      throw std::runtime_error("the user folder is not known");
    aPath = lRoot + QStringLiteral("/Symbols");
  } catch (const std::exception &e) {
    aPath.clear();
    WriteLog(QStringLiteral("TCacheReader.DoNotifyFolders error: ") + QString::fromUtf8(e.what()),
             mtAlert);
  }
}

QString TSymbolShowList::SymbolsFolder() const
{
  QString lPath;
  DoNotifyFolders(lPath);
  return lPath;
}

void TSymbolShowList::NotifySymbols()
{
  if (UIWriter)
    UIWriter->Post(BASE_MAIN_SYMBOLS);
}

void TSymbolShowList::FillShowSymbols()
{
  std::vector<TLine> lLines;
  lLines.reserve(static_cast<size_t>(fSymbolList.Count()));
  for (int i = 0; i < fSymbolList.Count(); ++i) {
    TSymbol *lSymbol = fSymbolList.GetItem(i);
    lLines.push_back(TLine{lSymbol->Name(), TSymbolList::Key(lSymbol->Name()), lSymbol});
  }
  fShowList = std::move(lLines);
  NotifySymbols();
}

void TSymbolShowList::HideSymbols(const QStringList &aList)
{
  QSet<QString> lKeep;
  for (const QString &lName : aList)
    lKeep.insert(TSymbolList::Key(lName));
  std::erase_if(fShowList, [&](const TLine &aLine) { return !lKeep.contains(aLine.Key); });
  NotifySymbols();
}

void TSymbolShowList::DeleteSymbol(const QString &aName)
{
  const QString lKey = TSymbolList::Key(aName);
  for (auto lIt = fShowList.begin(); lIt != fShowList.end(); ++lIt) {
    if (lIt->Key == lKey) {
      fShowList.erase(lIt);
      NotifySymbols();
      return;
    }
  }
}

QString TSymbolShowList::SavedPath(const QString &aFileName) const
{
  // Set names come from the folder listing; a name with a path in it is not one of them.
  if (aFileName.isEmpty() || aFileName.contains(QLatin1Char('/')) ||
      aFileName == QLatin1String(".") || aFileName == QLatin1String(".."))
    throw std::runtime_error(
        QStringLiteral("Invalid symbol set name \"%1\"").arg(aFileName).toStdString());
  const QString lFolder = SymbolsFolder();
  if (lFolder.isEmpty())
    throw std::runtime_error("the \"Symbols\" folder is not known");
  return lFolder + QLatin1Char('/') + aFileName;
}

void TSymbolShowList::LoadFromFile(const QString &aFileName)
{
  const QString lPath = SavedPath(aFileName);
  QFile lFile(lPath);
  if (!lFile.open(QIODevice::ReadOnly))
    throw std::runtime_error(QStringLiteral("Cannot open file \"%1\". %2")
                                 .arg(lPath, lFile.errorString())
                                 .toStdString());
  const QByteArray lData = lFile.readAll();
  if (lFile.error() != QFileDevice::NoError)
    throw std::runtime_error(QStringLiteral("Cannot read file \"%1\". %2")
                                 .arg(lPath, lFile.errorString())
                                 .toStdString());
  std::vector<TLine> lLines;
  for (const QByteArray &lRaw : lData.split('\n')) {
    const QString lName = QString::fromLocal8Bit(lRaw).trimmed();
    if (lName.isEmpty())
      continue;
    QString lKey = TSymbolList::Key(lName);
    TSymbol *lSymbol = fSymbolList.FindKey(lKey);
    lLines.push_back(TLine{lName, std::move(lKey), lSymbol});
  }
  fShowList = std::move(lLines);
  NotifySymbols();
}

void TSymbolShowList::SaveToFile(const QString &aFileName) const
{
  QByteArray lData;
  for (const TLine &lLine : fShowList) {
    lData += lLine.Name.toLocal8Bit();
    lData += "\r\n";
  }
  SaveFileAtomic(aFileName, lData);
}

void TSymbolShowList::DeleteSaved(const QString &aFileName)
{
  const QString lPath = SavedPath(aFileName);
  if (QFileInfo::exists(lPath))
    QFile::remove(lPath);
}

QStringList TSymbolShowList::GetFileList() const
{
  const QString lFolder = SymbolsFolder();
  if (lFolder.isEmpty())
    return {};
  return QDir(lFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Unsorted);
}

void TSymbolShowList::Relink()
{
  for (TLine &lLine : fShowList)
    lLine.Symbol = fSymbolList.FindKey(lLine.Key);
}
