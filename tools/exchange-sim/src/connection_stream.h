#pragma once

#include <httplib.h>
#include <openssl/ssl.h>

#include <array>
#include <cstddef>
#include <functional>
#include <string>

namespace vexa::sim {

// One accepted connection, TLS or plain, read through a buffer that lives as long as the
// connection: bytes of a pipelined request that arrived with the previous one are kept for it.
class TConnectionStream : public httplib::Stream
{
public:
  TConnectionStream(int aSocket, int aReadTimeoutMs, int aWriteTimeoutMs);
  ~TConnectionStream() override;
  TConnectionStream(const TConnectionStream &) = delete;
  TConnectionStream &operator=(const TConnectionStream &) = delete;

  // The TLS handshake, given up after aTimeoutMs in all (a client that connects and sends
  // nothing is dropped then). Without a context the connection stays plain.
  bool Accept(SSL_CTX *aContext, int aTimeoutMs);
  // Waits up to aTimeoutMs for the first byte of the next request (already buffered bytes
  // count), looking at aStopped now and then.
  bool WaitForRequest(int aTimeoutMs, const std::function<bool()> &aStopped);

  bool is_readable() const override;
  bool is_writable() const override;
  ssize_t read(char *aData, size_t aSize) override;
  ssize_t write(const char *aData, size_t aSize) override;
  void get_remote_ip_and_port(std::string &aIp, int &aPort) const override;
  void get_local_ip_and_port(std::string &aIp, int &aPort) const override;
  int socket() const override { return fSocket; }

private:
  bool Buffered() const;
  // One receive into the empty buffer: bytes, 0 at the end, -1 on failure or timeout.
  ssize_t Fill();

  int fSocket;
  int fReadTimeoutMs;
  int fWriteTimeoutMs;
  SSL *fSsl = nullptr;
  std::array<char, 16384> fBuffer{};
  size_t fBegin = 0;
  size_t fEnd = 0;
};

} // namespace vexa::sim
