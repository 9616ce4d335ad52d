#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

namespace vexa::sim {

// Request weight per IP and calendar minute, as the exchange counts it. Past the limit the
// answer is 429 with Retry-After; a client that keeps sending after a 429 (more than a
// second later, so requests already in flight are spared) is banned with 418.
class TRateLimiter
{
public:
  enum class TVerdict { Ok, Limited, Banned };

  struct TDecision
  {
    TVerdict fVerdict = TVerdict::Ok;
    int64_t fUsed = 0;
    int64_t fRetryAfterSeconds = 0;
    std::string fMessage;
  };

  TRateLimiter(int64_t aLimit, int64_t aBanSeconds) : fLimit(aLimit), fBanSeconds(aBanSeconds) {}

  TDecision Charge(const std::string &aIp, int64_t aWeight, int64_t aNowMs);
  // Successful orders cost nothing since 2026-04; they are charged first and refunded.
  void Refund(const std::string &aIp, int64_t aWeight, int64_t aNowMs);
  int64_t Used(const std::string &aIp, int64_t aNowMs);

  void Reset();
  void SetLimit(int64_t aLimit);
  void SetBanSeconds(int64_t aSeconds);
  int64_t Limit() const;

private:
  struct TState
  {
    int64_t fWindowStart = 0;
    int64_t fUsed = 0;
    int64_t fFirstRefusalMs = -1;
    int64_t fBannedUntilMs = 0;
  };
  TState &StateFor(const std::string &aIp, int64_t aNowMs);

  mutable std::mutex fMutex;
  int64_t fLimit;
  int64_t fBanSeconds;
  std::map<std::string, TState> fStates;
};

// The unfilled order count per account, as the exchange keeps it: an accepted order counts
// one in the current 10-second window and the current UTC day (calendar windows, reset at
// :00, :10, ... and at midnight); its first fill takes one off again; refused orders never
// count. Past a limit new orders get -1015.
class TOrderCounter
{
public:
  static constexpr int64_t cPer10s = 100;
  static constexpr int64_t cPerDay = 200000;

  struct TCounts
  {
    int64_t f10s = 0;
    int64_t fDay = 0;
  };

  // Counts a new order before it goes to the engine; false (nothing counted, aLimit names the
  // window) when a limit is reached. aCounts: the counts with this order.
  bool Reserve(const std::string &aAccount, int64_t aNowMs, TCounts &aCounts, std::string &aLimit);
  // The engine refused the order reserved at aReservedMs: it does not count.
  void Release(const std::string &aAccount, int64_t aReservedMs);
  // An order of aAccount was filled for the first time.
  void OnFirstFill(const std::string &aAccount, int64_t aNowMs);

private:
  struct TState
  {
    int64_t fWindow = 0;
    int64_t f10s = 0;
    int64_t fDay = 0;
    int64_t fDayCount = 0;
  };
  TState &StateFor(const std::string &aAccount, int64_t aNowMs);

  std::mutex fMutex;
  std::map<std::string, TState> fStates;
};

} // namespace vexa::sim
