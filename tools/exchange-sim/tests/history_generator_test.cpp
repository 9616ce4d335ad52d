#include "decimal.h"
#include "history_generator.h"
#include "intervals.h"
#include "symbols.h"

#include <gtest/gtest.h>

#include <set>

namespace vexa::sim {
namespace {

constexpr int64_t cNow = 1796795803000; // 2026-12-09

void ExpectSameBar(const TBar &aCoarse, const TBar &aFine, const std::string &aWhat)
{
  ASSERT_FALSE(aCoarse.fEmpty) << aWhat;
  EXPECT_EQ(aCoarse.fOpen, aFine.fOpen) << aWhat;
  EXPECT_EQ(aCoarse.fHigh, aFine.fHigh) << aWhat;
  EXPECT_EQ(aCoarse.fLow, aFine.fLow) << aWhat;
  EXPECT_EQ(aCoarse.fClose, aFine.fClose) << aWhat;
  EXPECT_EQ(aCoarse.fVolume, aFine.fVolume) << aWhat;
  EXPECT_EQ(aCoarse.fQuoteVolume, aFine.fQuoteVolume) << aWhat;
  EXPECT_EQ(aCoarse.fTakerBase, aFine.fTakerBase) << aWhat;
  EXPECT_EQ(aCoarse.fTrades, aFine.fTrades) << aWhat;
}

TEST(HistoryGenerator, DaysAreExactAggregatesOfTheirMinutes)
{
  const TSymbolCatalogue lCatalogue(3, 40, cNow);
  const int64_t lEnd = cNow / cMinuteMs * cMinuteMs;
  for (int lSymbol : {0, 7, 23, 39}) {
    const TSymbolInfo &lInfo = lCatalogue.At(lSymbol);
    for (int64_t lDaysBack : {3, 200, 700}) {
      const int64_t lDay = (lEnd / cDayMs - lDaysBack) * cDayMs;
      THistoryGenerator lCoarse(lInfo, lEnd);
      THistoryGenerator lFine(lInfo, lEnd);
      TBar lFromMinutes;
      for (int64_t t = lDay; t < lDay + cDayMs; t += cMinuteMs) {
        const TBar lMinute = lFine.Aggregate(t, t + cMinuteMs);
        EXPECT_GE(lMinute.fHigh, std::max(lMinute.fOpen, lMinute.fClose));
        EXPECT_LE(lMinute.fLow, std::min(lMinute.fOpen, lMinute.fClose));
        EXPECT_GT(lMinute.fLow, 0);
        EXPECT_EQ(lMinute.fOpen % lInfo.fTick, 0);
        lFromMinutes.Merge(lMinute);
      }
      ExpectSameBar(lCoarse.Aggregate(lDay, lDay + cDayMs), lFromMinutes,
                    lInfo.fName + " day -" + std::to_string(lDaysBack));
    }
  }
}

TEST(HistoryGenerator, MinutesJoinWithoutGaps)
{
  const TSymbolCatalogue lCatalogue(3, 10, cNow);
  THistoryGenerator lHistory(lCatalogue.At(1), cNow / cDayMs * cDayMs);
  const int64_t lStart = (cNow / cDayMs - 10) * cDayMs - 90 * cMinuteMs;
  TBar lPrevious = lHistory.Aggregate(lStart, lStart + cMinuteMs);
  for (int64_t t = lStart + cMinuteMs; t < lStart + 600 * cMinuteMs; t += cMinuteMs) {
    const TBar lMinute = lHistory.Aggregate(t, t + cMinuteMs);
    ASSERT_EQ(lMinute.fOpen, lPrevious.fClose) << t;
    lPrevious = lMinute;
  }
}

TEST(HistoryGenerator, SameSeedSameHistoryOtherSeedOther)
{
  const int64_t lDay = (cNow / cDayMs - 30) * cDayMs;
  const TSymbolCatalogue lA(11, 5, cNow);
  const TSymbolCatalogue lB(11, 5, cNow);
  const TSymbolCatalogue lC(12, 5, cNow);
  ASSERT_EQ(lA.At(0).fName, lC.At(0).fName);
  THistoryGenerator lHistoryA(lA.At(0), cNow);
  THistoryGenerator lHistoryB(lB.At(0), cNow);
  THistoryGenerator lHistoryC(lC.At(0), cNow);
  const TBar lBarA = lHistoryA.Aggregate(lDay, lDay + cHourMs);
  ExpectSameBar(lBarA, lHistoryB.Aggregate(lDay, lDay + cHourMs), "same seed");
  EXPECT_NE(lBarA.fClose, lHistoryC.Aggregate(lDay, lDay + cHourMs).fClose);
}

TEST(HistoryGenerator, NothingBeforeListingOrAfterTheEnd)
{
  const TSymbolCatalogue lCatalogue(3, 30, cNow);
  const TSymbolInfo &lInfo = lCatalogue.At(29);
  const int64_t lEnd = cNow / cMinuteMs * cMinuteMs;
  THistoryGenerator lHistory(lInfo, lEnd);
  EXPECT_TRUE(lHistory.Aggregate(lInfo.fListingMs - cDayMs, lInfo.fListingMs).fEmpty);
  EXPECT_FALSE(lHistory.Aggregate(lInfo.fListingMs, lInfo.fListingMs + cMinuteMs).fEmpty);
  EXPECT_TRUE(lHistory.Aggregate(lEnd, lEnd + cHourMs).fEmpty);
  EXPECT_LE(lInfo.fListingMs, cNow - 730 * cDayMs);
}

TEST(SymbolCatalogue, MagnitudesFiltersAndQuotes)
{
  const TSymbolCatalogue lCatalogue(1, 400, cNow);
  ASSERT_EQ(lCatalogue.Count(), 400);
  ASSERT_EQ(lCatalogue.At(0).fName, "BTCUSDT");
  bool lTenThousands = false;
  bool lTiny = false;
  std::set<std::string> lQuotes;
  for (int i = 0; i < lCatalogue.Count(); ++i) {
    const TSymbolInfo &lInfo = lCatalogue.At(i);
    lQuotes.insert(lInfo.fQuote);
    lTenThousands |= lInfo.fBasePrice > 10000;
    lTiny |= lInfo.fBasePrice < 0.00001;
    EXPECT_EQ(lCatalogue.Find(lInfo.fName), i);
    // A price keeps at least a few significant digits on its tick grid.
    EXPECT_GE(lInfo.fBasePrice / DoubleFromUnits(lInfo.fTick), 40.0) << lInfo.fName;
    EXPECT_EQ(lInfo.fMinQty % lInfo.fStep, 0);
    EXPECT_EQ(lInfo.fMaxQty % lInfo.fStep, 0);
  }
  EXPECT_TRUE(lTenThousands);
  EXPECT_TRUE(lTiny);
  EXPECT_EQ(lQuotes, (std::set<std::string>{"BNB", "BTC", "ETH", "USDT"}));
  EXPECT_EQ(lCatalogue.Find("NOSUCHPAIR"), -1);
}

} // namespace
} // namespace vexa::sim
