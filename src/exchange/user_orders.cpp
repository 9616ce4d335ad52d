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

} // namespace

void TUser::OpenOrdersEx(TConnectionItem *aAccount)
{
  if (!Working())
    return;
  TWorkerThread::StartFreeOnTerminate(std::make_unique<TOpenOrdersThread>(aAccount));
}

void TUser::AllOrdersEx(TConnectionItem *aAccount)
{
  if (!Working())
    return;
  TWorkerThread::StartFreeOnTerminate(std::make_unique<TAllOrdersThread>(aAccount));
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
