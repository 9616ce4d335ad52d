#include "timer.h"

#include "sys_time.h"

#include <QTimerEvent>

std::unique_ptr<TTimer> Timer;

TTimer::TTimer() = default;

TTimer::~TTimer()
{
  Deinit();
}

void TTimer::Init()
{
  if (fTimerID == 0)
    fTimerID = startTimer(cMainTimerInterval, Qt::PreciseTimer);
  fEnabled = fTimerID != 0;
}

void TTimer::Deinit()
{
  if (fTimerID != 0)
    killTimer(fTimerID);
  fTimerID = 0;
  fEnabled = false;
}

int TTimer::WMTimer(int aTimerID)
{
  if (aTimerID == cMainTimerIndex && SysTime)
    SysTime->DoActionTimerTick();
  return -1;
}

void TTimer::timerEvent(QTimerEvent *aEvent)
{
  if (aEvent->timerId() == fTimerID)
    WMTimer(cMainTimerIndex);
  else
    QObject::timerEvent(aEvent);
}
