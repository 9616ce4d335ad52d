#include "connection_stream.h"

#include <openssl/err.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

namespace vexa::sim {

namespace {

using TSteady = std::chrono::steady_clock;

void SetTimeout(int aSocket, int aOption, int aMs)
{
  timeval lTime{};
  lTime.tv_sec = aMs / 1000;
  lTime.tv_usec = (aMs % 1000) * 1000;
  setsockopt(aSocket, SOL_SOCKET, aOption, &lTime, sizeof(lTime));
}

bool Poll(int aSocket, short aEvents, int aTimeoutMs)
{
  pollfd lPoll{aSocket, aEvents, 0};
  int lResult = 0;
  do {
    lResult = poll(&lPoll, 1, aTimeoutMs);
  } while (lResult < 0 && errno == EINTR);
  return lResult > 0;
}

void AddressOf(const sockaddr_storage &aAddress, std::string &aIp, int &aPort)
{
  char lText[INET6_ADDRSTRLEN] = {};
  if (aAddress.ss_family == AF_INET) {
    const auto &lV4 = reinterpret_cast<const sockaddr_in &>(aAddress);
    inet_ntop(AF_INET, &lV4.sin_addr, lText, sizeof(lText));
    aPort = ntohs(lV4.sin_port);
  } else if (aAddress.ss_family == AF_INET6) {
    const auto &lV6 = reinterpret_cast<const sockaddr_in6 &>(aAddress);
    inet_ntop(AF_INET6, &lV6.sin6_addr, lText, sizeof(lText));
    aPort = ntohs(lV6.sin6_port);
  }
  aIp = lText;
}

} // namespace

TConnectionStream::TConnectionStream(int aSocket, int aReadTimeoutMs, int aWriteTimeoutMs)
    : fSocket(aSocket), fReadTimeoutMs(aReadTimeoutMs), fWriteTimeoutMs(aWriteTimeoutMs)
{
  // A request or answer that stalls part way is given up after these.
  SetTimeout(fSocket, SO_RCVTIMEO, fReadTimeoutMs);
  SetTimeout(fSocket, SO_SNDTIMEO, fWriteTimeoutMs);
}

TConnectionStream::~TConnectionStream()
{
  if (fSsl) {
    if (SSL_is_init_finished(fSsl)) {
      SSL_shutdown(fSsl);
    }
    SSL_free(fSsl);
  }
  ::close(fSocket);
}

bool TConnectionStream::Accept(SSL_CTX *aContext, int aTimeoutMs)
{
  if (!aContext) {
    return true;
  }
  fSsl = SSL_new(aContext);
  if (!fSsl || SSL_set_fd(fSsl, fSocket) != 1) {
    return false;
  }
  const int lFlags = fcntl(fSocket, F_GETFL);
  fcntl(fSocket, F_SETFL, lFlags | O_NONBLOCK);
  const auto lDeadline = TSteady::now() + std::chrono::milliseconds(aTimeoutMs);
  bool lDone = false;
  for (;;) {
    ERR_clear_error();
    const int lResult = SSL_accept(fSsl);
    if (lResult == 1) {
      lDone = true;
      break;
    }
    const int lError = SSL_get_error(fSsl, lResult);
    const short lWanted = lError == SSL_ERROR_WANT_READ    ? POLLIN
                          : lError == SSL_ERROR_WANT_WRITE ? POLLOUT
                                                           : 0;
    const auto lLeft =
        std::chrono::duration_cast<std::chrono::milliseconds>(lDeadline - TSteady::now()).count();
    if (lWanted == 0 || lLeft <= 0 || !Poll(fSocket, lWanted, static_cast<int>(lLeft))) {
      break;
    }
  }
  ERR_clear_error();
  fcntl(fSocket, F_SETFL, lFlags);
  return lDone;
}

bool TConnectionStream::Buffered() const
{
  return fBegin < fEnd || (fSsl && SSL_pending(fSsl) > 0);
}

bool TConnectionStream::WaitForRequest(int aTimeoutMs, const std::function<bool()> &aStopped)
{
  constexpr int cSliceMs = 100;
  for (int lWaited = 0; lWaited < aTimeoutMs; lWaited += cSliceMs) {
    if (aStopped()) {
      return false;
    }
    if (Buffered() || Poll(fSocket, POLLIN, std::min(cSliceMs, aTimeoutMs - lWaited))) {
      return true;
    }
  }
  return false;
}

bool TConnectionStream::is_readable() const
{
  return Buffered() || Poll(fSocket, POLLIN, fReadTimeoutMs);
}

bool TConnectionStream::is_writable() const
{
  return Poll(fSocket, POLLOUT, fWriteTimeoutMs);
}

ssize_t TConnectionStream::Fill()
{
  fBegin = 0;
  fEnd = 0;
  if (fSsl) {
    ERR_clear_error();
    const int lRead = SSL_read(fSsl, fBuffer.data(), static_cast<int>(fBuffer.size()));
    if (lRead > 0) {
      fEnd = static_cast<size_t>(lRead);
      return lRead;
    }
    return SSL_get_error(fSsl, lRead) == SSL_ERROR_ZERO_RETURN ? 0 : -1;
  }
  ssize_t lRead = 0;
  do {
    lRead = recv(fSocket, fBuffer.data(), fBuffer.size(), 0);
  } while (lRead < 0 && errno == EINTR);
  if (lRead > 0) {
    fEnd = static_cast<size_t>(lRead);
  }
  return lRead;
}

ssize_t TConnectionStream::read(char *aData, size_t aSize)
{
  if (fBegin == fEnd) {
    const ssize_t lFilled = Fill();
    if (lFilled <= 0) {
      return lFilled;
    }
  }
  const size_t lCount = std::min(aSize, fEnd - fBegin);
  std::memcpy(aData, fBuffer.data() + fBegin, lCount);
  fBegin += lCount;
  return static_cast<ssize_t>(lCount);
}

ssize_t TConnectionStream::write(const char *aData, size_t aSize)
{
  if (aSize == 0) {
    return 0;
  }
  if (fSsl) {
    ERR_clear_error();
    const int lWritten = SSL_write(fSsl, aData, static_cast<int>(aSize));
    return lWritten > 0 ? lWritten : -1;
  }
  size_t lDone = 0;
  while (lDone < aSize) {
    const ssize_t lSent = send(fSocket, aData + lDone, aSize - lDone, MSG_NOSIGNAL);
    if (lSent < 0 && errno == EINTR) {
      continue;
    }
    if (lSent <= 0) {
      return -1;
    }
    lDone += static_cast<size_t>(lSent);
  }
  return static_cast<ssize_t>(lDone);
}

void TConnectionStream::get_remote_ip_and_port(std::string &aIp, int &aPort) const
{
  sockaddr_storage lAddress{};
  socklen_t lLength = sizeof(lAddress);
  if (getpeername(fSocket, reinterpret_cast<sockaddr *>(&lAddress), &lLength) == 0) {
    AddressOf(lAddress, aIp, aPort);
  }
}

void TConnectionStream::get_local_ip_and_port(std::string &aIp, int &aPort) const
{
  sockaddr_storage lAddress{};
  socklen_t lLength = sizeof(lAddress);
  if (getsockname(fSocket, reinterpret_cast<sockaddr *>(&lAddress), &lLength) == 0) {
    AddressOf(lAddress, aIp, aPort);
  }
}

} // namespace vexa::sim
