#include "rate_limiter.h"

#include "intervals.h"

#include <algorithm>

namespace vexa::sim {

namespace {

constexpr int64_t cGraceMs = 1000;

int64_t CeilSeconds(int64_t aMs)
{
  return std::max<int64_t>(1, (aMs + 999) / 1000);
}

} // namespace

TRateLimiter::TState &TRateLimiter::StateFor(const std::string &aIp, int64_t aNowMs)
{
  TState &lState = fStates[aIp];
  const int64_t lWindow = FloorDiv(aNowMs, cMinuteMs) * cMinuteMs;
  if (lWindow != lState.fWindowStart) {
    lState.fWindowStart = lWindow;
    lState.fUsed = 0;
    lState.fFirstRefusalMs = -1;
  }
  return lState;
}

TRateLimiter::TDecision TRateLimiter::Charge(const std::string &aIp, int64_t aWeight,
                                             int64_t aNowMs)
{
  std::lock_guard lLock(fMutex);
  TState &lState = StateFor(aIp, aNowMs);
  TDecision lDecision;
  if (lState.fBannedUntilMs > aNowMs) {
    lDecision.fVerdict = TVerdict::Banned;
  } else if (lState.fFirstRefusalMs >= 0 && aNowMs - lState.fFirstRefusalMs > cGraceMs) {
    lState.fBannedUntilMs = aNowMs + fBanSeconds * 1000;
    lDecision.fVerdict = TVerdict::Banned;
  } else {
    lState.fUsed += aWeight;
    if (lState.fUsed > fLimit) {
      if (lState.fFirstRefusalMs < 0) {
        lState.fFirstRefusalMs = aNowMs;
      }
      lDecision.fVerdict = TVerdict::Limited;
    }
  }
  lDecision.fUsed = lState.fUsed;
  if (lDecision.fVerdict == TVerdict::Banned) {
    lDecision.fRetryAfterSeconds = CeilSeconds(lState.fBannedUntilMs - aNowMs);
    lDecision.fMessage = "Way too much request weight used; IP banned until " +
                         std::to_string(lState.fBannedUntilMs) +
                         ". Please use WebSocket Streams for live updates to avoid bans.";
  } else if (lDecision.fVerdict == TVerdict::Limited) {
    lDecision.fRetryAfterSeconds = CeilSeconds(lState.fWindowStart + cMinuteMs - aNowMs);
    lDecision.fMessage = "Too much request weight used; current limit is " +
                         std::to_string(fLimit) +
                         " request weight per 1 MINUTE. Please use WebSocket Streams for live "
                         "updates to avoid polling the API.";
  }
  return lDecision;
}

void TRateLimiter::Refund(const std::string &aIp, int64_t aWeight, int64_t aNowMs)
{
  std::lock_guard lLock(fMutex);
  TState &lState = StateFor(aIp, aNowMs);
  lState.fUsed = std::max<int64_t>(0, lState.fUsed - aWeight);
}

int64_t TRateLimiter::Used(const std::string &aIp, int64_t aNowMs)
{
  std::lock_guard lLock(fMutex);
  return StateFor(aIp, aNowMs).fUsed;
}

void TRateLimiter::Reset()
{
  std::lock_guard lLock(fMutex);
  fStates.clear();
}

void TRateLimiter::SetLimit(int64_t aLimit)
{
  std::lock_guard lLock(fMutex);
  fLimit = aLimit;
}

void TRateLimiter::SetBanSeconds(int64_t aSeconds)
{
  std::lock_guard lLock(fMutex);
  fBanSeconds = aSeconds;
}

int64_t TRateLimiter::Limit() const
{
  std::lock_guard lLock(fMutex);
  return fLimit;
}

TOrderCounter::TCounts TOrderCounter::CountsOf(TState &aState, int64_t aNowMs)
{
  while (!aState.fRecent.empty() && aState.fRecent.front() <= aNowMs - 10'000) {
    aState.fRecent.pop_front();
  }
  const int64_t lDay = FloorDiv(aNowMs, cDayMs);
  if (lDay != aState.fDay) {
    aState.fDay = lDay;
    aState.fDayCount = 0;
  }
  return TCounts{static_cast<int64_t>(aState.fRecent.size()), aState.fDayCount};
}

bool TOrderCounter::Add(const std::string &aAccount, int64_t aNowMs, TCounts &aCounts)
{
  std::lock_guard lLock(fMutex);
  TState &lState = fStates[aAccount];
  aCounts = CountsOf(lState, aNowMs);
  if (aCounts.f10s >= cPer10s || aCounts.fDay >= cPerDay) {
    return false;
  }
  lState.fRecent.push_back(aNowMs);
  ++lState.fDayCount;
  aCounts = CountsOf(lState, aNowMs);
  return true;
}

TOrderCounter::TCounts TOrderCounter::Current(const std::string &aAccount, int64_t aNowMs)
{
  std::lock_guard lLock(fMutex);
  return CountsOf(fStates[aAccount], aNowMs);
}

} // namespace vexa::sim
