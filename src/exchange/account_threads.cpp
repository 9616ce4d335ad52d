#include "account_threads.h"

#include "events.h"
#include "market_json.h"
#include "methods.h"
#include "profile.h"
#include "request_params.h"
#include "sys_time.h"
#include "ui_writer.h"
#include "user.h"
#include "utils.h"
#include "workflow.h"

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

namespace {

std::function<void()> gRefreshOrdersBubbles;

const QString cNoAccount = QStringLiteral("no account to sign the request");
const QString cNoSymbol = QStringLiteral("no symbol selected for the order history");
constexpr unsigned long cTimeWaitStepMs = 50;

void PostNotification(int aEventID)
{
  if (UIWriter)
    UIWriter->Post(aEventID);
}

} // namespace

void TAccountBinding::Bind(TConnectionItem *aAccount)
{
  fAccount = aAccount ? aAccount : MainAccount();
  if (!fAccount)
    return;
  fLife = fAccount->LifeToken();
  fSigner.ApiKey = fAccount->ApiKey;
  fSigner.SecretKey = fAccount->SecretKey;
}

TConnectionItem *TAccountBinding::Alive() const
{
  return fLife.expired() ? nullptr : fAccount;
}

void TAccountBinding::NoteRefusal(const TRefusal &aRefusal) const
{
  if (!IsKeyRefusal(aRefusal))
    return;
  if (TConnectionItem *lAccount = Alive())
    lAccount->SetKeysRefused(fSigner.ApiKey, fSigner.SecretKey);
}

bool IsKeyRefusal(const TRefusal &aRefusal)
{
  if (aRefusal.Status == 401)
    return true;
  const QJsonValue lCode =
      QJsonDocument::fromJson(aRefusal.Body.toUtf8()).object().value(QStringLiteral("code"));
  return lCode.isDouble() && (lCode.toInt() == -2014 || lCode.toInt() == -2015);
}

TConnectionItem *MainAccount()
{
  return Profile ? Profile->MainProfile() : MainProfile();
}

bool IsMainAccount(const TConnectionItem *aAccount)
{
  return aAccount && aAccount == MainAccount();
}

QString AccountQuery(const QString &aTimeStamp)
{
  return QStringLiteral("timestamp=%1&recvWindow=%2").arg(aTimeStamp).arg(cRecvWindow);
}

QString OrdersQuery(const QString &aTimeStamp, const QString &aSymbol)
{
  QString lResult = AccountQuery(aTimeStamp);
  if (!aSymbol.isEmpty())
    lResult += QStringLiteral("&symbol=") + aSymbol;
  return lResult;
}

void SetRefreshOrdersBubbles(std::function<void()> aProc)
{
  gRefreshOrdersBubbles = std::move(aProc);
}

TCheckLoadedStep CheckLoadedStep(const TConnectionItem &aAccount, bool aAuthorised,
                                 bool aSymbolSelected)
{
  if (aAccount.KeysRefused())
    return clsNothing;
  if (!aAccount.UserOrderList.Loaded && aAuthorised && aSymbolSelected)
    return clsOpenOrders;
  if (!aAccount.UserOrderHistory.Loaded && aAuthorised && aSymbolSelected)
    return clsHistory;
  // An account that holds nothing answers with no balances (or only hidden zero ones).
  if (!aAccount.BalanceList.IsEmpty() || aAccount.BalanceList.Loaded)
    return clsComplete;
  if (aAuthorised)
    return clsAccount;
  return clsNothing;
}

// --- TAccountThread ----------------------------------------------------------------------

TAccountThread::TAccountThread(TConnectionItem *aAccount)
{
  fBinding.Bind(aAccount);
  fAccount = fBinding.Account();
}

std::unique_ptr<TDBaseMethod> TAccountThread::NewMethod() const
{
  return std::make_unique<TDMethodAccount>();
}

void TAccountThread::DoMakeRequest()
{
  if (!fBinding.Bound())
    RaiseThreadError(cNoAccount);
  WaitForServerTime();
  fRequest = AccountQuery(SysTime->GetTimeStamp());
}

