#include "decimal.h"
#include "intervals.h"

#include <gtest/gtest.h>

namespace vexa::sim {
namespace {

TEST(Decimal, ParsesTheExchangePatternOnly)
{
  int64_t lUnits = 0;
  EXPECT_EQ(ParseDecimal("0.002", lUnits), TDecimalParse::Ok);
  EXPECT_EQ(lUnits, 200000);
  EXPECT_EQ(ParseDecimal("65000", lUnits), TDecimalParse::Ok);
  EXPECT_EQ(lUnits, 65000 * cUnit);
  EXPECT_EQ(ParseDecimal("0.10000000000000000000", lUnits), TDecimalParse::Ok);
  EXPECT_EQ(lUnits, cUnit / 10);
  for (const char *lBad :
       {"3.51E-6", "0,002", ".5", "1.", "-1", "+1", "1 000", "", "0x10", "123456789012345678901"}) {
    EXPECT_EQ(ParseDecimal(lBad, lUnits), TDecimalParse::Malformed) << lBad;
  }
}

TEST(Decimal, RefusesDigitsBeyondEightDecimals)
{
  int64_t lUnits = 0;
  EXPECT_EQ(ParseDecimal("0.00018150460000000002", lUnits), TDecimalParse::TooPrecise);
  EXPECT_EQ(ParseDecimal("0.000000001", lUnits), TDecimalParse::TooPrecise);
  EXPECT_EQ(ParseDecimal("99999999999999999999", lUnits), TDecimalParse::Overflow);
}

TEST(Decimal, FormatsWithFixedDecimalsAndRounding)
{
  EXPECT_EQ(FormatUnits(0), "0.00000000");
  EXPECT_EQ(FormatUnits(123456789), "1.23456789");
  EXPECT_EQ(FormatUnits(-150000000), "-1.50000000");
  EXPECT_EQ(FormatUnits(-300250000, 3), "-3.003");
  EXPECT_EQ(FormatUnits(300350000, 3), "3.004");
  EXPECT_EQ(FormatUnits(-100000, 3), "-0.001");
  EXPECT_EQ(FormatUnits(-1, 3), "0.000");
}

TEST(Decimal, ProductsNeedNoDoubleAndTruncate)
{
  // 90000 BTC at 999999.99: beyond 64 bits before the division.
  EXPECT_EQ(MulUnits(99999999000000, 9000000000000), 8999999910000000000);
  EXPECT_EQ(MulUnits(3, 3), 0);
  EXPECT_EQ(MulDiv(int64_t{1} << 62, 1000, 4000), int64_t{1} << 60);
}

TEST(Intervals, MonthsAndWeeksFollowTheCalendar)
{
  const TInterval lMonth = *TInterval::Parse("1M");
  const int64_t lMarch2024 = DaysFromCivil(2024, 3, 1) * cDayMs;
  EXPECT_EQ(lMonth.PeriodStart(lMarch2024 + 5 * cDayMs + 123), lMarch2024);
  EXPECT_EQ(lMonth.Previous(lMarch2024), DaysFromCivil(2024, 2, 1) * cDayMs);
  EXPECT_EQ(lMonth.Next(DaysFromCivil(2024, 12, 1) * cDayMs), DaysFromCivil(2025, 1, 1) * cDayMs);
  // 2024-01-01 was a Monday.
  const TInterval lWeek = *TInterval::Parse("1w");
  const int64_t lMonday = DaysFromCivil(2024, 1, 1) * cDayMs;
  EXPECT_EQ(lWeek.PeriodStart(lMonday + 6 * cDayMs), lMonday);
  EXPECT_EQ(lWeek.FirstAtOrAfter(lMonday + 1), lMonday + 7 * cDayMs);
  EXPECT_FALSE(TInterval::Parse("1s").has_value());
  EXPECT_FALSE(TInterval::Parse("1H").has_value());
}

} // namespace
} // namespace vexa::sim
