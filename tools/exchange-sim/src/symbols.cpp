#include "symbols.h"

#include "decimal.h"
#include "hashing.h"
#include "intervals.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace vexa::sim {

namespace {

struct TCoin
{
  const char *fName;
  double fUsd;
};

// Rank order: the most traded first, so that a small --symbols still gives the majors.
constexpr TCoin cCoins[] = {
    {"BTC", 60000},      {"ETH", 3000},    {"BNB", 600},    {"SOL", 150},        {"XRP", 0.55},
    {"ADA", 0.45},       {"DOGE", 0.15},   {"TRX", 0.12},   {"DOT", 7},          {"LTC", 80},
    {"AVAX", 35},        {"LINK", 15},     {"ATOM", 9},     {"XLM", 0.11},       {"ETC", 25},
    {"BCH", 400},        {"FIL", 5},       {"APT", 9},      {"NEAR", 5},         {"ARB", 1.1},
    {"OP", 2.5},         {"ICP", 12},      {"VET", 0.03},   {"HBAR", 0.08},      {"SHIB", 0.000018},
    {"PEPE", 0.0000095}, {"QNT", 100},     {"ALGO", 0.18},  {"EGLD", 40},        {"AAVE", 100},
    {"GRT", 0.2},        {"SAND", 0.45},   {"MANA", 0.45},  {"AXS", 7},          {"THETA", 1.5},
    {"XTZ", 0.9},        {"EOS", 0.8},     {"FTM", 0.5},    {"RUNE", 5},         {"KAVA", 0.7},
    {"NEO", 15},         {"CAKE", 2.5},    {"CRV", 0.5},    {"MKR", 2500},       {"SNX", 3},
    {"COMP", 60},        {"ZEC", 25},      {"DASH", 30},    {"ENJ", 0.3},        {"CHZ", 0.1},
    {"BAT", 0.25},       {"ZIL", 0.02},    {"IOTA", 0.25},  {"ONE", 0.015},      {"HOT", 0.002},
    {"ANKR", 0.04},      {"RVN", 0.03},    {"WAVES", 2},    {"ICX", 0.25},       {"ONT", 0.25},
    {"QTUM", 3.5},       {"OMG", 0.6},     {"ZRX", 0.4},    {"IOST", 0.009},     {"SC", 0.008},
    {"DGB", 0.01},       {"XVG", 0.005},   {"WIN", 0.0001}, {"BTTC", 0.0000012}, {"FLOKI", 0.00018},
    {"BONK", 0.000025},  {"LUNC", 0.0001}, {"JASMY", 0.02}, {"GALA", 0.03},      {"IMX", 2},
    {"INJ", 25},         {"SUI", 1.2},     {"SEI", 0.5},    {"TIA", 8},          {"STX", 2},
    {"LDO", 2},          {"RENDER", 7},    {"FET", 1.5},    {"WLD", 3},          {"PYTH", 0.4},
    {"JUP", 0.9},        {"ORDI", 40},     {"SSV", 30},     {"GMX", 30},         {"DYDX", 2},
    {"BLUR", 0.3},       {"1INCH", 0.4},   {"SUSHI", 1},    {"YFI", 7000},       {"UNI", 8},
    {"KSM", 30},         {"CELO", 0.7},    {"FLOW", 0.8},   {"MINA", 0.8},       {"ROSE", 0.1},
    {"AR", 25},          {"STORJ", 0.5},   {"SKL", 0.07},   {"CELR", 0.02},      {"COTI", 0.1},
    {"DENT", 0.001},     {"KEY", 0.004},   {"MBL", 0.003},  {"NKN", 0.1},        {"REEF", 0.002},
    {"SLP", 0.003},      {"SXP", 0.3},     {"TFUEL", 0.07}, {"TWT", 1},          {"XEM", 0.03},
    {"ZEN", 10},         {"LRC", 0.25},    {"HIVE", 0.3},   {"STEEM", 0.25},     {"ARDR", 0.07},
    {"LSK", 1},          {"SYS", 0.15},    {"POND", 0.015}, {"PERP", 0.8},       {"ALICE", 1.2},
    {"C98", 0.25},       {"DODO", 0.15},   {"LINA", 0.006}, {"TKO", 0.3},        {"ACH", 0.025},
    {"AUDIO", 0.2},      {"BAND", 1.5},    {"BEL", 0.7},    {"CTSI", 0.2},       {"FIDA", 0.3},
    {"GLM", 0.3},        {"HFT", 0.3},     {"IDEX", 0.07},  {"JOE", 0.4},        {"LOKA", 0.2},
    {"MAGIC", 0.7},      {"MASK", 3},      {"NMR", 20},     {"OGN", 0.12},       {"PHB", 0.8},
    {"QI", 0.01},        {"RAD", 1.5},     {"RDNT", 0.2},   {"RIF", 0.1},        {"SFP", 0.7},
    {"SPELL", 0.0007},   {"STMX", 0.006},  {"SUN", 0.02},   {"TRB", 80},         {"UMA", 3},
    {"VTHO", 0.002},     {"WOO", 0.3},     {"XNO", 1},      {"YGG", 0.5},        {"API3", 2},
    {"ATA", 0.15},       {"BICO", 0.4},    {"CHR", 0.25},   {"CVC", 0.15},       {"DUSK", 0.25},
    {"ENS", 20},         {"GAS", 5},       {"HIGH", 2},     {"ILV", 80},         {"KNC", 0.6},
    {"LPT", 15},         {"MTL", 1.5},     {"OXT", 0.1},    {"PUNDIX", 0.5},     {"RLC", 2.5},
    {"SANTOS", 4},       {"TLM", 0.015},   {"UTK", 0.1},    {"WAXP", 0.06},      {"XVS", 10},
};

constexpr const char *cQuotes[] = {"USDT", "BTC", "ETH", "BNB"};

double QuoteUsd(const std::string &aQuote)
{
  if (aQuote == "BTC") {
    return 60000;
  }
  if (aQuote == "ETH") {
    return 3000;
  }
  if (aQuote == "BNB") {
    return 600;
  }
  return 1;
}

int64_t PowerOfTenUnits(int aExponent)
{
  // 10^aExponent in units, for aExponent in [-8, 9].
  int64_t lValue = 1;
  for (int i = -8; i < aExponent; ++i) {
    lValue *= 10;
  }
  return lValue;
}

std::string SyntheticName(uint64_t aHash)
{
  const int lLength = 3 + static_cast<int>(aHash % 3);
  std::string lName;
  for (int i = 0; i < lLength; ++i) {
    aHash = Mix64(aHash);
    lName.push_back(static_cast<char>('A' + aHash % 26));
  }
  return lName;
}

} // namespace

