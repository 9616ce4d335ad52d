#pragma once

#include "consts.h"

#include <QMutex>
#include <QString>

// The user's input state. Symbol is written on the GUI thread and read by request threads
// while they build their queries, so it is read and written under a lock as one value.
class TUserInputData
{
public:
  QString Symbol() const;
  void SetSymbol(const QString &aValue);

  bool NoZeroBalance() const { return fNoZeroBalance; }
  void SetNoZeroBalance(bool aValue) { fNoZeroBalance = aValue; }
  bool Multi() const { return fMulti; }
  void SetMulti(bool aValue) { fMulti = aValue; }
  TDateTime Time() const { return fTime; }
  void SetTime(TDateTime aValue) { fTime = aValue; }

  TUserAuth GetAuth() const { return fAuthUpdated ? fBufferAuth : fAuth; }
  void SetAuth(TUserAuth aValue);
  TUserAuth Auth() const { return GetAuth(); }

  void AuthBeginUpdate();
  void AuthCommitUpdate();
  void AuthRollbackUpdate();

private:
  mutable QMutex fSymbolLock;
  QString fSymbol;
  bool fNoZeroBalance = false;
  TDateTime fTime = 0;
  TUserAuth fAuth = uaUndefined;
  TUserAuth fBufferAuth = uaUndefined;
  bool fAuthUpdated = false;
  bool fMulti = false;
};
