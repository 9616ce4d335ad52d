#pragma once

#include "market.h"

#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace vexa::sim {

struct TDepth
{
  int64_t fLastUpdateId = 0;
  std::vector<std::pair<int64_t, int64_t>> fBids; // best (highest) first
  std::vector<std::pair<int64_t, int64_t>> fAsks; // best (lowest) first
};

// A synthetic ladder around the last price. Levels and their sizes depend only on the price
// level, so the book is stable while the price stands still. The users' resting orders are
// added at their prices.
class TOrderBook
{
public:
  explicit TOrderBook(const TMarket &aMarket) : fMarket(aMarket) {}

  // aUserBids / aUserAsks: price -> open quantity of resting user orders.
  TDepth Snapshot(int aSymbol, int aLimit, const std::map<int64_t, int64_t> &aUserBids,
                  const std::map<int64_t, int64_t> &aUserAsks) const;

  // Quantity shown at the best bid and ask.
  std::pair<int64_t, int64_t> TopQuantities(int aSymbol, const TBookTop &aTop) const;

private:
  int64_t LevelQty(int aSymbol, int64_t aPrice, int aDepth) const;
  bool HasLevel(int aSymbol, int64_t aPrice) const;

  const TMarket &fMarket;
};

} // namespace vexa::sim
