#include "faults.h"

namespace vexa::sim {

TFaults::TFaults(const TFaultSettings &aSettings, uint64_t aSeed)
    : fSettings(aSettings), fRandom(HashKey(aSeed, 0xFA17))
{
}

TFaultSettings TFaults::Settings() const
{
  std::lock_guard lLock(fMutex);
  return fSettings;
}

void TFaults::Set(const TFaultSettings &aSettings)
{
  std::lock_guard lLock(fMutex);
  fSettings = aSettings;
}

double TFaults::Unit()
{
  return fRandom.Unit();
}

bool TFaults::RollUnavailable(bool &aInternalError)
{
  std::lock_guard lLock(fMutex);
  aInternalError = false;
  if (fSettings.fFailRate <= 0 || Unit() >= fSettings.fFailRate) {
    return false;
  }
  // Half the failures happen before execution (503), half after (500, status unknown).
  if (Unit() < 0.5) {
    return true;
  }
  aInternalError = true;
  return false;
}

TFault TFaults::RollAfter()
{
  std::lock_guard lLock(fMutex);
  if (fSettings.fResetRate > 0 && Unit() < fSettings.fResetRate) {
    return TFault::Reset;
  }
  if (fSettings.fGarbageRate > 0 && Unit() < fSettings.fGarbageRate) {
    return TFault::Garbage;
  }
  return TFault::None;
}

std::string TFaults::Garble(const std::string &aBody)
{
  std::lock_guard lLock(fMutex);
  if (aBody.size() > 2 && Unit() < 0.5) {
    const size_t lCut = 1 + static_cast<size_t>(Unit() * static_cast<double>(aBody.size() - 2));
    return aBody.substr(0, lCut);
  }
  return "<html><head><title>502 Bad Gateway</title></head><body>upstream hiccup</body></html>";
}

size_t TFaults::ResetPoint(size_t aLength)
{
  std::lock_guard lLock(fMutex);
  return static_cast<size_t>(Unit() * static_cast<double>(aLength));
}

} // namespace vexa::sim
