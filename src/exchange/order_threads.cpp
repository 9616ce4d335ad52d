#include "order_threads.h"

#include "events.h"
#include "log_writer.h"
#include "lot_size.h"
#include "market_json.h"
#include "methods.h"
#include "order_result.h"
#include "profile.h"
#include "request_params.h"
#include "sys_time.h"
#include "ui_writer.h"
#include "user.h"
#include "user_order.h"
#include "utils.h"

namespace {

const QString cNoOrder = QStringLiteral("no order to send");
const QString cNoAccount = QStringLiteral("no account to sign the request");

bool IsLimitType(const QString &aType)
{
  return aType == QLatin1String("LIMIT") || aType == QLatin1String("STOP_LOSS_LIMIT");
}

} // namespace

QString OrderPostParams(const TOrder &aOrder, const QString &aTimeStamp)
{
  const bool lLimit = IsLimitType(aOrder.fType);
  QString lResult;
  AddParam(lResult, QStringLiteral("symbol"), aOrder.fSymbol);
  AddParam(lResult, QStringLiteral("side"), aOrder.fSide);
  AddParam(lResult, QStringLiteral("type"), aOrder.fType);
  if (lLimit)
    AddParam(lResult, QStringLiteral("price"), AsFloatStr(aOrder.fPrice));
  AddParam(lResult, QStringLiteral("quantity"), AsFloatStr(aOrder.fQuantity));
  AddParam(lResult, QStringLiteral("timestamp"), aTimeStamp);
  AddParam(lResult, QStringLiteral("recvWindow"), QString::number(cRecvWindow));
  if (lLimit)
    AddParam(lResult, QStringLiteral("timeInForce"), QStringLiteral("GTC"));
  if (aOrder.fType == QLatin1String("STOP_LOSS_LIMIT"))
    AddParam(lResult, QStringLiteral("stopPrice"), AsFloatStr(aOrder.fStopPrice));
  AddParam(lResult, QStringLiteral("newOrderRespType"), QStringLiteral("RESULT"));
  return lResult;
}

QString OrderDeleteQuery(const QString &aSymbol, std::int64_t aOrderID, const QString &aTimeStamp)
{
  return QStringLiteral("symbol=%1&orderId=%2&timestamp=%3&recvWindow=%4")
      .arg(aSymbol, QString::number(aOrderID), aTimeStamp, QString::number(cRecvWindow));
}

QString OrderCreatedText(const QJsonObject &aAnswer)
{
  return QStringLiteral("%1 %2 %3 %4 %5")
      .arg(aAnswer.value(QStringLiteral("symbol")).toString(),
           aAnswer.value(QStringLiteral("side")).toString(),
           aAnswer.value(QStringLiteral("type")).toString(),
           AsFloatStr(JsonNumber(aAnswer.value(QStringLiteral("price")))),
           AsFloatStr(JsonNumber(aAnswer.value(QStringLiteral("origQty")))));
}

bool FitCopyToLot(TOrder &aCopy, const QString &aAccountName)
{
  const std::optional<TLotSize> lLot =
      User ? User->LotSizes().Find(aCopy.fSymbol) : std::optional<TLotSize>();
  if (!lLot)
    return true;
  // Toward zero: a copy rounded up could pass the account's free balance.
  const double lQuantity = RoundDownToStep(aCopy.fQuantity, lLot->Step);
  if (lQuantity <= 0 || lQuantity < lLot->MinQty) {
    WriteLog(QStringLiteral("TOrderPostThread.DoOutput: no copy for \"%1\": quantity %2 of %3 "
                            "is below the minimum %4")
                 .arg(aAccountName, AsFloatStr(aCopy.fQuantity), aCopy.fSymbol,
                      AsFloatStr(lLot->MinQty)),
             mtAlert);
    return false;
  }
  aCopy.fQuantity = lQuantity;
  return true;
}

void RefreshAccountData(TConnectionItem *aAccount)
{
  if (!aAccount)
    return;
  aAccount->AccountEx(aAccount, true);
  if (User) {
    User->AllOrdersEx(aAccount);
    User->OpenOrdersEx(aAccount);
  }
}

// --- TOrderPostThread ------------------------------------------------------------------------

TOrderPostThread::TOrderPostThread(const TOrder &aOrder, TConnectionItem *aAccount, bool aMulti)
{
  fBinding.Bind(aAccount);
  fAccount = fBinding.Account();
  fMulti = aMulti;
  fOrder = std::make_shared<TOrder>(aOrder);
  fMainOrder = IsMainAccount(fAccount);
}

