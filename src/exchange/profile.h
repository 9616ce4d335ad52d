#pragma once

#include "connection_item.h"
#include "ui_visible.h"

#include <QString>

#include <memory>

// The accounts the trader works with: the main account and up to ten further ones, kept in
// config.json with their keys enciphered. Used on the GUI thread only.
class TProfile
{
public:
  // UIVisible follows the mode of Workflow when it exists, wfmTrade otherwise.
  TProfile();
  explicit TProfile(TWorkflowMode aMode);

  // Loads config.json; true whatever the load gave (its failures have been shown).
  bool Init();
  // Reads config.json; writes a fresh-start file when there is none. Failures are shown with
  // Alert and give false; what was read before a failure stays.
  bool LoadFromFile();
  bool LoadDefault() { return true; }
  // Writes config.json (owner-only, replaced whole). Failures are shown with Alert.
  bool SaveToFile();

  // The buffer while a main-account edit is open, else the main account.
  TConnectionItem *MainProfile() const { return fBuffer ? fBuffer.get() : fMain.get(); }
  TConnectionItem *GetMainProfile() const { return MainProfile(); }
  TConnectionItems &Connections() { return fConnections; }
  TConnectionItems &GetConnections() { return fConnections; }
  TUIVisible &UIVisible() { return fUIVisible; }

  // The login dialog edits and tests a copy of the main account's keys; only a commit
  // carries them over.
  void MainBeginUpdate();
  void MainCommitUpdate();
  void MainRollbackUpdate();
  bool MainUpdating() const { return fBuffer != nullptr; }

  // config.json beside the executable unless set otherwise (tests, tools).
  const QString &FileName() const { return fFileName; }
  void SetFileName(const QString &aFileName) { fFileName = aFileName; }

private:
  void ReadConfig();
  // Copies a file that was read only in part aside before a save can replace it; the text
  // for the trader says where it went (or that saving stays off for this run).
  QString KeepOriginal();

  TUIVisible fUIVisible;
  std::unique_ptr<TConnectionItem> fMain = std::make_unique<TConnectionItem>();
  std::unique_ptr<TConnectionItem> fBuffer;
  TConnectionItems fConnections{this};
  QString fFileName;
  bool fPartial = false;
  bool fSaveBlocked = false;
};

extern std::unique_ptr<TProfile> Profile;
