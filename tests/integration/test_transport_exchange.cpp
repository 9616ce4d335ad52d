#include "transport_helper.h"

#include "methods.h"
#include "request_params.h"
#include "trade_engine_client.h"
#include "utils.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>

namespace {

class TransportExchange : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { sExchange = std::make_unique<vexa::test::TExchangeProcess>(); }
  static void TearDownTestSuite() { sExchange.reset(); }

  void SetUp() override
  {
    fEnv.UseExchange(*sExchange);
    ASSERT_TRUE(fEnv.SyncClock());
  }

  QString Signed(const QString &aTail = QString()) const
  {
    return QStringLiteral("timestamp=") + SysTime->GetTimeStamp() + QStringLiteral("&recvWindow=") +
           QString::number(cRecvWindow) + aTail;
  }

  // One exchange through the transport thread, as a request thread makes it.
  static QJsonDocument Send(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aAccount,
                            const QString &aRequest, QString *aRaw = nullptr)
  {
    QString lResponse;
    QString lError;
    SendRequest(std::move(aMethod), aAccount, aRequest, lResponse, lError);
    EXPECT_TRUE(lError.isEmpty()) << lError.toStdString();
    if (aRaw)
      *aRaw = lResponse;
    return QJsonDocument::fromJson(lResponse.toUtf8());
  }

  static std::unique_ptr<vexa::test::TExchangeProcess> sExchange;
  TTransportEnv fEnv;
};

std::unique_ptr<vexa::test::TExchangeProcess> TransportExchange::sExchange;

} // namespace

TEST_F(TransportExchange, TimeThreadSetsTheClockFromTheExchange)
{
  const qint64 lStamp = DateToStamp(SysTime->Time());
  const qint64 lNow = QDateTime::currentMSecsSinceEpoch();
  EXPECT_LT(std::abs(lStamp - lNow), 5000);
  EXPECT_FALSE(fEnv.Log.Matching(QStringLiteral("<< Resource: \"api/v3/time\"")).empty());
}

TEST_F(TransportExchange, EveryPublicMethodIsAnswered)
{
  EXPECT_TRUE(Send(std::make_unique<TDMethodPing>(), nullptr, QString()).isObject());
  EXPECT_TRUE(Send(std::make_unique<TDMethodTime>(), nullptr, QString())
                  .object()
                  .contains(QStringLiteral("serverTime")));
  const QJsonDocument lPrices = Send(std::make_unique<TDMethodTickerPrice>(), nullptr, QString());
  ASSERT_TRUE(lPrices.isArray());
  ASSERT_FALSE(lPrices.array().isEmpty());
  const QString lSymbol = lPrices.array()[0][QStringLiteral("symbol")].toString();
  EXPECT_TRUE(
      Send(std::make_unique<TDMethodTickerPrice>(), nullptr, QStringLiteral("symbol=") + lSymbol)
          .object()
          .contains(QStringLiteral("price")));
  EXPECT_EQ(Send(std::make_unique<TDMethodTicker24hr>(), nullptr, QString()).array().size(),
            lPrices.array().size());
  EXPECT_TRUE(Send(std::make_unique<TDMethodTickerBookTicker>(), nullptr,
                   QStringLiteral("symbol=") + lSymbol)
                  .object()
                  .contains(QStringLiteral("bidPrice")));
  const QJsonObject lDepth = Send(std::make_unique<TDMethodDepth>(), nullptr,
                                  QStringLiteral("symbol=%1&limit=5").arg(lSymbol))
                                 .object();
  EXPECT_LE(lDepth[QStringLiteral("asks")].toArray().size(), 5);
  EXPECT_FALSE(lDepth[QStringLiteral("bids")].toArray().isEmpty());
  const QJsonArray lKlines = Send(std::make_unique<TDMethodKlines>(), nullptr,
                                  QStringLiteral("symbol=%1&interval=1m&limit=3").arg(lSymbol))
                                 .array();
  ASSERT_EQ(lKlines.size(), 3);
  EXPECT_EQ(lKlines[0].toArray().size(), 12);
}

