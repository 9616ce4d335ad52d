#include "matching_engine.h"

#include "api_error.h"
#include "decimal.h"
#include "hashing.h"

#include <algorithm>

namespace vexa::sim {

namespace {

constexpr size_t cMaxOpenOrders = 200;
constexpr size_t cMaxOpenStops = 5;

const char *const cInsufficient = "Account has insufficient balance for requested action.";

} // namespace

TMatchingEngine::TMatchingEngine(TMarket &aMarket, const TClock &aClock)
    : fMarket(aMarket), fCatalogue(aMarket.Catalogue()), fClock(aClock)
{
  fSymbols.resize(static_cast<size_t>(fCatalogue.Count()));
  for (int i = 0; i < fCatalogue.Count(); ++i) {
    fSymbols[static_cast<size_t>(i)].fNextOrderId = fCatalogue.At(i).fFirstOrderId;
    fSymbols[static_cast<size_t>(i)].fNextTradeId = fCatalogue.At(i).fFirstTradeId;
  }
}

void TMatchingEngine::SetFirstFillListener(std::function<void(const TAccount &)> aListener)
{
  std::lock_guard lLock(fMutex);
  fFirstFillListener = std::move(aListener);
}

std::string TMatchingEngine::NewClientOrderId()
{
  static constexpr char cAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  uint64_t lHash = HashKey(static_cast<uint64_t>(fClock.NowMs()), ++fClientIdCounter);
  std::string lId;
  for (int i = 0; i < 22; ++i) {
    if (i % 10 == 0) {
      lHash = Mix64(lHash);
    }
    lId.push_back(cAlphabet[lHash % 62]);
    lHash /= 62;
  }
  return lId;
}

bool TMatchingEngine::IsMarketable(const TOrder &aOrder, int64_t aPrice) const
{
  return aOrder.fSide == TSide::Buy ? aPrice <= aOrder.fPrice : aPrice >= aOrder.fPrice;
}

bool TMatchingEngine::StopReached(const TOrder &aOrder, int64_t aPrice) const
{
  const bool lAbove = aPrice >= aOrder.fStopPrice;
  const bool lBelow = aPrice <= aOrder.fStopPrice;
  if (aOrder.fType == TOrderType::StopLossLimit) {
    return aOrder.fSide == TSide::Sell ? lBelow : lAbove;
  }
  return aOrder.fSide == TSide::Sell ? lAbove : lBelow;
}

void TMatchingEngine::CheckFilters(const TOrder &aOrder, int64_t aLastPrice) const
{
  const TSymbolInfo &lInfo = fCatalogue.At(aOrder.fSymbol);
  auto lPriceOk = [&lInfo](int64_t aPrice) {
    return aPrice >= lInfo.fMinPrice && aPrice <= lInfo.fMaxPrice && aPrice % lInfo.fTick == 0;
  };
  if (aOrder.HasPrice() && !lPriceOk(aOrder.fPrice)) {
    throw TApiError::Filter("PRICE_FILTER");
  }
  if (aOrder.IsStop() && !lPriceOk(aOrder.fStopPrice)) {
    throw TApiError::Filter("PRICE_FILTER");
  }
  if (aOrder.fOrigQty < lInfo.fMinQty || aOrder.fOrigQty > lInfo.fMaxQty ||
      aOrder.fOrigQty % lInfo.fStep != 0) {
    throw TApiError::Filter("LOT_SIZE");
  }
  if (aOrder.fType == TOrderType::Market && aOrder.fOrigQty > lInfo.fMarketMaxQty) {
    throw TApiError::Filter("MARKET_LOT_SIZE");
  }
  // Market orders are valued at the last price; their maximum is not applied.
  const int64_t lNotional =
      MulUnits(aOrder.HasPrice() ? aOrder.fPrice : aLastPrice, aOrder.fOrigQty);
  if (lNotional < lInfo.fMinNotional || (aOrder.HasPrice() && lNotional > lInfo.fMaxNotional)) {
    throw TApiError::Filter("NOTIONAL");
  }
}

TPlaced TMatchingEngine::Place(TAccount &aAccount, const TNewOrder &aRequest)
{
  std::lock_guard lLock(fMutex);
  const TSymbolInfo &lInfo = fCatalogue.At(aRequest.fSymbol);
  TSymbolOrders &lBook = fSymbols[static_cast<size_t>(aRequest.fSymbol)];
  const int64_t lLast = fMarket.LastPrice(aRequest.fSymbol);
  if (!aAccount.fCanTrade) {
    throw TApiError::Rejected("This account may not place or cancel orders.");
  }

  TOrder lOrder;
  lOrder.fSymbol = aRequest.fSymbol;
  lOrder.fAccount = &aAccount;
  lOrder.fSide = aRequest.fSide;
  lOrder.fType = aRequest.fType;
  lOrder.fTimeInForce = aRequest.fTimeInForce;
  lOrder.fPrice = aRequest.fType == TOrderType::Market ? 0 : aRequest.fPrice;
  lOrder.fStopPrice = aRequest.fStopPrice;
  lOrder.fSelfTradePreventionMode = aRequest.fSelfTradePreventionMode;
  lOrder.fStrategyId = aRequest.fStrategyId;
  lOrder.fStrategyType = aRequest.fStrategyType;
  if (aRequest.fQuoteOrderQty) {
    // Spend (or receive) at most this much quote; the quantity follows the step size.
    if (*aRequest.fQuoteOrderQty < lInfo.fMinNotional) {
      throw TApiError::Filter("NOTIONAL");
    }
    const int64_t lQty = MulDiv(*aRequest.fQuoteOrderQty, cUnit, lLast);
    lOrder.fOrigQty = lQty / lInfo.fStep * lInfo.fStep;
    lOrder.fOrigQuoteOrderQty = *aRequest.fQuoteOrderQty;
  } else {
    lOrder.fOrigQty = aRequest.fQuantity.value_or(0);
  }
  CheckFilters(lOrder, lLast);

  size_t lOpenHere = 0;
  size_t lStopsHere = 0;
  for (const TSymbolOrders &lSymbol : fSymbols) {
    for (int64_t lId : lSymbol.fOpen) {
      const TOrder &lOpen = lSymbol.fOrders.at(lId);
      if (lOpen.fAccount != &aAccount) {
        continue;
      }
      if (aRequest.fClientOrderId && lOpen.fClientOrderId == *aRequest.fClientOrderId) {
        throw TApiError::Rejected("Duplicate order sent.");
      }
      if (&lSymbol == &lBook) {
        ++lOpenHere;
        lStopsHere += lOpen.IsStop() && !lOpen.fIsWorking ? 1 : 0;
      }
    }
  }
  // The matching engine refuses these, unlike the filters checked at the gate: -2010.
  if (lOpenHere >= cMaxOpenOrders) {
    throw TApiError::Rejected("Filter failure: MAX_NUM_ORDERS");
  }
  if (lOrder.IsStop() && lStopsHere >= cMaxOpenStops) {
    throw TApiError::Rejected("Filter failure: MAX_NUM_ALGO_ORDERS");
  }
  if (lOrder.IsStop() && StopReached(lOrder, lLast)) {
    throw TApiError::Rejected("Order would trigger immediately.");
  }
  if (lOrder.fType == TOrderType::LimitMaker && IsMarketable(lOrder, lLast)) {
    throw TApiError::Rejected("Order would immediately match and take.");
  }

  const bool lBuy = lOrder.fSide == TSide::Buy;
  const int64_t lNeed =
      lBuy ? MulUnits(lOrder.HasPrice() ? lOrder.fPrice : lLast, lOrder.fOrigQty) : lOrder.fOrigQty;
  TBalance &lFunds = aAccount.fBalances[lBuy ? lInfo.fQuote : lInfo.fBase];
  if (lFunds.fFree < lNeed) {
    throw TApiError::Rejected(cInsufficient);
  }
  lFunds.fFree -= lNeed;
  lFunds.fLocked += lNeed;
  lOrder.fLocked = lNeed;

  const int64_t lNow = fClock.NowMs();
  lOrder.fOrderId = lBook.fNextOrderId++;
  lOrder.fClientOrderId = aRequest.fClientOrderId ? *aRequest.fClientOrderId : NewClientOrderId();
  lOrder.fTime = lNow;
  lOrder.fUpdateTime = lNow;
  if (!lOrder.IsStop()) {
    lOrder.fIsWorking = true;
    lOrder.fWorkingTime = lNow;
  }

  TPlaced lPlaced;
  lPlaced.fTransactTime = lNow;
  if (lOrder.fType == TOrderType::Market) {
    lPlaced.fFills.push_back(Fill(lOrder, lOrder.fOrigQty, lLast, false, lNow));
  } else if (!lOrder.IsStop()) {
    if (IsMarketable(lOrder, lLast)) {
      lPlaced.fFills.push_back(Fill(lOrder, lOrder.fOrigQty, lLast, false, lNow));
    } else if (lOrder.fTimeInForce != TTimeInForce::Gtc) {
      Release(lOrder);
      lOrder.fStatus = TOrderStatus::Expired;
    }
  }
  if (lOrder.IsOpen()) {
    lBook.fOpen.insert(lOrder.fOrderId);
    fMarket.BumpUpdateId(lOrder.fSymbol);
  }
  lBook.fOrders.emplace(lOrder.fOrderId, lOrder);
  fUpdateTimes[&aAccount] = lNow;
  lPlaced.fOrder = lOrder;
  return lPlaced;
}

TFill TMatchingEngine::Fill(TOrder &aOrder, int64_t aQty, int64_t aPrice, bool aMaker,
                            int64_t aNowMs)
{
  const TSymbolInfo &lInfo = fCatalogue.At(aOrder.fSymbol);
  TAccount &lAccount = *aOrder.fAccount;
  if (aOrder.fExecutedQty == 0 && fFirstFillListener) {
    fFirstFillListener(lAccount);
  }
  const bool lCompletes = aOrder.fExecutedQty + aQty >= aOrder.fOrigQty;
  const int64_t lQuote = MulUnits(aPrice, aQty);
  TFill lFill;
  lFill.fPrice = aPrice;
  lFill.fQty = aQty;
  int64_t lRelease = 0;
  if (aOrder.fSide == TSide::Buy) {
    const int64_t lLockPrice = aOrder.HasPrice() ? aOrder.fPrice : aPrice;
    lRelease = lCompletes ? aOrder.fLocked : std::min(aOrder.fLocked, MulUnits(lLockPrice, aQty));
    TBalance &lQuoteFunds = lAccount.fBalances[lInfo.fQuote];
    lQuoteFunds.fLocked -= lRelease;
    lQuoteFunds.fFree += lRelease - lQuote;
    lFill.fCommission = MulDiv(aQty, lAccount.fCommissionBps, 10000);
    lFill.fCommissionAsset = lInfo.fBase;
    lAccount.fBalances[lInfo.fBase].fFree += aQty - lFill.fCommission;
  } else {
    lRelease = lCompletes ? aOrder.fLocked : std::min(aOrder.fLocked, aQty);
    TBalance &lBaseFunds = lAccount.fBalances[lInfo.fBase];
    lBaseFunds.fLocked -= lRelease;
    lBaseFunds.fFree += lRelease - aQty;
    lFill.fCommission = MulDiv(lQuote, lAccount.fCommissionBps, 10000);
    lFill.fCommissionAsset = lInfo.fQuote;
    lAccount.fBalances[lInfo.fQuote].fFree += lQuote - lFill.fCommission;
  }
  aOrder.fLocked -= lRelease;
  aOrder.fExecutedQty += aQty;
  aOrder.fCummulativeQuoteQty += lQuote;
  aOrder.fStatus = lCompletes ? TOrderStatus::Filled : TOrderStatus::PartiallyFilled;
  aOrder.fUpdateTime = aNowMs;
  TSymbolOrders &lBook = fSymbols[static_cast<size_t>(aOrder.fSymbol)];
  lFill.fTradeId = lBook.fNextTradeId++;
  lBook.fTrades.push_back(
      TTrade{lFill, aOrder.fOrderId, &lAccount, aNowMs, aOrder.fSide == TSide::Buy, aMaker});
  fUpdateTimes[&lAccount] = aNowMs;
  // A buyer who takes lifts the ask; a resting buyer is hit by a seller.
  fMarket.AddTradeVolume(aOrder.fSymbol, aQty, (aOrder.fSide == TSide::Buy) != aMaker);
  return lFill;
}

void TMatchingEngine::Release(TOrder &aOrder)
{
  const TSymbolInfo &lInfo = fCatalogue.At(aOrder.fSymbol);
  TBalance &lFunds =
      aOrder.fAccount->fBalances[aOrder.fSide == TSide::Buy ? lInfo.fQuote : lInfo.fBase];
  lFunds.fLocked -= aOrder.fLocked;
  lFunds.fFree += aOrder.fLocked;
  aOrder.fLocked = 0;
}

void TMatchingEngine::Close(TOrder &aOrder, TOrderStatus aStatus, int64_t aNowMs)
{
  Release(aOrder);
  aOrder.fStatus = aStatus;
  aOrder.fUpdateTime = aNowMs;
  fSymbols[static_cast<size_t>(aOrder.fSymbol)].fOpen.erase(aOrder.fOrderId);
  fUpdateTimes[aOrder.fAccount] = aNowMs;
  fMarket.BumpUpdateId(aOrder.fSymbol);
}

const TOrder *TMatchingEngine::FindLocked(const TAccount &aAccount, int aSymbol,
                                          std::optional<int64_t> aOrderId,
                                          const std::optional<std::string> &aClientOrderId) const
{
  const TSymbolOrders &lBook = fSymbols[static_cast<size_t>(aSymbol)];
  if (aOrderId) {
    const auto lIt = lBook.fOrders.find(*aOrderId);
    if (lIt == lBook.fOrders.end() || lIt->second.fAccount != &aAccount ||
        (aClientOrderId && lIt->second.fClientOrderId != *aClientOrderId)) {
      return nullptr;
    }
    return &lIt->second;
  }
  if (!aClientOrderId) {
    return nullptr;
  }
  // The most recent order with that client id.
  for (auto lIt = lBook.fOrders.rbegin(); lIt != lBook.fOrders.rend(); ++lIt) {
    if (lIt->second.fAccount == &aAccount && lIt->second.fClientOrderId == *aClientOrderId) {
      return &lIt->second;
    }
  }
  return nullptr;
}

TOrder TMatchingEngine::Cancel(TAccount &aAccount, int aSymbol, std::optional<int64_t> aOrderId,
                               const std::optional<std::string> &aClientOrderId,
                               int64_t &aTransactTime)
{
  std::lock_guard lLock(fMutex);
  if (!aAccount.fCanTrade) {
    throw TApiError::Bad(-2011, "This account may not place or cancel orders.");
  }
  const TOrder *lFound = FindLocked(aAccount, aSymbol, aOrderId, aClientOrderId);
  if (lFound == nullptr || !lFound->IsOpen()) {
    throw TApiError::UnknownOrder();
  }
  TOrder &lOrder = fSymbols[static_cast<size_t>(aSymbol)].fOrders.at(lFound->fOrderId);
  aTransactTime = fClock.NowMs();
  Close(lOrder, TOrderStatus::Canceled, aTransactTime);
  return lOrder;
}

std::vector<std::pair<TOrder, std::string>>
TMatchingEngine::CancelAll(TAccount &aAccount, int aSymbol, int64_t &aTransactTime)
{
  std::lock_guard lLock(fMutex);
  if (!aAccount.fCanTrade) {
    throw TApiError::Bad(-2011, "This account may not place or cancel orders.");
  }
  TSymbolOrders &lBook = fSymbols[static_cast<size_t>(aSymbol)];
  std::vector<int64_t> lIds;
  for (int64_t lId : lBook.fOpen) {
    if (lBook.fOrders.at(lId).fAccount == &aAccount) {
      lIds.push_back(lId);
    }
  }
  if (lIds.empty()) {
    throw TApiError::UnknownOrder();
  }
  aTransactTime = fClock.NowMs();
  std::vector<std::pair<TOrder, std::string>> lCanceled;
  for (int64_t lId : lIds) {
    TOrder &lOrder = lBook.fOrders.at(lId);
    Close(lOrder, TOrderStatus::Canceled, aTransactTime);
    lCanceled.emplace_back(lOrder, NewClientOrderId());
  }
  return lCanceled;
}

std::optional<TOrder> TMatchingEngine::Find(const TAccount &aAccount, int aSymbol,
                                            std::optional<int64_t> aOrderId,
                                            const std::optional<std::string> &aClientOrderId) const
{
  std::lock_guard lLock(fMutex);
  const TOrder *lOrder = FindLocked(aAccount, aSymbol, aOrderId, aClientOrderId);
  if (lOrder == nullptr) {
    return std::nullopt;
  }
  return *lOrder;
}

std::vector<TOrder> TMatchingEngine::OpenOrders(const TAccount &aAccount,
                                                std::optional<int> aSymbol) const
{
  std::lock_guard lLock(fMutex);
  std::vector<TOrder> lOrders;
  for (size_t i = 0; i < fSymbols.size(); ++i) {
    if (aSymbol && static_cast<size_t>(*aSymbol) != i) {
      continue;
    }
    for (int64_t lId : fSymbols[i].fOpen) {
      const TOrder &lOrder = fSymbols[i].fOrders.at(lId);
      if (lOrder.fAccount == &aAccount) {
        lOrders.push_back(lOrder);
      }
    }
  }
  std::stable_sort(lOrders.begin(), lOrders.end(),
                   [](const TOrder &aA, const TOrder &aB) { return aA.fTime < aB.fTime; });
  return lOrders;
}

std::vector<TOrder> TMatchingEngine::AllOrders(const TAccount &aAccount,
                                               const TAllOrdersQuery &aQuery) const
{
  std::lock_guard lLock(fMutex);
  std::vector<const TOrder *> lMatches;
  for (const auto &[lId, lOrder] : fSymbols[static_cast<size_t>(aQuery.fSymbol)].fOrders) {
    if (lOrder.fAccount != &aAccount) {
      continue;
    }
    if (aQuery.fOrderId && lId < *aQuery.fOrderId) {
      continue;
    }
    if (aQuery.fStartTime && lOrder.fTime < *aQuery.fStartTime) {
      continue;
    }
    if (aQuery.fEndTime && lOrder.fTime > *aQuery.fEndTime) {
      continue;
    }
    lMatches.push_back(&lOrder);
  }
  const size_t lLimit = static_cast<size_t>(aQuery.fLimit);
  size_t lFirst = 0;
  // From a starting point the oldest come first; otherwise the most recent.
  if (!aQuery.fOrderId && !aQuery.fStartTime && lMatches.size() > lLimit) {
    lFirst = lMatches.size() - lLimit;
  }
  std::vector<TOrder> lOrders;
  for (size_t i = lFirst; i < lMatches.size() && lOrders.size() < lLimit; ++i) {
    lOrders.push_back(*lMatches[i]);
  }
  return lOrders;
}

std::vector<TTrade> TMatchingEngine::MyTrades(const TAccount &aAccount,
                                              const TMyTradesQuery &aQuery) const
{
  std::lock_guard lLock(fMutex);
  std::vector<const TTrade *> lMatches;
  for (const TTrade &lTrade : fSymbols[static_cast<size_t>(aQuery.fSymbol)].fTrades) {
    if (lTrade.fAccount != &aAccount || (aQuery.fOrderId && lTrade.fOrderId != *aQuery.fOrderId) ||
        (aQuery.fFromId && lTrade.fFill.fTradeId < *aQuery.fFromId) ||
        (aQuery.fStartTime && lTrade.fTime < *aQuery.fStartTime) ||
        (aQuery.fEndTime && lTrade.fTime > *aQuery.fEndTime)) {
      continue;
    }
    lMatches.push_back(&lTrade);
  }
  const size_t lLimit = static_cast<size_t>(aQuery.fLimit);
  size_t lFirst = 0;
  // From a starting point (an order, a trade id, a time) the oldest come first; otherwise the
  // most recent.
  if (!aQuery.fOrderId && !aQuery.fFromId && !aQuery.fStartTime && lMatches.size() > lLimit) {
    lFirst = lMatches.size() - lLimit;
  }
  std::vector<TTrade> lTrades;
  for (size_t i = lFirst; i < lMatches.size() && lTrades.size() < lLimit; ++i) {
    lTrades.push_back(*lMatches[i]);
  }
  return lTrades;
}

std::map<std::string, TBalance> TMatchingEngine::Balances(const TAccount &aAccount) const
{
  std::lock_guard lLock(fMutex);
  return aAccount.fBalances;
}

int64_t TMatchingEngine::UpdateTime(const TAccount &aAccount) const
{
  std::lock_guard lLock(fMutex);
  const auto lIt = fUpdateTimes.find(&aAccount);
  return lIt == fUpdateTimes.end() ? 0 : lIt->second;
}

void TMatchingEngine::SetBalance(TAccount &aAccount, const std::string &aAsset, int64_t aFree)
{
  std::lock_guard lLock(fMutex);
  aAccount.fBalances[aAsset].fFree = aFree;
  fUpdateTimes[&aAccount] = fClock.NowMs();
}

void TMatchingEngine::UserBook(int aSymbol, std::map<int64_t, int64_t> &aBids,
                               std::map<int64_t, int64_t> &aAsks) const
{
  std::lock_guard lLock(fMutex);
  const TSymbolOrders &lBook = fSymbols[static_cast<size_t>(aSymbol)];
  for (int64_t lId : lBook.fOpen) {
    const TOrder &lOrder = lBook.fOrders.at(lId);
    if (!lOrder.fIsWorking) {
      continue;
    }
    const int64_t lRemaining = lOrder.fOrigQty - lOrder.fExecutedQty;
    (lOrder.fSide == TSide::Buy ? aBids : aAsks)[lOrder.fPrice] += lRemaining;
  }
}

void TMatchingEngine::OnPrice(int aSymbol, int64_t aPrice)
{
  std::lock_guard lLock(fMutex);
  TSymbolOrders &lBook = fSymbols[static_cast<size_t>(aSymbol)];
  if (lBook.fOpen.empty()) {
    return;
  }
  const int64_t lNow = fClock.NowMs();
  const std::vector<int64_t> lIds(lBook.fOpen.begin(), lBook.fOpen.end());
  for (int64_t lId : lIds) {
    TOrder &lOrder = lBook.fOrders.at(lId);
    const int64_t lRemaining = lOrder.fOrigQty - lOrder.fExecutedQty;
    if (lOrder.IsStop() && !lOrder.fIsWorking) {
      if (!StopReached(lOrder, aPrice)) {
        continue;
      }
      lOrder.fIsWorking = true;
      lOrder.fWorkingTime = lNow;
      lOrder.fUpdateTime = lNow;
      fUpdateTimes[lOrder.fAccount] = lNow;
      // Just triggered: it takes liquidity at the trade price if its limit allows.
      if (IsMarketable(lOrder, aPrice)) {
        Fill(lOrder, lRemaining, aPrice, false, lNow);
      }
    } else if (IsMarketable(lOrder, aPrice)) {
      // Resting: it is filled at its own price.
      Fill(lOrder, lRemaining, lOrder.fPrice, true, lNow);
    }
    if (!lOrder.IsOpen()) {
      lBook.fOpen.erase(lId);
    }
  }
}

std::optional<TOrder> TMatchingEngine::ForceFill(int aSymbol, int64_t aOrderId,
                                                 std::optional<int64_t> aQty,
                                                 std::optional<int64_t> aPrice, std::string &aError)
{
  std::lock_guard lLock(fMutex);
  TSymbolOrders &lBook = fSymbols[static_cast<size_t>(aSymbol)];
  const auto lIt = lBook.fOrders.find(aOrderId);
  if (lIt == lBook.fOrders.end() || !lIt->second.IsOpen()) {
    aError = "no open order " + std::to_string(aOrderId);
    return std::nullopt;
  }
  TOrder &lOrder = lIt->second;
  const int64_t lRemaining = lOrder.fOrigQty - lOrder.fExecutedQty;
  const int64_t lQty = aQty.value_or(lRemaining);
  if (lQty <= 0 || lQty > lRemaining) {
    aError = "qty must be above 0 and at most the open quantity";
    return std::nullopt;
  }
  const int64_t lPrice = aPrice.value_or(lOrder.fPrice);
  if (lPrice <= 0 || !IsMarketable(lOrder, lPrice)) {
    aError = "price is worse than the order's limit";
    return std::nullopt;
  }
  const int64_t lNow = fClock.NowMs();
  if (!lOrder.fIsWorking) {
    lOrder.fIsWorking = true;
    lOrder.fWorkingTime = lNow;
  }
  Fill(lOrder, lQty, lPrice, true, lNow);
  if (!lOrder.IsOpen()) {
    lBook.fOpen.erase(aOrderId);
  }
  fMarket.BumpUpdateId(aSymbol);
  return lOrder;
}

std::optional<TOrder> TMatchingEngine::ForceEnd(int aSymbol, int64_t aOrderId, TOrderStatus aStatus)
{
  std::lock_guard lLock(fMutex);
  TSymbolOrders &lBook = fSymbols[static_cast<size_t>(aSymbol)];
  const auto lIt = lBook.fOrders.find(aOrderId);
  if (lIt == lBook.fOrders.end() || !lIt->second.IsOpen()) {
    return std::nullopt;
  }
  Close(lIt->second, aStatus, fClock.NowMs());
  return lIt->second;
}

} // namespace vexa::sim
