#pragma once

#include "balance.h"
#include "consts.h"
#include "owned_list.h"
#include "user_order.h"

#include <QString>

#include <memory>

class TProfile;

// The free-running requests that fetch an account's data.
enum class TAccountData { adBalances = 0, adOpenOrders = 1, adHistory = 2 };
using enum TAccountData;

// One exchange account. The keys are plain text in memory only; the file keeps them enciphered.
class TConnectionItem
{
public:
  TConnectionItem();
  ~TConnectionItem();
  TConnectionItem(const TConnectionItem &) = delete;
  TConnectionItem &operator=(const TConnectionItem &) = delete;

  QString ApiKey;
  QString SecretKey;
  QString Name;
  // Quantity coefficient of the multi-account copies of an order.
  double Rate = 1.0;

  // Filled on the GUI thread by the account and order requests.
  TBalanceList BalanceList;
  TUserOrderList UserOrderList;    // open orders
  TUserOrderList UserOrderHistory; // past orders

  // Starts the account request for aProfile (nullptr: the main profile). With aFree it runs on
  // its own and the result is uaUndefined; otherwise waits (serving the GUI thread's events)
  // and returns the exchange's verdict. uaUndefined at once unless the workflow is working.
  // Implemented with the account requests.
  TUserAuth AccountEx(TConnectionItem *aProfile, bool aFree);
  // True when the account's data is complete; otherwise starts at most one request for the
  // first missing part (open orders, history, balances) and returns false.
  bool CheckLoaded();

  // Expires when the item is destroyed. A request started for this account keeps it and
  // checks it on the GUI thread before writing into the lists, since an account can be
  // removed while its request runs.
  std::weak_ptr<const bool> LifeToken() const { return fLife; }

  // Empties the balances and both order lists and marks the lists as not loaded: the data
  // belonged to other keys.
  void ResetAccountData();

  // At most one free-running request of each kind is outstanding for an account (GUI thread).
  bool Pending(TAccountData aKind) const;
  // Claims aKind for a request about to start; the request keeps the token until it is
  // destroyed. None while one is outstanding: then, with aFollowUp, one more is started once
  // that one has ended (a refresh asked meanwhile must not be lost).
  std::shared_ptr<void> BeginRequest(TAccountData aKind, bool aFollowUp);

  // The exchange refused these keys (-2014, -2015, HTTP 401): nothing is asked for this
  // account again until its keys change.
  bool KeysRefused() const;
  void SetKeysRefused(const QString &aApiKey, const QString &aSecretKey);

private:
  struct TRequestState;
  void RequestAgain(TAccountData aKind);

  std::shared_ptr<const bool> fLife = std::make_shared<const bool>(true);
  std::shared_ptr<TRequestState> fRequests;
  bool fRefused = false;
  QString fRefusedApiKey;
  QString fRefusedSecretKey;
};

// The further accounts, at most cMaxConnections.
class TConnectionItems : public TOwnedList<TConnectionItem>
{
public:
  explicit TConnectionItems(TProfile *aProfile = nullptr) : fProfile(aProfile) {}

  TProfile *Profile() const { return fProfile; }
  bool IsFull() const;

  // Appends a new empty account. Raises std::length_error when the list is full: callers
  // check IsFull first and show the limit message.
  TConnectionItem &Add();

private:
  TProfile *fProfile;
};

inline constexpr int cMaxConnections = 10;
inline const QString cConnectionLimitText = QStringLiteral("Достигнут линит в 10 подключений");
