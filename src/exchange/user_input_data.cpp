#include "user_input_data.h"

QString TUserInputData::Symbol() const
{
  QMutexLocker lLock(&fSymbolLock);
  return fSymbol;
}

void TUserInputData::SetSymbol(const QString &aValue)
{
  QMutexLocker lLock(&fSymbolLock);
  fSymbol = aValue;
}

void TUserInputData::SetAuth(TUserAuth aValue)
{
  if (fAuthUpdated)
    fBufferAuth = aValue;
  else
    fAuth = aValue;
}

void TUserInputData::AuthBeginUpdate()
{
  fAuthUpdated = true;
  fBufferAuth = fAuth;
}

void TUserInputData::AuthCommitUpdate()
{
  fAuthUpdated = false;
  fAuth = fBufferAuth;
}

void TUserInputData::AuthRollbackUpdate()
{
  fAuthUpdated = false;
}
