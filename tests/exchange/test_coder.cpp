#include "coder.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QString>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

bool IsUpperHexOfEvenLength(const QString &aText)
{
  static const QRegularExpression lHex(QStringLiteral("^([0-9A-F]{2})*$"));
  return lHex.match(aText).hasMatch();
}

QString RandomText(QRandomGenerator &aRandom, int aLength, char16_t aFrom, char16_t aTo)
{
  QString lResult;
  for (int i = 0; i < aLength; ++i)
    lResult += QChar(static_cast<char16_t>(aRandom.bounded(int(aFrom), int(aTo) + 1)));
  return lResult;
}

} // namespace

TEST(Coder, SubstitutionTableAndInverseUndoEachOther)
{
  const TCipherTables &lTables = CipherTables();
  std::array<bool, cCipherAlphabet> lSeen{};
  for (int i = 0; i < cCipherAlphabet; ++i) {
    ASSERT_LT(lTables.Forward[i], cCipherAlphabet);
    EXPECT_FALSE(lSeen[lTables.Forward[i]]) << "value " << int(lTables.Forward[i]) << " twice";
    lSeen[lTables.Forward[i]] = true;
    EXPECT_EQ(lTables.Inverse[lTables.Forward[i]], i);
    EXPECT_EQ(lTables.Forward[lTables.Inverse[i]], i);
  }
}

TEST(Coder, EmptyKeyIsStoredAsEmptyText)
{
  EXPECT_EQ(Encrypt(QString()), QString());
  EXPECT_EQ(Decrypt(QString()), QString());
}

// Vectors computed by a separate script implementation of the cipher. Stored config.json
// files depend on them: a change here makes every saved key unreadable.
TEST(Coder, EncryptMatchesReferenceVectors)
{
  EXPECT_EQ(Encrypt(QStringLiteral("a")), QStringLiteral("F7"));
  EXPECT_EQ(Encrypt(QStringLiteral("abc")), QStringLiteral("E7FFC1"));
  EXPECT_EQ(Encrypt(QStringLiteral("Hello, World!")), QStringLiteral("BBBCC71A56398A047C2D2D51D2"));
  EXPECT_EQ(Encrypt(QStringLiteral("vexa\x7f~ \x01\t")), QStringLiteral("E7A4F63C1A26924208"));
  EXPECT_EQ(Encrypt(QStringLiteral("ключ-Ω")), QStringLiteral("5B695DE3F2F167C432D8C6"));
  EXPECT_EQ(Encrypt(QStringLiteral("0123456789ABCDEFvmPUZE6mv9SD5VNHk4HlWFsOr6aKE2zvsw0MuIgwCIPy"
                                   "6utIco14y7Ju91duEh8A")),
            QStringLiteral("DABDA827790ACC2A5E3A2416F4C91B878E21678C85D7B537F27873C83B8F4C8EDCB"
                           "8364944DA574E147E0DEB9224DAAB7F11B79A90FA75891E5EC12FC14FCEA4940439"
                           "6DDA58437007768E902BA4AF21"));
}

TEST(Coder, PrintableKeysRoundTripAsUpperHex)
{
  QString lAll;
  for (char16_t c = 32; c <= 127; ++c)
    lAll += QChar(c);
  QRandomGenerator lRandom(17);
  QStringList lKeys{lAll, QStringLiteral(" "), QStringLiteral("~~~~~~~~"),
                    QString(lAll).repeated(3)};
  for (int lLength : {1, 2, 3, 4, 5, 7, 8, 9, 63, 64, 65, 100, 257})
    lKeys << RandomText(lRandom, lLength, 32, 127);
  for (const QString &lKey : lKeys) {
    const QString lStored = Encrypt(lKey);
    EXPECT_TRUE(IsUpperHexOfEvenLength(lStored)) << lStored.toStdString();
    EXPECT_EQ(lStored.size(), 2 * lKey.size());
    EXPECT_EQ(Decrypt(lStored), lKey);
  }
}

