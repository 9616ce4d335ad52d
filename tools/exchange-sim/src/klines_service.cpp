#include "klines_service.h"

#include "decimal.h"

#include <algorithm>
#include <charconv>

namespace vexa::sim {

namespace {

void AppendInteger(std::string &aOut, int64_t aValue)
{
  char lBuffer[24];
  const auto lResult = std::to_chars(lBuffer, lBuffer + sizeof lBuffer, aValue);
  aOut.append(lBuffer, lResult.ptr);
}

} // namespace

TBar TKlinesService::Range(THistoryGenerator &aHistory, int aSymbol, int64_t aFromMs, int64_t aToMs,
                           int64_t aNowMs) const
{
  TBar lBar = aHistory.Aggregate(aFromMs, std::min(aToMs, fMarket.StartMs()));
  if (aToMs > fMarket.StartMs()) {
    lBar.Merge(fMarket.LiveAggregate(aSymbol, aFromMs, aToMs, aNowMs));
  }
  return lBar;
}

std::vector<TKline> TKlinesService::Page(const TKlineQuery &aQuery, int64_t aNowMs) const
{
  std::vector<TKline> lKlines;
  const TSymbolInfo &lInfo = fMarket.Catalogue().At(aQuery.fSymbol);
  const TInterval &lInterval = aQuery.fInterval;
  const int64_t lFirst = lInterval.PeriodStart(lInfo.fListingMs);
  const int64_t lCurrent = lInterval.PeriodStart(aNowMs);
  const size_t lLimit = static_cast<size_t>(std::max(aQuery.fLimit, 1));

  std::vector<int64_t> lOpens;
  if (aQuery.fStartMs) {
    if (aQuery.fEndMs && *aQuery.fEndMs < *aQuery.fStartMs) {
      return lKlines;
    }
    // An endTime far in the future is clamped to now.
    const int64_t lLast = aQuery.fEndMs ? std::min(*aQuery.fEndMs, aNowMs) : aNowMs;
    int64_t lOpen = std::max(lInterval.FirstAtOrAfter(*aQuery.fStartMs), lFirst);
    while (lOpen <= lLast && lOpen <= lCurrent && lOpens.size() < lLimit) {
      lOpens.push_back(lOpen);
      lOpen = lInterval.Next(lOpen);
    }
  } else {
    const int64_t lEnd = aQuery.fEndMs ? std::min(*aQuery.fEndMs, aNowMs) : aNowMs;
    if (lEnd < lFirst) {
      return lKlines;
    }
    int64_t lOpen = std::min(lInterval.PeriodStart(lEnd), lCurrent);
    while (lOpen >= lFirst && lOpens.size() < lLimit) {
      lOpens.push_back(lOpen);
      lOpen = lInterval.Previous(lOpen);
    }
    std::reverse(lOpens.begin(), lOpens.end());
  }

  THistoryGenerator lHistory(lInfo, fMarket.StartMs());
  lKlines.reserve(lOpens.size());
  for (int64_t lOpen : lOpens) {
    TKline lKline;
    lKline.fOpenTime = lOpen;
    const int64_t lNext = lInterval.Next(lOpen);
    lKline.fCloseTime = lNext - 1;
    lKline.fBar = Range(lHistory, aQuery.fSymbol, lOpen, lNext, aNowMs);
    if (!lKline.fBar.fEmpty) {
      lKlines.push_back(lKline);
    }
  }
  return lKlines;
}

void TKlinesService::AppendJson(std::string &aOut, const std::vector<TKline> &aKlines)
{
  aOut.reserve(aOut.size() + aKlines.size() * 190 + 2);
  aOut.push_back('[');
  bool lFirst = true;
  auto lString = [&aOut](int64_t aUnits) {
    aOut.push_back('"');
    AppendUnits(aOut, aUnits);
    aOut.append("\",");
  };
  for (const TKline &lKline : aKlines) {
    if (!lFirst) {
      aOut.push_back(',');
    }
    lFirst = false;
    const TBar &lBar = lKline.fBar;
    aOut.push_back('[');
    AppendInteger(aOut, lKline.fOpenTime);
    aOut.push_back(',');
    lString(lBar.fOpen);
    lString(lBar.fHigh);
    lString(lBar.fLow);
    lString(lBar.fClose);
    lString(lBar.fVolume);
    AppendInteger(aOut, lKline.fCloseTime);
    aOut.push_back(',');
    lString(lBar.fQuoteVolume);
    AppendInteger(aOut, lBar.fTrades);
    aOut.push_back(',');
    lString(lBar.fTakerBase);
    lString(lBar.fTakerQuote);
    aOut.append("\"0\"]");
  }
  aOut.push_back(']');
}

TDayStats TKlinesService::DayStats(int aSymbol, int64_t aNowMs) const
{
  const TSymbolInfo &lInfo = fMarket.Catalogue().At(aSymbol);
  THistoryGenerator lHistory(lInfo, fMarket.StartMs());
  TDayStats lStats;
  lStats.fCloseTime = aNowMs;
  lStats.fOpenTime = aNowMs - cDayMs;
  // Minute resolution: the 1440 minutes ending with the current one.
  const int64_t lFrom = FloorDiv(aNowMs, cMinuteMs) * cMinuteMs - cDayMs + cMinuteMs;
  lStats.fBar = Range(lHistory, aSymbol, lFrom, aNowMs + 1, aNowMs);
  return lStats;
}

} // namespace vexa::sim
