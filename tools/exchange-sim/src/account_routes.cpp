// Signed account and trading resources: account, openOrders (GET, and DELETE to cancel them
// all), allOrders, myTrades, and order (GET to query, POST to place, DELETE to cancel).
#include "api_error.h"
#include "decimal.h"
#include "order_json.h"
#include "route_table.h"
#include "signature.h"

#include <algorithm>

namespace vexa::sim {

namespace {

constexpr int64_t cMaxWindowMs = 24 * 3600 * 1000;

TAccount &SignedAccount(TCall &aCall)
{
  return Authenticate(aCall.fExchange.fAccounts, aCall.fApiKey, aCall.fParams, aCall.fNowMs);
}

int SymbolIndex(TCall &aCall, const std::string &aName)
{
  const int lIndex = aCall.fExchange.fCatalogue.Find(aName);
  if (lIndex < 0) {
    throw TApiError::InvalidSymbol();
  }
  return lIndex;
}

void Account(TCall &aCall)
{
  TAccount &lAccount = SignedAccount(aCall);
  bool lOmitZero = false;
  if (const std::optional<std::string> lOmit = aCall.fParams.Text("omitZeroBalances")) {
    if (*lOmit != "true" && *lOmit != "false") {
      throw TApiError::InvalidData("omitZeroBalances");
    }
    lOmitZero = *lOmit == "true";
  }
  aCall.fParams.CheckAllRead();
  const TMatchingEngine &lEngine = aCall.fExchange.fEngine;
  const std::string lRate = FormatUnits(MulDiv(cUnit, lAccount.fCommissionBps, 10000));
  TJson lJson;
  lJson["makerCommission"] = lAccount.fCommissionBps;
  lJson["takerCommission"] = lAccount.fCommissionBps;
  lJson["buyerCommission"] = 0;
  lJson["sellerCommission"] = 0;
  lJson["commissionRates"] = TJson{
      {"maker", lRate}, {"taker", lRate}, {"buyer", FormatUnits(0)}, {"seller", FormatUnits(0)}};
  lJson["canTrade"] = lAccount.fCanTrade;
  lJson["canWithdraw"] = true;
  lJson["canDeposit"] = true;
  lJson["brokered"] = false;
  lJson["requireSelfTradePrevention"] = false;
  lJson["preventSor"] = false;
  lJson["updateTime"] = aCall.Time(lEngine.UpdateTime(lAccount));
  lJson["accountType"] = "SPOT";
  TJson lBalances = TJson::array();
  for (const auto &[lAsset, lBalance] : lEngine.Balances(lAccount)) {
    if (lOmitZero && lBalance.fFree == 0 && lBalance.fLocked == 0) {
      continue;
    }
    lBalances.push_back(TJson{{"asset", lAsset},
                              {"free", FormatUnits(lBalance.fFree)},
                              {"locked", FormatUnits(lBalance.fLocked)}});
  }
  lJson["balances"] = std::move(lBalances);
  lJson["permissions"] = {"SPOT"};
  lJson["uid"] = lAccount.fUid;
  aCall.fBody = lJson.dump();
}

TJson OrderList(const TCall &aCall, const std::vector<TOrder> &aOrders)
{
  TJson lArray = TJson::array();
  for (const TOrder &lOrder : aOrders) {
    lArray.push_back(OrderJson(lOrder, aCall.fExchange.fCatalogue, aCall.fMicroseconds));
  }
  return lArray;
}

void OpenOrders(TCall &aCall)
{
  TAccount &lAccount = SignedAccount(aCall);
  std::optional<int> lSymbol;
  if (const std::optional<std::string> lName = aCall.fParams.Symbol()) {
    lSymbol = SymbolIndex(aCall, *lName);
  }
  aCall.fParams.CheckAllRead();
  aCall.fBody = OrderList(aCall, aCall.fExchange.fEngine.OpenOrders(lAccount, lSymbol)).dump();
}

void AllOrders(TCall &aCall)
{
  TAccount &lAccount = SignedAccount(aCall);
  TRequestParams &lParams = aCall.fParams;
  TAllOrdersQuery lQuery;
  lQuery.fSymbol = SymbolIndex(aCall, lParams.RequiredSymbol());
  lQuery.fOrderId = lParams.Integer("orderId");
  lQuery.fStartTime = lParams.Time("startTime");
  lQuery.fEndTime = lParams.Time("endTime");
  if (lQuery.fStartTime && lQuery.fEndTime) {
    if (*lQuery.fEndTime - *lQuery.fStartTime > cMaxWindowMs) {
      throw TApiError::Bad(-1127, "More than 24 hours between startTime and endTime.");
    }
  } else if (lQuery.fStartTime) {
    lQuery.fEndTime = *lQuery.fStartTime + cMaxWindowMs;
  } else if (lQuery.fEndTime) {
    lQuery.fStartTime = *lQuery.fEndTime - cMaxWindowMs;
  }
  if (const std::optional<int64_t> lLimit = lParams.Integer("limit")) {
    if (*lLimit < 1) {
      throw TApiError::InvalidData("limit");
    }
    lQuery.fLimit = static_cast<int>(std::min<int64_t>(*lLimit, 1000));
  }
  lParams.CheckAllRead();
  aCall.fBody = OrderList(aCall, aCall.fExchange.fEngine.AllOrders(lAccount, lQuery)).dump();
}

// orderId and/or origClientOrderId; one of them is required.
void OrderReference(TRequestParams &aParams, std::optional<int64_t> &aOrderId,
                    std::optional<std::string> &aClientOrderId)
{
  aOrderId = aParams.Integer("orderId");
  aClientOrderId = aParams.Text("origClientOrderId");
  if (!aOrderId && !aClientOrderId) {
    throw TApiError::Bad(-1102, "Param 'origClientOrderId' or 'orderId' must be sent, but both "
                                "were empty/null!");
  }
}

void QueryOrder(TCall &aCall)
{
  TAccount &lAccount = SignedAccount(aCall);
  TRequestParams &lParams = aCall.fParams;
  const int lSymbol = SymbolIndex(aCall, lParams.RequiredSymbol());
  std::optional<int64_t> lOrderId;
  std::optional<std::string> lClientOrderId;
  OrderReference(lParams, lOrderId, lClientOrderId);
  lParams.CheckAllRead();
  const std::optional<TOrder> lOrder =
      aCall.fExchange.fEngine.Find(lAccount, lSymbol, lOrderId, lClientOrderId);
  if (!lOrder) {
    throw TApiError::Bad(-2013, "Order does not exist.");
  }
  aCall.fBody = OrderJson(*lOrder, aCall.fExchange.fCatalogue, aCall.fMicroseconds).dump();
}

bool IsClientOrderId(const std::string &aText)
{
  if (aText.empty() || aText.size() > 36) {
    return false;
  }
  return std::all_of(aText.begin(), aText.end(), [](char aChar) {
    return (aChar >= 'a' && aChar <= 'z') || (aChar >= 'A' && aChar <= 'Z') ||
           (aChar >= '0' && aChar <= '9') || aChar == '-' || aChar == '_';
  });
}

std::optional<std::string> ClientOrderIdParam(TRequestParams &aParams, const std::string &aName)
{
  std::optional<std::string> lId = aParams.Text(aName);
  if (lId && !IsClientOrderId(*lId)) {
    throw TApiError::IllegalChars(aName, "^[a-zA-Z0-9-_]{1,36}$");
  }
  return lId;
}

void RefuseParam(TRequestParams &aParams, const std::string &aName)
{
  if (aParams.Has(aName)) {
    aParams.MarkRead(aName);
    throw TApiError::NotRequired(aName);
  }
}

void PlaceOrder(TCall &aCall)
{
  TAccount &lAccount = SignedAccount(aCall);
  TRequestParams &lParams = aCall.fParams;
  TNewOrder lOrder;
  lOrder.fSymbol = SymbolIndex(aCall, lParams.RequiredSymbol());
  const std::optional<TSide> lSide = ParseSide(lParams.RequiredText("side"));
  if (!lSide) {
    throw TApiError::Bad(-1117, "Invalid side.");
  }
  lOrder.fSide = *lSide;
  const std::string lTypeName = lParams.RequiredText("type");
  if (lTypeName == "STOP_LOSS") {
    throw TApiError::Rejected("Stop loss orders are not supported for this symbol.");
  }
  if (lTypeName == "TAKE_PROFIT") {
    throw TApiError::Rejected("Take profit orders are not supported for this symbol.");
  }
  const std::optional<TOrderType> lType = ParseType(lTypeName);
  if (!lType) {
    throw TApiError::Bad(-1116, "Invalid orderType.");
  }
  lOrder.fType = *lType;
  const bool lLimitLike = *lType != TOrderType::Market;
  const bool lStop = *lType == TOrderType::StopLossLimit || *lType == TOrderType::TakeProfitLimit;
  const bool lNeedsTif = *lType == TOrderType::Limit || lStop;

  if (lNeedsTif) {
    const std::optional<TTimeInForce> lTif = ParseTimeInForce(lParams.RequiredText("timeInForce"));
    if (!lTif) {
      throw TApiError::Bad(-1115, "Invalid timeInForce.");
    }
    lOrder.fTimeInForce = *lTif;
  } else {
    RefuseParam(lParams, "timeInForce");
  }
  if (*lType == TOrderType::Market) {
    RefuseParam(lParams, "price");
    const bool lHasQty = lParams.Has("quantity");
    const bool lHasQuote = lParams.Has("quoteOrderQty");
    if (!lHasQty && !lHasQuote) {
      lParams.MarkRead("quantity");
      throw TApiError::Bad(-1102, "Param 'quantity' or 'quoteOrderQty' must be sent, but both "
                                  "were empty/null!");
    }
    if (lHasQty && lHasQuote) {
      RefuseParam(lParams, "quoteOrderQty");
    }
    lOrder.fQuantity = lParams.Decimal("quantity");
    lOrder.fQuoteOrderQty = lParams.Decimal("quoteOrderQty");
  } else {
    RefuseParam(lParams, "quoteOrderQty");
    lOrder.fQuantity = lParams.RequiredDecimal("quantity");
    lOrder.fPrice = lParams.RequiredDecimal("price");
  }
  if (lStop) {
    if (lParams.Has("trailingDelta")) {
      lParams.MarkRead("trailingDelta");
      throw TApiError::Rejected("Trailing stop orders are not supported for this symbol.");
    }
    lOrder.fStopPrice = lParams.RequiredDecimal("stopPrice");
  } else {
    RefuseParam(lParams, "stopPrice");
    RefuseParam(lParams, "trailingDelta");
  }
  if (lParams.Has("icebergQty")) {
    lParams.Decimal("icebergQty");
    throw TApiError::Rejected("Iceberg orders are not supported for this symbol.");
  }
  lOrder.fClientOrderId = ClientOrderIdParam(lParams, "newClientOrderId");
  TResponseType lResponse =
      lLimitLike && *lType != TOrderType::Limit ? TResponseType::Ack : TResponseType::Full;
  if (const std::optional<std::string> lText = lParams.Text("newOrderRespType")) {
    const std::optional<TResponseType> lParsed = ParseResponseType(*lText);
    if (!lParsed) {
      throw TApiError::InvalidData("newOrderRespType");
    }
    lResponse = *lParsed;
  }
  if (const std::optional<std::string> lMode = lParams.Text("selfTradePreventionMode")) {
    if (*lMode != "NONE" && *lMode != "EXPIRE_TAKER" && *lMode != "EXPIRE_MAKER" &&
        *lMode != "EXPIRE_BOTH") {
      throw TApiError::InvalidData("selfTradePreventionMode");
    }
    lOrder.fSelfTradePreventionMode = *lMode;
  }
  lOrder.fStrategyId = lParams.Integer("strategyId");
  lOrder.fStrategyType = lParams.Integer("strategyType");
  if (lOrder.fStrategyType && *lOrder.fStrategyType < 1'000'000) {
    throw TApiError::Bad(-1134, "`strategyType` was less than 1000000.");
  }
  lParams.CheckAllRead();

  // Counted before the engine sees the order, so that two at once cannot pass the limit; given
  // back when the engine refuses it. A fill at once is taken off later: the counts reported
  // are those at placement, as the exchange reports them.
  TOrderCounter &lCounter = aCall.fExchange.fOrderCounter;
  TOrderCounter::TCounts lCounts;
  std::string lLimit;
  if (!lCounter.Reserve(lAccount.fApiKey, aCall.fNowMs, lCounts, lLimit)) {
    throw TApiError(429, -1015, "Too many new orders; current limit is " + lLimit + ".");
  }
  std::optional<TPlaced> lPlaced;
  try {
    lPlaced = aCall.fExchange.fEngine.Place(lAccount, lOrder);
  } catch (...) {
    lCounter.Release(lAccount.fApiKey, aCall.fNowMs);
    throw;
  }
  aCall.fHeaders.emplace("x-mbx-order-count-10s", std::to_string(lCounts.f10s));
  aCall.fHeaders.emplace("x-mbx-order-count-1d", std::to_string(lCounts.fDay));
  aCall.fBody = NewOrderJson(lPlaced->fOrder, lPlaced->fFills, lResponse, lPlaced->fTransactTime,
                             aCall.fExchange.fCatalogue, aCall.fMicroseconds)
                    .dump();
  aCall.fFreeOfWeight = true;
}

void CancelOrder(TCall &aCall)
{
  TAccount &lAccount = SignedAccount(aCall);
  TRequestParams &lParams = aCall.fParams;
  const int lSymbol = SymbolIndex(aCall, lParams.RequiredSymbol());
  std::optional<int64_t> lOrderId;
  std::optional<std::string> lClientOrderId;
  OrderReference(lParams, lOrderId, lClientOrderId);
  std::optional<std::string> lCancelId = ClientOrderIdParam(lParams, "newClientOrderId");
  std::optional<std::string> lRestriction = lParams.Text("cancelRestrictions");
  if (lRestriction && *lRestriction != "ONLY_NEW" && *lRestriction != "ONLY_PARTIALLY_FILLED") {
    throw TApiError::Bad(-1145, "cancelRestrictions has to be either ONLY_NEW or "
                                "ONLY_PARTIALLY_FILLED.");
  }
  lParams.CheckAllRead();
  TMatchingEngine &lEngine = aCall.fExchange.fEngine;
  if (lRestriction) {
    const std::optional<TOrder> lCurrent =
        lEngine.Find(lAccount, lSymbol, lOrderId, lClientOrderId);
    const TOrderStatus lWanted =
        *lRestriction == "ONLY_NEW" ? TOrderStatus::New : TOrderStatus::PartiallyFilled;
    if (lCurrent && lCurrent->IsOpen() && lCurrent->fStatus != lWanted) {
      throw TApiError::Bad(-2011, "Order was not canceled due to cancel restrictions.");
    }
  }
  int64_t lTransactTime = 0;
  const TOrder lOrder = lEngine.Cancel(lAccount, lSymbol, lOrderId, lClientOrderId, lTransactTime);
  const std::string lOwnId =
      lCancelId ? *lCancelId : "cancel" + std::to_string(lOrder.fOrderId % 100000000);
  aCall.fBody =
      CancelJson(lOrder, lOwnId, lTransactTime, aCall.fExchange.fCatalogue, aCall.fMicroseconds)
          .dump();
  aCall.fFreeOfWeight = true;
}

void CancelOpenOrders(TCall &aCall)
{
  TAccount &lAccount = SignedAccount(aCall);
  const int lSymbol = SymbolIndex(aCall, aCall.fParams.RequiredSymbol());
  aCall.fParams.CheckAllRead();
  int64_t lTransactTime = 0;
  TJson lArray = TJson::array();
  for (const auto &[lOrder, lCancelId] :
       aCall.fExchange.fEngine.CancelAll(lAccount, lSymbol, lTransactTime)) {
    lArray.push_back(CancelJson(lOrder, lCancelId, lTransactTime, aCall.fExchange.fCatalogue,
                                aCall.fMicroseconds));
  }
  aCall.fBody = lArray.dump();
}

void MyTrades(TCall &aCall)
{
  TAccount &lAccount = SignedAccount(aCall);
  TRequestParams &lParams = aCall.fParams;
  TMyTradesQuery lQuery;
  lQuery.fSymbol = SymbolIndex(aCall, lParams.RequiredSymbol());
  lQuery.fOrderId = lParams.Integer("orderId");
  lQuery.fStartTime = lParams.Time("startTime");
  lQuery.fEndTime = lParams.Time("endTime");
  lQuery.fFromId = lParams.Integer("fromId");
  if (const std::optional<int64_t> lLimit = lParams.Integer("limit")) {
    if (*lLimit < 1) {
      throw TApiError::InvalidData("limit");
    }
    lQuery.fLimit = static_cast<int>(std::min<int64_t>(*lLimit, 1000));
  }
  lParams.CheckAllRead();
  // The combinations the exchange takes: symbol alone, or with orderId (and fromId), fromId,
  // startTime and/or endTime.
  const bool lTimes = lQuery.fStartTime || lQuery.fEndTime;
  if ((lQuery.fOrderId && lTimes) || (lQuery.fFromId && lTimes)) {
    throw TApiError::Bad(-1128, "Combination of optional parameters invalid.");
  }
  if (lQuery.fStartTime && lQuery.fEndTime) {
    if (*lQuery.fEndTime - *lQuery.fStartTime > cMaxWindowMs) {
      throw TApiError::Bad(-1127, "More than 24 hours between startTime and endTime.");
    }
  } else if (lQuery.fStartTime) {
    lQuery.fEndTime = *lQuery.fStartTime + cMaxWindowMs;
  } else if (lQuery.fEndTime) {
    lQuery.fStartTime = *lQuery.fEndTime - cMaxWindowMs;
  }
  const TSymbolCatalogue &lCatalogue = aCall.fExchange.fCatalogue;
  TJson lArray = TJson::array();
  for (const TTrade &lTrade : aCall.fExchange.fEngine.MyTrades(lAccount, lQuery)) {
    TJson lJson;
    lJson["symbol"] = lCatalogue.At(lQuery.fSymbol).fName;
    lJson["id"] = lTrade.fFill.fTradeId;
    lJson["orderId"] = lTrade.fOrderId;
    lJson["orderListId"] = -1;
    lJson["price"] = FormatUnits(lTrade.fFill.fPrice);
    lJson["qty"] = FormatUnits(lTrade.fFill.fQty);
    lJson["quoteQty"] = FormatUnits(MulUnits(lTrade.fFill.fPrice, lTrade.fFill.fQty));
    lJson["commission"] = FormatUnits(lTrade.fFill.fCommission);
    lJson["commissionAsset"] = lTrade.fFill.fCommissionAsset;
    lJson["time"] = aCall.Time(lTrade.fTime);
    lJson["isBuyer"] = lTrade.fIsBuyer;
    lJson["isMaker"] = lTrade.fIsMaker;
    lJson["isBestMatch"] = true;
    lArray.push_back(std::move(lJson));
  }
  aCall.fBody = lArray.dump();
}

} // namespace

void AddAccountRoutes(TRouteTable &aTable)
{
  auto lFixed = [](int64_t aWeight) {
    return [aWeight](const TRequestParams &) { return aWeight; };
  };
  aTable.Add("GET", "/api/v3/account", {lFixed(20), Account});
  aTable.Add(
      "GET", "/api/v3/openOrders",
      {[](const TRequestParams &aParams) -> int64_t { return aParams.Has("symbol") ? 6 : 80; },
       OpenOrders});
  aTable.Add("GET", "/api/v3/allOrders", {lFixed(20), AllOrders});
  aTable.Add("GET", "/api/v3/order", {lFixed(4), QueryOrder});
  aTable.Add("POST", "/api/v3/order", {lFixed(1), PlaceOrder});
  aTable.Add("DELETE", "/api/v3/order", {lFixed(1), CancelOrder});
  aTable.Add("DELETE", "/api/v3/openOrders", {lFixed(1), CancelOpenOrders});
  aTable.Add(
      "GET", "/api/v3/myTrades",
      {[](const TRequestParams &aParams) -> int64_t { return aParams.Has("orderId") ? 5 : 20; },
       MyTrades});
}

} // namespace vexa::sim
