#include "hmac_sha256.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

QByteArray Repeat(char aByte, int aCount)
{
  return QByteArray(aCount, aByte);
}

QString Upper(const char *aHex)
{
  return QString::fromLatin1(aHex).toUpper();
}

} // namespace

// RFC 4231 test cases 1-4, 6 and 7 (case 5 is a truncated MAC).
TEST(HmacSha256, Rfc4231VectorsInUpperCase)
{
  QByteArray lKey4;
  for (int i = 1; i <= 25; ++i)
    lKey4 += static_cast<char>(i);
  struct TVector
  {
    QByteArray Key;
    QByteArray Data;
    const char *Hash;
  };
  const TVector lVectors[] = {
      {Repeat('\x0b', 20), "Hi There",
       "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7"},
      {"Jefe", "what do ya want for nothing?",
       "5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"},
      {Repeat('\xaa', 20), Repeat('\xdd', 50),
       "773ea91e36800e46854db8ebd09181a72959098b3ef8c122d9635514ced565fe"},
      {lKey4, Repeat('\xcd', 50),
       "82558a389a443c0ea4cc819899f2083a85f0faa3e578f8077a2e3ff46729665b"},
      {Repeat('\xaa', 131), "Test Using Larger Than Block-Size Key - Hash Key First",
       "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54"},
      {Repeat('\xaa', 131),
       "This is a test using a larger than block-size key and a larger than block-size data. "
       "The key needs to be hashed before being used by the HMAC algorithm.",
       "9b09ffa71b942fcb27635fbcd5b0e944bfdc63644f0713938a7f51535c3a35e2"},
  };
  for (const TVector &lVector : lVectors)
    EXPECT_EQ(CalculateHMACSHA256(lVector.Data, lVector.Key), Upper(lVector.Hash));
}

TEST(HmacSha256, TextFormSignsTheUtf8Bytes)
{
  EXPECT_EQ(
      CalculateHMACSHA256(QStringLiteral("what do ya want for nothing?"), QStringLiteral("Jefe")),
      Upper("5bdcc146bf60754e6a042426089575c75a003f089d2739839dec58b964ec3843"));
  const QString lKey = QStringLiteral("ключ-\u00e9");
  const QString lData = QStringLiteral("symbol=BTCUSDT&note=\u20ac");
  EXPECT_EQ(CalculateHMACSHA256(lData, lKey), CalculateHMACSHA256(lData.toUtf8(), lKey.toUtf8()));
  EXPECT_TRUE(QRegularExpression(QStringLiteral("^[0-9A-F]{64}$"))
                  .match(CalculateHMACSHA256(QString(), QString()))
                  .hasMatch());
}