TEST(Coder, KeysWithCharactersOutsidePrintableRoundTrip)
{
  QRandomGenerator lRandom(23);
  QStringList lKeys{QStringLiteral("\t\r\n\x01\x1f"), QStringLiteral("ab\tcd\x7f"),
                    QStringLiteral("Ключ API №1"), QStringLiteral("é-ü-ß"),
                    QStringLiteral("\U0001F511 key \U0001F511")};
  for (int lLength : {1, 5, 32, 90})
    lKeys << RandomText(lRandom, lLength, 1, 0x4FF); // control, ASCII, Latin-1, Cyrillic
  for (const QString &lKey : lKeys) {
    const QString lStored = Encrypt(lKey);
    EXPECT_TRUE(IsUpperHexOfEvenLength(lStored)) << lStored.toStdString();
    EXPECT_EQ(lStored.size(), 2 * lKey.toUtf8().size());
    EXPECT_EQ(Decrypt(lStored), lKey);
  }
}

TEST(Coder, SubstitutionKeepsPrintableInRangeAndOtherBytesUnchanged)
{
  QByteArray lBytes;
  for (int i = 0; i < 256; ++i)
    lBytes += static_cast<char>(i);
  QByteArray lText = lBytes + lBytes;
  EnCipher(lText);
  for (qsizetype i = 0; i < lText.size(); ++i) {
    const auto lBefore = static_cast<unsigned char>(lBytes[i % 256]);
    const auto lAfter = static_cast<unsigned char>(lText[i]);
    if (lBefore < 32 || lBefore > 127)
      EXPECT_EQ(lAfter, lBefore) << "at " << i;
    else
      EXPECT_TRUE(lAfter >= 32 && lAfter <= 127) << "at " << i;
  }
  DeCipher(lText);
  EXPECT_EQ(lText, lBytes + lBytes);
}

TEST(Coder, DeCipherUndoesEnCipherForArbitraryBytes)
{
  QRandomGenerator lRandom(5);
  for (int lLength = 0; lLength < 300; lLength += 7) {
    QByteArray lText(lLength, '\0');
    for (auto &lByte : lText)
      lByte = static_cast<char>(lRandom.bounded(256));
    QByteArray lCopy = lText;
    EnCipher(lCopy);
    DeCipher(lCopy);
    EXPECT_EQ(lCopy, lText) << "length " << lLength;
  }
}

TEST(Coder, CryptIsItsOwnInverseAndIndependentOfTheText)
{
  const QByteArray lKey = CipherKey();
  EXPECT_EQ(lKey, QByteArray("Qm7Lx2Rw"));
  QByteArray lZeros(40, '\0');
  QByteArray lOnes(40, '\xff');
  Crypt(lZeros, lKey);
  Crypt(lOnes, lKey);
  for (int i = 0; i < 40; ++i)
    EXPECT_EQ(static_cast<unsigned char>(lZeros[i] ^ lOnes[i]), 0xFF) << "at " << i;

  QByteArray lText("a secret key of some length, longer than the cipher key");
  const QByteArray lOriginal = lText;
  Crypt(lText, lKey);
  EXPECT_NE(lText, lOriginal);
  Crypt(lText, lKey);
  EXPECT_EQ(lText, lOriginal);

  Crypt(lText, QByteArray());
  EXPECT_EQ(lText, lOriginal);
}

TEST(Coder, ReadRefusesTextThatIsNotHexadecimal)
{
  EXPECT_EQ(Read(QStringLiteral("00ff7Fa0")), QByteArray("\x00\xff\x7f\xa0", 4));
  EXPECT_EQ(Write(QByteArray("\x00\xff\x7f\xa0", 4)), QStringLiteral("00FF7FA0"));
  for (const QString &lBad :
       {QStringLiteral("0G"), QStringLiteral("ABC"), QStringLiteral("A"), QStringLiteral("12 4"),
        QStringLiteral("-1"), QStringLiteral("١٢"), QStringLiteral("0x")}) {
    EXPECT_THROW(Read(lBad), std::invalid_argument) << lBad.toStdString();
    EXPECT_THROW(Decrypt(lBad), std::invalid_argument) << lBad.toStdString();
  }
  try {
    Read(QStringLiteral("00ZZ11"));
    FAIL() << "no error";
  } catch (const std::invalid_argument &lError) {
    EXPECT_NE(QString::fromUtf8(lError.what()).indexOf(QStringLiteral("'ZZ'")), -1)
        << lError.what();
  }
}
