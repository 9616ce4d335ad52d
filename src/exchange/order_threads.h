#pragma once

#include "account_threads.h"
#include "base_thread.h"
#include "order.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>

class TUserOrder;

// The CR LF separated parameter lines of an order, in the exchange's expected order: price and
// timeInForce for the limit types, stopPrice for the stop-limit type only.
QString OrderPostParams(const TOrder &aOrder, const QString &aTimeStamp);
// The order id goes whole: the exchange's ids pass 2^31.
QString OrderDeleteQuery(const QString &aSymbol, std::int64_t aOrderID, const QString &aTimeStamp);
// "symbol side type price origQty" of a placed order's answer.
QString OrderCreatedText(const QJsonObject &aAnswer);

// Text of the box shown when an order of the main account has been placed or cancelled.
inline const QString cOrderCreatedText = QStringLiteral("Создан ордер ");
inline const QString cOrderDeletedText = QStringLiteral("Ордер удален");

// Places one order. On the answer it refreshes the account and, for a multi-account order,
// places a copy scaled by each further account's rate.
class TOrderPostThread : public TBaseOrderThread
{
public:
  TOrderPostThread(const TOrder &aOrder, TConnectionItem *aAccount, bool aMulti);

protected:
  void DoMakeRequest() override;
  void DoOutput() override;
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cOrderPostThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;
  const TConnectionItem *RequestAccount() const override { return fBinding.Signer(); }
  // Tells the status line whether the exchange took the order.
  void DoSendRequest(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aAccount,
                     const QString &aRequest, QString &aResponse, QString &aError) override;

private:
  TAccountBinding fBinding;
  bool fMainOrder = false; // placed for the main account, not a multi-account copy
};

// The fields of the cancelled order the cancel needs, copied when the request is created:
// the account's list can be rebuilt while it runs.
struct TCancelledOrder
{
  QString Symbol;
  std::int64_t OrderID = 0;
  QString OrderType;
  QString Side;
  std::int64_t Time = 0;
};

// Cancels one order. On the answer it refreshes the account and, for a multi-account cancel,
// cancels on each further account the copy placed within 4 seconds of the order.
class TOrderDeleteThread : public TBaseOrderThread
{
public:
  TOrderDeleteThread(const TUserOrder &aUserOrder, TConnectionItem *aAccount, bool aMulti);

  const TCancelledOrder &UserOrder() const { return fUserOrder; }

protected:
  void DoMakeRequest() override;
  void DoOutput() override;
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cOrderDeleteThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;
  const TConnectionItem *RequestAccount() const override { return fBinding.Signer(); }

private:
  TCancelledOrder fUserOrder;
  TAccountBinding fBinding;
};

// Fits a multi-account copy to its symbol's lot rule: the quantity rounded toward zero to the
// step; false (and logged) when that falls below the minimum. Without a known rule the copy
// stays as it is. GUI thread.
bool FitCopyToLot(TOrder &aCopy, const QString &aAccountName);

// The refresh after placing or cancelling: balances, history, open orders. GUI thread.
void RefreshAccountData(TConnectionItem *aAccount);
