#include "sim_client.h"

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <chrono>
#include <stdexcept>

namespace vexa::sim::test {

namespace {

size_t AppendBody(char *aData, size_t aSize, size_t aCount, void *aTarget)
{
  static_cast<std::string *>(aTarget)->append(aData, aSize * aCount);
  return aSize * aCount;
}

size_t AppendHeader(char *aData, size_t aSize, size_t aCount, void *aTarget)
{
  const std::string lLine(aData, aSize * aCount);
  const size_t lColon = lLine.find(':');
  if (lColon != std::string::npos) {
    std::string lName = lLine.substr(0, lColon);
    for (char &lChar : lName) {
      lChar = static_cast<char>(std::tolower(static_cast<unsigned char>(lChar)));
    }
    std::string lValue = lLine.substr(lColon + 1);
    const size_t lStart = lValue.find_first_not_of(" \t");
    const size_t lEnd = lValue.find_last_not_of(" \t\r\n");
    lValue = lStart == std::string::npos ? "" : lValue.substr(lStart, lEnd - lStart + 1);
    (*static_cast<std::map<std::string, std::string> *>(aTarget))[lName] = lValue;
  }
  return aSize * aCount;
}

} // namespace

TSimClient::TSimClient(std::string aBaseUrl, std::string aCaFile)
    : fBaseUrl(std::move(aBaseUrl)), fCaFile(std::move(aCaFile)), fCurl(curl_easy_init())
{
  if (fCurl == nullptr) {
    throw std::runtime_error("curl_easy_init failed");
  }
}

TSimClient::~TSimClient()
{
  curl_easy_cleanup(fCurl);
}

void TSimClient::SetKeys(std::string aApiKey, std::string aSecretKey)
{
  fApiKey = std::move(aApiKey);
  fSecretKey = std::move(aSecretKey);
}

int64_t TSimClient::NowMs() const
{
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::system_clock::now().time_since_epoch())
             .count() +
         fClockShiftMs;
}

std::string TSimClient::Sign(const std::string &aPayload) const
{
  unsigned char lDigest[EVP_MAX_MD_SIZE];
  unsigned int lLength = 0;
  HMAC(EVP_sha256(), fSecretKey.data(), static_cast<int>(fSecretKey.size()),
       reinterpret_cast<const unsigned char *>(aPayload.data()), aPayload.size(), lDigest,
       &lLength);
  const char *lHex = fUpperCase ? "0123456789ABCDEF" : "0123456789abcdef";
  std::string lOut;
  for (unsigned int i = 0; i < lLength; ++i) {
    lOut.push_back(lHex[lDigest[i] >> 4]);
    lOut.push_back(lHex[lDigest[i] & 0xF]);
  }
  return lOut;
}

std::string TSimClient::Stamp(const std::string &aParams) const
{
  std::string lParams = aParams;
  if (lParams.find("timestamp=") == std::string::npos) {
    lParams += (lParams.empty() ? "" : "&") + std::string("timestamp=") + std::to_string(NowMs());
  }
  if (lParams.find("recvWindow=") == std::string::npos) {
    lParams += "&recvWindow=60000";
  }
  return lParams;
}

TReply TSimClient::Get(const std::string &aPath, const std::string &aQuery,
                       const std::map<std::string, std::string> &aHeaders)
{
  return Send("GET", aPath, aQuery, "", aHeaders);
}

TReply TSimClient::Send(const std::string &aMethod, const std::string &aPath,
                        const std::string &aQuery, const std::string &aBody,
                        const std::map<std::string, std::string> &aHeaders)
{
  TReply lReply;
  curl_easy_reset(fCurl);
  const std::string lUrl = fBaseUrl + aPath + (aQuery.empty() ? "" : "?" + aQuery);
  curl_easy_setopt(fCurl, CURLOPT_URL, lUrl.c_str());
  curl_easy_setopt(fCurl, CURLOPT_CAINFO, fCaFile.c_str());
  curl_easy_setopt(fCurl, CURLOPT_SSLVERSION, fSslVersion);
  curl_easy_setopt(fCurl, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(fCurl, CURLOPT_TIMEOUT_MS, 20000L);
  curl_easy_setopt(fCurl, CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(fCurl, CURLOPT_WRITEDATA, &lReply.fBody);
  curl_easy_setopt(fCurl, CURLOPT_HEADERFUNCTION, AppendHeader);
  curl_easy_setopt(fCurl, CURLOPT_HEADERDATA, &lReply.fHeaders);
  curl_slist *lHeaders = nullptr;
  for (const auto &[lName, lValue] : aHeaders) {
    lHeaders = curl_slist_append(lHeaders, (lName + ": " + lValue).c_str());
  }
  curl_easy_setopt(fCurl, CURLOPT_HTTPHEADER, lHeaders);
  if (aMethod == "POST") {
    curl_easy_setopt(fCurl, CURLOPT_POSTFIELDS, aBody.c_str());
    curl_easy_setopt(fCurl, CURLOPT_POSTFIELDSIZE, static_cast<long>(aBody.size()));
  } else if (aMethod != "GET") {
    curl_easy_setopt(fCurl, CURLOPT_CUSTOMREQUEST, aMethod.c_str());
    if (!aBody.empty()) {
      curl_easy_setopt(fCurl, CURLOPT_POSTFIELDS, aBody.c_str());
      curl_easy_setopt(fCurl, CURLOPT_POSTFIELDSIZE, static_cast<long>(aBody.size()));
    }
  }
  lReply.fCurlCode = curl_easy_perform(fCurl);
  curl_slist_free_all(lHeaders);
  curl_easy_getinfo(fCurl, CURLINFO_RESPONSE_CODE, &lReply.fStatus);
  curl_easy_getinfo(fCurl, CURLINFO_TOTAL_TIME, &lReply.fSeconds);
  return lReply;
}

TReply TSimClient::SignedGet(const std::string &aPath, const std::string &aParams)
{
  const std::string lQuery = Stamp(aParams);
  return Send("GET", aPath, lQuery + "&signature=" + Sign(lQuery), "",
              {{"X-MBX-APIKEY", fApiKey}, {"Content-Type", "application/json"}});
}

TReply TSimClient::SignedPost(const std::string &aPath, const std::string &aParams)
{
  const std::string lBody = Stamp(aParams);
  return Send("POST", aPath, "", lBody + "&signature=" + Sign(lBody),
              {{"X-MBX-APIKEY", fApiKey}, {"Content-Type", "application/x-www-form-urlencoded"}});
}

TReply TSimClient::SignedDelete(const std::string &aPath, const std::string &aParams)
{
  const std::string lQuery = Stamp(aParams);
  return Send("DELETE", aPath, lQuery + "&signature=" + Sign(lQuery), "",
              {{"X-MBX-APIKEY", fApiKey}, {"Content-Type", "application/json"}});
}

} // namespace vexa::sim::test
