#include "rate_limit_gate.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <QThread>

TEST(RateLimitGate, RetryAfterSecondsOrDateOrSixty)
{
  EXPECT_EQ(TRateLimitGate::RetryAfterSeconds(QStringLiteral("7")), 7);
  EXPECT_EQ(TRateLimitGate::RetryAfterSeconds(QStringLiteral(" 120 ")), 120);
  EXPECT_EQ(TRateLimitGate::RetryAfterSeconds(QString()), 60);
  EXPECT_EQ(TRateLimitGate::RetryAfterSeconds(QStringLiteral("soon")), 60);
  const QString lDate = QLocale::c().toString(QDateTime::currentDateTimeUtc().addSecs(90),
                                              QStringLiteral("ddd, dd MMM yyyy hh:mm:ss 'GMT'"));
  const int lSeconds = TRateLimitGate::RetryAfterSeconds(lDate);
  EXPECT_GE(lSeconds, 88);
  EXPECT_LE(lSeconds, 90);
}

TEST(RateLimitGate, OriginNamesSchemeHostAndPort)
{
  EXPECT_EQ(TRateLimitGate::Origin(QStringLiteral("https://API.binance.com/api/v3/ping")),
            QStringLiteral("https://api.binance.com:443"));
  EXPECT_EQ(TRateLimitGate::Origin(QStringLiteral("https://127.0.0.1:8443")),
            QStringLiteral("https://127.0.0.1:8443"));
}

TEST(RateLimitGate, HoldsOneOriginAndNeverShortensAHold)
{
  TRateLimitGate &lGate = TRateLimitGate::Instance();
  const QString lOrigin = QStringLiteral("https://gate-test.invalid:1");
  const QString lOther = QStringLiteral("https://gate-test.invalid:2");
  EXPECT_EQ(lGate.RemainingMs(lOrigin), 0);
  lGate.HoldBack(lOrigin, 30, 418);
  lGate.HoldBack(lOrigin, 2, 429);
  EXPECT_GT(lGate.RemainingMs(lOrigin), 29000);
  EXPECT_EQ(lGate.HoldStatus(lOrigin), 418);
  EXPECT_EQ(lGate.RemainingMs(lOther), 0);
  lGate.HoldBack(lOther, 0, 429);
  EXPECT_EQ(lGate.RemainingMs(lOther), 0);
  lGate.Clear();
  EXPECT_EQ(lGate.RemainingMs(lOrigin), 0);
}

TEST(RateLimitGate, HoldEndsWhenItsTimeHasPassed)
{
  TRateLimitGate &lGate = TRateLimitGate::Instance();
  const QString lOrigin = QStringLiteral("https://gate-expiry.invalid:1");
  lGate.HoldBack(lOrigin, 1, 429);
  EXPECT_GT(lGate.RemainingMs(lOrigin), 0);
  QThread::msleep(1050);
  EXPECT_EQ(lGate.RemainingMs(lOrigin), 0);
}
