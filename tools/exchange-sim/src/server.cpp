#include "server.h"

#include "api_error.h"
#include "compression.h"
#include "http_front.h"

#include <nlohmann/json.hpp>

#include <arpa/inet.h>
#include <dirent.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <thread>

namespace vexa::sim {

namespace {

const char *const cJsonType = "application/json;charset=UTF-8";

bool IsLoopback(const std::string &aAddress)
{
  return aAddress == "127.0.0.1" || aAddress == "::1" || aAddress == "::ffff:127.0.0.1";
}

bool IsFormBody(const httplib::Request &aRequest)
{
  std::string lType = aRequest.get_header_value("Content-Type");
  for (char &lChar : lType) {
    lChar = static_cast<char>(std::tolower(static_cast<unsigned char>(lChar)));
  }
  return lType.rfind("application/x-www-form-urlencoded", 0) == 0;
}

std::string RawQuery(const httplib::Request &aRequest)
{
  const size_t lMark = aRequest.target.find('?');
  return lMark == std::string::npos ? std::string() : aRequest.target.substr(lMark + 1);
}

// IMF-fixdate, as HTTP wants it: "Wed, 09 Dec 2026 10:27:15 GMT".
std::string HttpDate(int64_t aMs)
{
  const std::time_t lSeconds = static_cast<std::time_t>(aMs / 1000);
  std::tm lTime{};
  gmtime_r(&lSeconds, &lTime);
  char lText[40];
  std::strftime(lText, sizeof(lText), "%a, %d %b %Y %H:%M:%S GMT", &lTime);
  return lText;
}

// X-MBX-TIME-UNIT: true for microseconds; throws -1194 for what is neither unit.
bool WantsMicroseconds(const httplib::Request &aRequest)
{
  if (!aRequest.has_header("X-MBX-TIME-UNIT")) {
    return false;
  }
  const std::string lUnit = aRequest.get_header_value("X-MBX-TIME-UNIT");
  if (lUnit == "MICROSECOND" || lUnit == "microsecond") {
    return true;
  }
  if (lUnit == "MILLISECOND" || lUnit == "millisecond") {
    return false;
  }
  throw TApiError::Bad(-1194, "Invalid value for time unit; expected either MICROSECOND or "
                              "MILLISECOND.");
}

} // namespace

std::string ErrorBody(int aCode, const std::string &aMessage)
{
  return nlohmann::ordered_json{{"code", aCode}, {"msg", aMessage}}.dump();
}

TExchangeServer::TExchangeServer(TExchange &aExchange, const TCertificatePaths &aCertificates)
    : fExchange(aExchange)
{
  AddMarketRoutes(fRoutes);
  AddAccountRoutes(fRoutes);
  fServer = std::make_unique<THttpFront>(aExchange.fOptions.fHttp ? nullptr : &aCertificates,
                                         static_cast<size_t>(aExchange.fOptions.fThreads));
  // Small answers must not wait for delayed ACKs.
  fServer->set_tcp_nodelay(true);
  fServer->set_keep_alive_max_count(100000);
  fServer->set_keep_alive_timeout(5);
  fServer->set_read_timeout(10);
  fServer->set_write_timeout(10);
  fServer->set_payload_max_length(1 << 20);
  auto lHandler = [this](const httplib::Request &aRequest, httplib::Response &aResponse) {
    Route(aRequest, aResponse);
  };
  fServer->Get(".*", lHandler);
  fServer->Post(".*", lHandler);
  fServer->Delete(".*", lHandler);
  fServer->Put(".*", lHandler);
  fServer->Patch(".*", lHandler);
  // The answers httplib makes itself (400 for a malformed request and the like) get one too.
  fServer->set_error_handler(httplib::Server::HandlerWithResponse(
      [this](const httplib::Request &aRequest, httplib::Response &aResponse) {
        if (!aResponse.has_header("Date")) {
          aResponse.set_header("Date", HttpDate(fExchange.fClock.NowMs()));
        }
        // An unreadable request line: nothing after it on this connection can be trusted.
        if (aRequest.path.empty()) {
          aResponse.set_header("Connection", "close");
          THttpFront::CloseAfterAnswer();
        }
        return httplib::Server::HandlerResponse::Unhandled;
      }));
}

bool TExchangeServer::IsValid() const
{
  return fServer->is_valid();
}

namespace {

// The HTTP library listens with a backlog of 5, so a client opening 20 connections at once
// (the terminal does: one per request) sees SYNs dropped and retried a second later. Linux lets
// a listening socket be given a new backlog by calling listen() again.
void WidenBacklog(int aPort)
{
  DIR *lFds = opendir("/proc/self/fd");
  if (!lFds)
    return;
  while (const dirent *lEntry = readdir(lFds)) {
    const int lFd = std::atoi(lEntry->d_name);
    sockaddr_in lAddress{};
    socklen_t lLength = sizeof(lAddress);
    int lListening = 0;
    socklen_t lFlagLength = sizeof(lListening);
    if (lFd <= 2 || getsockname(lFd, reinterpret_cast<sockaddr *>(&lAddress), &lLength) != 0 ||
        lAddress.sin_family != AF_INET || ntohs(lAddress.sin_port) != aPort ||
        getsockopt(lFd, SOL_SOCKET, SO_ACCEPTCONN, &lListening, &lFlagLength) != 0 || !lListening)
      continue;
    ::listen(lFd, SOMAXCONN);
  }
  closedir(lFds);
}

} // namespace

int TExchangeServer::Bind(int aPort)
{
  const int lPort = aPort == 0 ? fServer->bind_to_any_port("127.0.0.1")
                               : (fServer->bind_to_port("127.0.0.1", aPort) ? aPort : -1);
  if (lPort > 0)
    WidenBacklog(lPort);
  return lPort;
}

bool TExchangeServer::Run()
{
  return fServer->listen_after_bind();
}

bool TExchangeServer::IsRunning() const
{
  return fServer->is_running();
}

void TExchangeServer::Stop()
{
  fServer->stop();
}

void TExchangeServer::Route(const httplib::Request &aRequest, httplib::Response &aResponse)
{
  aResponse.set_header("Date", HttpDate(fExchange.fClock.NowMs()));
  if (aRequest.path.rfind("/admin/", 0) == 0) {
    HandleAdmin(aRequest, aResponse);
  } else {
    HandleApi(aRequest, aResponse);
  }
}

void TExchangeServer::HandleAdmin(const httplib::Request &aRequest, httplib::Response &aResponse)
{
  std::string lAnswer;
  if (!IsLoopback(aRequest.remote_addr)) {
    aResponse.status = 403;
    aResponse.set_content(nlohmann::json{{"error", "admin is for loopback clients"}}.dump(),
                          cJsonType);
    return;
  }
  aResponse.status = HandleAdminRequest(fExchange, aRequest.method, aRequest.path.substr(7),
                                        aRequest.body, lAnswer);
  aResponse.set_content(lAnswer, cJsonType);
}

void TExchangeServer::HandleApi(const httplib::Request &aRequest, httplib::Response &aResponse)
{
  const auto lStarted = std::chrono::steady_clock::now();
  const int64_t lNow = fExchange.fClock.NowMs();
  TAnswer lAnswer;
  if (const TEndpoint *lEndpoint = fRoutes.Find(aRequest.method, aRequest.path)) {
    lAnswer = Execute(*lEndpoint, aRequest, lNow);
  } else {
    lAnswer.fStatus = 404;
  }
  Deliver(lAnswer, aRequest, lNow, aResponse);
  if (fExchange.fLog) {
    TLogEntry lEntry;
    lEntry.fTimeMs = lNow;
    lEntry.fMethod = aRequest.method;
    lEntry.fTarget = aRequest.target;
    lEntry.fBody = aRequest.body;
    lEntry.fHasApiKey = aRequest.has_header("X-MBX-APIKEY");
    lEntry.fStatus = lAnswer.fStatus;
    lEntry.fDurationMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - lStarted)
            .count();
    lEntry.fFault = lAnswer.fFault;
    fExchange.fLog->Write(lEntry);
  }
}

