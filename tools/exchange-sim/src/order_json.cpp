#include "order_json.h"

#include "decimal.h"

namespace vexa::sim {

namespace {

int64_t Scaled(int64_t aMs, bool aMicroseconds)
{
  return aMicroseconds && aMs >= 0 ? aMs * 1000 : aMs;
}

void AddStrategy(TJson &aJson, const TOrder &aOrder)
{
  if (aOrder.fStrategyId) {
    aJson["strategyId"] = *aOrder.fStrategyId;
  }
  if (aOrder.fStrategyType) {
    aJson["strategyType"] = *aOrder.fStrategyType;
  }
}

// Prices, quantities and the order's state, as order and cancel answers both carry them.
void AddOrderFigures(TJson &aJson, const TOrder &aOrder)
{
  aJson["price"] = FormatUnits(aOrder.fPrice);
  aJson["origQty"] = FormatUnits(aOrder.fOrigQty);
  aJson["executedQty"] = FormatUnits(aOrder.fExecutedQty);
  aJson["origQuoteOrderQty"] = FormatUnits(aOrder.fOrigQuoteOrderQty);
  aJson["cummulativeQuoteQty"] = FormatUnits(aOrder.fCummulativeQuoteQty);
  aJson["status"] = StatusName(aOrder.fStatus);
  aJson["timeInForce"] = TimeInForceName(aOrder.fTimeInForce);
  aJson["type"] = TypeName(aOrder.fType);
  aJson["side"] = SideName(aOrder.fSide);
  if (aOrder.IsStop()) {
    aJson["stopPrice"] = FormatUnits(aOrder.fStopPrice);
  }
}

} // namespace

TJson OrderJson(const TOrder &aOrder, const TSymbolCatalogue &aCatalogue, bool aMicroseconds)
{
  TJson lJson;
  lJson["symbol"] = aCatalogue.At(aOrder.fSymbol).fName;
  lJson["orderId"] = aOrder.fOrderId;
  lJson["orderListId"] = -1;
  lJson["clientOrderId"] = aOrder.fClientOrderId;
  lJson["price"] = FormatUnits(aOrder.fPrice);
  lJson["origQty"] = FormatUnits(aOrder.fOrigQty);
  lJson["executedQty"] = FormatUnits(aOrder.fExecutedQty);
  lJson["cummulativeQuoteQty"] = FormatUnits(aOrder.fCummulativeQuoteQty);
  lJson["status"] = StatusName(aOrder.fStatus);
  lJson["timeInForce"] = TimeInForceName(aOrder.fTimeInForce);
  lJson["type"] = TypeName(aOrder.fType);
  lJson["side"] = SideName(aOrder.fSide);
  lJson["stopPrice"] = FormatUnits(aOrder.fStopPrice);
  lJson["icebergQty"] = FormatUnits(0);
  lJson["time"] = Scaled(aOrder.fTime, aMicroseconds);
  lJson["updateTime"] = Scaled(aOrder.fUpdateTime, aMicroseconds);
  lJson["isWorking"] = aOrder.fIsWorking;
  lJson["workingTime"] = Scaled(aOrder.fWorkingTime, aMicroseconds);
  lJson["origQuoteOrderQty"] = FormatUnits(aOrder.fOrigQuoteOrderQty);
  lJson["selfTradePreventionMode"] = aOrder.fSelfTradePreventionMode;
  AddStrategy(lJson, aOrder);
  return lJson;
}

TJson NewOrderJson(const TOrder &aOrder, const std::vector<TFill> &aFills, TResponseType aType,
                   int64_t aTransactTime, const TSymbolCatalogue &aCatalogue, bool aMicroseconds)
{
  TJson lJson;
  lJson["symbol"] = aCatalogue.At(aOrder.fSymbol).fName;
  lJson["orderId"] = aOrder.fOrderId;
  lJson["orderListId"] = -1;
  lJson["clientOrderId"] = aOrder.fClientOrderId;
  lJson["transactTime"] = Scaled(aTransactTime, aMicroseconds);
  if (aType == TResponseType::Ack) {
    return lJson;
  }
  AddOrderFigures(lJson, aOrder);
  lJson["workingTime"] = Scaled(aOrder.fWorkingTime, aMicroseconds);
  lJson["selfTradePreventionMode"] = aOrder.fSelfTradePreventionMode;
  AddStrategy(lJson, aOrder);
  if (aType == TResponseType::Full) {
    TJson lFills = TJson::array();
    for (const TFill &lFill : aFills) {
      lFills.push_back(TJson{{"price", FormatUnits(lFill.fPrice)},
                             {"qty", FormatUnits(lFill.fQty)},
                             {"commission", FormatUnits(lFill.fCommission)},
                             {"commissionAsset", lFill.fCommissionAsset},
                             {"tradeId", lFill.fTradeId}});
    }
    lJson["fills"] = std::move(lFills);
  }
  return lJson;
}

TJson CancelJson(const TOrder &aOrder, const std::string &aCancelClientId, int64_t aTransactTime,
                 const TSymbolCatalogue &aCatalogue, bool aMicroseconds)
{
  TJson lJson;
  lJson["symbol"] = aCatalogue.At(aOrder.fSymbol).fName;
  lJson["origClientOrderId"] = aOrder.fClientOrderId;
  lJson["orderId"] = aOrder.fOrderId;
  lJson["orderListId"] = -1;
  lJson["clientOrderId"] = aCancelClientId;
  lJson["transactTime"] = Scaled(aTransactTime, aMicroseconds);
  AddOrderFigures(lJson, aOrder);
  lJson["selfTradePreventionMode"] = aOrder.fSelfTradePreventionMode;
  AddStrategy(lJson, aOrder);
  return lJson;
}

} // namespace vexa::sim
