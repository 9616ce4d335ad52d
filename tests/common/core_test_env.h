#pragma once

#include "event_pump.h"
#include "folders.h"
#include "sys_time.h"
#include "ui_writer.h"

#include <QTemporaryDir>

#include <memory>

// The core singletons that model code and requests reach, on a private roaming folder, with a
// recorder of every queued notification.
class TCoreTestEnv
{
public:
  TCoreTestEnv()
  {
    fOldAppData = qgetenv("APPDATA");
    qputenv("APPDATA", fDir.path().toLocal8Bit());
    Folders = std::make_unique<TFolders>();
    SysTime = std::make_unique<TSysTime>();
    UIWriter = std::make_unique<TUIWriter>();
    UIWriter->Publisher().Subscribe(&Recorder, 0);
  }
  ~TCoreTestEnv()
  {
    UIWriter->Publisher().Unsubscribe(&Recorder, 0);
    UIWriter.reset();
    SysTime.reset();
    Folders.reset();
    qputenv("APPDATA", fOldAppData);
  }
  TCoreTestEnv(const TCoreTestEnv &) = delete;
  TCoreTestEnv &operator=(const TCoreTestEnv &) = delete;

  QString SymbolsFolder() const { return Folders->Folder(afUserRoaming) + "/Symbols"; }

  // Serves the GUI thread until every notification queued so far has been delivered: the
  // writer hands items over in push order, so a mark pushed now arrives after all of them.
  bool DrainNotifications(int aTimeoutMs = 10000)
  {
    const int lBefore = Recorder.Count(cDrainMark);
    UIWriter->Post(cDrainMark);
    return PumpUntil([&] { return Recorder.Count(cDrainMark) > lBefore; }, aTimeoutMs);
  }
  // An event ID no part of the terminal uses.
  static constexpr int cDrainMark = 999999;

  TEventRecorder Recorder;

private:
  QTemporaryDir fDir;
  QByteArray fOldAppData;
};
