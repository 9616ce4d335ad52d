#include "coder.h"

#include <bit>
#include <stdexcept>

namespace {

constexpr std::array<std::uint8_t, cCipherAlphabet> cSubstitution = {
    28, 58, 36, 61, 38, 83, 89, 66, 40, 1,  78, 18, 56, 11, 29, 39, 33, 70, 13, 71, 62, 69, 90, 73,
    45, 4,  75, 86, 59, 6,  65, 46, 53, 51, 19, 95, 87, 49, 15, 27, 24, 79, 57, 54, 8,  64, 21, 77,
    3,  10, 34, 16, 41, 22, 35, 63, 43, 67, 50, 52, 92, 7,  44, 72, 23, 84, 20, 60, 80, 74, 25, 0,
    93, 76, 81, 5,  42, 47, 12, 85, 30, 88, 17, 26, 37, 94, 68, 2,  91, 32, 48, 82, 31, 14, 55, 9,
};

constexpr TCipherTables MakeTables()
{
  TCipherTables lTables{cSubstitution, {}};
  std::array<bool, cCipherAlphabet> lSeen{};
  for (int i = 0; i < cCipherAlphabet; ++i) {
    const std::uint8_t lValue = lTables.Forward[i];
    if (lValue >= cCipherAlphabet || lSeen[lValue])
      throw std::logic_error("substitution table is not a permutation");
    lSeen[lValue] = true;
    lTables.Inverse[lValue] = static_cast<std::uint8_t>(i);
  }
  return lTables;
}

// Built at compile time: a table that is not a permutation does not compile.
constexpr TCipherTables cTables = MakeTables();

constexpr char cKey[] = "Qm7Lx2Rw";

bool Substituted(std::uint8_t aChar)
{
  return aChar >= 32 && aChar <= 127;
}

// Shared by both directions: moves the running value on for the character n places
// from the end and returns the mask (its low 5 bits).
std::uint32_t NextMask(std::uint32_t &aR, std::uint32_t aN)
{
  if (aN % 4 != 0)
    aR = std::rotl(aR, 3);
  aR &= ~std::uint32_t{0xE0};
  return aR & 31;
}

int HexDigit(QChar aChar)
{
  const char16_t lCode = aChar.unicode();
  if (lCode >= u'0' && lCode <= u'9')
    return lCode - u'0';
  if (lCode >= u'A' && lCode <= u'F')
    return lCode - u'A' + 10;
  if (lCode >= u'a' && lCode <= u'f')
    return lCode - u'a' + 10;
  return -1;
}

} // namespace

const TCipherTables &CipherTables()
{
  return cTables;
}

QByteArray CipherKey()
{
  return QByteArray(cKey);
}

void EnCipher(QByteArray &aText)
{
  const auto lLength = static_cast<std::uint32_t>(aText.size());
  std::uint32_t lR = lLength;
  for (std::uint32_t i = 0; i < lLength; ++i) {
    const auto lChar = static_cast<std::uint8_t>(aText[i]);
    if (!Substituted(lChar))
      continue;
    const std::uint32_t lN = lLength - i;
    const std::uint32_t lX = cTables.Forward[lChar - 32] ^ NextMask(lR, lN);
    lR += lN + lX;
    aText[i] = static_cast<char>(lX + 32);
  }
}

void DeCipher(QByteArray &aText)
{
  const auto lLength = static_cast<std::uint32_t>(aText.size());
  std::uint32_t lR = lLength;
  for (std::uint32_t i = 0; i < lLength; ++i) {
    const auto lChar = static_cast<std::uint8_t>(aText[i]);
    if (!Substituted(lChar))
      continue;
    const std::uint32_t lN = lLength - i;
    const std::uint32_t lY = lChar - 32u;
    const std::uint32_t lX = lY ^ NextMask(lR, lN);
    lR += lN + lY;
    aText[i] = static_cast<char>(cTables.Inverse[lX] + 32);
  }
}

void Crypt(QByteArray &aText, const QByteArray &aKey)
{
  if (aText.isEmpty() || aKey.isEmpty())
    return;
  const qsizetype lLast = aKey.size() - 1;
  qsizetype lJ = lLast;
  auto lB = static_cast<std::uint8_t>(lLast);
  for (qsizetype i = 0; i < aText.size(); ++i) {
    if ((lB & 0x08) == 0)
      lB ^= 1;
    lB = std::rotr(static_cast<std::uint8_t>(~lB), 1);
    aText[i] = static_cast<char>(static_cast<std::uint8_t>(aText[i]) ^
                                 static_cast<std::uint8_t>(aKey[lJ]) ^ lB);
    if (--lJ < 0)
      lJ = lLast;
  }
}

QString Write(const QByteArray &aText)
{
  return QString::fromLatin1(aText.toHex().toUpper());
}

QByteArray Read(const QString &aText)
{
  auto lFail = [](const QString &aPair) {
    throw std::invalid_argument(
        QStringLiteral("'%1' is not a valid hexadecimal value").arg(aPair).toStdString());
  };
  if (aText.size() % 2 != 0)
    lFail(aText.right(1));
  QByteArray lResult(aText.size() / 2, '\0');
  for (qsizetype i = 0; i < lResult.size(); ++i) {
    const int lHigh = HexDigit(aText[2 * i]);
    const int lLow = HexDigit(aText[2 * i + 1]);
    if (lHigh < 0 || lLow < 0)
      lFail(aText.mid(2 * i, 2));
    lResult[i] = static_cast<char>(lHigh * 16 + lLow);
  }
  return lResult;
}

QString Encrypt(const QString &aPlain)
{
  QByteArray lText = aPlain.toUtf8();
  EnCipher(lText);
  Crypt(lText, CipherKey());
  return Write(lText);
}

QString Decrypt(const QString &aText)
{
  QByteArray lText = Read(aText);
  Crypt(lText, CipherKey());
  DeCipher(lText);
  return QString::fromUtf8(lText);
}
