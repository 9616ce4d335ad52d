#include "balance.h"
#include "general_format.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

const QLocale cRussian(QLocale::Russian, QLocale::Russia);
const QLocale cEnglish(QLocale::English, QLocale::UnitedStates);

void AddBalance(TBalanceList &aList, const QString &aAsset, double aFree, double aLocked)
{
  TBalance &lBalance = aList.Add();
  lBalance.Asset = aAsset;
  lBalance.Free_ = aFree;
  lBalance.Locked = aLocked;
}

} // namespace

TEST(GeneralFormat, ShortestTextUpToFifteenDigits)
{
  EXPECT_EQ(FloatToStrGeneral(0, cEnglish), QStringLiteral("0"));
  EXPECT_EQ(FloatToStrGeneral(12, cEnglish), QStringLiteral("12"));
  EXPECT_EQ(FloatToStrGeneral(1500000, cEnglish), QStringLiteral("1500000"));
  EXPECT_EQ(FloatToStrGeneral(0.1 + 0.2, cEnglish), QStringLiteral("0.3"));
  EXPECT_EQ(FloatToStrGeneral(-65000.25, cEnglish), QStringLiteral("-65000.25"));
  EXPECT_EQ(FloatToStrGeneral(1.0 / 3, cEnglish), QStringLiteral("0.333333333333333"));
  EXPECT_EQ(FloatToStrGeneral(123456789012.345678, cEnglish), QStringLiteral("123456789012.346"));
  EXPECT_EQ(FloatToStrGeneral(0.00001, cEnglish), QStringLiteral("0.00001"));
  EXPECT_EQ(FloatToStrGeneral(0.00012345, cEnglish), QStringLiteral("0.00012345"));
  EXPECT_EQ(FloatToStrGeneral(99999.9999999999999, cEnglish), QStringLiteral("100000"));
}

TEST(GeneralFormat, ExponentOnlyForTinyOrHugeValues)
{
  EXPECT_EQ(FloatToStrGeneral(0.000001, cEnglish), QStringLiteral("1E-6"));
  EXPECT_EQ(FloatToStrGeneral(-0.0000025, cEnglish), QStringLiteral("-2.5E-6"));
  EXPECT_EQ(FloatToStrGeneral(999999999999999, cEnglish), QStringLiteral("999999999999999"));
  EXPECT_EQ(FloatToStrGeneral(1e15, cEnglish), QStringLiteral("1E15"));
  EXPECT_EQ(FloatToStrGeneral(1.5e20, cRussian), QStringLiteral("1,5E20"));
}

TEST(GeneralFormat, UsesTheLocaleSeparatorWithoutGrouping)
{
  EXPECT_EQ(FloatToStrGeneral(1234567.5, cRussian), QStringLiteral("1234567,5"));
  EXPECT_EQ(FloatToStrGeneral(1234567.5, cEnglish), QStringLiteral("1234567.5"));
}

TEST(BalanceList, AsStringSkipsEmptyAssets)
{
  TBalanceList lList;
  EXPECT_EQ(lList.AsString(cEnglish), QString());
  AddBalance(lList, QStringLiteral("BNB"), 0, 0);
  EXPECT_EQ(lList.AsString(cEnglish), QString());

  AddBalance(lList, QStringLiteral("BTC"), 1.5, 0.25);
  AddBalance(lList, QStringLiteral("ETH"), 0, 0);
  AddBalance(lList, QStringLiteral("USDT"), 0, 100);
  AddBalance(lList, QStringLiteral("LTC"), 0.00000001, 0);
  EXPECT_EQ(lList.AsString(cRussian), QStringLiteral("BTC= 1,5, 0,25; USDT= 0, 100; LTC= 1E-8, 0"));
  EXPECT_EQ(lList.AsString(cEnglish), QStringLiteral("BTC= 1.5, 0.25; USDT= 0, 100; LTC= 1E-8, 0"));
}
