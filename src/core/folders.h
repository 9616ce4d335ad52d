#pragma once

#include <QString>

#include <array>
#include <memory>

enum class TAppFolder { afExe = 0, afLocal = 1, afRoaming = 2, afUserLocal = 3, afUserRoaming = 4 };
using enum TAppFolder;

class TFolders
{
public:
  TFolders();

  void Init();
  const QString &Folder(TAppFolder aFolder) const { return fFolders[static_cast<size_t>(aFolder)]; }

  // The per-user folder under an environment root: root/Norvale/Vexa.
  static QString UserFolder(const QString &aVariable);

private:
  std::array<QString, 5> fFolders;
};

extern std::unique_ptr<TFolders> Folders;
