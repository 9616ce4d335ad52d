#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vexa::sim {

struct TOptions
{
  int fPort = 0;
  std::string fStateDir;
  uint64_t fSeed = 1;
  int fSymbols = 400;
  std::string fAccountsFile;
  bool fHttp = false;
  std::string fRequestLog;
  int64_t fLatencyMs = 0;
  double fFailRate = 0;
  double fResetRate = 0;
  double fGarbageRate = 0;
  int64_t fClockOffsetMs = 0;
  int64_t fWeightLimit = 6000;
  int64_t fBanSeconds = 120;
  int fThreads = 256;
};

// Parses the command line. On an error aError is set; on --help / --version aExitNow is set
// and aMessage holds the text to print.
std::optional<TOptions> ParseOptions(const std::vector<std::string> &aArgs, std::string &aError,
                                     bool &aExitNow, std::string &aMessage);

std::string DefaultStateDir();
std::string UsageText();

} // namespace vexa::sim
