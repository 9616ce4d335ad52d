#include "http_handle_pool.h"

THttpHandlePool &THttpHandlePool::Instance()
{
  static THttpHandlePool lPool;
  return lPool;
}

THttpHandlePool::~THttpHandlePool()
{
  Close();
}

CURL *THttpHandlePool::Take()
{
  CURL *lHandle = nullptr;
  {
    std::lock_guard lLock(fLock);
    if (!fIdle.empty()) {
      lHandle = fIdle.back();
      fIdle.pop_back();
    }
  }
  if (!lHandle)
    return curl_easy_init();
  // Options go back to their defaults; the connection and the TLS session stay.
  curl_easy_reset(lHandle);
  return lHandle;
}

void THttpHandlePool::Give(CURL *aHandle)
{
  if (!aHandle)
    return;
  {
    std::lock_guard lLock(fLock);
    if (!fClosed && static_cast<int>(fIdle.size()) < cMaxIdle) {
      fIdle.push_back(aHandle);
      return;
    }
  }
  curl_easy_cleanup(aHandle);
}

void THttpHandlePool::Close()
{
  std::vector<CURL *> lIdle;
  {
    std::lock_guard lLock(fLock);
    fClosed = true;
    lIdle.swap(fIdle);
  }
  for (CURL *lHandle : lIdle)
    curl_easy_cleanup(lHandle);
}

void THttpHandlePool::Open()
{
  std::lock_guard lLock(fLock);
  fClosed = false;
}

int THttpHandlePool::IdleCount()
{
  std::lock_guard lLock(fLock);
  return static_cast<int>(fIdle.size());
}
