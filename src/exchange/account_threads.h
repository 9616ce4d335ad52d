#pragma once

#include "base_thread.h"
#include "connection_item.h"
#include "consts.h"
#include "methods.h" // NewMethod's unique_ptr needs the complete type

#include <QJsonArray>
#include <QJsonValue>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

// The account a request acts for, bound on the GUI thread when the request is created. The
// worker signs with copies of the keys, and the account itself is reached only on the GUI
// thread and only while it exists: an account can be removed while its request runs.
class TAccountBinding
{
public:
  // nullptr: the main profile.
  void Bind(TConnectionItem *aAccount);
  bool Bound() const { return fAccount != nullptr; }
  TConnectionItem *Account() const { return fAccount; }
  const TConnectionItem *Signer() const { return fAccount ? &fSigner : nullptr; }
  // GUI thread: the account while it still exists, else nullptr.
  TConnectionItem *Alive() const;
  // Keeps the account's claim on its request kind until the request is destroyed.
  void HoldSlot(std::shared_ptr<void> aSlot) { fSlot = std::move(aSlot); }
  // GUI thread: remembers that the exchange refused the keys this request was signed with.
  void NoteRefusal(const TRefusal &aRefusal) const;

private:
  TConnectionItem *fAccount = nullptr;
  std::weak_ptr<const bool> fLife;
  TConnectionItem fSigner;
  std::shared_ptr<void> fSlot;
};

// The exchange refused the keys themselves: HTTP 401, or code -2014 or -2015.
bool IsKeyRefusal(const TRefusal &aRefusal);

// The main profile as the account requests see it: the profile's, else the transport's source.
TConnectionItem *MainAccount();
bool IsMainAccount(const TConnectionItem *aAccount);

// Query texts of the account requests; the transport appends the signature.
QString AccountQuery(const QString &aTimeStamp);
// "&symbol=" follows only when a symbol is selected.
QString OrdersQuery(const QString &aTimeStamp, const QString &aSymbol);

// Balances of the account (the credential check of the login and of the start, and the
// balance refresh). Auth is the verdict once the thread has finished.
class TAccountThread : public TBaseAuthThread
{
public:
  explicit TAccountThread(TConnectionItem *aAccount = nullptr);
  TUserAuth Auth() const { return fAuth; }
  // A waited-for check gives up (uaUndefined) when the server time has not come within aMs:
  // before the clock runs, nothing else would ever ask for it again. 0: wait as long as it takes.
  void SetTimeWaitLimit(int aMs) { fTimeWaitLimitMs = aMs; }
  // Called on the GUI thread with the verdict once it is uaAuth or uaUnauth.
  void SetOnVerdict(std::function<void(TUserAuth)> aProc) { fOnVerdict = std::move(aProc); }
  void HoldSlot(std::shared_ptr<void> aSlot) { fBinding.HoldSlot(std::move(aSlot)); }

protected:
  void DoExecute() override;
  void DoMakeRequest() override;
  void DoParseResponse() override;
  void DoOutput() override;
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cAccountThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;
  const TConnectionItem *RequestAccount() const override { return fBinding.Signer(); }

private:
  void Check();
  bool ServerTimeCame() const;

  std::atomic<TUserAuth> fAuth = uaUndefined;
  int fTimeWaitLimitMs = 0;
  TAccountBinding fBinding;
  std::function<void(TUserAuth)> fOnVerdict;
};

// Starts a free-running credential check of aAccount (nullptr: the main profile) whose verdict
// reaches aOnVerdict on the GUI thread. Nothing unless the workflow is working or while a
// balance request of the account is outstanding; answers whether it started.
bool StartAccountCheck(TConnectionItem *aAccount, std::function<void(TUserAuth)> aOnVerdict);

inline const QString cAccountNoServerTime =
    QStringLiteral("TUser.Account error: no server time, the keys were not checked");

// The open orders or the order history of the account, replaced whole by each answer.
class TOrdersListThread : public TBaseAuthThread
{
public:
  explicit TOrdersListThread(TConnectionItem *aAccount);
  void HoldSlot(std::shared_ptr<void> aSlot) { fBinding.HoldSlot(std::move(aSlot)); }

protected:
  void DoMakeRequest() override;
  void DoParseResponse() override;
  void DoOutput() override;
  // The exchange refuses the request without a symbol.
  virtual bool NeedsSymbol() const { return false; }
  const TConnectionItem *RequestAccount() const override { return fBinding.Signer(); }
  virtual TUserOrderList &TargetList(TConnectionItem &aAccount) const = 0;

  TAccountBinding fBinding;
};

class TOpenOrdersThread : public TOrdersListThread
{
public:
  explicit TOpenOrdersThread(TConnectionItem *aAccount = nullptr) : TOrdersListThread(aAccount) {}

protected:
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cOpenOrdersThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;
  TUserOrderList &TargetList(TConnectionItem &aAccount) const override
  {
    return aAccount.UserOrderList;
  }
};

class TAllOrdersThread : public TOrdersListThread
{
public:
  explicit TAllOrdersThread(TConnectionItem *aAccount = nullptr) : TOrdersListThread(aAccount) {}

protected:
  void DoNotify() override;
  const TThreadTexts *Texts() const override { return &cAllOrdersThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;
  TUserOrderList &TargetList(TConnectionItem &aAccount) const override
  {
    return aAccount.UserOrderHistory;
  }
  bool NeedsSymbol() const override { return true; }
};

// Fills aList from an order array answer and marks it loaded; elements that are not objects
// are skipped. GUI thread.
void FillUserOrderList(TUserOrderList &aList, const QJsonArray &aOrders);

// The charts redraw their order markers after each open-orders answer. The charting layer
// installs the call (GUI thread); the exchange layer cannot reach the chart list itself.
void SetRefreshOrdersBubbles(std::function<void()> aProc);

// What CheckLoaded does next for one account, in the order open orders, history, balances.
enum class TCheckLoadedStep {
  clsOpenOrders = 0, // request the open orders; not complete
  clsHistory = 1,    // request the order history; not complete
  clsComplete = 2,   // balances answered: complete
  clsAccount = 3,    // request the balances; not complete
  clsNothing = 4     // not authorised or keys refused: nothing to fetch, complete
};
using enum TCheckLoadedStep;

TCheckLoadedStep CheckLoadedStep(const TConnectionItem &aAccount, bool aAuthorised,
                                 bool aSymbolSelected);
