#include "hmac_sha256.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <array>
#include <stdexcept>

QString CalculateHMACSHA256(const QString &aData, const QString &aKey)
{
  return CalculateHMACSHA256(aData.toUtf8(), aKey.toUtf8());
}

QString CalculateHMACSHA256(const QByteArray &aData, const QByteArray &aKey)
{
  const EVP_MD *lDigest = EVP_sha256();
  if (!lDigest)
    throw std::runtime_error("SHA256 hashing is not available!");

  const QByteArray &lKey = aKey;
  const QByteArray &lData = aData;
  std::array<unsigned char, EVP_MAX_MD_SIZE> lHash{};
  unsigned int lLength = 0;
  if (!HMAC(lDigest, lKey.constData(), static_cast<int>(lKey.size()),
            reinterpret_cast<const unsigned char *>(lData.constData()),
            static_cast<size_t>(lData.size()), lHash.data(), &lLength) ||
      lLength != 32)
    throw std::runtime_error("SHA256 hashing is not available!");

  static constexpr char cHex[] = "0123456789ABCDEF";
  QString lResult(static_cast<qsizetype>(lLength) * 2, Qt::Uninitialized);
  for (unsigned int i = 0; i < lLength; ++i) {
    lResult[2 * i] = QLatin1Char(cHex[lHash[i] >> 4]);
    lResult[2 * i + 1] = QLatin1Char(cHex[lHash[i] & 0x0F]);
  }
  return lResult;
}
