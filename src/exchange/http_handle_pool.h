#pragma once

#include <curl/curl.h>

#include <mutex>
#include <vector>

// HTTP client handles between exchanges, each keeping the open connection and the TLS session
// of its last exchange, so that the next one to the same server skips the handshake. A handle
// serves one exchange at a time; any thread may take one and give it back.
class THttpHandlePool
{
public:
  // Enough for every chart's price, the all-symbol prices and an account request at once.
  static constexpr int cMaxIdle = 24;

  static THttpHandlePool &Instance();
  THttpHandlePool() = default;
  ~THttpHandlePool();
  THttpHandlePool(const THttpHandlePool &) = delete;
  THttpHandlePool &operator=(const THttpHandlePool &) = delete;

  // The most recently used idle handle with its options reset, or a new one; null when none
  // can be made.
  CURL *Take();
  // Keeps the handle for the next exchange; frees it when the pool is closed or full.
  void Give(CURL *aHandle);
  // Frees the idle handles (their connections close) and every handle given back until Open.
  void Close();
  void Open();
  int IdleCount();

private:
  std::mutex fLock;
  std::vector<CURL *> fIdle;
  bool fClosed = false;
};
