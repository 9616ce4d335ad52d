#include "trade_engine_client.h"

#include "connection_item.h"
#include "consts.h"
#include "http_handle_pool.h"
#include "log_writer.h"
#include "methods.h"
#include "rate_limit_gate.h"
#include "utils.h"
#include "wire_request.h"
#include "workflow.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <curl/curl.h>

#include <array>
#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>

namespace {

enum class TFailureKind { fkNone, fkHttp, fkSocket, fkOther };
using enum TFailureKind;

struct TFailure
{
  TFailureKind Kind = fkNone;
  QString Message;
  QString Body;
};

// What one exchange collects from the callbacks.
struct TExchange
{
  std::string Body;
  std::string RawHeadersOut;
  QString StatusLine;
  QString RetryAfter;
  int ReadTimeoutMs = cReadTimeoutMs;
  bool RequestSent = false;
  bool IdleExpired = false;
  bool CutOff = false;
  std::chrono::steady_clock::time_point LastActivity;
};

using TClock = std::chrono::steady_clock;

// The transport's shut-down state, read by every exchange and its progress callback.
std::atomic<bool> gStopped{false};
std::atomic<TClock::rep> gCutOffAt{TClock::time_point::max().time_since_epoch().count()};
std::atomic<long> gConnections{0};

bool CutOff()
{
  return TClock::now().time_since_epoch().count() >= gCutOffAt.load();
}

const char *const cClosingText = "the terminal is closing";

void InitCurl()
{
  static std::once_flag lOnce;
  std::call_once(lOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

QString Quoted(const QString &aText)
{
  return QLatin1Char('"') + aText + QLatin1Char('"');
}

size_t OnBody(char *aData, size_t aSize, size_t aCount, void *aExchange)
{
  auto *lExchange = static_cast<TExchange *>(aExchange);
  lExchange->Body.append(aData, aSize * aCount);
  return aSize * aCount;
}

size_t OnHeaderLine(char *aData, size_t aSize, size_t aCount, void *aExchange)
{
  auto *lExchange = static_cast<TExchange *>(aExchange);
  const QString lLine =
      QString::fromLatin1(aData, static_cast<qsizetype>(aSize * aCount)).trimmed();
  if (lLine.startsWith(QLatin1String("HTTP/"))) {
    // A new status line (after an interim reply) starts the headers afresh.
    lExchange->StatusLine = lLine;
    lExchange->RetryAfter.clear();
  } else if (lLine.startsWith(QLatin1String("retry-after:"), Qt::CaseInsensitive)) {
    lExchange->RetryAfter = lLine.mid(12).trimmed();
  }
  return aSize * aCount;
}

int OnDebug(CURL *, curl_infotype aType, char *aData, size_t aSize, void *aExchange)
{
  auto *lExchange = static_cast<TExchange *>(aExchange);
  switch (aType) {
  case CURLINFO_HEADER_OUT:
    lExchange->RawHeadersOut.append(aData, aSize);
    lExchange->RequestSent = true;
    lExchange->LastActivity = TClock::now();
    break;
  case CURLINFO_DATA_OUT:
  case CURLINFO_HEADER_IN:
  case CURLINFO_DATA_IN:
    lExchange->LastActivity = TClock::now();
    break;
  default:
    break;
  }
  return 0;
}

// The read limit counts from the request being sent and restarts with every byte moved.
int OnProgress(void *aExchange, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
  auto *lExchange = static_cast<TExchange *>(aExchange);
  if (CutOff()) {
    lExchange->CutOff = true;
    return 1;
  }
  if (!lExchange->RequestSent)
    return 0;
  const auto lIdle = std::chrono::duration_cast<std::chrono::milliseconds>(TClock::now() -
                                                                           lExchange->LastActivity);
  if (lIdle.count() < lExchange->ReadTimeoutMs)
    return 0;
  lExchange->IdleExpired = true;
  return 1;
}

// Failures the operating system reports on the socket itself.
bool IsSocketFailure(CURLcode aCode, long aOsErrno)
{
  switch (aCode) {
  case CURLE_COULDNT_RESOLVE_HOST:
  case CURLE_COULDNT_RESOLVE_PROXY:
  case CURLE_COULDNT_CONNECT:
    return true;
  case CURLE_SEND_ERROR:
  case CURLE_RECV_ERROR:
    return aOsErrno != 0;
  default:
    return false;
  }
}

void Check(CURLcode aCode, const char *aWhat)
{
  if (aCode != CURLE_OK)
    throw std::runtime_error(std::string(aWhat) + ": " + curl_easy_strerror(aCode));
}

// One request on a configured handle; the callbacks fill aExchange.
CURLcode Perform(CURL *aHandle, const TWireRequest &aWire, TExchange &aExchange)
{
  std::unique_ptr<curl_slist, decltype(&curl_slist_free_all)> lHeaders(nullptr,
                                                                       curl_slist_free_all);
  QStringList lHeaderLines = aWire.Headers;
  lHeaderLines << QStringLiteral("Expect:");
  for (const QString &lLine : lHeaderLines) {
    curl_slist *lNext = curl_slist_append(lHeaders.get(), lLine.toUtf8().constData());
    if (!lNext)
      throw std::runtime_error("out of memory for the request headers");
    lHeaders.release();
    lHeaders.reset(lNext);
  }
  Check(curl_easy_setopt(aHandle, CURLOPT_URL, aWire.URL.toUtf8().constData()), "URL");
  Check(curl_easy_setopt(aHandle, CURLOPT_HTTPHEADER, lHeaders.get()), "HTTPHEADER");
  if (aWire.Verb == QLatin1String("POST")) {
    Check(curl_easy_setopt(aHandle, CURLOPT_POSTFIELDSIZE, static_cast<long>(aWire.Body.size())),
          "POSTFIELDSIZE");
    Check(curl_easy_setopt(aHandle, CURLOPT_COPYPOSTFIELDS, aWire.Body.constData()), "POSTFIELDS");
  } else {
    Check(curl_easy_setopt(aHandle, CURLOPT_HTTPGET, 1L), "HTTPGET");
    if (aWire.Verb == QLatin1String("DELETE"))
      Check(curl_easy_setopt(aHandle, CURLOPT_CUSTOMREQUEST, "DELETE"), "CUSTOMREQUEST");
  }
  // A kept connection the server has just closed is retried on a new one by the client, which
  // is harmless for a query but could send an order twice: orders go on a connection of their
  // own (the TLS session is still resumed).
  const bool lQuery = aWire.Verb == QLatin1String("GET");
  Check(curl_easy_setopt(aHandle, CURLOPT_FRESH_CONNECT, lQuery ? 0L : 1L), "FRESH_CONNECT");
  Check(curl_easy_setopt(aHandle, CURLOPT_FORBID_REUSE, lQuery ? 0L : 1L), "FORBID_REUSE");
  Check(curl_easy_setopt(aHandle, CURLOPT_WRITEFUNCTION, OnBody), "WRITEFUNCTION");
  Check(curl_easy_setopt(aHandle, CURLOPT_WRITEDATA, &aExchange), "WRITEDATA");
  Check(curl_easy_setopt(aHandle, CURLOPT_HEADERFUNCTION, OnHeaderLine), "HEADERFUNCTION");
  Check(curl_easy_setopt(aHandle, CURLOPT_HEADERDATA, &aExchange), "HEADERDATA");
  // The debug channel is where the raw request headers and every moved byte are seen.
  Check(curl_easy_setopt(aHandle, CURLOPT_DEBUGFUNCTION, OnDebug), "DEBUGFUNCTION");
  Check(curl_easy_setopt(aHandle, CURLOPT_DEBUGDATA, &aExchange), "DEBUGDATA");
  Check(curl_easy_setopt(aHandle, CURLOPT_VERBOSE, 1L), "VERBOSE");
  Check(curl_easy_setopt(aHandle, CURLOPT_XFERINFOFUNCTION, OnProgress), "XFERINFOFUNCTION");
  Check(curl_easy_setopt(aHandle, CURLOPT_XFERINFODATA, &aExchange), "XFERINFODATA");
  Check(curl_easy_setopt(aHandle, CURLOPT_NOPROGRESS, 0L), "NOPROGRESS");
  const CURLcode lCode = curl_easy_perform(aHandle);
  curl_easy_setopt(aHandle, CURLOPT_HTTPHEADER, nullptr);
  return lCode;
}

// The exchange's entries: L1 and L2 always, then those of its failure, then the separator.
void WriteExchangeLog(int aThread, const QString &aResource, const QString &aRequest,
                      const QString &aResponse, const TFailure &aFailure, const QString &aURL,
                      const QString &aRawHeaders)
{
  WriteLog(QStringLiteral("<< Resource: ") + Quoted(aResource) + QStringLiteral(" Request: ") +
               Quoted(aRequest),
           mtInfo, aThread);
  WriteLog(QStringLiteral(">> Respond: ") + Quoted(aResponse), mtInfo, aThread);
  switch (aFailure.Kind) {
  case fkHttp:
    WriteLog(QStringLiteral(">> EIdSocketError: ERROR: ") + Quoted(aFailure.Message) +
                 QStringLiteral(", ") + Quoted(aFailure.Body),
             mtAlert, aThread);
    WriteLog(QStringLiteral(">> EIdSocketError: URL: ") + Quoted(aURL), mtAlert, aThread);
    WriteLog(QStringLiteral(">> EIdSocketError: RAW: ") + Quoted(aRawHeaders), mtAlert, aThread);
    break;
  case fkSocket:
    WriteLog(QStringLiteral(">> EIdSocketError: ") + Quoted(aFailure.Message), mtAlert, aThread);
    break;
  case fkOther:
    WriteLog(QStringLiteral(">> Exception: ") + Quoted(aFailure.Message), mtAlert, aThread);
    break;
  case fkNone:
    break;
  }
  WriteLog(QString(), mtConfirm, aThread);
}

QByteArray ReadWholeFile(const QString &aFileName)
{
  QFile lFile(aFileName);
  if (!lFile.open(QIODevice::ReadOnly))
    throw std::runtime_error(QStringLiteral("cannot read the CA file \"%1\": %2")
                                 .arg(aFileName, lFile.errorString())
                                 .toStdString());
  return lFile.readAll();
}

// Trust: the system's store plus the optional CA file. The system's hashed certificate folder
// is looked up per certificate, whereas a bundle file is parsed whole at every handshake (tens
// of milliseconds), so the folder is preferred whenever the client knows one.
void SetTrustStore(CURL *aHandle, const QString &aCAFile)
{
  char *lSystemFolder = nullptr;
  if (curl_easy_getinfo(aHandle, CURLINFO_CAPATH, &lSystemFolder) == CURLE_OK && lSystemFolder &&
      *lSystemFolder && QDir(QString::fromLocal8Bit(lSystemFolder)).exists()) {
    if (aCAFile.isEmpty()) {
      Check(curl_easy_setopt(aHandle, CURLOPT_CAINFO, nullptr), "CAINFO");
      return;
    }
    if (!QFileInfo(aCAFile).isReadable())
      throw std::runtime_error(
          QStringLiteral("cannot read the CA file \"%1\"").arg(aCAFile).toStdString());
    Check(curl_easy_setopt(aHandle, CURLOPT_CAINFO, aCAFile.toLocal8Bit().constData()), "CAINFO");
    return;
  }
  if (aCAFile.isEmpty())
    return;
  // No system folder: the system bundle and the CA file go in together, since a CA blob
  // replaces the default bundle.
  QByteArray lBundle;
  char *lSystemBundle = nullptr;
  if (curl_easy_getinfo(aHandle, CURLINFO_CAINFO, &lSystemBundle) == CURLE_OK && lSystemBundle) {
    QFile lSystem(QString::fromLocal8Bit(lSystemBundle));
    if (lSystem.open(QIODevice::ReadOnly))
      lBundle = lSystem.readAll() + '\n';
  }
  lBundle += ReadWholeFile(aCAFile);
  curl_blob lBlob{lBundle.data(), static_cast<size_t>(lBundle.size()), CURL_BLOB_COPY};
  Check(curl_easy_setopt(aHandle, CURLOPT_CAINFO_BLOB, &lBlob), "CAINFO_BLOB");
}

// Only ever the configured server: without the workflow there is none to go to.
QString ServerURL()
{
  if (!Workflow)
    throw std::runtime_error("no exchange server is configured");
  return Workflow->ServerURL();
}

} // namespace

struct TTradeEngineClient::THttp
{
  CURL *Handle = nullptr;
  std::array<char, CURL_ERROR_SIZE> ErrorText{};
  // The handle and its open connection serve the next exchange.
  ~THttp() { THttpHandlePool::Instance().Give(Handle); }
};

TTradeEngineClient::TTradeEngineClient(int aThread) : fThread(aThread)
{
  try {
    InitCurl();
    fHttp = std::make_unique<THttp>();
    fHttp->Handle = THttpHandlePool::Instance().Take();
    CURL *lHandle = fHttp->Handle;
    if (!lHandle)
      throw std::runtime_error("the HTTP client could not be created");
    // No cookie engine is switched on, and no credentials are ever given for HTTP auth.
    Check(curl_easy_setopt(lHandle, CURLOPT_NOSIGNAL, 1L), "NOSIGNAL");
    Check(curl_easy_setopt(lHandle, CURLOPT_ERRORBUFFER, fHttp->ErrorText.data()), "ERRORBUFFER");
    Check(curl_easy_setopt(lHandle, CURLOPT_PROTOCOLS_STR, "https"), "PROTOCOLS");
    Check(curl_easy_setopt(lHandle, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1), "HTTP_VERSION");
    Check(curl_easy_setopt(lHandle, CURLOPT_USERAGENT, cUserAgent.toLatin1().constData()),
          "USERAGENT");
    Check(curl_easy_setopt(lHandle, CURLOPT_CONNECTTIMEOUT_MS, long{cConnectTimeoutMs}),
          "CONNECTTIMEOUT");
    // Every coding libcurl can decode; the body callbacks, the log and the failure texts see
    // the decoded answer.
    Check(curl_easy_setopt(lHandle, CURLOPT_ACCEPT_ENCODING, ""), "ACCEPT_ENCODING");

    Check(curl_easy_setopt(lHandle, CURLOPT_SSLVERSION,
                           static_cast<long>(CURL_SSLVERSION_TLSv1_2) |
                               static_cast<long>(CURL_SSLVERSION_MAX_TLSv1_2)),
          "SSLVERSION");
    Check(curl_easy_setopt(lHandle, CURLOPT_SSL_VERIFYPEER, 1L), "SSL_VERIFYPEER");
    Check(curl_easy_setopt(lHandle, CURLOPT_SSL_VERIFYHOST, 2L), "SSL_VERIFYHOST");
    SetTrustStore(lHandle, Workflow ? Workflow->CAFile() : QString());
  } catch (const std::exception &e) {
    WriteLog(QStringLiteral("TTradeEngineClient.Create error: ") + QString::fromUtf8(e.what()),
             mtAlert, fThread);
  }
}

TTradeEngineClient::~TTradeEngineClient() = default;

QString TTradeEngineClient::GetURL(const QString &aResource) const
{
  return Workflow ? JoinURL(Workflow->ServerURL(), aResource) : QString();
}

bool TTradeEngineClient::ExecuteCommand(std::unique_ptr<TDBaseMethod> aDMethod,
                                        const QString &aRequest, QString &aResponse)
{
  if (!aDMethod) {
    aResponse.clear();
    return false;
  }
  return ExecuteCommand(aDMethod->Method(), aDMethod->Auth(), aResponse, aRequest,
                        aDMethod->Resource());
}

bool TTradeEngineClient::ExecuteCommand(const QString &aMethod, bool aAuth, QString &aResponse,
                                        const QString &aRequest, const QString &aResource)
{
  bool lResult = false;
  aResponse.clear();
  fRefusal = TRefusal();
  QString lResponseText;
  QString lURL;
  QString lRawHeaders;
  TFailure lFailure;
  try {
    if (gStopped.load())
      throw std::runtime_error(cClosingText);
    const QString lBase = ServerURL();
    const QString lOrigin = TRateLimitGate::Origin(lBase);
    TRateLimitGate &lGate = TRateLimitGate::Instance();
    if (const qint64 lWait = lGate.RemainingMs(lOrigin); lWait > 0)
      throw std::runtime_error(
          QStringLiteral("Request held back for %1 s more: the exchange answered HTTP %2 "
                         "(request rate limit)")
              .arg((lWait + 999) / 1000)
              .arg(lGate.HoldStatus(lOrigin))
              .toStdString());
    if (aAuth && !fProfile)
      throw std::runtime_error("no account to sign the request");
    if (!fHttp || !fHttp->Handle)
      throw std::runtime_error("the HTTP client is not available");

    const TWireRequest lWire = BuildWireRequest(lBase, aMethod, aAuth, aResource, aRequest,
                                                aAuth ? fProfile->ApiKey : QString(),
                                                aAuth ? fProfile->SecretKey : QString());
    lURL = lWire.URL;

    CURL *lHandle = fHttp->Handle;
    TExchange lExchange;
    lExchange.ReadTimeoutMs = fReadTimeoutMs;
    fHttp->ErrorText[0] = '\0';
    const CURLcode lCode = Perform(lHandle, lWire, lExchange);
    long lConnects = 0;
    if (curl_easy_getinfo(lHandle, CURLINFO_NUM_CONNECTS, &lConnects) == CURLE_OK)
      gConnections += lConnects;
    lRawHeaders = MaskApiKeyHeaders(QString::fromUtf8(lExchange.RawHeadersOut).trimmed());

    long lStatus = 0;
    curl_easy_getinfo(lHandle, CURLINFO_RESPONSE_CODE, &lStatus);
    if (lCode == CURLE_OK && lStatus >= 200 && lStatus < 300) {
      lResponseText = QString::fromUtf8(lExchange.Body);
      aResponse = lResponseText;
      lResult = true;
    } else if (lCode == CURLE_OK) {
      lFailure.Kind = fkHttp;
      lFailure.Message = lExchange.StatusLine.isEmpty() ? QStringLiteral("HTTP/1.1 %1").arg(lStatus)
                                                        : lExchange.StatusLine;
      lFailure.Body = QString::fromUtf8(lExchange.Body);
      fRefusal = TRefusal{static_cast<int>(lStatus), lFailure.Body};
      if (lStatus == 429 || lStatus == 418)
        lGate.HoldBack(lOrigin, TRateLimitGate::RetryAfterSeconds(lExchange.RetryAfter),
                       static_cast<int>(lStatus));
    } else {
      long lOsErrno = 0;
      curl_easy_getinfo(lHandle, CURLINFO_OS_ERRNO, &lOsErrno);
      lFailure.Kind = IsSocketFailure(lCode, lOsErrno) ? fkSocket : fkOther;
      if (lExchange.CutOff)
        lFailure.Message = QString::fromLatin1(cClosingText);
      else if (lExchange.IdleExpired)
        lFailure.Message = QStringLiteral("Read timed out: no data from the exchange for %1 ms")
                               .arg(fReadTimeoutMs);
      else if (fHttp->ErrorText[0] != '\0')
        lFailure.Message = QString::fromUtf8(fHttp->ErrorText.data());
      else
        lFailure.Message = QString::fromUtf8(curl_easy_strerror(lCode));
    }
  } catch (const std::exception &e) {
    lFailure.Kind = fkOther;
    lFailure.Message = QString::fromUtf8(e.what());
  }

  if (lFailure.Kind == fkHttp)
    SetLastServerError(lFailure.Message + QLatin1Char(' ') + lFailure.Body);
  else if (lFailure.Kind != fkNone)
    SetLastServerError(lFailure.Message);
  WriteExchangeLog(fThread, aResource, aRequest, lResponseText, lFailure, lURL, lRawHeaders);
  return lResult;
}

TTradeEngineThread::TTradeEngineThread(std::unique_ptr<TDBaseMethod> aMethod,
                                       const TConnectionItem *aProfile, const QString &aRequest)
    : fMethod(std::move(aMethod)), fProfile(aProfile), fRequest(aRequest)
{
}

TTradeEngineThread::~TTradeEngineThread() = default;

void TTradeEngineThread::Execute()
{
  fResponse.clear();
  fError.clear();
  try {
    TTradeEngineClient lClient(ThreadID());
    lClient.SetProfileCon(fProfile);
    lClient.ExecuteCommand(std::move(fMethod), fRequest, fResponse);
    fRefusal = lClient.Refusal();
  } catch (const std::exception &e) {
    fError = QString::fromUtf8(e.what());
  } catch (...) {
    fError = QStringLiteral("unknown exception");
  }
  if (!fError.isEmpty())
    WriteLog(QStringLiteral("TTradeEngineThread.Execute error: ") + fError, mtAlert, ThreadID());
}

void CutTransfersIn(int aMs)
{
  const TClock::rep lAt =
      (TClock::now() + std::chrono::milliseconds(aMs)).time_since_epoch().count();
  TClock::rep lCurrent = gCutOffAt.load();
  while (lAt < lCurrent && !gCutOffAt.compare_exchange_weak(lCurrent, lAt)) {
  }
}

void StopTransport()
{
  gStopped = true;
  CutTransfersIn(cReadTimeoutMs);
  THttpHandlePool::Instance().Close();
}

bool TransportStopped()
{
  return gStopped.load();
}

long TransportConnections()
{
  return gConnections.load();
}

void ResumeTransport()
{
  THttpHandlePool::Instance().Open();
  gStopped = false;
  gCutOffAt = TClock::time_point::max().time_since_epoch().count();
}

void SendRequest(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aProfile,
                 const QString &aRequest, QString &aResponse, QString &aError)
{
  TRefusal lRefusal;
  SendRequest(std::move(aMethod), aProfile, aRequest, aResponse, aError, lRefusal);
}

void SendRequest(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aProfile,
                 const QString &aRequest, QString &aResponse, QString &aError, TRefusal &aRefusal)
{
  aResponse.clear();
  aError.clear();
  aRefusal = TRefusal();
  try {
    TTradeEngineThread lThread(std::move(aMethod), aProfile, aRequest);
    lThread.Start();
    lThread.WaitFor();
    aResponse = lThread.Response();
    aError = lThread.Error();
    aRefusal = lThread.Refusal();
  } catch (const std::exception &e) {
    aError = QString::fromUtf8(e.what());
  } catch (...) {
    aError = QStringLiteral("unknown exception");
  }
}
