#include "request_params.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QRegularExpression>

#include <clocale>
#include <string>

TEST(AddParam, OneCrLfBetweenParametersAndNoneAtTheEnds)
{
  QString lText;
  AddParam(lText, QStringLiteral("symbol"), QStringLiteral("BTCUSDT"));
  EXPECT_EQ(lText, QStringLiteral("symbol=BTCUSDT"));
  AddParam(lText, QStringLiteral("side"), QStringLiteral("BUY"));
  AddParam(lText, QStringLiteral("quantity"), QStringLiteral("0.01"));
  EXPECT_EQ(lText, QStringLiteral("symbol=BTCUSDT\r\nside=BUY\r\nquantity=0.01"));
}

TEST(AsFloatStr, ExamplesOfTheGeneralFormat)
{
  EXPECT_EQ(AsFloatStr(0.5), QStringLiteral("0.5"));
  EXPECT_EQ(AsFloatStr(12), QStringLiteral("12"));
  EXPECT_EQ(AsFloatStr(0.123456789), QStringLiteral("0.12345679"));
  EXPECT_EQ(AsFloatStr(0.01), QStringLiteral("0.01"));
  EXPECT_EQ(AsFloatStr(0.1 + 0.2), QStringLiteral("0.3"));
  EXPECT_EQ(AsFloatStr(1234.5678), QStringLiteral("1234.5678"));
  EXPECT_EQ(AsFloatStr(27123.456789), QStringLiteral("27123.457"));
  EXPECT_EQ(AsFloatStr(0.00001), QStringLiteral("0.00001"));
  EXPECT_EQ(AsFloatStr(-0.5), QStringLiteral("-0.5"));
  EXPECT_EQ(AsFloatStr(0), QStringLiteral("0"));
  EXPECT_EQ(AsFloatStr(99999999), QStringLiteral("99999999"));
}

TEST(AsFloatStr, NeverUsesExponent)
{
  EXPECT_EQ(AsFloatStr(0.00000351), QStringLiteral("0.00000351"));
  EXPECT_EQ(AsFloatStr(1e-9), QStringLiteral("0.000000001"));
  EXPECT_EQ(AsFloatStr(0.000001234567891), QStringLiteral("0.0000012345679"));
  EXPECT_EQ(AsFloatStr(123456789), QStringLiteral("123456790"));
  EXPECT_EQ(AsFloatStr(1e10), QStringLiteral("10000000000"));

  // Whatever the magnitude, the exchange's number pattern holds.
  const QRegularExpression lPattern(QStringLiteral("^([0-9]{1,20})(\\.[0-9]{1,20})?$"));
  for (double lValue = 3.7e-12; lValue < 1e12; lValue *= 7.3)
    EXPECT_TRUE(lPattern.match(AsFloatStr(lValue)).hasMatch()) << AsFloatStr(lValue).toStdString();
}

TEST(AsFloatStr, PointWhateverTheLocale)
{
  const std::string lOldC = std::setlocale(LC_ALL, nullptr);
  const QLocale lOldQt;
  ASSERT_NE(std::setlocale(LC_ALL, "ru_RU.UTF-8"), nullptr)
      << "the ru_RU.UTF-8 locale is missing: run scripts/install-deps";
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  // The locale really uses a comma, so a locale-bound formatter would show it.
  ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
  ASSERT_EQ(QLocale().decimalPoint(), QStringLiteral(","));

  const QString lPrice = AsFloatStr(0.5);
  const QString lSmall = AsFloatStr(0.00000351);
  const QString lLong = AsFloatStr(0.123456789);

  std::setlocale(LC_ALL, lOldC.c_str());
  QLocale::setDefault(lOldQt);
  EXPECT_EQ(lPrice, QStringLiteral("0.5"));
  EXPECT_EQ(lSmall, QStringLiteral("0.00000351"));
  EXPECT_EQ(lLong, QStringLiteral("0.12345679"));
}
