#include "connection_item.h"

#include "account_threads.h"
#include "trade_engine_client.h"
#include "user.h"
#include "workflow.h"

#include <memory>

TUserAuth TConnectionItem::AccountEx(TConnectionItem *aProfile, bool aFree)
{
  if (!Workflow || Workflow->State() != wfsWorking)
    return uaUndefined;
  auto lThread = std::make_unique<TAccountThread>(aProfile);
  if (aFree) {
    TWorkerThread::StartFreeOnTerminate(std::move(lThread));
    return uaUndefined;
  }
  lThread->SetTimeWaitLimit(cConnectTimeoutMs + cReadTimeoutMs);
  // WaitFor keeps the GUI thread's events running: the request first waits for the server
  // time, whose answer is applied on the GUI thread, and hands its output over there.
  lThread->Start();
  lThread->WaitFor();
  return lThread->Auth();
}

bool TConnectionItem::CheckLoaded()
{
  const TUserInputData *lInput = User ? User->Input() : nullptr;
  const bool lAuthorised = lInput && lInput->Auth() == uaAuth;
  const bool lSymbolSelected = lInput && !lInput->Symbol().isEmpty();
  switch (CheckLoadedStep(*this, lAuthorised, lSymbolSelected)) {
  case clsOpenOrders:
    User->OpenOrdersEx(this);
    return false;
  case clsHistory:
    User->AllOrdersEx(this);
    return false;
  case clsAccount:
    AccountEx(this, true);
    return false;
  case clsComplete:
  case clsNothing:
    break;
  }
  return true;
}
