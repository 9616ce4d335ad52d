#include "transport_helper.h"

#include "methods.h"
#include "rate_limit_gate.h"
#include "trade_engine_client.h"
#include "utils.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QThread>

#include <algorithm>
#include <thread>

namespace {

struct TResult
{
  QString Response;
  QString Error;
  qint64 ElapsedMs = 0;
};

TResult Ping()
{
  TResult lResult;
  QElapsedTimer lTimer;
  lTimer.start();
  SendRequest(std::make_unique<TDMethodPing>(), nullptr, QString(), lResult.Response,
              lResult.Error);
  lResult.ElapsedMs = lTimer.elapsed();
  return lResult;
}

class TransportFailure : public ::testing::Test
{
protected:
  void SetUp() override { SetLastServerError(QString()); }
  TTransportEnv fEnv;
};

} // namespace

TEST_F(TransportFailure, UnreachablePortIsASocketError)
{
  fEnv.UseServer(QStringLiteral("https://127.0.0.1:%1").arg(FreePort()), QString());
  const TResult lResult = Ping();
  EXPECT_TRUE(lResult.Response.isEmpty());
  EXPECT_TRUE(lResult.Error.isEmpty());
  EXPECT_LT(lResult.ElapsedMs, 5000);
  EXPECT_FALSE(GetLastServerError().isEmpty());
  const auto lEntries = fEnv.Log.Entries();
  ASSERT_EQ(lEntries.size(), 4u); // L1, L2, E4, separator
  EXPECT_EQ(lEntries[2].Level, QStringLiteral("ALERT"));
  EXPECT_EQ(lEntries[2].Text,
            QStringLiteral(">> EIdSocketError: \"") + GetLastServerError() + QLatin1Char('"'));
  EXPECT_TRUE(lEntries[3].Text.isEmpty());
}

TEST_F(TransportFailure, SilentServerIsGivenUpAfterTheConnectTimeout)
{
  TSilentPeer lPeer;
  fEnv.UseServer(QStringLiteral("https://127.0.0.1:%1").arg(lPeer.Port()), QString());
  const TResult lResult = Ping();
  EXPECT_TRUE(lResult.Response.isEmpty());
  EXPECT_GE(lResult.ElapsedMs, 4500);
  EXPECT_LE(lResult.ElapsedMs, 7000);
  EXPECT_EQ(fEnv.Log.Matching(QStringLiteral(">> Exception: ")).size(), 1u);
}

TEST_F(TransportFailure, OnlyTls12IsSpoken)
{
  {
    // A peer that would also speak TLS 1.3, trusted through the CA file, ends up on 1.2.
    TTlsPeer lPeer{QString()};
    fEnv.UseServer(lPeer.BaseUrl(), lPeer.CertFile());
    const TResult lResult = Ping();
    EXPECT_TRUE(lResult.Response.contains(QStringLiteral("Protocol  : TLSv1.2")))
        << lResult.Response.left(300).toStdString() << GetLastServerError().toStdString();
  }
  {
    TTlsPeer lPeer(QStringLiteral("-tls1_3"));
    fEnv.UseServer(lPeer.BaseUrl(), lPeer.CertFile());
    fEnv.Log.Clear();
    const TResult lResult = Ping();
    EXPECT_TRUE(lResult.Response.isEmpty());
    EXPECT_TRUE(lResult.Error.isEmpty());
    EXPECT_TRUE(GetLastServerError().contains(QStringLiteral("protocol version")))
        << GetLastServerError().toStdString();
    EXPECT_EQ(fEnv.Log.Matching(QStringLiteral(">> Exception: ")).size(), 1u);
  }
}

TEST_F(TransportFailure, CertificateOutsideTheTrustSetIsRefused)
{
  TTlsPeer lTrusted(QStringLiteral("-tls1_2"));
  TTlsPeer lStranger(QStringLiteral("-tls1_2"));
  // The CA file names another peer's certificate, not the stranger's.
  fEnv.UseServer(lStranger.BaseUrl(), lTrusted.CertFile());
  const TResult lResult = Ping();
  EXPECT_TRUE(lResult.Response.isEmpty());
  EXPECT_TRUE(GetLastServerError().contains(QStringLiteral("certificate"), Qt::CaseInsensitive))
      << GetLastServerError().toStdString();
  EXPECT_EQ(fEnv.Log.Matching(QStringLiteral(">> Exception: ")).size(), 1u);
}

