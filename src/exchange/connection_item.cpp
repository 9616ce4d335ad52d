#include "connection_item.h"

#include "worker_thread.h"

#include <array>
#include <stdexcept>
#include <utility>

struct TConnectionItem::TRequestState
{
  std::array<bool, 3> Busy{};
  std::array<bool, 3> FollowUp{};
};

TConnectionItem::TConnectionItem() : fRequests(std::make_shared<TRequestState>()) {}

TConnectionItem::~TConnectionItem() = default;

bool TConnectionItem::Pending(TAccountData aKind) const
{
  return fRequests->Busy[static_cast<size_t>(aKind)];
}

std::shared_ptr<void> TConnectionItem::BeginRequest(TAccountData aKind, bool aFollowUp)
{
  const auto lIndex = static_cast<size_t>(aKind);
  if (fRequests->Busy[lIndex]) {
    if (aFollowUp)
      fRequests->FollowUp[lIndex] = true;
    return nullptr;
  }
  fRequests->Busy[lIndex] = true;
  // Released on the request's thread; the state is touched on the GUI thread only, and only
  // while the account (its owner) still exists.
  std::weak_ptr<TRequestState> lState = fRequests;
  TConnectionItem *lSelf = this;
  static char lClaim; // the token only needs an address; its deleter is what counts
  return std::shared_ptr<void>(&lClaim, [lState, lSelf, lIndex, aKind](void *) {
    PostToMainThread([lState, lSelf, lIndex, aKind] {
      const std::shared_ptr<TRequestState> lLive = lState.lock();
      if (!lLive)
        return;
      lLive->Busy[lIndex] = false;
      if (std::exchange(lLive->FollowUp[lIndex], false))
        lSelf->RequestAgain(aKind);
    });
  });
}

bool TConnectionItem::KeysRefused() const
{
  return fRefused && ApiKey == fRefusedApiKey && SecretKey == fRefusedSecretKey;
}

void TConnectionItem::SetKeysRefused(const QString &aApiKey, const QString &aSecretKey)
{
  fRefused = true;
  fRefusedApiKey = aApiKey;
  fRefusedSecretKey = aSecretKey;
}

void TConnectionItem::ResetAccountData()
{
  BalanceList.Clear();
  BalanceList.Loaded = false;
  UserOrderList.Clear();
  UserOrderList.Loaded = false;
  UserOrderHistory.Clear();
  UserOrderHistory.Loaded = false;
}

bool TConnectionItems::IsFull() const
{
  return Count() >= cMaxConnections;
}

TConnectionItem &TConnectionItems::Add()
{
  if (IsFull())
    throw std::length_error(cConnectionLimitText.toStdString());
  return TOwnedList<TConnectionItem>::Add();
}
