#include "periodic_work.h"

#include "account_threads.h"
#include "chart_list.h"
#include "connection_item.h"
#include "curl_library.h"
#include "fm_main.h"
#include "profile.h"
#include "symbol_show_list.h"
#include "sys_time.h"
#include "trade_engine_client.h"
#include "user.h"
#include "utils.h"

#include <QCoreApplication>
#include <QScreen>

namespace {

bool Trades(TWorkflowMode aMode)
{
  return aMode == wfmTrade || aMode == wfmFull;
}

bool WatchesVolume(TWorkflowMode aMode)
{
  return aMode == wfmVolume || aMode == wfmFull;
}

// Runs pending window messages however the block it guards ends.
struct TProcessOnExit
{
  ~TProcessOnExit() { QCoreApplication::processEvents(); }
};

} // namespace

bool TPeriodicWork::ShowMainForm()
{
  auto *lForm = new TfmMain();
  // Without a window manager "maximised" means nothing; fill the screen ourselves as well.
  if (QScreen *lScreen = lForm->screen())
    lForm->setGeometry(lScreen->availableGeometry());
  lForm->showMaximized();
  QCoreApplication::processEvents();
  // The window is up; without libcurl the terminal cannot go on.
  CurlLibrary::Load();
  lForm->LoadCharts();

  TProcessOnExit lCleanUp;
  lForm->SendPing();
  User->Time();
  User->Ticker24hrEx();
  User->ExchangeInfo();
  User->Input()->SetAuth(uaUndefined);
  TConnectionItem *lMain = Profile->MainProfile();
  if (!lMain->ApiKey.isEmpty() && !lMain->SecretKey.isEmpty()) {
    SetLastServerError(QString());
    fAuthChecked = true; // no second check from a clock update while this one waits
    User->Input()->SetAuth(lMain->AccountEx(nullptr, false));
    if (User->Input()->GetAuth() == uaAuth) {
      User->AllOrdersEx(nullptr);
      User->OpenOrdersEx(nullptr);
    }
    fAuthChecked = User->Input()->GetAuth() != uaUndefined || !SysTime || SysTime->HasTime();
  }
  lForm->InitUserInterface();
  return true;
}

void TPeriodicWork::EverySecond(TWorkflowMode aMode)
{
  const QString lSymbol = User->Input()->Symbol();
  if (Trades(aMode)) {
    User->TickerPrice(QString());
    if (ChartList)
      ChartList->TickerPrice();
    if (!lSymbol.isEmpty())
      User->DepthEx();
  }
  if (WatchesVolume(aMode) && !lSymbol.isEmpty())
    User->TickerPrice(lSymbol);
}

void TPeriodicWork::Every5Second(TWorkflowMode)
{
  User->Time();
}

void TPeriodicWork::EveryMinute(TWorkflowMode aMode)
{
  if (ChartList)
    ChartList->KlinesUpdate();
  if (WatchesVolume(aMode))
    User->Ticker24hrVolume();
}

void TPeriodicWork::Once(TWorkflowMode aMode)
{
  if (!Trades(aMode))
    return;
  const TConnectionItem *lMain = Profile->MainProfile();
  // Keys under edit in the login dialog are the dialog's to test: a check of ours would
  // follow up with whatever keys the edited copy holds when its answer comes.
  if (!fAuthChecked && !Profile->MainUpdating() && User->Input()->GetAuth() == uaUndefined &&
      !lMain->ApiKey.isEmpty() && !lMain->SecretKey.isEmpty() &&
      StartAccountCheck(nullptr, [](TUserAuth aAuth) {
        if (!User || User->Input()->GetAuth() != uaUndefined)
          return;
        User->Input()->SetAuth(aAuth);
        if (aAuth == uaAuth) {
          User->AllOrdersEx(nullptr);
          User->OpenOrdersEx(nullptr);
        }
      }))
    fAuthChecked = true;
  if (!Profile->MainProfile()->CheckLoaded())
    return;
  TConnectionItems &lConnections = Profile->Connections();
  for (int i = 0; i < lConnections.Count(); ++i)
    lConnections.Items(i).CheckLoaded();
  if (User->SymbolShowList()->Count() == 0 && User->Input()->GetAuth() == uaAuth) {
    User->Ticker24hrEx();
    User->ExchangeInfo();
  }
}

void TPeriodicWork::Close()
{
  // Whatever is still on the wire gets one read timeout from now; nothing may hold the close.
  CutTransfersIn(cReadTimeoutMs);
  if (fmMain)
    fmMain->Deinit();
  User->WaitForThreads();
}
