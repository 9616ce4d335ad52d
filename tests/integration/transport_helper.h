#pragma once

#include "event_pump.h"

// The terminal side of a transport test: server.json naming one exchange (and the CA file
// to trust), the workflow reading it, the exchange clock, the demo account and a log capture;
// plus small TLS and TCP peers for the refusals.

#include "../exchange/log_capture.h"

#include "connection_item.h"
#include "exchange_process.h"
#include "sys_time.h"
#include "time_thread.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

inline QString Q(const std::string &aText)
{
  return QString::fromStdString(aText);
}

class TTransportEnv
{
public:
  TTransportEnv()
  {
    Workflow = std::make_unique<TWorkflow>();
    SysTime = std::make_unique<TSysTime>();
  }
  ~TTransportEnv()
  {
    SysTime.reset();
    Workflow.reset();
  }

  // Points the terminal at aBaseUrl, trusting aCaFile besides the system store (none: empty).
  void UseServer(const QString &aBaseUrl, const QString &aCaFile)
  {
    QJsonObject lServer{{QStringLiteral("server"), aBaseUrl}};
    if (!aCaFile.isEmpty())
      lServer.insert(QStringLiteral("caFile"), aCaFile);
    QFile lFile(fDir.path() + QStringLiteral("/server.json"));
    if (!lFile.open(QIODevice::WriteOnly | QIODevice::Truncate))
      throw std::runtime_error("cannot write server.json");
    lFile.write(QJsonDocument(lServer).toJson());
    lFile.close();
    Workflow->LoadServerURL(fDir.path());
  }
  void UseExchange(const vexa::test::TExchangeProcess &aExchange)
  {
    UseServer(Q(aExchange.baseUrl()), Q(aExchange.caFile()));
    Account.ApiKey = Q(aExchange.apiKey());
    Account.SecretKey = Q(aExchange.secretKey());
  }

  // Sets the exchange clock from the exchange, the way the terminal does.
  bool SyncClock()
  {
    TTimeThread lThread;
    lThread.Start();
    lThread.WaitFor();
    return SysTime->Time() != 0.0;
  }

  TConnectionItem Account;
  TLogCapture Log;

private:
  QTemporaryDir fDir;
};

// A loopback port nothing listens on (bound once by us, then released).
inline int FreePort()
{
  const int lSocket = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in lAddress{};
  lAddress.sin_family = AF_INET;
  lAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(lSocket, reinterpret_cast<sockaddr *>(&lAddress), sizeof lAddress);
  socklen_t lLength = sizeof lAddress;
  ::getsockname(lSocket, reinterpret_cast<sockaddr *>(&lAddress), &lLength);
  ::close(lSocket);
  return ntohs(lAddress.sin_port);
}

// Accepts TCP connections (the kernel completes them) but never says a word.
class TSilentPeer
{
public:
  TSilentPeer()
  {
    fSocket = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in lAddress{};
    lAddress.sin_family = AF_INET;
    lAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fSocket, reinterpret_cast<sockaddr *>(&lAddress), sizeof lAddress) != 0 ||
        ::listen(fSocket, 8) != 0)
      throw std::runtime_error("cannot listen");
    socklen_t lLength = sizeof lAddress;
    ::getsockname(fSocket, reinterpret_cast<sockaddr *>(&lAddress), &lLength);
    fPort = ntohs(lAddress.sin_port);
  }
  ~TSilentPeer() { ::close(fSocket); }
  int Port() const { return fPort; }

private:
  int fSocket = -1;
  int fPort = 0;
};

// An `openssl s_server` on loopback with a certificate of its own, offering only the TLS
// version given ("-tls1_2", "-tls1_3"; empty: every version it knows); it answers any GET
// with an HTML page that names the protocol of the session.
class TTlsPeer
{
public:
  explicit TTlsPeer(const QString &aVersionOption)
  {
    const QString lCert = CertFile();
    const QString lKey = fDir.path() + QStringLiteral("/key.pem");
    if (QProcess::execute(QStringLiteral("openssl"),
                          {QStringLiteral("req"), QStringLiteral("-x509"),
                           QStringLiteral("-newkey"), QStringLiteral("ec"),
                           QStringLiteral("-pkeyopt"),
                           QStringLiteral("ec_paramgen_curve:prime256v1"), QStringLiteral("-nodes"),
                           QStringLiteral("-keyout"), lKey, QStringLiteral("-out"), lCert,
                           QStringLiteral("-days"), QStringLiteral("2"), QStringLiteral("-subj"),
                           QStringLiteral("/CN=127.0.0.1"), QStringLiteral("-addext"),
                           QStringLiteral("subjectAltName=IP:127.0.0.1")}) != 0)
      throw std::runtime_error("openssl req failed");
    fPort = FreePort();
    fServer.setProcessChannelMode(QProcess::MergedChannels);
    QStringList lArguments = {QStringLiteral("s_server"),
                              QStringLiteral("-accept"),
                              QStringLiteral("127.0.0.1:%1").arg(fPort),
                              QStringLiteral("-cert"),
                              lCert,
                              QStringLiteral("-key"),
                              lKey,
                              QStringLiteral("-www")};
    if (!aVersionOption.isEmpty())
      lArguments << aVersionOption;
    fServer.start(QStringLiteral("openssl"), lArguments);
    QByteArray lOutput;
    QElapsedTimer lTimer;
    lTimer.start();
    while (!lOutput.contains("ACCEPT") && lTimer.elapsed() < 10000) {
      fServer.waitForReadyRead(100);
      lOutput += fServer.readAll();
    }
    if (!lOutput.contains("ACCEPT"))
      throw std::runtime_error("openssl s_server did not start: " + lOutput.toStdString());
  }
  ~TTlsPeer()
  {
    fServer.kill();
    fServer.waitForFinished(3000);
  }
  QString BaseUrl() const { return QStringLiteral("https://127.0.0.1:%1").arg(fPort); }
  QString CertFile() const { return fDir.path() + QStringLiteral("/cert.pem"); }

private:
  QTemporaryDir fDir;
  QProcess fServer;
  int fPort = 0;
};
