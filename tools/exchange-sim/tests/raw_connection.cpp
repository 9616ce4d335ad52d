#include "raw_connection.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <stdexcept>

namespace vexa::sim::test {

namespace {

std::string Lower(std::string aText)
{
  for (char &lChar : aText) {
    lChar = static_cast<char>(std::tolower(static_cast<unsigned char>(lChar)));
  }
  return aText;
}

} // namespace

std::vector<TRawAnswer> ParseAnswers(const std::string &aBytes)
{
  std::vector<TRawAnswer> lAnswers;
  size_t lAt = 0;
  while (lAt < aBytes.size()) {
    const size_t lEnd = aBytes.find("\r\n\r\n", lAt);
    if (lEnd == std::string::npos) {
      break;
    }
    TRawAnswer lAnswer;
    const std::string lHead = aBytes.substr(lAt, lEnd - lAt);
    size_t lLine = lHead.find("\r\n");
    const std::string lStatus = lHead.substr(0, lLine);
    if (lStatus.size() < 12 || lStatus.rfind("HTTP/1.1 ", 0) != 0) {
      break;
    }
    lAnswer.fStatus = std::stoi(lStatus.substr(9, 3));
    while (lLine != std::string::npos) {
      const size_t lNext = lHead.find("\r\n", lLine + 2);
      const std::string lField = lHead.substr(lLine + 2, lNext - lLine - 2);
      const size_t lColon = lField.find(':');
      if (lColon != std::string::npos) {
        const size_t lValue = lField.find_first_not_of(' ', lColon + 1);
        lAnswer.fHeaders[Lower(lField.substr(0, lColon))] =
            lValue == std::string::npos ? "" : lField.substr(lValue);
      }
      lLine = lNext;
    }
    const auto lLength = lAnswer.fHeaders.find("content-length");
    const size_t lSize = lLength == lAnswer.fHeaders.end() ? 0 : std::stoul(lLength->second);
    if (lEnd + 4 + lSize > aBytes.size()) {
      break;
    }
    lAnswer.fBody = aBytes.substr(lEnd + 4, lSize);
    lAnswers.push_back(std::move(lAnswer));
    lAt = lEnd + 4 + lSize;
  }
  return lAnswers;
}

TRawConnection::TRawConnection(int aPort) : fSocket(::socket(AF_INET, SOCK_STREAM, 0))
{
  sockaddr_in lAddress{};
  lAddress.sin_family = AF_INET;
  lAddress.sin_port = htons(static_cast<uint16_t>(aPort));
  lAddress.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fSocket < 0 ||
      ::connect(fSocket, reinterpret_cast<sockaddr *>(&lAddress), sizeof(lAddress)) != 0) {
    if (fSocket >= 0) {
      ::close(fSocket);
    }
    throw std::runtime_error("cannot connect to port " + std::to_string(aPort));
  }
  const int lOn = 1;
  setsockopt(fSocket, IPPROTO_TCP, TCP_NODELAY, &lOn, sizeof(lOn));
}

TRawConnection::~TRawConnection()
{
  if (fSsl) {
    SSL_free(fSsl);
  }
  if (fContext) {
    SSL_CTX_free(fContext);
  }
  ::close(fSocket);
}

bool TRawConnection::StartTls(const std::string &aCaFile)
{
  fContext = SSL_CTX_new(TLS_client_method());
  if (!fContext || SSL_CTX_load_verify_locations(fContext, aCaFile.c_str(), nullptr) != 1) {
    return false;
  }
  SSL_CTX_set_verify(fContext, SSL_VERIFY_PEER, nullptr);
  fSsl = SSL_new(fContext);
  SSL_set_fd(fSsl, fSocket);
  return SSL_connect(fSsl) == 1;
}

bool TRawConnection::Send(const std::string &aBytes)
{
  if (fSsl) {
    return SSL_write(fSsl, aBytes.data(), static_cast<int>(aBytes.size())) ==
           static_cast<int>(aBytes.size());
  }
  return ::send(fSocket, aBytes.data(), aBytes.size(), MSG_NOSIGNAL) ==
         static_cast<ssize_t>(aBytes.size());
}

std::string TRawConnection::ReadAll(int aTimeoutMs)
{
  std::string lBytes;
  char lBuffer[16384];
  for (;;) {
    pollfd lPoll{fSocket, POLLIN, 0};
    if ((!fSsl || SSL_pending(fSsl) == 0) && poll(&lPoll, 1, aTimeoutMs) <= 0) {
      break;
    }
    const ssize_t lRead = fSsl ? SSL_read(fSsl, lBuffer, sizeof(lBuffer))
                               : ::recv(fSocket, lBuffer, sizeof(lBuffer), 0);
    if (lRead <= 0) {
      break;
    }
    lBytes.append(lBuffer, static_cast<size_t>(lRead));
  }
  return lBytes;
}

bool TRawConnection::ClosedWithin(int aTimeoutMs)
{
  const auto lDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
  char lBuffer[4096];
  for (;;) {
    const auto lLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
                           lDeadline - std::chrono::steady_clock::now())
                           .count();
    pollfd lPoll{fSocket, POLLIN, 0};
    if (poll(&lPoll, 1, static_cast<int>(std::max<int64_t>(lLeft, 0))) <= 0) {
      return false;
    }
    const ssize_t lRead = fSsl ? SSL_read(fSsl, lBuffer, sizeof(lBuffer))
                               : ::recv(fSocket, lBuffer, sizeof(lBuffer), 0);
    if (lRead <= 0) {
      return true;
    }
  }
}

} // namespace vexa::sim::test