TEST_F(TransportFailure, MissingCaFileStillVerifiesAgainstTheSystemStore)
{
  TTlsPeer lPeer(QStringLiteral("-tls1_2"));
  fEnv.UseServer(lPeer.BaseUrl(), QStringLiteral("/nonexistent/ca.pem"));
  const TResult lResult = Ping();
  EXPECT_TRUE(lResult.Response.isEmpty());
  EXPECT_EQ(fEnv.Log.Matching(QStringLiteral("TTradeEngineClient.Create error: ")).size(), 1u);
  EXPECT_TRUE(GetLastServerError().contains(QStringLiteral("certificate"), Qt::CaseInsensitive));
}

// The read limit is an idle limit: a pause longer than it ends the exchange, a shorter one not.
TEST_F(TransportFailure, ReadTimeoutCountsSilenceAfterTheRequest)
{
  vexa::test::TExchangeProcess lSlow({"--latency-ms", "1500"});
  fEnv.UseExchange(lSlow);
  for (const int lLimitMs : {700, 4000}) {
    SCOPED_TRACE(lLimitMs);
    fEnv.Log.Clear();
    TTradeEngineClient lClient;
    lClient.SetReadTimeoutMs(lLimitMs);
    QString lResponse;
    QElapsedTimer lTimer;
    lTimer.start();
    const bool lOk = lClient.ExecuteCommand(std::make_unique<TDMethodTime>(), QString(), lResponse);
    if (lLimitMs < 1500) {
      EXPECT_FALSE(lOk);
      EXPECT_TRUE(lResponse.isEmpty());
      EXPECT_LT(lTimer.elapsed(), 1450);
      EXPECT_TRUE(GetLastServerError().startsWith(QStringLiteral("Read timed out")));
      EXPECT_EQ(fEnv.Log.Matching(QStringLiteral(">> Exception: \"Read timed out")).size(), 1u);
    } else {
      EXPECT_TRUE(lOk);
      EXPECT_TRUE(lResponse.contains(QStringLiteral("serverTime")));
    }
  }
}

TEST_F(TransportFailure, RateLimitHoldsFurtherRequestsBack)
{
  QTemporaryDir lDir;
  const std::string lRequestLog = (lDir.path() + QStringLiteral("/requests.log")).toStdString();
  vexa::test::TExchangeProcess lStrict({"--weight-limit", "5", "--request-log", lRequestLog});
  fEnv.UseExchange(lStrict);
  auto lServedCount = [&] {
    QFile lFile(QString::fromStdString(lRequestLog));
    return lFile.open(QIODevice::ReadOnly) ? lFile.readAll().count('\n') : 0;
  };

  int lAnswered = 0;
  for (int i = 0; i < 10 && !GetLastServerError().contains(QStringLiteral("429")); ++i)
    lAnswered += Ping().Response.isEmpty() ? 0 : 1;
  EXPECT_EQ(lAnswered, 5);
  ASSERT_TRUE(GetLastServerError().startsWith(QStringLiteral("HTTP/1.1 429")))
      << GetLastServerError().toStdString();
  EXPECT_TRUE(GetLastServerError().contains(QStringLiteral("-1003")));
  const qint64 lServed = lServedCount();
  // Retry-After runs to the end of the exchange's minute: poll only while it lasts.
  const qint64 lHoldMs =
      TRateLimitGate::Instance().RemainingMs(TRateLimitGate::Origin(Q(lStrict.baseUrl())));
  ASSERT_GT(lHoldMs, 0);
  const int lPolls = static_cast<int>(std::clamp<qint64>((lHoldMs - 150) / 100, 1, 5));

  // Polling on as a terminal does: every request fails at once and none reaches the exchange.
  fEnv.Log.Clear();
  for (int i = 0; i < lPolls; ++i) {
    const TResult lResult = Ping();
    EXPECT_TRUE(lResult.Response.isEmpty());
    EXPECT_LT(lResult.ElapsedMs, 100);
    QThread::msleep(80);
  }
  EXPECT_TRUE(GetLastServerError().startsWith(QStringLiteral("Request held back for")))
      << GetLastServerError().toStdString();
  EXPECT_EQ(lServedCount(), lServed);
  EXPECT_EQ(fEnv.Log.Matching(QStringLiteral(">> Exception: \"Request held back")).size(),
            static_cast<size_t>(lPolls));
  TRateLimitGate::Instance().Clear();
}