TEST_F(TransportExchange, SignedRequestsAreAccepted)
{
  const QJsonObject lAccount =
      Send(std::make_unique<TDMethodAccount>(), &fEnv.Account, Signed()).object();
  EXPECT_TRUE(lAccount[QStringLiteral("balances")].isArray());
  EXPECT_TRUE(Send(std::make_unique<TDMethodOpenOrders>(), &fEnv.Account, Signed()).isArray());
  EXPECT_TRUE(Send(std::make_unique<TDMethodAllOrders>(), &fEnv.Account,
                   Signed(QStringLiteral("&symbol=BTCUSDT")))
                  .isArray());

  // A limit order well below the market, posted as a signed form body, then cancelled.
  const double lLast =
      Send(std::make_unique<TDMethodTickerPrice>(), nullptr, QStringLiteral("symbol=BTCUSDT"))
          .object()[QStringLiteral("price")]
          .toString()
          .toDouble();
  ASSERT_GT(lLast, 0);
  QString lLines;
  AddParam(lLines, QStringLiteral("symbol"), QStringLiteral("BTCUSDT"));
  AddParam(lLines, QStringLiteral("side"), QStringLiteral("BUY"));
  AddParam(lLines, QStringLiteral("type"), QStringLiteral("LIMIT"));
  AddParam(lLines, QStringLiteral("price"), AsFloatStr(std::floor(lLast * 0.8)));
  AddParam(lLines, QStringLiteral("quantity"), AsFloatStr(0.001));
  AddParam(lLines, QStringLiteral("timestamp"), SysTime->GetTimeStamp());
  AddParam(lLines, QStringLiteral("recvWindow"), QString::number(cRecvWindow));
  AddParam(lLines, QStringLiteral("timeInForce"), QStringLiteral("GTC"));
  AddParam(lLines, QStringLiteral("newOrderRespType"), QStringLiteral("RESULT"));
  const QJsonObject lOrder =
      Send(std::make_unique<TDMethodOrderPost>(), &fEnv.Account, lLines).object();
  ASSERT_TRUE(lOrder.contains(QStringLiteral("orderId"))) << GetLastServerError().toStdString();
  EXPECT_EQ(lOrder[QStringLiteral("origQty")].toString().toDouble(), 0.001);
  const qint64 lOrderId = lOrder[QStringLiteral("orderId")].toInteger();

  const QString lCancel = QStringLiteral("symbol=BTCUSDT&orderId=%1&timestamp=%2&recvWindow=%3")
                              .arg(lOrderId)
                              .arg(SysTime->GetTimeStamp())
                              .arg(cRecvWindow);
  const QJsonObject lCancelled =
      Send(std::make_unique<TDMethodOrderDelete>(), &fEnv.Account, lCancel).object();
  EXPECT_EQ(lCancelled[QStringLiteral("status")].toString(), QStringLiteral("CANCELED"));

  // The POST went out as lines in L1, one parameter per line, unsigned.
  const auto lPosted = fEnv.Log.Matching(QStringLiteral("<< Resource: \"api/v3/order\" Request: "
                                                        "\"symbol=BTCUSDT\r\nside=BUY"));
  ASSERT_EQ(lPosted.size(), 1u);
  EXPECT_FALSE(lPosted[0].Text.contains(QStringLiteral("signature")));
}

