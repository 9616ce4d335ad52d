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
  if (aFree) {
    TConnectionItem *lAccount = aProfile ? aProfile : MainAccount();
    std::shared_ptr<void> lSlot = lAccount ? lAccount->BeginRequest(adBalances, true) : nullptr;
    if (!lSlot)
      return uaUndefined;
    auto lThread = std::make_unique<TAccountThread>(lAccount);
    lThread->HoldSlot(std::move(lSlot));
    TWorkerThread::StartFreeOnTerminate(std::move(lThread));
    return uaUndefined;
  }
  auto lThread = std::make_unique<TAccountThread>(aProfile);
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
  // A request still outstanding is waited for, not repeated: the exchange counts every one.
  switch (CheckLoadedStep(*this, lAuthorised, lSymbolSelected)) {
  case clsOpenOrders:
    if (!Pending(adOpenOrders))
      User->OpenOrdersEx(this);
    return false;
  case clsHistory:
    if (!Pending(adHistory))
      User->AllOrdersEx(this);
    return false;
  case clsAccount:
    if (!Pending(adBalances))
      AccountEx(this, true);
    return false;
  case clsComplete:
  case clsNothing:
    break;
  }
  return true;
}

void TConnectionItem::RequestAgain(TAccountData aKind)
{
  switch (aKind) {
  case adBalances:
    AccountEx(this, true);
    break;
  case adOpenOrders:
    if (User)
      User->OpenOrdersEx(this);
    break;
  case adHistory:
    if (User)
      User->AllOrdersEx(this);
    break;
  }
}
