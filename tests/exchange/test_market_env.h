#pragma once

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

// Records every event the UI writer publishes.
class TNotifyRecorder : public TDObject
{
public:
  void Notification(int aEventID, void *) override { Events.push_back(aEventID); }
  int Count(int aEventID) const
  {
    int lCount = 0;
    for (int lEvent : Events)
      lCount += lEvent == aEventID ? 1 : 0;
    return lCount;
  }
  std::vector<int> Events;
};

// Processes GUI events until aDone holds or aTimeoutMs passed; answers aDone's last value.
inline bool PumpUntil(const std::function<bool()> &aDone, int aTimeoutMs = 3000)
{
  QElapsedTimer lTimer;
  lTimer.start();
  while (!aDone()) {
    if (lTimer.elapsed() > aTimeoutMs)
      return aDone();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  }
  return true;
}

// Lets queued notifications arrive for a short while (to prove that none comes).
inline void PumpFor(int aMs)
{
  QElapsedTimer lTimer;
  lTimer.start();
  while (lTimer.elapsed() < aMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

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

