#pragma once

#include "consts.h"
#include "d_classes.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

// The exchange clock: advanced one second per tick, replaced by every server-time answer,
// and the source of the timestamp of signed requests.
class TSysTime
{
public:
  TSysTime();

  // Written on the GUI thread only; read as one value from any thread.
  TDateTime Time() const { return fTime.load(); }
  // False until the first server time has been set.
  bool HasTime() const { return Time() != 0.0; }
  void SetTime(TDateTime aValue);
  bool DoActionTimerTick();

  void DoOnce();
  void DoEverySecond();
  void DoEvery5Second();
  void DoEveryMinute();

  QString GetTimeStamp() const;
  QString TimeStampStr() const { return GetTimeStamp(); }

  std::int32_t TickCounter() const { return fTickCounter; }
  TDPublisher &Publisher() { return fPublisher; }

private:
  std::atomic<TDateTime> fTime = 0.0;
  std::int32_t fTickCounter = -1;
  std::uint16_t fLastMinute = 0;
  TDPublisher fPublisher;
};

extern std::unique_ptr<TSysTime> SysTime;