void TAccountThread::DoExecute()
{
  Check();
  if (fOnVerdict && fAuth != uaUndefined)
    Synchronize([this] { fOnVerdict(fAuth); });
}

// The verdict is uaAuth exactly when the exchange accepted the signed request and answered
// with a balances array; a rejected key gives an empty answer and uaUnauth.
void TAccountThread::Check()
{
  fAuth = uaUndefined;
  if (!IsWorking()) {
    fAuth = uaUnauth;
    return;
  }
  if (!ServerTimeCame()) {
    // The keys were never shown to the exchange: undetermined, to be checked once the time
    // has come, not refused for the whole run.
    LogError(cAccountNoServerTime);
    return;
  }
  DoMakeRequest();
  DoSendRequest(NewMethod(), RequestAccount(), fRequest, fResponse, fError);
  if (!fError.isEmpty()) {
    Alert(fError);
    LogError(cAccountThreadTexts.CommandError + fError);
    fAuth = uaUnauth;
    return;
  }
  if (!IsWorking()) {
    fAuth = uaUnauth;
    return;
  }
  DoParseResponse();
  if (fResponse.isEmpty()) {
    Synchronize([this] { fBinding.NoteRefusal(fRefusal); });
    fAuth = uaUnauth;
    return;
  }
  if (!IsWorking()) {
    fAuth = uaUnauth;
    return;
  }
  Synchronize([this] { DoNotify(); });
  fAuth = uaAuth;
}

bool TAccountThread::ServerTimeCame() const
{
  if (fTimeWaitLimitMs <= 0)
    return true; // DoMakeRequest waits without limit
  QElapsedTimer lTimer;
  lTimer.start();
  while (!SysTime || !SysTime->HasTime()) {
    if (Terminated() || TransportStopped() || lTimer.elapsed() >= fTimeWaitLimitMs)
      return false;
    QThread::msleep(cTimeWaitStepMs);
  }
  return true;
}

void TAccountThread::DoParseResponse()
{
  if (fResponse.isEmpty()) {
    LogError(cAccountThreadTexts.EmptyResponse);
    return;
  }
  const QJsonDocument lDocument = QJsonDocument::fromJson(fResponse.toUtf8());
  if (lDocument.isNull())
    RaiseThreadError(cAccountThreadTexts.MissingDocument);
  const QJsonValue lBalances = lDocument.object().value(QStringLiteral("balances"));
  if (!lBalances.isArray())
    RaiseThreadError(cAccountBalanceNodeMissing);
  fRootNode = lBalances;
  Synchronize([this] { DoOutput(); });
}

void TAccountThread::DoOutput()
{
  if (Terminated())
    return;
  TConnectionItem *lAccount = fBinding.Alive();
  if (!lAccount)
    return;
  const bool lNoZero = User && User->Input() && User->Input()->NoZeroBalance();
  lAccount->BalanceList.Clear();
  lAccount->BalanceList.Loaded = true;
  for (const QJsonValue &lValue : fRootNode.toArray()) {
    if (!lValue.isObject())
      continue;
    const QJsonObject lItem = lValue.toObject();
    const double lFree = JsonNumber(lItem.value(QStringLiteral("free")));
    const double lLocked = JsonNumber(lItem.value(QStringLiteral("locked")));
    if (lNoZero && lFree == 0 && lLocked == 0)
      continue;
    TBalance &lBalance = lAccount->BalanceList.Add();
    lBalance.Asset = lItem.value(QStringLiteral("asset")).toString();
    lBalance.Free_ = lFree;
    lBalance.Locked = lLocked;
  }
}

void TAccountThread::DoNotify()
{
  PostNotification(BASE_MAIN_BALANCES);
}

// --- open orders and history ----------------------------------------------------------------

TOrdersListThread::TOrdersListThread(TConnectionItem *aAccount)
{
  fBinding.Bind(aAccount);
  fAccount = fBinding.Account();
}

