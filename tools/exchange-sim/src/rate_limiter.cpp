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

TOrderCounter::TState &TOrderCounter::StateFor(const std::string &aAccount, int64_t aNowMs)
{
  TState &lState = fStates[aAccount];
  const int64_t lWindow = FloorDiv(aNowMs, 10'000);
  if (lWindow != lState.fWindow) {
    lState.fWindow = lWindow;
    lState.f10s = 0;
  }
  const int64_t lDay = FloorDiv(aNowMs, cDayMs);
  if (lDay != lState.fDay) {
    lState.fDay = lDay;
    lState.fDayCount = 0;
  }
  return lState;
}

bool TOrderCounter::Reserve(const std::string &aAccount, int64_t aNowMs, TCounts &aCounts,
                            std::string &aLimit)
{
  std::lock_guard lLock(fMutex);
  TState &lState = StateFor(aAccount, aNowMs);
  // The day is looked at first: past it, the 10-second count is not raised either.
  if (lState.fDayCount >= cPerDay) {
    aLimit = std::to_string(cPerDay) + " orders per DAY";
    return false;
  }
  if (lState.f10s >= cPer10s) {
    aLimit = std::to_string(cPer10s) + " orders per 10 SECOND";
    return false;
  }
  ++lState.f10s;
  ++lState.fDayCount;
  aCounts = TCounts{lState.f10s, lState.fDayCount};
  return true;
}

void TOrderCounter::Release(const std::string &aAccount, int64_t aReservedMs)
{
  std::lock_guard lLock(fMutex);
  TState &lState = fStates[aAccount];
  if (lState.fWindow == FloorDiv(aReservedMs, 10'000) && lState.f10s > 0) {
    --lState.f10s;
  }
  if (lState.fDay == FloorDiv(aReservedMs, cDayMs) && lState.fDayCount > 0) {
    --lState.fDayCount;
  }
}

void TOrderCounter::OnFirstFill(const std::string &aAccount, int64_t aNowMs)
{
  std::lock_guard lLock(fMutex);
  TState &lState = StateFor(aAccount, aNowMs);
  // Never below zero: fills earn no credit for later orders.
  lState.f10s = std::max<int64_t>(0, lState.f10s - 1);
  lState.fDayCount = std::max<int64_t>(0, lState.fDayCount - 1);
}

} // namespace vexa::sim