// Prices below 0.00001 go out as plain decimals, which the exchange accepts.
TEST_F(TransportExchange, TinyPriceOrderIsAccepted)
{
  const QJsonArray lPrices =
      Send(std::make_unique<TDMethodTickerPrice>(), nullptr, QString()).array();
  QString lSymbol;
  double lPrice = 1;
  for (const QJsonValue &lItem : lPrices) {
    const double lValue = lItem[QStringLiteral("price")].toString().toDouble();
    if (lValue > 0 && lValue < lPrice &&
        lItem[QStringLiteral("symbol")].toString().endsWith(QStringLiteral("BTC"))) {
      lPrice = lValue;
      lSymbol = lItem[QStringLiteral("symbol")].toString();
    }
  }
  if (lPrice >= 0.00001)
    GTEST_SKIP() << "no coin priced below 0.00001 on this exchange";
  const double lLimit = std::round(lPrice * 0.9 * 1e8) / 1e8;
  QString lLines;
  AddParam(lLines, QStringLiteral("symbol"), lSymbol);
  AddParam(lLines, QStringLiteral("side"), QStringLiteral("BUY"));
  AddParam(lLines, QStringLiteral("type"), QStringLiteral("LIMIT"));
  AddParam(lLines, QStringLiteral("price"), AsFloatStr(lLimit));
  AddParam(lLines, QStringLiteral("quantity"), AsFloatStr(std::ceil(0.0002 / lLimit)));
  AddParam(lLines, QStringLiteral("timestamp"), SysTime->GetTimeStamp());
  AddParam(lLines, QStringLiteral("recvWindow"), QString::number(cRecvWindow));
  AddParam(lLines, QStringLiteral("timeInForce"), QStringLiteral("GTC"));
  AddParam(lLines, QStringLiteral("newOrderRespType"), QStringLiteral("RESULT"));
  ASSERT_FALSE(AsFloatStr(lLimit).contains(QLatin1Char('E')));
  QString lRaw;
  const QJsonObject lOrder =
      Send(std::make_unique<TDMethodOrderPost>(), &fEnv.Account, lLines, &lRaw).object();
  EXPECT_TRUE(lOrder.contains(QStringLiteral("orderId"))) << GetLastServerError().toStdString();
}

TEST_F(TransportExchange, WrongSecretGivesEmptyAnswerAndTheExchangesReason)
{
  TConnectionItem lWrong;
  lWrong.ApiKey = fEnv.Account.ApiKey;
  lWrong.SecretKey = QStringLiteral("not-the-secret");
  SetLastServerError(QString());
  fEnv.Log.Clear();
  QString lResponse;
  QString lError;
  const QString lQuery = Signed();
  SendRequest(std::make_unique<TDMethodAccount>(), &lWrong, lQuery, lResponse, lError);
  EXPECT_TRUE(lResponse.isEmpty());
  EXPECT_TRUE(lError.isEmpty());
  const QString lLast = GetLastServerError();
  EXPECT_TRUE(lLast.startsWith(QStringLiteral("HTTP/1.1 400 Bad Request {")))
      << lLast.toStdString();
  EXPECT_TRUE(lLast.contains(QStringLiteral("\"code\":-1022"))) << lLast.toStdString();

  // L1, L2, E1, E2, E3 and the separator, all tagged with the transport thread.
  const std::vector<TLogEntry> lEntries = fEnv.Log.Entries();
  ASSERT_EQ(lEntries.size(), 6u);
  const QString lThread = lEntries[0].Thread;
  EXPECT_FALSE(lThread.isEmpty());
  for (const TLogEntry &lEntry : lEntries)
    EXPECT_EQ(lEntry.Thread, lThread);
  EXPECT_EQ(lEntries[0].Level, QStringLiteral("INFO"));
  EXPECT_EQ(lEntries[0].Text, QStringLiteral("<< Resource: \"api/v3/account\" Request: \"") +
                                  lQuery + QLatin1Char('"'));
  EXPECT_EQ(lEntries[1].Text, QStringLiteral(">> Respond: \"\""));
  EXPECT_EQ(lEntries[2].Level, QStringLiteral("ALERT"));
  EXPECT_TRUE(lEntries[2].Text.startsWith(
      QStringLiteral(">> EIdSocketError: ERROR: \"HTTP/1.1 400 Bad Request\", \"{")));
  EXPECT_TRUE(lEntries[3].Text.startsWith(
      QStringLiteral(">> EIdSocketError: URL: \"") + Q(sExchange->baseUrl()) +
      QStringLiteral("/api/v3/account?") + lQuery + QStringLiteral("&signature=")));
  const TLogEntry &lRaw = lEntries[4];
  EXPECT_TRUE(
      lRaw.Text.startsWith(QStringLiteral(">> EIdSocketError: RAW: \"GET /api/v3/account")));
  EXPECT_TRUE(
      lRaw.Text.contains(QStringLiteral("X-MBX-APIKEY: ") + lWrong.ApiKey.left(4) + QChar(0x2026)));
  EXPECT_TRUE(lRaw.Text.contains(QStringLiteral("User-Agent: python-requests/2.18.4")));
  EXPECT_TRUE(lRaw.Text.contains(QStringLiteral("Content-Type: application/json")));
  // The answer came compressed; the texts above show it decoded.
  EXPECT_TRUE(
      lRaw.Text.contains(QRegularExpression(QStringLiteral("Accept-Encoding: [^\\n]*gzip"))));
  EXPECT_EQ(lEntries[5].Text, QString());
  EXPECT_EQ(lEntries[5].Level, QString());
  for (const TLogEntry &lEntry : lEntries) {
    EXPECT_FALSE(lEntry.Text.contains(lWrong.ApiKey));
    EXPECT_FALSE(lEntry.Text.contains(lWrong.SecretKey));
  }
}