void TOrdersListThread::DoMakeRequest()
{
  if (!fBinding.Bound())
    RaiseThreadError(cNoAccount);
  WaitForServerTime();
  // The selection may change meanwhile on the GUI thread; it is read once, as one value.
  const QString lSymbol = User && User->Input() ? User->Input()->Symbol() : QString();
  if (lSymbol.isEmpty() && NeedsSymbol())
    RaiseThreadError(cNoSymbol);
  fRequest = OrdersQuery(SysTime->GetTimeStamp(), lSymbol);
}

void TOrdersListThread::DoParseResponse()
{
  if (fResponse.isEmpty())
    Synchronize([this] { fBinding.NoteRefusal(fRefusal); });
  TBaseAuthThread::DoParseResponse();
}

void FillUserOrderList(TUserOrderList &aList, const QJsonArray &aOrders)
{
  aList.Clear();
  for (const QJsonValue &lValue : aOrders) {
    if (!lValue.isObject())
      continue;
    const QJsonObject lItem = lValue.toObject();
    TUserOrder &lOrder = aList.Add();
    lOrder.Symbol = lItem.value(QStringLiteral("symbol")).toString();
    lOrder.OrderID = JsonInt64(lItem.value(QStringLiteral("orderId")));
    lOrder.ClientOrderID = lItem.value(QStringLiteral("clientOrderId")).toString();
    lOrder.Price = JsonNumber(lItem.value(QStringLiteral("price")));
    lOrder.OrigQuantity = JsonNumber(lItem.value(QStringLiteral("origQty")));
    lOrder.ExecQuantity = JsonNumber(lItem.value(QStringLiteral("executedQty")));
    lOrder.Status = lItem.value(QStringLiteral("status")).toString();
    lOrder.TimeInForce = lItem.value(QStringLiteral("timeInForce")).toString();
    lOrder.OrderType = lItem.value(QStringLiteral("type")).toString();
    lOrder.Side = lItem.value(QStringLiteral("side")).toString();
    lOrder.StopPrice = JsonNumber(lItem.value(QStringLiteral("stopPrice")));
    lOrder.IcebergQuantity = JsonNumber(lItem.value(QStringLiteral("icebergQty")));
    lOrder.Time = JsonInt64(lItem.value(QStringLiteral("time")));
    lOrder.IsWorking = lItem.value(QStringLiteral("isWorking")).toBool();
  }
  aList.Loaded = true;
}

void TOrdersListThread::DoOutput()
{
  // Any other document (an error object, garbage that happens to parse) must not replace
  // the list the trader sees.
  if (!fRootNode.isArray())
    RaiseThreadError(Texts()->MissingDocument);
  TConnectionItem *lAccount = fBinding.Alive();
  if (!lAccount)
    return;
  FillUserOrderList(TargetList(*lAccount), fRootNode.toArray());
}

std::unique_ptr<TDBaseMethod> TOpenOrdersThread::NewMethod() const
{
  return std::make_unique<TDMethodOpenOrders>();
}

void TOpenOrdersThread::DoNotify()
{
  PostNotification(BASE_MAIN_USERORDERS);
  if (gRefreshOrdersBubbles)
    gRefreshOrdersBubbles();
}

std::unique_ptr<TDBaseMethod> TAllOrdersThread::NewMethod() const
{
  return std::make_unique<TDMethodAllOrders>();
}

void TAllOrdersThread::DoNotify()
{
  PostNotification(BASE_MAIN_USERORDERSHISTORY);
}

bool StartAccountCheck(TConnectionItem *aAccount, std::function<void(TUserAuth)> aOnVerdict)
{
  if (!Workflow || Workflow->State() != wfsWorking)
    return false;
  TConnectionItem *lAccount = aAccount ? aAccount : MainAccount();
  std::shared_ptr<void> lSlot = lAccount ? lAccount->BeginRequest(adBalances, false) : nullptr;
  if (!lSlot)
    return false;
  auto lThread = std::make_unique<TAccountThread>(lAccount);
  lThread->HoldSlot(std::move(lSlot));
  lThread->SetOnVerdict(std::move(aOnVerdict));
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
  return true;
}
