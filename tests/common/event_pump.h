#pragma once

#include "d_classes.h"

#include <QCoreApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <functional>
#include <vector>

// Serves the GUI thread until aDone holds or aTimeoutMs passed; answers aDone's last value.
inline bool PumpUntil(const std::function<bool()> &aDone, int aTimeoutMs = 10000)
{
  QElapsedTimer lTimer;
  lTimer.start();
  while (!aDone() && lTimer.elapsed() < aTimeoutMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return aDone();
}

// Lets queued notifications arrive for a while (to prove that none comes).
inline void PumpFor(int aMs)
{
  QElapsedTimer lTimer;
  lTimer.start();
  while (lTimer.elapsed() < aMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Records every event a publisher delivers to it, in order.
class TEventRecorder : public TDObject
{
public:
  void Notification(int aEventID, void *) override { Events.push_back(aEventID); }
  int Count(int aEventID) const
  {
    return static_cast<int>(std::count(Events.begin(), Events.end(), aEventID));
  }
  int Total() const { return static_cast<int>(Events.size()); }

  std::vector<int> Events;
};