// A ban answers 418 with Retry-After in seconds: the hold lasts what the exchange said, not the
// 60 s kept for an answer without one, and requests reach the exchange again once it is over.
TEST_F(TransportFailure, BanHoldsBackForItsRetryAfterOnly)
{
  vexa::test::TExchangeProcess lStrict({"--weight-limit", "3", "--ban-seconds", "2"});
  fEnv.UseExchange(lStrict);
  TRateLimitGate &lGate = TRateLimitGate::Instance();
  const QString lOrigin = TRateLimitGate::Origin(Q(lStrict.baseUrl()));

  // Past the limit the exchange answers 429; asked again over a second later, it bans. The
  // terminal would hold those requests back itself, so its hold is lifted before each one.
  QElapsedTimer lTimer;
  lTimer.start();
  while (!GetLastServerError().startsWith(QStringLiteral("HTTP/1.1 418")) &&
         lTimer.elapsed() < 15000) {
    lGate.Clear();
    Ping();
    QThread::msleep(100);
  }
  ASSERT_TRUE(GetLastServerError().startsWith(QStringLiteral("HTTP/1.1 418")))
      << GetLastServerError().toStdString();
  EXPECT_TRUE(GetLastServerError().contains(QStringLiteral("-1003")));
  EXPECT_EQ(lGate.HoldStatus(lOrigin), 418);
  const qint64 lHoldMs = lGate.RemainingMs(lOrigin);
  EXPECT_GT(lHoldMs, 0);
  EXPECT_LE(lHoldMs, 2000);
  EXPECT_TRUE(Ping().Response.isEmpty());
  EXPECT_TRUE(GetLastServerError().startsWith(QStringLiteral("Request held back for")));

  // The exchange forgives; the terminal asks again once its own hold is over.
  lStrict.admin("/admin/weights", R"({"reset":true,"limit":6000})");
  lTimer.restart();
  while (lGate.RemainingMs(lOrigin) > 0 && lTimer.elapsed() < 3000)
    QThread::msleep(20);
  EXPECT_FALSE(Ping().Response.isEmpty()) << GetLastServerError().toStdString();
  lGate.Clear();
}

// Closing the terminal: an exchange still under way is cut off when its time is up, none
// starts once the transport is stopped, and without the workflow's server none goes anywhere
// (never to a default exchange).
TEST_F(TransportFailure, ShutDownCutsOffAndStartsNothingAndKnowsNoOtherServer)
{
  vexa::test::TExchangeProcess lSlow({"--latency-ms", "5000"});
  fEnv.UseExchange(lSlow);
  TResult lHanging;
  std::thread lWorker([&lHanging] { lHanging = Ping(); });
  QThread::msleep(300);
  CutTransfersIn(500);
  lWorker.join();
  EXPECT_TRUE(lHanging.Response.isEmpty());
  EXPECT_LT(lHanging.ElapsedMs, 2000);
  EXPECT_EQ(GetLastServerError(), QStringLiteral("the terminal is closing"));

  StopTransport();
  EXPECT_LT(Ping().ElapsedMs, 100);
  EXPECT_EQ(fEnv.Log.Matching(QStringLiteral("<< Resource")).size(), 2u);
  EXPECT_EQ(fEnv.Log.Matching(QStringLiteral(">> Exception: \"the terminal is closing")).size(),
            2u);
  ResumeTransport();

  Workflow.reset();
  TTradeEngineClient lClient;
  EXPECT_TRUE(lClient.GetURL(QStringLiteral("api/v3/ping")).isEmpty());
  QString lResponse;
  EXPECT_FALSE(lClient.ExecuteCommand(std::make_unique<TDMethodPing>(), QString(), lResponse));
  EXPECT_EQ(GetLastServerError(), QStringLiteral("no exchange server is configured"));
  Workflow = std::make_unique<TWorkflow>();
}
