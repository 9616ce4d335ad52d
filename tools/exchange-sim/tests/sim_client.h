#pragma once

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <cstdint>
#include <map>
#include <string>

namespace vexa::sim::test {

struct TReply
{
  CURLcode fCurlCode = CURLE_OK;
  long fStatus = 0;
  std::string fBody;
  std::map<std::string, std::string> fHeaders; // names in lower case
  double fSeconds = 0;

  nlohmann::json Json() const { return nlohmann::json::parse(fBody); }
  bool IsJson() const { return nlohmann::json::accept(fBody); }
  int Code() const { return IsJson() && Json().is_object() ? Json().value("code", 0) : 0; }
  std::string Message() const
  {
    return IsJson() && Json().is_object() ? Json().value("msg", "") : "";
  }
  int64_t UsedWeight() const
  {
    const auto lIt = fHeaders.find("x-mbx-used-weight-1m");
    return lIt == fHeaders.end() ? -1 : std::stoll(lIt->second);
  }
};

// A libcurl client for the tests: one easy handle (keep-alive), TLS verification against
// the server's CA, and the exchange's signing (HMAC-SHA256 over query and body).
class TSimClient
{
public:
  TSimClient(std::string aBaseUrl, std::string aCaFile);
  ~TSimClient();
  TSimClient(const TSimClient &) = delete;
  TSimClient &operator=(const TSimClient &) = delete;

  void SetKeys(std::string aApiKey, std::string aSecretKey);
  void SetUpperCaseSignature(bool aUpper) { fUpperCase = aUpper; }
  // Milliseconds added to the local clock for timestamps.
  void SetClockShift(int64_t aShiftMs) { fClockShiftMs = aShiftMs; }
  void SetTlsVersion(long aCurlSslVersion) { fSslVersion = aCurlSslVersion; }

  TReply Get(const std::string &aPath, const std::string &aQuery = "",
             const std::map<std::string, std::string> &aHeaders = {});
  TReply Send(const std::string &aMethod, const std::string &aPath, const std::string &aQuery,
              const std::string &aBody, const std::map<std::string, std::string> &aHeaders);

  // Appends timestamp (and recvWindow unless given) and the signature; GET and DELETE sign
  // the query, POST sends everything as a form body, as the terminal does.
  TReply SignedGet(const std::string &aPath, const std::string &aParams = "");
  TReply SignedPost(const std::string &aPath, const std::string &aParams);
  TReply SignedDelete(const std::string &aPath, const std::string &aParams);

  std::string Sign(const std::string &aPayload) const;
  std::string Stamp(const std::string &aParams) const;
  int64_t NowMs() const;
  const std::string &ApiKey() const { return fApiKey; }

private:
  std::string fBaseUrl;
  std::string fCaFile;
  std::string fApiKey;
  std::string fSecretKey;
  bool fUpperCase = false;
  int64_t fClockShiftMs = 0;
  long fSslVersion = CURL_SSLVERSION_DEFAULT;
  CURL *fCurl = nullptr;
};

} // namespace vexa::sim::test
