#include "order_book.h"

#include "decimal.h"
#include "hashing.h"

#include <algorithm>
#include <cmath>

namespace vexa::sim {

bool TOrderBook::HasLevel(int aSymbol, int64_t aPrice) const
{
  const TSymbolInfo &lInfo = fMarket.Catalogue().At(aSymbol);
  return HashKey(lInfo.fSeed, 0xB00C, static_cast<uint64_t>(aPrice / lInfo.fTick)) % 3 != 0;
}

int64_t TOrderBook::LevelQty(int aSymbol, int64_t aPrice, int aDepth) const
{
  const TSymbolInfo &lInfo = fMarket.Catalogue().At(aSymbol);
  const uint64_t lHash = HashKey(lInfo.fSeed, 0xB0CC, static_cast<uint64_t>(aPrice / lInfo.fTick));
  // Thin at the touch, thicker further out, with the odd large order.
  const double lBase = lInfo.fTradeSize * 6.0 * (1.0 + 0.02 * aDepth);
  double lQty = lBase * (0.1 + 1.9 * LaneUnit(lHash, 0));
  if (LaneUnit(lHash, 1) < 0.05) {
    lQty *= 10;
  }
  const int64_t lUnits = UnitsFromDouble(lQty);
  return std::max(lInfo.fStep, lUnits / lInfo.fStep * lInfo.fStep);
}

TDepth TOrderBook::Snapshot(int aSymbol, int aLimit, const std::map<int64_t, int64_t> &aUserBids,
                            const std::map<int64_t, int64_t> &aUserAsks) const
{
  const TSymbolInfo &lInfo = fMarket.Catalogue().At(aSymbol);
  const TBookTop lTop = fMarket.BookTop(aSymbol);
  TDepth lDepth;
  lDepth.fLastUpdateId = lTop.fUpdateId;
  const size_t lLimit = static_cast<size_t>(aLimit);

  std::map<int64_t, int64_t, std::greater<>> lBids;
  std::map<int64_t, int64_t> lAsks;
  int64_t lPrice = lTop.fBid;
  for (int lDepthIndex = 0; lBids.size() < lLimit && lPrice >= lInfo.fMinPrice;
       lPrice -= lInfo.fTick) {
    if (lPrice == lTop.fBid || HasLevel(aSymbol, lPrice)) {
      lBids[lPrice] = LevelQty(aSymbol, lPrice, lDepthIndex++);
    }
  }
  lPrice = lTop.fAsk;
  for (int lDepthIndex = 0; lAsks.size() < lLimit && lPrice <= lInfo.fMaxPrice;
       lPrice += lInfo.fTick) {
    if (lPrice == lTop.fAsk || HasLevel(aSymbol, lPrice)) {
      lAsks[lPrice] = LevelQty(aSymbol, lPrice, lDepthIndex++);
    }
  }
  for (const auto &[lLevel, lQty] : aUserBids) {
    if (lLevel <= lTop.fBid) {
      lBids[lLevel] += lQty;
    }
  }
  for (const auto &[lLevel, lQty] : aUserAsks) {
    if (lLevel >= lTop.fAsk) {
      lAsks[lLevel] += lQty;
    }
  }
  for (const auto &lLevel : lBids) {
    if (lDepth.fBids.size() == lLimit) {
      break;
    }
    lDepth.fBids.push_back(lLevel);
  }
  for (const auto &lLevel : lAsks) {
    if (lDepth.fAsks.size() == lLimit) {
      break;
    }
    lDepth.fAsks.push_back(lLevel);
  }
  return lDepth;
}

std::pair<int64_t, int64_t> TOrderBook::TopQuantities(int aSymbol, const TBookTop &aTop) const
{
  return {LevelQty(aSymbol, aTop.fBid, 0), LevelQty(aSymbol, aTop.fAsk, 0)};
}

} // namespace vexa::sim
