#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vexa::sim {

enum class TActivity { Hot, Normal, Slow, Idle };

// One trading pair with its filters (units of 1e-8) and its market character.
struct TSymbolInfo
{
  int fIndex = 0;
  std::string fName;
  std::string fBase;
  std::string fQuote;
  int64_t fTick = 0;
  int64_t fStep = 0;
  int64_t fMinPrice = 0;
  int64_t fMaxPrice = 0;
  int64_t fMinQty = 0;
  int64_t fMaxQty = 0;
  int64_t fMarketMaxQty = 0; // MARKET_LOT_SIZE: what the book can take at once
  int64_t fMinNotional = 0;
  int64_t fMaxNotional = 0;
  double fBasePrice = 0;       // typical price in the quote asset
  double fDailyVolatility = 0; // standard deviation of the daily log return
  double fDailyVolume = 0;     // typical base volume per day
  double fTradeSize = 0;       // typical base quantity of one trade
  TActivity fActivity = TActivity::Normal;
  int64_t fListingMs = 0; // first minute of history
  uint64_t fSeed = 0;
  int64_t fFirstOrderId = 1;
  int64_t fFirstTradeId = 1;
};

// The symbols of this exchange, generated from the seed: real-looking names and magnitudes.
class TSymbolCatalogue
{
public:
  TSymbolCatalogue(uint64_t aSeed, int aCount, int64_t aNowMs);

  int Count() const { return static_cast<int>(fSymbols.size()); }
  const TSymbolInfo &At(int aIndex) const { return fSymbols[static_cast<size_t>(aIndex)]; }
  // -1 when unknown.
  int Find(std::string_view aName) const;
  const std::vector<std::string> &Assets() const { return fAssets; }

  static constexpr int cMaxSymbols = 3000;

private:
  void Add(const std::string &aBase, const std::string &aQuote, double aBaseUsd, int aRank,
           uint64_t aSeed, int64_t aTodayDays);

  std::vector<TSymbolInfo> fSymbols;
  std::unordered_map<std::string, int> fByName;
  std::vector<std::string> fAssets;
};

} // namespace vexa::sim
