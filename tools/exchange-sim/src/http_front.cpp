#include "http_front.h"

#include "connection_pool.h"
#include "connection_stream.h"

namespace vexa::sim {

namespace {

thread_local bool tCloseAfterAnswer = false;

SSL_CTX *NewContext(const TCertificatePaths &aCertificates)
{
  SSL_CTX *lContext = SSL_CTX_new(TLS_server_method());
  if (!lContext) {
    return nullptr;
  }
  SSL_CTX_set_min_proto_version(lContext, TLS1_2_VERSION);
  SSL_CTX_set_options(lContext, SSL_OP_NO_COMPRESSION | SSL_OP_NO_RENEGOTIATION);
  const std::string lCert = aCertificates.fServerCert.string();
  const std::string lKey = aCertificates.fServerKey.string();
  if (SSL_CTX_use_certificate_chain_file(lContext, lCert.c_str()) != 1 ||
      SSL_CTX_use_PrivateKey_file(lContext, lKey.c_str(), SSL_FILETYPE_PEM) != 1 ||
      SSL_CTX_check_private_key(lContext) != 1) {
    SSL_CTX_free(lContext);
    return nullptr;
  }
  return lContext;
}

bool HasBody(const std::string &aMethod)
{
  return aMethod == "POST" || aMethod == "PUT" || aMethod == "PATCH" || aMethod == "DELETE";
}

} // namespace

THttpFront::THttpFront(const TCertificatePaths *aCertificates, size_t aMaxThreads)
{
  if (aCertificates) {
    fContext = NewContext(*aCertificates);
    fValid = fContext != nullptr;
  }
  // The server owns and deletes the queue it gets from this factory.
  new_task_queue = [aMaxThreads] { return new TConnectionPool(aMaxThreads); };
}

THttpFront::~THttpFront()
{
  SSL_CTX_free(fContext);
}

void THttpFront::CloseAfterAnswer()
{
  tCloseAfterAnswer = true;
}

bool THttpFront::process_and_close_socket(socket_t aSocket)
{
  const int lReadMs = static_cast<int>(read_timeout_sec_ * 1000 + read_timeout_usec_ / 1000);
  const int lWriteMs = static_cast<int>(write_timeout_sec_ * 1000 + write_timeout_usec_ / 1000);
  TConnectionStream lStream(aSocket, lReadMs, lWriteMs);
  if (!lStream.Accept(fContext, cHandshakeTimeoutMs)) {
    return false;
  }
  // A request without Content-Length or Transfer-Encoding has no body (RFC 9112 6.3); httplib
  // would read on until the client closes.
  auto lPrepare = [](httplib::Request &aRequest) {
    if (HasBody(aRequest.method) && !aRequest.has_header("Content-Length") &&
        !aRequest.has_header("Transfer-Encoding")) {
      aRequest.set_header("Content-Length", "0");
    }
  };
  auto lStopped = [this] { return svr_sock_ == INVALID_SOCKET; };
  bool lServed = false;
  for (size_t lLeft = keep_alive_max_count_; lLeft > 0; --lLeft) {
    if (!lStream.WaitForRequest(static_cast<int>(keep_alive_timeout_sec_ * 1000), lStopped)) {
      break;
    }
    bool lClosed = false;
    tCloseAfterAnswer = false;
    lServed = process_request(lStream, lLeft == 1, lClosed, lPrepare);
    if (!lServed || lClosed || tCloseAfterAnswer) {
      break;
    }
  }
  return lServed;
}

} // namespace vexa::sim
