#include "hmac_sha256.h"
#include "wire_request.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

const QString cBase = QStringLiteral("https://127.0.0.1:8443");
const QString cApiKey =
    QStringLiteral("vmPUZE6mv9SD5VNHk4HlWFsOr6aKE2zvsw0MuIgwCIPy6utIco14y7Ju91duEh8A");
// The exchange documentation's example key and query, with its published signature.
const QString cSecret =
    QStringLiteral("NhqPtmdSJYdKjVHjA7PZj4Mge3R5YNiP1e3UZjInClVN65XAbvqqM6A7H5fATj0j");
const QString cDocQuery =
    QStringLiteral("symbol=LTCBTC&side=BUY&type=LIMIT&timeInForce=GTC&"
                   "quantity=1&price=0.1&recvWindow=5000&timestamp=1499827319559");
const QString cDocSignature =
    QStringLiteral("C8DB56825AE71D6D79447849E617115F4A920FA2ACDCAB2B053C4B2838BD6B71");

bool HasHeader(const TWireRequest &aWire, const QString &aLine)
{
  return aWire.Headers.contains(aLine);
}

} // namespace

TEST(WireForm, PublicGetWithAndWithoutQuery)
{
  const TWireRequest lBare = BuildWireRequest(cBase, QStringLiteral("GET"), false,
                                              QStringLiteral("api/v3/ping"), QString(), {}, {});
  EXPECT_EQ(lBare.URL, cBase + QStringLiteral("/api/v3/ping"));
  EXPECT_TRUE(lBare.Body.isEmpty());
  EXPECT_TRUE(HasHeader(lBare, QStringLiteral("Content-Type: application/json")));
  EXPECT_FALSE(lBare.Headers.join('\n').contains(QStringLiteral("X-MBX-APIKEY")));

  const TWireRequest lQuery = BuildWireRequest(
      cBase + QLatin1Char('/'), QStringLiteral("GET"), false, QStringLiteral("api/v3/depth"),
      QStringLiteral("symbol=BTCUSDT&limit=5"), cApiKey, cSecret);
  EXPECT_EQ(lQuery.URL, cBase + QStringLiteral("/api/v3/depth?symbol=BTCUSDT&limit=5"));
  EXPECT_FALSE(lQuery.URL.contains(QStringLiteral("signature")));
}

TEST(WireForm, SignedGetCarriesKeyHeaderAndUpperCaseSignatureLast)
{
  const QString lQuery = QStringLiteral("timestamp=1700000000000&recvWindow=60000");
  const TWireRequest lWire =
      BuildWireRequest(cBase, QStringLiteral("GET"), true, QStringLiteral("api/v3/account"), lQuery,
                       cApiKey, cSecret);
  const QRegularExpression lShape(
      QStringLiteral("^https://127\\.0\\.0\\.1:8443/api/v3/account\\?timestamp=1700000000000&"
                     "recvWindow=60000&signature=([0-9A-F]{64})$"));
  const QRegularExpressionMatch lMatch = lShape.match(lWire.URL);
  ASSERT_TRUE(lMatch.hasMatch()) << lWire.URL.toStdString();
  EXPECT_EQ(lMatch.captured(1), CalculateHMACSHA256(lQuery, cSecret));
  EXPECT_TRUE(HasHeader(lWire, QStringLiteral("X-MBX-APIKEY: ") + cApiKey));
  EXPECT_TRUE(HasHeader(lWire, QStringLiteral("Content-Type: application/json")));

  // The documented example signs to the documented value (upper case).
  const TWireRequest lDoc =
      BuildWireRequest(cBase, QStringLiteral("GET"), true, QStringLiteral("api/v3/order"),
                       cDocQuery, cApiKey, cSecret);
  EXPECT_TRUE(lDoc.URL.endsWith(QStringLiteral("&signature=") + cDocSignature));
}

TEST(WireForm, SignedDeleteKeepsTheQueryInTheUrl)
{
  const QString lQuery =
      QStringLiteral("symbol=BTCUSDT&orderId=4294967301&timestamp=1700000000000&recvWindow=60000");
  const TWireRequest lWire =
      BuildWireRequest(cBase, QStringLiteral("DELETE"), true, QStringLiteral("api/v3/order"),
                       lQuery, cApiKey, cSecret);
  EXPECT_EQ(lWire.Verb, QStringLiteral("DELETE"));
  EXPECT_EQ(lWire.URL, cBase + QStringLiteral("/api/v3/order?") + lQuery +
                           QStringLiteral("&signature=") + CalculateHMACSHA256(lQuery, cSecret));
  EXPECT_TRUE(lWire.Body.isEmpty());
  EXPECT_TRUE(HasHeader(lWire, QStringLiteral("Content-Type: application/json")));
  EXPECT_TRUE(HasHeader(lWire, QStringLiteral("X-MBX-APIKEY: ") + cApiKey));
}

