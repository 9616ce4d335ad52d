#pragma once

#include <openssl/ssl.h>

#include <map>
#include <string>
#include <vector>

namespace vexa::sim::test {

// One HTTP answer as it came over the wire.
struct TRawAnswer
{
  int fStatus = 0;
  std::map<std::string, std::string> fHeaders; // names in lower case
  std::string fBody;
};

// Answers one after another in aBytes (framed by Content-Length), as many as are complete.
std::vector<TRawAnswer> ParseAnswers(const std::string &aBytes);

// A client on a bare socket for what libcurl will not send: pipelined requests, a POST that
// announces no body, a connection that never says anything.
class TRawConnection
{
public:
  // Connects over TCP to 127.0.0.1:aPort; throws when that fails.
  explicit TRawConnection(int aPort);
  ~TRawConnection();
  TRawConnection(const TRawConnection &) = delete;
  TRawConnection &operator=(const TRawConnection &) = delete;

  // The TLS handshake, the server's chain verified against aCaFile.
  bool StartTls(const std::string &aCaFile);
  bool Send(const std::string &aBytes);
  // What arrives until the server closes or aTimeoutMs pass without a byte.
  std::string ReadAll(int aTimeoutMs);
  // Whether the server closes the connection within aTimeoutMs.
  bool ClosedWithin(int aTimeoutMs);

private:
  int fSocket = -1;
  SSL_CTX *fContext = nullptr;
  SSL *fSsl = nullptr;
};

} // namespace vexa::sim::test
