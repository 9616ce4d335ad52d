#pragma once

#include <cstdint>
#include <mutex>
#include <string>

#include "hashing.h"

namespace vexa::sim {

struct TFaultSettings
{
  int64_t fLatencyMs = 0;
  double fFailRate = 0;    // share of answers that become 500 or 503
  double fResetRate = 0;   // share of connections closed mid-answer
  double fGarbageRate = 0; // share of bodies truncated or replaced by non-JSON
};

// What happens to one answer.
enum class TFault { None, Unavailable, InternalError, Reset, Garbage };

// Injected faults for the terminal's reliability tests; changed at run time by the admin
// resource. The clock offset lives in TClock.
class TFaults
{
public:
  TFaults(const TFaultSettings &aSettings, uint64_t aSeed);

  TFaultSettings Settings() const;
  void Set(const TFaultSettings &aSettings);

  // Decided before the request is handled: 503 means it was not executed.
  bool RollUnavailable(bool &aInternalError);
  // Decided after: the request was executed, its answer is lost or damaged.
  TFault RollAfter();
  // A damaged copy of aBody: cut short, or not JSON at all.
  std::string Garble(const std::string &aBody);
  // How many bytes of a body of aLength to send before closing.
  size_t ResetPoint(size_t aLength);

private:
  double Unit();

  mutable std::mutex fMutex;
  TFaultSettings fSettings;
  TRandom fRandom;
};

} // namespace vexa::sim
