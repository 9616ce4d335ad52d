#include "sys_time.h"

#include "events.h"
#include "utils.h"
#include "workflow.h"

std::unique_ptr<TSysTime> SysTime;

namespace {
constexpr double cOneSecond = 1.0 / 86400.0;
}

TSysTime::TSysTime() = default;

bool TSysTime::DoActionTimerTick()
{
  ++fTickCounter;
  if (fTickCounter % 5 == 0 || fTickCounter == 1)
    DoEvery5Second();
  DoEverySecond();
  // An unset clock stays unset: a tick from zero would pass for a server time, and signed
  // requests would go out stamped 1899.
  if (HasTime())
    SetTime(Time() + cOneSecond);
  return true;
}

void TSysTime::SetTime(TDateTime aValue)
{
  fTime = aValue;
  DoOnce();
  const auto lMinute = static_cast<std::uint16_t>(MinuteOf(aValue));
  if (lMinute != fLastMinute) {
    fLastMinute = lMinute;
    DoEveryMinute();
  }
  TDateTime lTime = aValue;
  fPublisher.Notify(BASE_MAIN_SYSTIME, &lTime);
}

void TSysTime::DoOnce()
{
  if (Workflow)
    Workflow->DoOnce();
}

void TSysTime::DoEverySecond()
{
  if (Workflow)
    Workflow->DoEverySecond();
}

void TSysTime::DoEvery5Second()
{
  if (Workflow)
    Workflow->DoEvery5Second();
}

void TSysTime::DoEveryMinute()
{
  if (Workflow)
    Workflow->DoEveryMinute();
}

QString TSysTime::GetTimeStamp() const
{
  return QString::number(DateToStamp(Time()));
}
