#pragma once

#include "worker_thread.h"

#include <QString>

#include <memory>

class TConnectionItem;
class TDBaseMethod;

// Connect and read limits of one exchange. The read limit is an idle limit: the exchange is
// dropped after that long without any data, however long a steadily arriving answer takes.
inline constexpr int cConnectTimeoutMs = 5000;
inline constexpr int cReadTimeoutMs = 15000;

// What the exchange said when it answered with an HTTP error: status and body, for callers
// that act on the kind of refusal. Empty when the request succeeded or never got an answer.
struct TRefusal
{
  int Status = 0;
  QString Body;
};

// One HTTPS exchange with the exchange's REST interface: TLS 1.2 only, certificates verified
// against the system's trust store plus the optional CA file of server.json, no cookies. The
// connection of a query is kept for the next exchange (see THttpHandlePool); an order gets a
// new one. Built, used for one exchange and freed on one thread.
class TTradeEngineClient
{
public:
  // aThread tags the log entries of the exchange (the transport thread's identity).
  explicit TTradeEngineClient(int aThread = 0);
  ~TTradeEngineClient();
  TTradeEngineClient(const TTradeEngineClient &) = delete;
  TTradeEngineClient &operator=(const TTradeEngineClient &) = delete;

  int Thread() const { return fThread; }
  void SetThread(int aValue) { fThread = aValue; }
  const TConnectionItem *ProfileCon() const { return fProfile; }
  void SetProfileCon(const TConnectionItem *aValue) { fProfile = aValue; }
  void SetReadTimeoutMs(int aValue) { fReadTimeoutMs = aValue; }

  // Performs the exchange aDMethod describes and frees aDMethod.
  bool ExecuteCommand(std::unique_ptr<TDBaseMethod> aDMethod, const QString &aRequest,
                      QString &aResponse);
  // The exchange itself: true when the HTTP call completed with a success status. Never
  // raises; a failure leaves aResponse empty, is logged and stored in the last server error.
  bool ExecuteCommand(const QString &aMethod, bool aAuth, QString &aResponse,
                      const QString &aRequest, const QString &aResource);

  QString GetURL(const QString &aResource) const;
  // The HTTP error of the last exchange, if it ended in one.
  const TRefusal &Refusal() const { return fRefusal; }

private:
  struct THttp;
  std::unique_ptr<THttp> fHttp;
  int fThread = 0;
  const TConnectionItem *fProfile = nullptr;
  int fReadTimeoutMs = cReadTimeoutMs;
  TRefusal fRefusal;
};

// The transport thread: one exchange on a thread of its own, read and freed by SendRequest.
class TTradeEngineThread : public TWorkerThread
{
public:
  TTradeEngineThread(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aProfile,
                     const QString &aRequest);
  ~TTradeEngineThread() override;

  const QString &Response() const { return fResponse; }
  const QString &Error() const { return fError; }
  const TRefusal &Refusal() const { return fRefusal; }

protected:
  void Execute() override;

private:
  std::unique_ptr<TDBaseMethod> fMethod;
  const TConnectionItem *fProfile;
  QString fRequest;
  QString fResponse;
  QString fError;
  TRefusal fRefusal;
};

// Shut-down of the transport. CutTransfersIn: exchanges still under way aMs from now are cut
// off then. StopTransport: no exchange starts any more, those under way are cut off within
// one read timeout at the latest, and the kept connections close. ResumeTransport undoes both (a
// new run of the terminal).
void CutTransfersIn(int aMs);
void StopTransport();
bool TransportStopped();
void ResumeTransport();
// The connections the transport has opened so far in this process (kept ones are not counted
// again when reused).
long TransportConnections();

// Runs one exchange on a new transport thread and waits for it. aResponse is the answer (empty
// on failure, the reason then in the log and the last server error); aError is the message of
// an unexpected failure, otherwise empty. Never raises. aProfile signs the signed methods.
void SendRequest(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aProfile,
                 const QString &aRequest, QString &aResponse, QString &aError);
// The same, also handing back the exchange's HTTP error when it refused the request.
void SendRequest(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aProfile,
                 const QString &aRequest, QString &aResponse, QString &aError, TRefusal &aRefusal);
