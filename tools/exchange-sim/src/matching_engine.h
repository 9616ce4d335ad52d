#pragma once

#include "accounts.h"
#include "market.h"
#include "orders.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace vexa::sim {

// A new order as the route parsed it; business checks are the engine's.
struct TNewOrder
{
  int fSymbol = 0;
  TSide fSide = TSide::Buy;
  TOrderType fType = TOrderType::Limit;
  TTimeInForce fTimeInForce = TTimeInForce::Gtc;
  std::optional<int64_t> fQuantity;
  std::optional<int64_t> fQuoteOrderQty;
  int64_t fPrice = 0;
  int64_t fStopPrice = 0;
  std::optional<std::string> fClientOrderId;
  std::string fSelfTradePreventionMode = "NONE";
  std::optional<int64_t> fStrategyId;
  std::optional<int64_t> fStrategyType;
};

struct TPlaced
{
  TOrder fOrder;
  std::vector<TFill> fFills;
  int64_t fTransactTime = 0;
};

struct TMyTradesQuery
{
  int fSymbol = 0;
  std::optional<int64_t> fOrderId;
  std::optional<int64_t> fStartTime;
  std::optional<int64_t> fEndTime;
  std::optional<int64_t> fFromId;
  int fLimit = 500;
};

struct TAllOrdersQuery
{
  int fSymbol = 0;
  std::optional<int64_t> fOrderId;
  std::optional<int64_t> fStartTime;
  std::optional<int64_t> fEndTime;
  int fLimit = 500;
};

// Orders, fills and balances of all accounts under one lock. Limit orders rest and fill when
// the last price reaches them; market orders fill at once at the last price; stop-limit and
// take-profit-limit orders wait for their trigger and then work as limit orders.
// Lock order: engine before market (the market never calls in with its lock held).
class TMatchingEngine
{
public:
  TMatchingEngine(TMarket &aMarket, const TClock &aClock);

  // Told, under the engine's lock, when an order of an account fills for the first time.
  void SetFirstFillListener(std::function<void(const TAccount &)> aListener);

  // Throws TApiError (-1013 filters, -2010 rejections).
  TPlaced Place(TAccount &aAccount, const TNewOrder &aRequest);
  // Throws -2011 when the order is unknown or no longer open.
  TOrder Cancel(TAccount &aAccount, int aSymbol, std::optional<int64_t> aOrderId,
                const std::optional<std::string> &aClientOrderId, int64_t &aTransactTime);
  // Cancels every open order of the account on the symbol, oldest first, each with a new
  // client order id for the cancel; throws -2011 when there is none.
  std::vector<std::pair<TOrder, std::string>> CancelAll(TAccount &aAccount, int aSymbol,
                                                        int64_t &aTransactTime);
  std::optional<TOrder> Find(const TAccount &aAccount, int aSymbol, std::optional<int64_t> aOrderId,
                             const std::optional<std::string> &aClientOrderId) const;
  std::vector<TOrder> OpenOrders(const TAccount &aAccount, std::optional<int> aSymbol) const;
  std::vector<TOrder> AllOrders(const TAccount &aAccount, const TAllOrdersQuery &aQuery) const;
  std::vector<TTrade> MyTrades(const TAccount &aAccount, const TMyTradesQuery &aQuery) const;

  std::map<std::string, TBalance> Balances(const TAccount &aAccount) const;
  int64_t UpdateTime(const TAccount &aAccount) const;
  void SetBalance(TAccount &aAccount, const std::string &aAsset, int64_t aFree);

  // Resting user orders of a symbol by price, for the order book.
  void UserBook(int aSymbol, std::map<int64_t, int64_t> &aBids,
                std::map<int64_t, int64_t> &aAsks) const;

  // A trade happened at aPrice: triggers stops and fills limit orders it reaches.
  void OnPrice(int aSymbol, int64_t aPrice);

  // Admin: fills (part of) an open order at aPrice or its own price, triggering a stop first.
  std::optional<TOrder> ForceFill(int aSymbol, int64_t aOrderId, std::optional<int64_t> aQty,
                                  std::optional<int64_t> aPrice, std::string &aError);
  // Admin: ends an open order as CANCELED or EXPIRED.
  std::optional<TOrder> ForceEnd(int aSymbol, int64_t aOrderId, TOrderStatus aStatus);

private:
  struct TSymbolOrders
  {
    std::map<int64_t, TOrder> fOrders;
    std::set<int64_t> fOpen;
    std::vector<TTrade> fTrades; // the users' fills, by trade id
    int64_t fNextOrderId = 1;
    int64_t fNextTradeId = 1;
  };

  void CheckFilters(const TOrder &aOrder, int64_t aLastPrice) const;
  bool IsMarketable(const TOrder &aOrder, int64_t aPrice) const;
  bool StopReached(const TOrder &aOrder, int64_t aPrice) const;
  TFill Fill(TOrder &aOrder, int64_t aQty, int64_t aPrice, bool aMaker, int64_t aNowMs);
  void Release(TOrder &aOrder);
  void Close(TOrder &aOrder, TOrderStatus aStatus, int64_t aNowMs);
  std::string NewClientOrderId();
  const TOrder *FindLocked(const TAccount &aAccount, int aSymbol, std::optional<int64_t> aOrderId,
                           const std::optional<std::string> &aClientOrderId) const;

  TMarket &fMarket;
  const TSymbolCatalogue &fCatalogue;
  const TClock &fClock;
  mutable std::mutex fMutex;
  std::vector<TSymbolOrders> fSymbols;
  std::map<const TAccount *, int64_t> fUpdateTimes;
  uint64_t fClientIdCounter = 0;
  std::function<void(const TAccount &)> fFirstFillListener;
};

} // namespace vexa::sim
