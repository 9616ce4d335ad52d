#include "signature.h"

#include "api_error.h"
#include "decimal.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <cctype>

namespace vexa::sim {

namespace {

constexpr int64_t cDefaultRecvWindowMs = 5000;
constexpr int64_t cMaxRecvWindowMs = 60000;

} // namespace

std::string HmacSha256Hex(std::string_view aKey, std::string_view aData)
{
  unsigned char lDigest[EVP_MAX_MD_SIZE];
  unsigned int lLength = 0;
  HMAC(EVP_sha256(), aKey.data(), static_cast<int>(aKey.size()),
       reinterpret_cast<const unsigned char *>(aData.data()), aData.size(), lDigest, &lLength);
  static constexpr char cHex[] = "0123456789abcdef";
  std::string lHex;
  for (unsigned int i = 0; i < lLength; ++i) {
    lHex.push_back(cHex[lDigest[i] >> 4]);
    lHex.push_back(cHex[lDigest[i] & 0xF]);
  }
  return lHex;
}

TAccount &Authenticate(const TAccountStore &aAccounts, const std::optional<std::string> &aApiKey,
                       TRequestParams &aParams, int64_t aNowMs)
{
  if (!aApiKey || !TAccountStore::IsWellFormedKey(*aApiKey)) {
    throw TApiError(401, -2014, "API-key format invalid.");
  }
  TAccount *lAccount = aAccounts.Find(*aApiKey);
  if (lAccount == nullptr) {
    throw TApiError(401, -2015, "Invalid API-key, IP, or permissions for action.");
  }

  if (!aParams.Has("timestamp")) {
    aParams.MarkRead("timestamp");
    throw TApiError::Mandatory("timestamp");
  }
  const int64_t lTimestamp = *aParams.Time("timestamp");
  int64_t lRecvWindow = cDefaultRecvWindowMs * cUnit;
  if (const std::optional<int64_t> lWindow = aParams.Decimal("recvWindow")) {
    if (*lWindow % (cUnit / 1000) != 0) {
      throw TApiError::Bad(-1111, "Parameter 'recvWindow' has too much precision.");
    }
    if (*lWindow > cMaxRecvWindowMs * cUnit) {
      throw TApiError::Bad(-1102,
                           "'recvWindow' contains unexpected value. Cannot be greater than '" +
                               std::to_string(cMaxRecvWindowMs) + "'.");
    }
    lRecvWindow = *lWindow;
  }
  if (lTimestamp >= aNowMs + 1000) {
    throw TApiError::Bad(-1021,
                         "Timestamp for this request was 1000ms ahead of the server's time.");
  }
  if (static_cast<TInt128>(aNowMs - lTimestamp) * cUnit > lRecvWindow) {
    throw TApiError::Bad(-1021, "Timestamp for this request is outside of the recvWindow.");
  }

  const std::string lSignature = aParams.RequiredText("signature");
  const std::string lExpected = HmacSha256Hex(lAccount->fSecretKey, aParams.SignedPayload());
  bool lMatch = lSignature.size() == lExpected.size();
  if (lMatch) {
    std::string lLower = lSignature;
    for (char &lChar : lLower) {
      lChar = static_cast<char>(std::tolower(static_cast<unsigned char>(lChar)));
    }
    lMatch = CRYPTO_memcmp(lLower.data(), lExpected.data(), lExpected.size()) == 0;
  }
  if (!lMatch) {
    throw TApiError::Bad(-1022, "Signature for this request is not valid.");
  }
  return *lAccount;
}

} // namespace vexa::sim