TSymbolCatalogue::TSymbolCatalogue(uint64_t aSeed, int aCount, int64_t aNowMs)
{
  aCount = std::clamp(aCount, 1, cMaxSymbols);
  const int64_t lTodayDays = FloorDiv(aNowMs, cDayMs);

  struct TCandidate
  {
    std::string fBase;
    std::string fQuote;
    double fUsd;
    int fRank;
  };
  std::vector<TCandidate> lCandidates;
  std::vector<TCoin> lCoins(std::begin(cCoins), std::end(cCoins));
  std::set<std::string> lTaken;
  for (const TCoin &lCoin : lCoins) {
    lTaken.insert(lCoin.fName);
  }
  for (const char *lQuote : cQuotes) {
    lTaken.insert(lQuote);
  }
  // Invented coins beyond the known ones, only when many symbols are asked for.
  std::vector<std::string> lSynthetic;
  uint64_t lNameHash = HashKey(aSeed, 0x5EED);
  while (static_cast<int>(lCoins.size() + lSynthetic.size()) * 2 < aCount + 8) {
    lNameHash = Mix64(lNameHash);
    std::string lName = SyntheticName(lNameHash);
    if (lTaken.insert(lName).second) {
      lSynthetic.push_back(lName);
    }
  }
  for (const std::string &lName : lSynthetic) {
    const double lUsd = std::pow(10.0, -4.0 + 6.0 * UnitFromHash(HashString(lName) ^ aSeed));
    lCoins.push_back({nullptr, lUsd});
  }
  auto lCoinName = [&](size_t aIndex) -> std::string {
    if (aIndex < std::size(cCoins)) {
      return cCoins[aIndex].fName;
    }
    return lSynthetic[aIndex - std::size(cCoins)];
  };

  for (size_t i = 0; i < lCoins.size(); ++i) {
    lCandidates.push_back({lCoinName(i), "USDT", lCoins[i].fUsd, static_cast<int>(i)});
    if (i > 0) {
      lCandidates.push_back({lCoinName(i), "BTC", lCoins[i].fUsd, static_cast<int>(i)});
    }
  }
  for (size_t i = 0; i < lCoins.size(); ++i) {
    if (lCoinName(i) != "ETH" && lCoinName(i) != "BTC") {
      lCandidates.push_back({lCoinName(i), "ETH", lCoins[i].fUsd, static_cast<int>(i)});
    }
    if (lCoinName(i) != "BNB" && lCoinName(i) != "BTC" && lCoinName(i) != "ETH") {
      lCandidates.push_back({lCoinName(i), "BNB", lCoins[i].fUsd, static_cast<int>(i)});
    }
  }
  // The pairs everybody expects near the top.
  std::stable_partition(lCandidates.begin(), lCandidates.end(), [](const TCandidate &aC) {
    return (aC.fQuote == "USDT" && aC.fRank < 3) || (aC.fQuote == "BTC" && aC.fRank < 3);
  });

  for (const TCandidate &lCandidate : lCandidates) {
    if (static_cast<int>(fSymbols.size()) >= aCount) {
      break;
    }
    const double lPrice = lCandidate.fUsd / QuoteUsd(lCandidate.fQuote);
    // A pair needs a price of some dozens of ticks to be tradable at all.
    if (lPrice < 5e-7) {
      continue;
    }
    Add(lCandidate.fBase, lCandidate.fQuote, lCandidate.fUsd, lCandidate.fRank, aSeed, lTodayDays);
  }

  std::set<std::string> lAssets;
  for (const TSymbolInfo &lSymbol : fSymbols) {
    lAssets.insert(lSymbol.fBase);
    lAssets.insert(lSymbol.fQuote);
  }
  fAssets.assign(lAssets.begin(), lAssets.end());
}

