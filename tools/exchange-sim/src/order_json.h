#pragma once

#include "orders.h"
#include "symbols.h"

#include <nlohmann/json.hpp>
#include <vector>

namespace vexa::sim {

using TJson = nlohmann::ordered_json;

// Times are in ms, or in µs when aMicroseconds (X-MBX-TIME-UNIT); -1 stays -1.

// The order object of openOrders, allOrders and GET order.
TJson OrderJson(const TOrder &aOrder, const TSymbolCatalogue &aCatalogue, bool aMicroseconds);
// The answer to a new order in the asked form (ACK, RESULT or FULL).
TJson NewOrderJson(const TOrder &aOrder, const std::vector<TFill> &aFills, TResponseType aType,
                   int64_t aTransactTime, const TSymbolCatalogue &aCatalogue, bool aMicroseconds);
// The answer to a cancel: clientOrderId is the cancel's own id.
TJson CancelJson(const TOrder &aOrder, const std::string &aCancelClientId, int64_t aTransactTime,
                 const TSymbolCatalogue &aCatalogue, bool aMicroseconds);

} // namespace vexa::sim
