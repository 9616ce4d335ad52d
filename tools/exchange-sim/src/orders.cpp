#include "orders.h"

namespace vexa::sim {

std::string_view SideName(TSide aSide)
{
  return aSide == TSide::Buy ? "BUY" : "SELL";
}

std::string_view TypeName(TOrderType aType)
{
  switch (aType) {
  case TOrderType::Limit:
    return "LIMIT";
  case TOrderType::Market:
    return "MARKET";
  case TOrderType::StopLossLimit:
    return "STOP_LOSS_LIMIT";
  case TOrderType::TakeProfitLimit:
    return "TAKE_PROFIT_LIMIT";
  case TOrderType::LimitMaker:
    return "LIMIT_MAKER";
  }
  return "LIMIT";
}

std::string_view TimeInForceName(TTimeInForce aTif)
{
  switch (aTif) {
  case TTimeInForce::Gtc:
    return "GTC";
  case TTimeInForce::Ioc:
    return "IOC";
  case TTimeInForce::Fok:
    return "FOK";
  }
  return "GTC";
}

std::string_view StatusName(TOrderStatus aStatus)
{
  switch (aStatus) {
  case TOrderStatus::New:
    return "NEW";
  case TOrderStatus::PartiallyFilled:
    return "PARTIALLY_FILLED";
  case TOrderStatus::Filled:
    return "FILLED";
  case TOrderStatus::Canceled:
    return "CANCELED";
  case TOrderStatus::Expired:
    return "EXPIRED";
  }
  return "NEW";
}

std::optional<TSide> ParseSide(std::string_view aText)
{
  if (aText == "BUY") {
    return TSide::Buy;
  }
  if (aText == "SELL") {
    return TSide::Sell;
  }
  return std::nullopt;
}

std::optional<TOrderType> ParseType(std::string_view aText)
{
  for (TOrderType lType : {TOrderType::Limit, TOrderType::Market, TOrderType::StopLossLimit,
                           TOrderType::TakeProfitLimit, TOrderType::LimitMaker}) {
    if (TypeName(lType) == aText) {
      return lType;
    }
  }
  return std::nullopt;
}

std::optional<TTimeInForce> ParseTimeInForce(std::string_view aText)
{
  for (TTimeInForce lTif : {TTimeInForce::Gtc, TTimeInForce::Ioc, TTimeInForce::Fok}) {
    if (TimeInForceName(lTif) == aText) {
      return lTif;
    }
  }
  return std::nullopt;
}

std::optional<TResponseType> ParseResponseType(std::string_view aText)
{
  if (aText == "ACK") {
    return TResponseType::Ack;
  }
  if (aText == "RESULT") {
    return TResponseType::Result;
  }
  if (aText == "FULL") {
    return TResponseType::Full;
  }
  return std::nullopt;
}

} // namespace vexa::sim
