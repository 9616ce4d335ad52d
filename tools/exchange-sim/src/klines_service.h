#pragma once

#include "bar.h"
#include "history_generator.h"
#include "intervals.h"
#include "market.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexa::sim {

struct TKline
{
  int64_t fOpenTime = 0;
  int64_t fCloseTime = 0;
  TBar fBar;
};

struct TKlineQuery
{
  int fSymbol = 0;
  TInterval fInterval = *TInterval::Parse("1m");
  std::optional<int64_t> fStartMs;
  std::optional<int64_t> fEndMs;
  int fLimit = 500;
};

// Rolling 24-hour figures of one symbol.
struct TDayStats
{
  int64_t fOpenTime = 0;
  int64_t fCloseTime = 0;
  TBar fBar;
};

// Klines and statistics from generated history joined to the live minutes.
class TKlinesService
{
public:
  explicit TKlinesService(const TMarket &aMarket) : fMarket(aMarket) {}

  // Selection as the exchange does it: open times only, both bounds inclusive.
  std::vector<TKline> Page(const TKlineQuery &aQuery, int64_t aNowMs) const;
  static void AppendJson(std::string &aOut, const std::vector<TKline> &aKlines);

  TDayStats DayStats(int aSymbol, int64_t aNowMs) const;

  // Aggregate of [aFromMs, aToMs) up to aNowMs for one symbol.
  TBar Range(THistoryGenerator &aHistory, int aSymbol, int64_t aFromMs, int64_t aToMs,
             int64_t aNowMs) const;

private:
  const TMarket &fMarket;
};

} // namespace vexa::sim