void TOrderPostThread::DoSendRequest(std::unique_ptr<TDBaseMethod> aMethod,
                                     const TConnectionItem *aAccount, const QString &aRequest,
                                     QString &aResponse, QString &aError)
{
  TBaseOrderThread::DoSendRequest(std::move(aMethod), aAccount, aRequest, aResponse, aError);
  if (!aError.isEmpty())
    return; // shown in its own box
  if (aResponse.isEmpty()) {
    // The transport has just stored the exchange's reason.
    const QString lText = OrderRefusalText(GetLastServerError());
    LogError(lText);
    PostOrderResult(lText);
  } else if (fMainOrder) {
    // Before the copies go out, so that a refused copy's text is not wiped.
    PostOrderResult(QString());
  }
}

std::unique_ptr<TDBaseMethod> TOrderPostThread::NewMethod() const
{
  return std::make_unique<TDMethodOrderPost>();
}

void TOrderPostThread::DoMakeRequest()
{
  if (!fBinding.Bound())
    RaiseThreadError(cNoAccount);
  if (!fOrder)
    RaiseThreadError(cNoOrder);
  WaitForServerTime();
  fRequest = OrderPostParams(*fOrder, SysTime->GetTimeStamp());
}

void TOrderPostThread::DoOutput()
{
  if (!fRootNode.isObject())
    RaiseThreadError(cOrderPostThreadTexts.MissingDocument);
  TConnectionItem *lAccount = fBinding.Alive();
  if (!lAccount)
    return;
  RefreshAccountData(lAccount);
  // The copies go before the box: the trader may leave it open for long, and the cancel
  // pairs copies by placing time.
  if (fMulti && Profile && User) {
    const double lLot = fOrder->fQuantity;
    TConnectionItems &lConnections = Profile->Connections();
    for (int i = 0; i < lConnections.Count(); ++i) {
      TConnectionItem &lConnection = lConnections.Items(i);
      TOrder lCopy = *fOrder;
      lCopy.fQuantity = lLot * lConnection.Rate;
      // A rate of 0 (or less) keeps the account out of multi-account trading: the exchange
      // would refuse such a quantity anyway.
      if (!(lCopy.fQuantity > 0))
        continue;
      if (!FitCopyToLot(lCopy, lConnection.Name))
        continue;
      User->OrderPost(lCopy, &lConnection, false);
    }
  }
  if (IsMainAccount(lAccount))
    Msg(cOrderCreatedText + OrderCreatedText(fRootNode.toObject()), mtInfo);
}

void TOrderPostThread::DoNotify()
{
  if (UIWriter)
    UIWriter->Post(BASE_MAIN_BALANCES);
}

// --- TOrderDeleteThread ----------------------------------------------------------------------

TOrderDeleteThread::TOrderDeleteThread(const TUserOrder &aUserOrder, TConnectionItem *aAccount,
                                       bool aMulti)
    : fUserOrder{aUserOrder.Symbol, aUserOrder.OrderID, aUserOrder.OrderType, aUserOrder.Side,
                 aUserOrder.Time}
{
  fBinding.Bind(aAccount);
  fAccount = fBinding.Account();
  fMulti = aMulti;
}

std::unique_ptr<TDBaseMethod> TOrderDeleteThread::NewMethod() const
{
  return std::make_unique<TDMethodOrderDelete>();
}

void TOrderDeleteThread::DoMakeRequest()
{
  if (!fBinding.Bound())
    RaiseThreadError(cNoAccount);
  WaitForServerTime();
  fRequest = OrderDeleteQuery(fUserOrder.Symbol, fUserOrder.OrderID, SysTime->GetTimeStamp());
}

void TOrderDeleteThread::DoOutput()
{
  TConnectionItem *lAccount = fBinding.Alive();
  if (!lAccount)
    return;
  RefreshAccountData(lAccount);
  // The copies are cancelled before the box, which may stay open for long.
  if (fMulti && Profile && User) {
    const TDateTime lTime = StampToDate(fUserOrder.Time);
    TConnectionItems &lConnections = Profile->Connections();
    for (int i = 0; i < lConnections.Count(); ++i) {
      TConnectionItem &lConnection = lConnections.Items(i);
      const TUserOrder *lCopy = lConnection.UserOrderList.FindBy(
          fUserOrder.Symbol, fUserOrder.OrderType, fUserOrder.Side, lTime);
      if (lCopy)
        User->OrderDelete(*lCopy, &lConnection, false);
    }
  }
  if (IsMainAccount(lAccount))
    Msg(cOrderDeletedText, mtInfo);
}

void TOrderDeleteThread::DoNotify()
{
  if (UIWriter)
    UIWriter->Post(BASE_MAIN_BALANCES);
}
