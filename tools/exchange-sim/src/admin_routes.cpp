// Loopback-only admin resources that let a test script a scenario: faults, the price feed,
// prices, fills and cancels, weights and balances.
#include "decimal.h"
#include "order_json.h"
#include "server.h"

#include <charconv>
#include <nlohmann/json.hpp>

namespace vexa::sim {

namespace {

using TJsonIn = nlohmann::json;

class TAdminError : public std::runtime_error
{
public:
  TAdminError(int aStatus, const std::string &aMessage)
      : std::runtime_error(aMessage), fStatus(aStatus)
  {
  }
  int Status() const { return fStatus; }

private:
  int fStatus;
};

int SymbolOf(TExchange &aExchange, const TJsonIn &aBody)
{
  const std::string lName = aBody.value("symbol", "");
  const int lIndex = aExchange.fCatalogue.Find(lName);
  if (lIndex < 0) {
    throw TAdminError(400, "unknown symbol '" + lName + "'");
  }
  return lIndex;
}

// Amounts as decimal strings ("65000.5") or whole numbers.
int64_t AmountOf(const TJsonIn &aValue, const char *aName)
{
  std::string lText;
  if (aValue.is_string()) {
    lText = aValue.get<std::string>();
  } else if (aValue.is_number_unsigned() || aValue.is_number_integer()) {
    lText = std::to_string(aValue.get<int64_t>());
  } else if (aValue.is_number_float()) {
    char lBuffer[64];
    const auto lResult = std::to_chars(lBuffer, lBuffer + sizeof lBuffer, aValue.get<double>(),
                                       std::chars_format::fixed, 8);
    lText.assign(lBuffer, lResult.ptr);
  }
  int64_t lUnits = 0;
  if (ParseDecimal(lText, lUnits) != TDecimalParse::Ok) {
    throw TAdminError(400, std::string(aName) + " must be a plain decimal");
  }
  return lUnits;
}

double RateOf(const TJsonIn &aValue, const char *aName)
{
  if (!aValue.is_number() || aValue.get<double>() < 0 || aValue.get<double>() > 1) {
    throw TAdminError(400, std::string(aName) + " must be a number from 0 to 1");
  }
  return aValue.get<double>();
}

nlohmann::ordered_json FaultState(TExchange &aExchange)
{
  const TFaultSettings lFaults = aExchange.fFaults.Settings();
  return {{"latencyMs", lFaults.fLatencyMs},
          {"failRate", lFaults.fFailRate},
          {"resetRate", lFaults.fResetRate},
          {"garbageRate", lFaults.fGarbageRate},
          {"clockOffsetMs", aExchange.fClock.OffsetMs()}};
}

nlohmann::ordered_json Faults(TExchange &aExchange, const TJsonIn &aBody)
{
  TFaultSettings lFaults = aExchange.fFaults.Settings();
  if (aBody.contains("latencyMs")) {
    if (!aBody["latencyMs"].is_number_integer() || aBody["latencyMs"].get<int64_t>() < 0) {
      throw TAdminError(400, "latencyMs must be a whole number of milliseconds");
    }
    lFaults.fLatencyMs = aBody["latencyMs"].get<int64_t>();
  }
  if (aBody.contains("failRate")) {
    lFaults.fFailRate = RateOf(aBody["failRate"], "failRate");
  }
  if (aBody.contains("resetRate")) {
    lFaults.fResetRate = RateOf(aBody["resetRate"], "resetRate");
  }
  if (aBody.contains("garbageRate")) {
    lFaults.fGarbageRate = RateOf(aBody["garbageRate"], "garbageRate");
  }
  if (aBody.contains("clockOffsetMs")) {
    if (!aBody["clockOffsetMs"].is_number_integer()) {
      throw TAdminError(400, "clockOffsetMs must be a whole number of milliseconds");
    }
    aExchange.fClock.SetOffsetMs(aBody["clockOffsetMs"].get<int64_t>());
  }
  aExchange.fFaults.Set(lFaults);
  return FaultState(aExchange);
}

nlohmann::ordered_json Feed(TExchange &aExchange, const TJsonIn &aBody)
{
  if (!aBody.contains("paused") || !aBody["paused"].is_boolean()) {
    throw TAdminError(400, "paused (true or false) is required");
  }
  const bool lPaused = aBody["paused"].get<bool>();
  if (aBody.contains("symbol")) {
    aExchange.fMarket.SetSymbolPaused(SymbolOf(aExchange, aBody), lPaused);
    return {{"symbol", aBody["symbol"]}, {"paused", lPaused}};
  }
  aExchange.fMarket.SetPaused(lPaused);
  return {{"paused", lPaused}};
}

nlohmann::ordered_json Price(TExchange &aExchange, const TJsonIn &aBody)
{
  const int lSymbol = SymbolOf(aExchange, aBody);
  if (!aBody.contains("price")) {
    throw TAdminError(400, "price is required");
  }
  const TSymbolInfo &lInfo = aExchange.fCatalogue.At(lSymbol);
  const int64_t lPrice = AmountOf(aBody["price"], "price");
  if (lPrice < lInfo.fMinPrice || lPrice > lInfo.fMaxPrice || lPrice % lInfo.fTick != 0) {
    throw TAdminError(400, "price must lie within the PRICE_FILTER and be a multiple of tickSize " +
                               FormatUnits(lInfo.fTick));
  }
  aExchange.fMarket.SetPrice(lSymbol, lPrice);
  return {{"symbol", lInfo.fName}, {"price", FormatUnits(aExchange.fMarket.LastPrice(lSymbol))}};
}

int64_t OrderIdOf(const TJsonIn &aBody)
{
  if (!aBody.contains("orderId") || !aBody["orderId"].is_number_integer()) {
    throw TAdminError(400, "orderId (a number) is required");
  }
  return aBody["orderId"].get<int64_t>();
}

nlohmann::ordered_json FillOrder(TExchange &aExchange, const TJsonIn &aBody)
{
  const int lSymbol = SymbolOf(aExchange, aBody);
  const int64_t lOrderId = OrderIdOf(aBody);
  std::optional<int64_t> lQty;
  std::optional<int64_t> lPrice;
  if (aBody.contains("qty")) {
    lQty = AmountOf(aBody["qty"], "qty");
  }
  if (aBody.contains("price")) {
    lPrice = AmountOf(aBody["price"], "price");
  }
  std::string lError;
  const std::optional<TOrder> lOrder =
      aExchange.fEngine.ForceFill(lSymbol, lOrderId, lQty, lPrice, lError);
  if (!lOrder) {
    throw TAdminError(lError.rfind("no open order", 0) == 0 ? 404 : 400, lError);
  }
  return OrderJson(*lOrder, aExchange.fCatalogue, false);
}

nlohmann::ordered_json CancelOrder(TExchange &aExchange, const TJsonIn &aBody)
{
  const int lSymbol = SymbolOf(aExchange, aBody);
  const int64_t lOrderId = OrderIdOf(aBody);
  const std::string lStatus = aBody.value("status", "CANCELED");
  if (lStatus != "CANCELED" && lStatus != "EXPIRED") {
    throw TAdminError(400, "status must be CANCELED or EXPIRED");
  }
  const std::optional<TOrder> lOrder = aExchange.fEngine.ForceEnd(
      lSymbol, lOrderId, lStatus == "EXPIRED" ? TOrderStatus::Expired : TOrderStatus::Canceled);
  if (!lOrder) {
    throw TAdminError(404, "no open order " + std::to_string(lOrderId));
  }
  return OrderJson(*lOrder, aExchange.fCatalogue, false);
}

nlohmann::ordered_json Weights(TExchange &aExchange, const TJsonIn &aBody, bool aReset)
{
  if (aReset || aBody.value("reset", false)) {
    aExchange.fLimiter.Reset();
  }
  if (aBody.contains("limit")) {
    if (!aBody["limit"].is_number_integer() || aBody["limit"].get<int64_t>() < 1) {
      throw TAdminError(400, "limit must be a positive whole number");
    }
    aExchange.fLimiter.SetLimit(aBody["limit"].get<int64_t>());
  }
  if (aBody.contains("banSeconds")) {
    if (!aBody["banSeconds"].is_number_integer() || aBody["banSeconds"].get<int64_t>() < 1) {
      throw TAdminError(400, "banSeconds must be a positive whole number");
    }
    aExchange.fLimiter.SetBanSeconds(aBody["banSeconds"].get<int64_t>());
  }
  return {{"limit", aExchange.fLimiter.Limit()}};
}

nlohmann::ordered_json Balance(TExchange &aExchange, const TJsonIn &aBody)
{
  TAccount *lAccount = nullptr;
  if (aBody.contains("apiKey")) {
    lAccount = aExchange.fAccounts.Find(aBody.value("apiKey", ""));
  } else if (!aExchange.fAccounts.All().empty()) {
    lAccount = aExchange.fAccounts.All().front().get();
  }
  if (lAccount == nullptr) {
    throw TAdminError(404, "unknown apiKey");
  }
  const std::string lAsset = aBody.value("asset", "");
  if (lAsset.empty() || !aBody.contains("free")) {
    throw TAdminError(400, "asset and free are required");
  }
  const int64_t lFree = AmountOf(aBody["free"], "free");
  aExchange.fEngine.SetBalance(*lAccount, lAsset, lFree);
  return {{"asset", lAsset}, {"free", FormatUnits(lFree)}};
}

nlohmann::ordered_json State(TExchange &aExchange)
{
  return {{"faults", FaultState(aExchange)},
          {"feedPaused", aExchange.fMarket.IsFeedPaused()},
          {"weightLimit", aExchange.fLimiter.Limit()},
          {"usedWeight", aExchange.fLimiter.Used("127.0.0.1", aExchange.fClock.NowMs())},
          {"symbols", aExchange.fCatalogue.Count()},
          {"liveSinceMs", aExchange.fMarket.StartMs()},
          {"serverTime", aExchange.fClock.NowMs()}};
}

} // namespace

int HandleAdminRequest(TExchange &aExchange, const std::string &aMethod, const std::string &aPath,
                       const std::string &aBody, std::string &aAnswer)
{
  try {
    if (aMethod == "GET" && aPath == "state") {
      aAnswer = State(aExchange).dump();
      return 200;
    }
    if (aMethod != "POST") {
      throw TAdminError(405, "admin resources take POST (GET only for state)");
    }
    TJsonIn lBody = aBody.empty() ? TJsonIn::object() : TJsonIn::parse(aBody, nullptr, false);
    if (!lBody.is_object()) {
      throw TAdminError(400, "the body must be a JSON object");
    }
    nlohmann::ordered_json lResult;
    if (aPath == "faults") {
      lResult = Faults(aExchange, lBody);
    } else if (aPath == "feed") {
      lResult = Feed(aExchange, lBody);
    } else if (aPath == "price") {
      lResult = Price(aExchange, lBody);
    } else if (aPath == "order/fill") {
      lResult = FillOrder(aExchange, lBody);
    } else if (aPath == "order/cancel") {
      lResult = CancelOrder(aExchange, lBody);
    } else if (aPath == "weights" || aPath == "weights/reset") {
      lResult = Weights(aExchange, lBody, aPath == "weights/reset");
    } else if (aPath == "balance") {
      lResult = Balance(aExchange, lBody);
    } else {
      throw TAdminError(404, "unknown admin resource /admin/" + aPath);
    }
    aAnswer = lResult.dump();
    return 200;
  } catch (const TAdminError &aError) {
    aAnswer = nlohmann::json{{"error", aError.what()}}.dump();
    return aError.Status();
  } catch (const nlohmann::json::exception &aError) {
    aAnswer = nlohmann::json{{"error", std::string("bad value: ") + aError.what()}}.dump();
    return 400;
  }
}

} // namespace vexa::sim