TExchangeServer::TAnswer TExchangeServer::Execute(const TEndpoint &aEndpoint,
                                                  const httplib::Request &aRequest, int64_t aNowMs)
{
  TAnswer lAnswer;
  const std::string &lIp = aRequest.remote_addr;
  std::unique_ptr<TRequestParams> lParams;
  std::optional<TApiError> lParseError;
  try {
    lParams =
        std::make_unique<TRequestParams>(RawQuery(aRequest), aRequest.body, IsFormBody(aRequest));
  } catch (const TApiError &aError) {
    lParseError = aError;
  }
  // Every request costs its weight, whatever becomes of it.
  const int64_t lWeight = lParams ? aEndpoint.fWeight(*lParams) : 1;
  const TRateLimiter::TDecision lDecision = fExchange.fLimiter.Charge(lIp, lWeight, aNowMs);
  if (lDecision.fVerdict != TRateLimiter::TVerdict::Ok) {
    lAnswer.fStatus = lDecision.fVerdict == TRateLimiter::TVerdict::Banned ? 418 : 429;
    lAnswer.fBody = ErrorBody(-1003, lDecision.fMessage);
    lAnswer.fHeaders.emplace("Retry-After", std::to_string(lDecision.fRetryAfterSeconds));
    return lAnswer;
  }

  const TFaultSettings lFaults = fExchange.fFaults.Settings();
  if (lFaults.fLatencyMs > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(lFaults.fLatencyMs));
  }
  bool lLoseAnswer = false;
  if (fExchange.fFaults.RollUnavailable(lLoseAnswer)) {
    lAnswer.fStatus = 503;
    lAnswer.fBody = ErrorBody(-1008, "Server is currently overloaded with other requests. "
                                     "Please try again in a few minutes.");
    lAnswer.fFault = "fail";
    return lAnswer;
  }

  if (lParseError) {
    lAnswer.fStatus = lParseError->HttpStatus();
    lAnswer.fBody = ErrorBody(lParseError->Code(), lParseError->what());
  } else {
    std::optional<std::string> lApiKey;
    if (aRequest.has_header("X-MBX-APIKEY")) {
      lApiKey = aRequest.get_header_value("X-MBX-APIKEY");
    }
    TCall lCall(fExchange, *lParams, lApiKey, fExchange.fClock.NowMs());
    try {
      lCall.fMicroseconds = WantsMicroseconds(aRequest);
      aEndpoint.fHandler(lCall);
      lAnswer.fStatus = lCall.fStatus;
      lAnswer.fBody = std::move(lCall.fBody);
      lAnswer.fHeaders = std::move(lCall.fHeaders);
      if (lCall.fFreeOfWeight) {
        fExchange.fLimiter.Refund(lIp, lWeight, aNowMs);
      }
    } catch (const TApiError &aError) {
      lAnswer.fStatus = aError.HttpStatus();
      lAnswer.fBody = ErrorBody(aError.Code(), aError.what());
    } catch (const std::exception &aError) {
      std::fprintf(stderr, "vexa-exchange: %s %s failed: %s\n", aRequest.method.c_str(),
                   aRequest.path.c_str(), aError.what());
      lAnswer.fStatus = 500;
      lAnswer.fBody = ErrorBody(-1000, "An unknown error occurred while processing the request.");
    }
  }
  if (lLoseAnswer) {
    // Executed, but the answer is lost: the client cannot know the outcome.
    lAnswer = TAnswer();
    lAnswer.fStatus = 500;
    lAnswer.fBody =
        ErrorBody(-1001, "Internal error; unable to process your request. Please try again.");
    lAnswer.fFault = "fail";
  }
  return lAnswer;
}