TEST_F(TransportExchange, ExchangeCertificateIsNotTrustedWithoutTheCaFile)
{
  fEnv.UseServer(Q(sExchange->baseUrl()), QString());
  QString lResponse;
  QString lError;
  SendRequest(std::make_unique<TDMethodPing>(), nullptr, QString(), lResponse, lError);
  EXPECT_TRUE(lResponse.isEmpty());
  EXPECT_TRUE(lError.isEmpty());
  EXPECT_TRUE(GetLastServerError().contains(QStringLiteral("certificate"), Qt::CaseInsensitive))
      << GetLastServerError().toStdString();
  EXPECT_EQ(fEnv.Log.Matching(QStringLiteral(">> Exception: ")).size(), 1u);
}

// Queries ride on the connection the last one left open; orders never do. When the exchange
// goes away and comes back on the same port, the dead kept connection gives way to a new one.
TEST(TransportConnections, QueriesReuseTheConnectionAndOutliveAnExchangeRestart)
{
  QTemporaryDir lState; // the same certificates for both runs of the exchange
  vexa::test::TExchangeProcess::TConfig lConfig;
  lConfig.fStateDir = lState.path().toStdString();
  auto lExchange = std::make_unique<vexa::test::TExchangeProcess>(lConfig);
  TTransportEnv lEnv;
  lEnv.UseExchange(*lExchange);
  auto Send = [&lEnv](std::unique_ptr<TDBaseMethod> aMethod, const QString &aRequest) {
    QString lResponse;
    QString lError;
    SendRequest(std::move(aMethod), &lEnv.Account, aRequest, lResponse, lError);
    EXPECT_TRUE(lError.isEmpty()) << lError.toStdString();
    return lResponse;
  };
  ASSERT_FALSE(Send(std::make_unique<TDMethodPing>(), QString()).isEmpty());
  const long lFirst = TransportConnections();
  for (int i = 0; i < 5; ++i)
    ASSERT_FALSE(Send(std::make_unique<TDMethodTickerPrice>(), QString()).isEmpty());
  EXPECT_EQ(TransportConnections(), lFirst);

  // Refused for want of parameters, but each went out on a new connection.
  for (int i = 0; i < 2; ++i)
    Send(std::make_unique<TDMethodOrderPost>(), QStringLiteral("symbol=BTCUSDT"));
  EXPECT_EQ(TransportConnections(), lFirst + 2);
  ASSERT_FALSE(Send(std::make_unique<TDMethodPing>(), QString()).isEmpty());
  EXPECT_EQ(TransportConnections(), lFirst + 2);

  const int lPort = lExchange->port();
  lExchange.reset();
  lConfig.fArgs = {"--port", std::to_string(lPort)};
  lExchange = std::make_unique<vexa::test::TExchangeProcess>(lConfig);
  ASSERT_EQ(lExchange->port(), lPort);
  EXPECT_FALSE(Send(std::make_unique<TDMethodPing>(), QString()).isEmpty())
      << GetLastServerError().toStdString();
  EXPECT_EQ(TransportConnections(), lFirst + 3);
}
