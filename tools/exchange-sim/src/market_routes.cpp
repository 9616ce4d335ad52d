// Public market data: ping, time, prices, 24-hour statistics, book ticker, depth, klines
// and exchangeInfo, at /api/v3 and, for the resources the exchange once had there, /api/v1.
#include "api_error.h"
#include "decimal.h"
#include "order_json.h"
#include "route_table.h"

#include <algorithm>

namespace vexa::sim {

namespace {

constexpr int cDefaultDepth = 100;
constexpr int cMaxDepth = 5000;
constexpr int cDefaultKlines = 500;
constexpr int cMaxKlines = 1000;
// Announced in exchangeInfo as the exchange does since 2026-04; requests are not counted.
constexpr int64_t cRawRequestsPer5m = 300000;

int ResolveSymbol(const TExchange &aExchange, const std::string &aName)
{
  const int lIndex = aExchange.fCatalogue.Find(aName);
  if (lIndex < 0) {
    throw TApiError::InvalidSymbol();
  }
  return lIndex;
}

// The symbols asked for: one (aSingle set), a list, or all; filtered by symbolStatus.
std::vector<int> SelectSymbols(TCall &aCall, bool &aSingle)
{
  TRequestParams &lParams = aCall.fParams;
  const std::optional<std::string> lSymbol = lParams.Symbol("symbol");
  const std::optional<std::vector<std::string>> lList = lParams.SymbolList("symbols");
  if (lSymbol && lList) {
    throw TApiError::Bad(-1101, "Too many parameters sent for this endpoint.");
  }
  bool lTradingOnly = true;
  if (const std::optional<std::string> lStatus = lParams.Text("symbolStatus")) {
    if (*lStatus != "TRADING" && *lStatus != "HALT" && *lStatus != "BREAK") {
      throw TApiError::Bad(-1122, "Invalid symbolStatus.");
    }
    lTradingOnly = *lStatus == "TRADING";
  }
  aSingle = lSymbol.has_value();
  std::vector<int> lIndexes;
  if (lSymbol) {
    lIndexes.push_back(ResolveSymbol(aCall.fExchange, *lSymbol));
  } else if (lList) {
    for (const std::string &lName : *lList) {
      lIndexes.push_back(ResolveSymbol(aCall.fExchange, lName));
    }
  } else {
    for (int i = 0; i < aCall.fExchange.fCatalogue.Count(); ++i) {
      lIndexes.push_back(i);
    }
  }
  // Every symbol here is TRADING.
  if (!lTradingOnly) {
    if (aSingle) {
      throw TApiError::Bad(-1220, "The symbol's status does not match the requested symbolStatus.");
    }
    lIndexes.clear();
  }
  return lIndexes;
}

int64_t TickerWeight(const TRequestParams &aParams)
{
  return aParams.Has("symbol") ? 2 : 4;
}

int64_t Ticker24hWeight(const TRequestParams &aParams)
{
  if (aParams.Has("symbol")) {
    return 2;
  }
  if (const std::optional<std::string> lList = aParams.Peek("symbols")) {
    const size_t lCount = static_cast<size_t>(std::count(lList->begin(), lList->end(), ',')) + 1;
    return lCount <= 20 ? 2 : lCount <= 100 ? 40 : 80;
  }
  return 80;
}

int DepthLimit(const std::optional<int64_t> &aLimit)
{
  if (!aLimit) {
    return cDefaultDepth;
  }
  return static_cast<int>(std::min<int64_t>(*aLimit, cMaxDepth));
}

int64_t DepthWeight(const TRequestParams &aParams)
{
  int64_t lLimit = cDefaultDepth;
  if (const std::optional<std::string> lText = aParams.Peek("limit")) {
    if (ParseInteger(*lText, lLimit) != TDecimalParse::Ok) {
      lLimit = cDefaultDepth;
    }
  }
  lLimit = std::clamp<int64_t>(lLimit, 1, cMaxDepth);
  return lLimit <= 100 ? 5 : lLimit <= 500 ? 25 : lLimit <= 1000 ? 50 : 250;
}

std::string Quoted(int64_t aUnits, int aDecimals = cDecimals)
{
  std::string lText = "\"";
  AppendUnits(lText, aUnits, aDecimals);
  lText.push_back('"');
  return lText;
}

void Ping(TCall &aCall)
{
  aCall.fParams.CheckAllRead();
  aCall.fBody = "{}";
}

void Time(TCall &aCall)
{
  aCall.fParams.CheckAllRead();
  aCall.fBody = "{\"serverTime\":" + std::to_string(aCall.Time(aCall.fNowMs)) + "}";
}

void TickerPrice(TCall &aCall)
{
  bool lSingle = false;
  const std::vector<int> lSymbols = SelectSymbols(aCall, lSingle);
  aCall.fParams.CheckAllRead();
  const std::vector<int64_t> lPrices = aCall.fExchange.fMarket.LastPrices();
  std::string &lOut = aCall.fBody;
  lOut.reserve(lSymbols.size() * 48 + 2);
  if (!lSingle) {
    lOut.push_back('[');
  }
  for (size_t i = 0; i < lSymbols.size(); ++i) {
    if (i > 0) {
      lOut.push_back(',');
    }
    lOut.append("{\"symbol\":\"").append(aCall.fExchange.fCatalogue.At(lSymbols[i]).fName);
    lOut.append("\",\"price\":\"");
    AppendUnits(lOut, lPrices[static_cast<size_t>(lSymbols[i])]);
    lOut.append("\"}");
  }
  if (!lSingle) {
    lOut.push_back(']');
  }
}

TJson DayTicker(const TCall &aCall, int aSymbol, bool aMini)
{
  TExchange &lExchange = aCall.fExchange;
  const TSymbolInfo &lInfo = lExchange.fCatalogue.At(aSymbol);
  const TDayStats lStats = lExchange.fKlines.DayStats(aSymbol, aCall.fNowMs);
  const TBar &lBar = lStats.fBar;
  const TBookTop lTop = lExchange.fMarket.BookTop(aSymbol);
  const int64_t lLastId = lInfo.fFirstTradeId + lExchange.fMarket.TotalLiveTrades(aSymbol);
  const int64_t lFirstId = lBar.fTrades > 0 ? lLastId - lBar.fTrades + 1 : -1;
  TJson lJson;
  lJson["symbol"] = lInfo.fName;
  if (!aMini) {
    const int64_t lChange = lTop.fLast - lBar.fOpen;
    const int64_t lPercent = lBar.fOpen > 0 ? MulDiv(lChange, 100 * cUnit, lBar.fOpen) : 0;
    const int64_t lAverage = lBar.fVolume > 0 ? MulDiv(lBar.fQuoteVolume, cUnit, lBar.fVolume) : 0;
    const auto [lBidQty, lAskQty] = lExchange.fBook.TopQuantities(aSymbol, lTop);
    lJson["priceChange"] = FormatUnits(lChange);
    lJson["priceChangePercent"] = FormatUnits(lPercent, 3);
    lJson["weightedAvgPrice"] = FormatUnits(lAverage);
    lJson["prevClosePrice"] = FormatUnits(lBar.fOpen);
    lJson["lastPrice"] = FormatUnits(lTop.fLast);
    lJson["lastQty"] = FormatUnits(lExchange.fMarket.LastQty(aSymbol));
    lJson["bidPrice"] = FormatUnits(lTop.fBid);
    lJson["bidQty"] = FormatUnits(lBidQty);
    lJson["askPrice"] = FormatUnits(lTop.fAsk);
    lJson["askQty"] = FormatUnits(lAskQty);
  }
  lJson["openPrice"] = FormatUnits(lBar.fOpen);
  lJson["highPrice"] = FormatUnits(std::max(lBar.fHigh, lTop.fLast));
  lJson["lowPrice"] = FormatUnits(std::min(lBar.fLow, lTop.fLast));
  if (aMini) {
    lJson["lastPrice"] = FormatUnits(lTop.fLast);
  }
  lJson["volume"] = FormatUnits(lBar.fVolume);
  lJson["quoteVolume"] = FormatUnits(lBar.fQuoteVolume);
  lJson["openTime"] = aCall.Time(lStats.fOpenTime);
  lJson["closeTime"] = aCall.Time(lStats.fCloseTime);
  lJson["firstId"] = lFirstId;
  lJson["lastId"] = lBar.fTrades > 0 ? lLastId : -1;
  lJson["count"] = lBar.fTrades;
  return lJson;
}

void Ticker24h(TCall &aCall)
{
  bool lSingle = false;
  const std::vector<int> lSymbols = SelectSymbols(aCall, lSingle);
  bool lMini = false;
  if (const std::optional<std::string> lType = aCall.fParams.Text("type")) {
    if (*lType != "FULL" && *lType != "MINI") {
      throw TApiError::Bad(-1139, "Invalid ticker type.");
    }
    lMini = *lType == "MINI";
  }
  aCall.fParams.CheckAllRead();
  if (lSingle) {
    aCall.fBody = DayTicker(aCall, lSymbols.front(), lMini).dump();
    return;
  }
  TJson lArray = TJson::array();
  for (int lSymbol : lSymbols) {
    lArray.push_back(DayTicker(aCall, lSymbol, lMini));
  }
  aCall.fBody = lArray.dump();
}

void BookTicker(TCall &aCall)
{
  bool lSingle = false;
  const std::vector<int> lSymbols = SelectSymbols(aCall, lSingle);
  aCall.fParams.CheckAllRead();
  std::string &lOut = aCall.fBody;
  if (!lSingle) {
    lOut.push_back('[');
  }
  for (size_t i = 0; i < lSymbols.size(); ++i) {
    const TBookTop lTop = aCall.fExchange.fMarket.BookTop(lSymbols[i]);
    const auto [lBidQty, lAskQty] = aCall.fExchange.fBook.TopQuantities(lSymbols[i], lTop);
    if (i > 0) {
      lOut.push_back(',');
    }
    lOut += "{\"symbol\":\"" + aCall.fExchange.fCatalogue.At(lSymbols[i]).fName +
            "\",\"bidPrice\":" + Quoted(lTop.fBid) + ",\"bidQty\":" + Quoted(lBidQty) +
            ",\"askPrice\":" + Quoted(lTop.fAsk) + ",\"askQty\":" + Quoted(lAskQty) + "}";
  }
  if (!lSingle) {
    lOut.push_back(']');
  }
}

void Depth(TCall &aCall)
{
  TRequestParams &lParams = aCall.fParams;
  const int lSymbol = ResolveSymbol(aCall.fExchange, lParams.RequiredSymbol());
  const std::optional<int64_t> lLimitParam = lParams.Integer("limit");
  if (lLimitParam && *lLimitParam < 1) {
    throw TApiError::InvalidData("limit");
  }
  if (const std::optional<std::string> lStatus = lParams.Text("symbolStatus")) {
    if (*lStatus != "TRADING" && *lStatus != "HALT" && *lStatus != "BREAK") {
      throw TApiError::Bad(-1122, "Invalid symbolStatus.");
    }
    if (*lStatus != "TRADING") {
      throw TApiError::Bad(-1220, "The symbol's status does not match the requested symbolStatus.");
    }
  }
  lParams.CheckAllRead();
  std::map<int64_t, int64_t> lUserBids;
  std::map<int64_t, int64_t> lUserAsks;
  aCall.fExchange.fEngine.UserBook(lSymbol, lUserBids, lUserAsks);
  const TDepth lDepth =
      aCall.fExchange.fBook.Snapshot(lSymbol, DepthLimit(lLimitParam), lUserBids, lUserAsks);
  std::string &lOut = aCall.fBody;
  lOut.reserve(64 + (lDepth.fBids.size() + lDepth.fAsks.size()) * 40);
  lOut = "{\"lastUpdateId\":" + std::to_string(lDepth.fLastUpdateId) + ",\"bids\":[";
  auto lSide = [&lOut](const std::vector<std::pair<int64_t, int64_t>> &aLevels) {
    for (size_t i = 0; i < aLevels.size(); ++i) {
      lOut += i > 0 ? ",[" : "[";
      lOut += Quoted(aLevels[i].first) + "," + Quoted(aLevels[i].second) + "]";
    }
  };
  lSide(lDepth.fBids);
  lOut += "],\"asks\":[";
  lSide(lDepth.fAsks);
  lOut += "]}";
}

void Klines(TCall &aCall)
{
  TRequestParams &lParams = aCall.fParams;
  TKlineQuery lQuery;
  lQuery.fSymbol = ResolveSymbol(aCall.fExchange, lParams.RequiredSymbol());
  const std::optional<TInterval> lInterval = TInterval::Parse(lParams.RequiredText("interval"));
  if (!lInterval) {
    throw TApiError::Bad(-1120, "Invalid interval.");
  }
  lQuery.fInterval = *lInterval;
  lQuery.fStartMs = lParams.Time("startTime");
  lQuery.fEndMs = lParams.Time("endTime");
  if (const std::optional<std::string> lZone = lParams.Text("timeZone")) {
    // Only UTC: the periods here are aligned to UTC.
    if (*lZone != "0" && *lZone != "+0" && *lZone != "-0" && *lZone != "00:00" &&
        *lZone != "+00:00" && *lZone != "-00:00") {
      throw TApiError::InvalidData("timeZone");
    }
  }
  if (const std::optional<int64_t> lLimit = lParams.Integer("limit")) {
    if (*lLimit < 1) {
      throw TApiError::InvalidData("limit");
    }
    lQuery.fLimit = static_cast<int>(std::min<int64_t>(*lLimit, cMaxKlines));
  } else {
    lQuery.fLimit = cDefaultKlines;
  }
  lParams.CheckAllRead();
  std::vector<TKline> lPage = aCall.fExchange.fKlines.Page(lQuery, aCall.fNowMs);
  if (aCall.fMicroseconds) {
    for (TKline &lKline : lPage) {
      lKline.fOpenTime *= 1000;
      lKline.fCloseTime = (lKline.fCloseTime + 1) * 1000 - 1;
    }
  }
  TKlinesService::AppendJson(aCall.fBody, lPage);
}

TJson SymbolJson(const TSymbolInfo &aInfo)
{
  TJson lFilters = TJson::array();
  lFilters.push_back(TJson{{"filterType", "PRICE_FILTER"},
                           {"minPrice", FormatUnits(aInfo.fMinPrice)},
                           {"maxPrice", FormatUnits(aInfo.fMaxPrice)},
                           {"tickSize", FormatUnits(aInfo.fTick)}});
  lFilters.push_back(TJson{{"filterType", "LOT_SIZE"},
                           {"minQty", FormatUnits(aInfo.fMinQty)},
                           {"maxQty", FormatUnits(aInfo.fMaxQty)},
                           {"stepSize", FormatUnits(aInfo.fStep)}});
  // No step rule for market orders (a step of 0), as on the exchange.
  lFilters.push_back(TJson{{"filterType", "MARKET_LOT_SIZE"},
                           {"minQty", FormatUnits(0)},
                           {"maxQty", FormatUnits(aInfo.fMarketMaxQty)},
                           {"stepSize", FormatUnits(0)}});
  lFilters.push_back(TJson{{"filterType", "NOTIONAL"},
                           {"minNotional", FormatUnits(aInfo.fMinNotional)},
                           {"applyMinToMarket", true},
                           {"maxNotional", FormatUnits(aInfo.fMaxNotional)},
                           {"applyMaxToMarket", false},
                           {"avgPriceMins", 0}});
  lFilters.push_back(TJson{{"filterType", "MAX_NUM_ORDERS"}, {"maxNumOrders", 200}});
  lFilters.push_back(TJson{{"filterType", "MAX_NUM_ALGO_ORDERS"}, {"maxNumAlgoOrders", 5}});
  TJson lJson;
  lJson["symbol"] = aInfo.fName;
  lJson["status"] = "TRADING";
  lJson["baseAsset"] = aInfo.fBase;
  lJson["baseAssetPrecision"] = 8;
  lJson["quoteAsset"] = aInfo.fQuote;
  lJson["quotePrecision"] = 8;
  lJson["quoteAssetPrecision"] = 8;
  lJson["baseCommissionPrecision"] = 8;
  lJson["quoteCommissionPrecision"] = 8;
  lJson["orderTypes"] = {"LIMIT", "LIMIT_MAKER", "MARKET", "STOP_LOSS_LIMIT", "TAKE_PROFIT_LIMIT"};
  lJson["icebergAllowed"] = false;
  lJson["ocoAllowed"] = false;
  lJson["otoAllowed"] = false;
  lJson["quoteOrderQtyMarketAllowed"] = true;
  lJson["allowTrailingStop"] = false;
  lJson["cancelReplaceAllowed"] = false;
  lJson["amendAllowed"] = false;
  lJson["isSpotTradingAllowed"] = true;
  lJson["isMarginTradingAllowed"] = false;
  lJson["filters"] = std::move(lFilters);
  lJson["permissions"] = TJson::array();
  lJson["permissionSets"] = TJson::array({TJson::array({"SPOT"})});
  lJson["defaultSelfTradePreventionMode"] = "NONE";
  lJson["allowedSelfTradePreventionModes"] = {"NONE", "EXPIRE_TAKER", "EXPIRE_MAKER",
                                              "EXPIRE_BOTH"};
  return lJson;
}

void ExchangeInfo(TCall &aCall)
{
  bool lSingle = false;
  const std::vector<int> lSymbols = SelectSymbols(aCall, lSingle);
  if (const std::optional<std::string> lShow = aCall.fParams.Text("showPermissionSets")) {
    if (*lShow != "true" && *lShow != "false") {
      throw TApiError::InvalidData("showPermissionSets");
    }
  }
  aCall.fParams.MarkRead("permissions");
  aCall.fParams.CheckAllRead();
  TJson lRoot;
  lRoot["timezone"] = "UTC";
  lRoot["serverTime"] = aCall.Time(aCall.fNowMs);
  lRoot["rateLimits"] = TJson::array({TJson{{"rateLimitType", "REQUEST_WEIGHT"},
                                            {"interval", "MINUTE"},
                                            {"intervalNum", 1},
                                            {"limit", aCall.fExchange.fLimiter.Limit()}},
                                      TJson{{"rateLimitType", "ORDERS"},
                                            {"interval", "SECOND"},
                                            {"intervalNum", 10},
                                            {"limit", TOrderCounter::cPer10s}},
                                      TJson{{"rateLimitType", "ORDERS"},
                                            {"interval", "DAY"},
                                            {"intervalNum", 1},
                                            {"limit", TOrderCounter::cPerDay}},
                                      TJson{{"rateLimitType", "RAW_REQUESTS"},
                                            {"interval", "MINUTE"},
                                            {"intervalNum", 5},
                                            {"limit", cRawRequestsPer5m}}});
  lRoot["exchangeFilters"] = TJson::array();
  TJson lList = TJson::array();
  for (int lSymbol : lSymbols) {
    lList.push_back(SymbolJson(aCall.fExchange.fCatalogue.At(lSymbol)));
  }
  lRoot["symbols"] = std::move(lList);
  aCall.fBody = lRoot.dump();
}

} // namespace

void AddMarketRoutes(TRouteTable &aTable)
{
  auto lFixed = [](int64_t aWeight) {
    return [aWeight](const TRequestParams &) { return aWeight; };
  };
  const std::vector<std::pair<std::string, TEndpoint>> lPublic = {
      {"ping", {lFixed(1), Ping}},
      {"time", {lFixed(1), Time}},
      {"ticker/price", {TickerWeight, TickerPrice}},
      {"ticker/24hr", {Ticker24hWeight, Ticker24h}},
      {"ticker/bookTicker", {TickerWeight, BookTicker}},
      {"depth", {DepthWeight, Depth}},
      {"klines", {lFixed(2), Klines}},
      {"exchangeInfo", {lFixed(20), ExchangeInfo}},
  };
  for (const auto &[lPath, lEndpoint] : lPublic) {
    aTable.Add("GET", "/api/v3/" + lPath, lEndpoint);
    aTable.Add("GET", "/api/v1/" + lPath, lEndpoint);
  }
}

} // namespace vexa::sim
