#include "user.h"

#include "depth.h"
#include "exchange_info_thread.h"
#include "market_threads.h"
#include "ping_thread.h"
#include "symbol_show_list.h"
#include "thread_list.h"
#include "time_thread.h"
#include "volume.h"
#include "workflow.h"

std::unique_ptr<TUser> User;

namespace {

bool Working()
{
  return Workflow && Workflow->State() == wfsWorking;
}

} // namespace

TUser::TUser()
    : fThreadList(std::make_unique<TThreadList>(tlkUser)),
      fInputData(std::make_unique<TUserInputData>()),
      fSymbolShowList(std::make_unique<TSymbolShowList>()),
      fDepthList(std::make_unique<TDepthList>()), fVolumeList(std::make_unique<TVolumeList>()),
      fPublisher(std::make_unique<TDPublisher>())
{
  // Request threads without a chart register here from now on.
  SetUserThreadList(fThreadList.get());
}

TUser::~TUser()
{
  if (&UserThreadList() == fThreadList.get())
    SetUserThreadList(nullptr);
}

void TUser::DeInit()
{
  fInputData.reset();
  fSymbolShowList.reset();
  fDepthList.reset();
  fVolumeList.reset();
  fPublisher.reset();
}

void TUser::Ping(bool &aOk)
{
  if (!Working())
    return;
  TPingThread lThread;
  lThread.Start();
  lThread.WaitFor();
  aOk = lThread.PingOk();
}

void TUser::Time()
{
  if (Working())
    TWorkerThread::StartFreeOnTerminate(std::make_unique<TTimeThread>());
}

void TUser::TickerPrice(const QString &aSymbol)
{
  if (!Working())
    return;
  auto lThread = std::make_unique<TTickerPriceThread>();
  lThread->SetSymbol(aSymbol);
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
}

void TUser::Ticker24hrEx()
{
  if (Working())
    TWorkerThread::StartFreeOnTerminate(std::make_unique<TTicker24hrThread>());
}

void TUser::TickerBookTicker(const QString &aSymbol)
{
  if (!Working())
    return;
  auto lThread = std::make_unique<TTickerBookTickerThread>();
  lThread->SetSymbol(aSymbol);
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
}

void TUser::DepthEx()
{
  if (Working())
    TWorkerThread::StartFreeOnTerminate(std::make_unique<TDepthThread>());
}

void TUser::Ticker24hrVolume()
{
  if (Working())
    TWorkerThread::StartFreeOnTerminate(std::make_unique<TTicker24hrVolumeThread>());
}

void TUser::ExchangeInfo()
{
  if (!Working() || !fExchangeInfoRunning.expired())
    return;
  auto lThread = std::make_unique<TExchangeInfoThread>();
  // The thread holds the claim until it is destroyed.
  auto lClaim = std::make_shared<TExchangeInfoThread *>(lThread.get());
  lThread->SetClaim(lClaim);
  fExchangeInfoRunning = lClaim;
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
}

void TUser::WaitForThreads()
{
  fThreadList->WaitForThreads();
}
