#pragma once

#include "accounts.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexa::sim {

enum class TSide { Buy, Sell };
enum class TOrderType { Limit, Market, StopLossLimit, TakeProfitLimit, LimitMaker };
enum class TTimeInForce { Gtc, Ioc, Fok };
enum class TOrderStatus { New, PartiallyFilled, Filled, Canceled, Expired };
enum class TResponseType { Ack, Result, Full };

struct TOrder
{
  int fSymbol = 0;
  int64_t fOrderId = 0;
  TAccount *fAccount = nullptr;
  std::string fClientOrderId;
  TSide fSide = TSide::Buy;
  TOrderType fType = TOrderType::Limit;
  TTimeInForce fTimeInForce = TTimeInForce::Gtc;
  int64_t fPrice = 0;
  int64_t fOrigQty = 0;
  int64_t fExecutedQty = 0;
  int64_t fCummulativeQuoteQty = 0;
  int64_t fStopPrice = 0;
  int64_t fOrigQuoteOrderQty = 0;
  TOrderStatus fStatus = TOrderStatus::New;
  int64_t fTime = 0;
  int64_t fUpdateTime = 0;
  int64_t fWorkingTime = -1;
  bool fIsWorking = false;
  std::string fSelfTradePreventionMode = "NONE";
  std::optional<int64_t> fStrategyId;
  std::optional<int64_t> fStrategyType;
  int64_t fLocked = 0; // funds still locked for the unfilled part

  bool IsOpen() const
  {
    return fStatus == TOrderStatus::New || fStatus == TOrderStatus::PartiallyFilled;
  }
  bool IsStop() const
  {
    return fType == TOrderType::StopLossLimit || fType == TOrderType::TakeProfitLimit;
  }
  bool HasPrice() const { return fType != TOrderType::Market; }
};

struct TFill
{
  int64_t fPrice = 0;
  int64_t fQty = 0;
  int64_t fCommission = 0;
  std::string fCommissionAsset;
  int64_t fTradeId = 0;
};

// One fill as the account's trade list (myTrades) keeps it.
struct TTrade
{
  TFill fFill;
  int64_t fOrderId = 0;
  const TAccount *fAccount = nullptr;
  int64_t fTime = 0;
  bool fIsBuyer = false;
  bool fIsMaker = false;
};

std::string_view SideName(TSide aSide);
std::string_view TypeName(TOrderType aType);
std::string_view TimeInForceName(TTimeInForce aTif);
std::string_view StatusName(TOrderStatus aStatus);

std::optional<TSide> ParseSide(std::string_view aText);
std::optional<TOrderType> ParseType(std::string_view aText);
std::optional<TTimeInForce> ParseTimeInForce(std::string_view aText);
std::optional<TResponseType> ParseResponseType(std::string_view aText);

} // namespace vexa::sim
