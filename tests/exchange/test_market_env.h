#pragma once

#include "event_pump.h"

// Shared set-up of the market model tests: a private application folder, the singletons the
// model reaches, and a recorder of the queued notifications.

#include "d_classes.h"
#include "folders.h"
#include "sys_time.h"
#include "ui_writer.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <functional>
#include <vector>

namespace market_test {

using TNotifyRecorder = ::TEventRecorder;

// The singletons of the market model on a temporary user folder.
class TMarketEnv
{
public:
  TMarketEnv()
  {
    fOldAppData = qgetenv("APPDATA");
    qputenv("APPDATA", fDir.path().toLocal8Bit());
    Folders = std::make_unique<TFolders>();
    SysTime = std::make_unique<TSysTime>();
    UIWriter = std::make_unique<TUIWriter>();
    UIWriter->Publisher().Subscribe(&Recorder, 0);
  }
  ~TMarketEnv()
  {
    UIWriter->Publisher().Unsubscribe(&Recorder, 0);
    UIWriter.reset();
    SysTime.reset();
    Folders.reset();
    qputenv("APPDATA", fOldAppData);
  }
  QString SymbolsFolder() const { return Folders->Folder(afUserRoaming) + "/Symbols"; }

  TNotifyRecorder Recorder;

private:
  QTemporaryDir fDir;
  QByteArray fOldAppData;
};

} // namespace market_test
