#pragma once

#include "certs.h"

#include <httplib.h>
#include <openssl/ssl.h>

#include <cstddef>

namespace vexa::sim {

// httplib's request parsing, routing and answers, on connections served our own way: a thread
// per connection from a growing pool (TConnectionPool), a TLS handshake that is given up after
// two seconds, a read buffer kept across pipelined requests, and a body length of zero for a
// request that announces none.
class THttpFront : public httplib::Server
{
public:
  // Plain HTTP without certificates.
  THttpFront(const TCertificatePaths *aCertificates, size_t aMaxThreads);
  ~THttpFront() override;
  THttpFront(const THttpFront &) = delete;
  THttpFront &operator=(const THttpFront &) = delete;

  bool is_valid() const override { return fValid; }

  // From a handler: the connection closes after this answer (the request could not be read,
  // so what follows it cannot be trusted to start a request).
  static void CloseAfterAnswer();

  static constexpr int cHandshakeTimeoutMs = 2000;

private:
  bool process_and_close_socket(socket_t aSocket) override;

  SSL_CTX *fContext = nullptr;
  bool fValid = true;
};

} // namespace vexa::sim