void TSymbolCatalogue::Add(const std::string &aBase, const std::string &aQuote, double aBaseUsd,
                           int aRank, uint64_t aSeed, int64_t aTodayDays)
{
  TSymbolInfo lInfo;
  lInfo.fIndex = static_cast<int>(fSymbols.size());
  lInfo.fBase = aBase;
  lInfo.fQuote = aQuote;
  lInfo.fName = aBase + aQuote;
  lInfo.fSeed = HashKey(aSeed, HashString(lInfo.fName));
  const uint64_t lHash = lInfo.fSeed;

  const double lQuoteUsd = QuoteUsd(aQuote);
  lInfo.fBasePrice = aBaseUsd / lQuoteUsd;

  // About five significant digits of price, never finer than 1e-8 nor coarser than 0.01.
  const int lTickExp =
      std::clamp(static_cast<int>(std::floor(std::log10(lInfo.fBasePrice))) - 4, -8, -2);
  lInfo.fTick = PowerOfTenUnits(lTickExp);
  // One step is worth about one to ten dollars' cents: BTC 0.00001, ETH 0.0001, DOGE 1.
  const int lStepExp = std::clamp(static_cast<int>(std::floor(std::log10(1.0 / aBaseUsd))), -8, 0);
  lInfo.fStep = PowerOfTenUnits(lStepExp);
  lInfo.fMinPrice = lInfo.fTick;
  lInfo.fMaxPrice = aQuote == "USDT" ? 1'000'000 * cUnit : 100'000 * cUnit;
  lInfo.fMinQty = lInfo.fStep;
  lInfo.fMaxQty = std::min<int64_t>(lInfo.fStep * 900'000'000, 900'000'000 * cUnit);
  if (aQuote == "USDT") {
    lInfo.fMinNotional = 5 * cUnit;
  } else if (aQuote == "BTC") {
    lInfo.fMinNotional = cUnit / 10000;
  } else if (aQuote == "ETH") {
    lInfo.fMinNotional = cUnit / 1000;
  } else {
    lInfo.fMinNotional = cUnit / 100;
  }
  lInfo.fMaxNotional = 9'000'000 * cUnit;

  lInfo.fDailyVolatility = (aRank < 2 ? 0.022 : 0.028) + 0.03 * LaneUnit(lHash, 0);
  const double lUsdVolume = std::max(5e4, 6e8 * std::pow(static_cast<double>(aRank) + 1.0, -1.3)) /
                            (aQuote == "USDT" ? 1.0 : 6.0);
  lInfo.fDailyVolume = lUsdVolume / aBaseUsd;
  // About a hundredth of a day's volume, as the exchange sets it (BTCUSDT: some 100 BTC).
  const double lMarketSteps =
      std::min(lInfo.fDailyVolume / 100.0 * cUnit / static_cast<double>(lInfo.fStep),
               static_cast<double>(lInfo.fMaxQty / lInfo.fStep));
  lInfo.fMarketMaxQty = std::max(static_cast<int64_t>(lMarketSteps) * lInfo.fStep,
                                 std::min(1000 * lInfo.fMinQty, lInfo.fMaxQty));

  if (aRank < 12 && (aQuote == "USDT" || aRank < 3)) {
    lInfo.fActivity = TActivity::Hot;
  } else {
    const double lDice = LaneUnit(lHash, 1);
    lInfo.fActivity = lDice < 0.12 && aRank > 20 ? TActivity::Idle
                      : lDice < 0.5              ? TActivity::Slow
                                                 : TActivity::Normal;
  }
  // Tick intervals of the live walk (see TPriceWalk) give roughly these trade counts.
  const double lTradesPerDay = 86400.0 * 4.0;
  lInfo.fTradeSize = lInfo.fDailyVolume / lTradesPerDay;

  // Two years of history at least; the majors since the exchange's early days.
  const int64_t lExchangeStart = DaysFromCivil(2017, 8, 17);
  int64_t lListingDay = aTodayDays - 731 - static_cast<int64_t>(Mix64(lHash) % 1400);
  if (aRank < 3) {
    lListingDay = lExchangeStart;
  }
  lInfo.fListingMs = std::max(lListingDay, lExchangeStart) * cDayMs;

  // Ids of busy pairs have long passed 32 bits on the real exchange.
  const uint64_t lIdHash = Mix64(lHash ^ 0x1D);
  lInfo.fFirstOrderId = aRank < 10 ? 20'000'000'000 + static_cast<int64_t>(lIdHash % 10'000'000'000)
                                   : 1'000'000 + static_cast<int64_t>(lIdHash % 900'000'000);
  lInfo.fFirstTradeId = 10 * lInfo.fFirstOrderId / 7;

  fByName.emplace(lInfo.fName, lInfo.fIndex);
  fSymbols.push_back(std::move(lInfo));
}

int TSymbolCatalogue::Find(std::string_view aName) const
{
  const auto lIt = fByName.find(std::string(aName));
  return lIt == fByName.end() ? -1 : lIt->second;
}

} // namespace vexa::sim
