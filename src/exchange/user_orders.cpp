#include "user.h"

#include "account_threads.h"
#include "order_threads.h"
#include "user_order.h"
#include "workflow.h"

#include <memory>

namespace {

bool Working()
{
  return Workflow && Workflow->State() == wfsWorking;
}

// One outstanding request per account and list; one asked meanwhile follows it.
template <class T> void StartListRequest(TConnectionItem *aAccount, TAccountData aKind)
{
  TConnectionItem *lAccount = aAccount ? aAccount : MainAccount();
  if (!lAccount)
    return;
  std::shared_ptr<void> lSlot = lAccount->BeginRequest(aKind, true);
  if (!lSlot)
    return;
  auto lThread = std::make_unique<T>(lAccount);
  lThread->HoldSlot(std::move(lSlot));
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
}

} // namespace

void TUser::OpenOrdersEx(TConnectionItem *aAccount)
{
  if (Working())
    StartListRequest<TOpenOrdersThread>(aAccount, adOpenOrders);
}

void TUser::AllOrdersEx(TConnectionItem *aAccount)
{
  // The exchange refuses the history without a symbol; it loads once one is selected.
  if (Working() && fInputData && !fInputData->Symbol().isEmpty())
    StartListRequest<TAllOrdersThread>(aAccount, adHistory);
}

void TUser::OrderPost(const TOrder &aOrder, TConnectionItem *aAccount, bool aMulti)
{
  if (!Working())
    return;
  TWorkerThread::StartFreeOnTerminate(std::make_unique<TOrderPostThread>(aOrder, aAccount, aMulti));
}

void TUser::OrderDelete(const TUserOrder &aUserOrder, TConnectionItem *aAccount, bool aMulti)
{
  if (!Working())
    return;
  TWorkerThread::StartFreeOnTerminate(
      std::make_unique<TOrderDeleteThread>(aUserOrder, aAccount, aMulti));
}