void TExchangeServer::Deliver(TAnswer &aAnswer, const httplib::Request &aRequest, int64_t aNowMs,
                              httplib::Response &aResponse)
{
  const TFault lAfter = aAnswer.fFault.empty() && aAnswer.fStatus != 404
                            ? fExchange.fFaults.RollAfter()
                            : TFault::None;
  aResponse.status = aAnswer.fStatus;
  const std::string lUsed = std::to_string(fExchange.fLimiter.Used(aRequest.remote_addr, aNowMs));
  aResponse.set_header("x-mbx-used-weight", lUsed);
  aResponse.set_header("x-mbx-used-weight-1m", lUsed);
  for (const auto &[lName, lValue] : aAnswer.fHeaders) {
    aResponse.set_header(lName, lValue);
  }
  if (lAfter == TFault::Garbage) {
    aAnswer.fBody = fExchange.fFaults.Garble(aAnswer.fBody);
    aAnswer.fFault = "garbage";
  }
  if (!aAnswer.fBody.empty() && AcceptsGzip(aRequest.get_header_value("Accept-Encoding"))) {
    aAnswer.fBody = Gzip(aAnswer.fBody);
    aResponse.set_header("Content-Encoding", "gzip");
  }
  if (lAfter == TFault::Reset) {
    aAnswer.fFault = "reset";
    auto lShared = std::make_shared<std::string>(std::move(aAnswer.fBody));
    const size_t lCut = fExchange.fFaults.ResetPoint(lShared->size());
    aResponse.set_content_provider(
        lShared->size(), cJsonType,
        [lShared, lCut](size_t aOffset, size_t, httplib::DataSink &aSink) {
          // Part of the body, then the connection goes down.
          if (aOffset < lCut) {
            aSink.write(lShared->data() + aOffset, lCut - aOffset);
            return true;
          }
          return false;
        });
  } else if (!aAnswer.fBody.empty()) {
    aResponse.set_content(aAnswer.fBody, cJsonType);
  }
}

} // namespace vexa::sim