TEST(WireForm, SignedPostSignsTheJoinedLinesAndPostsAFormBody)
{
  const QString lLines = QStringLiteral("symbol=LTCBTC\r\nside=BUY\r\ntype=LIMIT\r\n"
                                        "timeInForce=GTC\r\nquantity=1\r\nprice=0.1\r\n"
                                        "recvWindow=5000\r\ntimestamp=1499827319559");
  const TWireRequest lWire =
      BuildWireRequest(cBase, QStringLiteral("POST"), true, QStringLiteral("api/v3/order"), lLines,
                       cApiKey, cSecret);
  EXPECT_EQ(lWire.URL, cBase + QStringLiteral("/api/v3/order"));
  EXPECT_EQ(QString::fromLatin1(lWire.Body),
            cDocQuery + QStringLiteral("&signature=") + cDocSignature);
  EXPECT_TRUE(HasHeader(lWire, QStringLiteral("Content-Type: application/x-www-form-urlencoded")));
  EXPECT_FALSE(HasHeader(lWire, QStringLiteral("Content-Type: application/json")));
  EXPECT_TRUE(HasHeader(lWire, QStringLiteral("X-MBX-APIKEY: ") + cApiKey));
}

TEST(WireForm, FormEncodingOfNamesAndValues)
{
  EXPECT_EQ(FormEncode(QStringLiteral("AZaz09-._*")), QByteArray("AZaz09-._*"));
  EXPECT_EQ(FormEncode(QStringLiteral("a b&c=d+e")), QByteArray("a+b%26c%3Dd%2Be"));
  EXPECT_EQ(FormEncode(QStringLiteral("币")), QByteArray("%E5%B8%81"));
  EXPECT_EQ(FormBody(QStringLiteral("note=a b\r\nx=1=2")), QByteArray("note=a+b&x=1%3D2"));

  // A value that needs encoding is signed as it goes on the wire.
  const TWireRequest lWire =
      BuildWireRequest(cBase, QStringLiteral("POST"), true, QStringLiteral("api/v3/order"),
                       QStringLiteral("symbol=币USDT\r\nside=BUY"), cApiKey, cSecret);
  const QByteArray lSigned = "symbol=%E5%B8%81USDT&side=BUY";
  EXPECT_EQ(lWire.Body,
            lSigned + "&signature=" + CalculateHMACSHA256(lSigned, cSecret.toUtf8()).toLatin1());
}

TEST(WireForm, UnknownVerbIsRefused)
{
  EXPECT_THROW(BuildWireRequest(cBase, QStringLiteral("PUT"), false, QStringLiteral("api/v3/order"),
                                QString(), {}, {}),
               std::runtime_error);
}

TEST(WireForm, ApiKeyIsMaskedInRawHeaders)
{
  EXPECT_EQ(MaskApiKey(cApiKey), QStringLiteral("vmPU\u2026"));
  const QString lRaw = QStringLiteral("GET /api/v3/account?timestamp=1 HTTP/1.1\r\n"
                                      "Host: 127.0.0.1:8443\r\n"
                                      "User-Agent: python-requests/2.18.4\r\n"
                                      "x-mbx-apikey: ") +
                       cApiKey + QStringLiteral("\r\nContent-Type: application/json");
  const QString lMasked = MaskApiKeyHeaders(lRaw);
  EXPECT_FALSE(lMasked.contains(cApiKey));
  EXPECT_FALSE(lMasked.contains(cApiKey.mid(4, 8)));
  EXPECT_TRUE(lMasked.contains(QStringLiteral("x-mbx-apikey: vmPU\u2026\r\n")));
  EXPECT_TRUE(lMasked.startsWith(QStringLiteral("GET /api/v3/account?timestamp=1 HTTP/1.1\r\n")));
  EXPECT_TRUE(lMasked.endsWith(QStringLiteral("Content-Type: application/json")));
}
