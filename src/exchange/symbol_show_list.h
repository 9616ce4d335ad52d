#pragma once

#include "symbol.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The symbol list and the user's visible selection of it (the show list), with named symbol
// sets saved as text files in the "Symbols" folder, one name per line ended by CR LF.
class TSymbolShowList
{
public:
  // Creates the "Symbols" folder when it is missing.
  TSymbolShowList();
  TSymbolShowList(const TSymbolShowList &) = delete;
  TSymbolShowList &operator=(const TSymbolShowList &) = delete;

  TSymbolList &SymbolList() { return fSymbolList; }
  const TSymbolList &SymbolList() const { return fSymbolList; }

  int Count() const { return static_cast<int>(fShowList.size()); }
  int GetCount() const { return Count(); }
  // The symbol of line aIndex, or none when its name is not (or no longer) known.
  TSymbol *GetItem(int aIndex) const;
  TSymbol *Items(int aIndex) const { return GetItem(aIndex); }
  QString Name(int aIndex) const;
  QStringList Names() const;

  // The folder of the saved sets; empty (and logged) when it cannot be resolved.
  void DoNotifyFolders(QString &aPath) const;
  QString SymbolsFolder() const;

  void FillShowSymbols();
  void HideSymbols(const QStringList &aList);
  void DeleteSymbol(const QString &aName);
  // Replaces the show list by the set saved under aFileName in the "Symbols" folder; raises
  // std::runtime_error when the file cannot be read (the show list is then unchanged).
  void LoadFromFile(const QString &aFileName);
  // Writes the show list to the full path aFileName; raises std::runtime_error on failure.
  void SaveToFile(const QString &aFileName) const;
  void DeleteSaved(const QString &aFileName);
  // Names of the saved sets, as the file system lists them.
  QStringList GetFileList() const;
  QStringList FileList() const { return GetFileList(); }

  // Points every line at the symbol of the same name in the symbol list again. Runs after the
  // symbol list was rebuilt, before any view reads a line.
  void Relink();

private:
  struct TLine
  {
    QString Name;
    QString Key; // TSymbolList::Key(Name), for relinking without folding again
    TSymbol *Symbol;
  };
  // The path of a saved set's name inside the folder; raises for names that leave it.
  QString SavedPath(const QString &aFileName) const;
  static void NotifySymbols();

  TSymbolList fSymbolList;
  std::vector<TLine> fShowList;
};
