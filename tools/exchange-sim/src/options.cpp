#include "options.h"

#include <charconv>
#include <cstdlib>
#include <functional>
#include <map>

namespace vexa::sim {

namespace {

template <typename T> bool ParseNumber(const std::string &aText, T &aValue)
{
  const char *lEnd = aText.data() + aText.size();
  const auto [lPtr, lError] = std::from_chars(aText.data(), lEnd, aValue);
  return lError == std::errc() && lPtr == lEnd;
}

bool ParseRate(const std::string &aText, double &aValue)
{
  if (!ParseNumber(aText, aValue)) {
    return false;
  }
  return aValue >= 0 && aValue <= 1;
}

} // namespace

std::string DefaultStateDir()
{
  if (const char *lState = std::getenv("XDG_STATE_HOME"); lState != nullptr && *lState != 0) {
    return std::string(lState) + "/vexa-exchange";
  }
  if (const char *lHome = std::getenv("HOME"); lHome != nullptr && *lHome != 0) {
    return std::string(lHome) + "/.local/state/vexa-exchange";
  }
  return "./vexa-exchange-state";
}

std::string UsageText()
{
  return "Usage: vexa-exchange [options]\n"
         "A Binance-compatible REST exchange on 127.0.0.1 for the Vexa terminal.\n"
         "\n"
         "  --port N              port to listen on; 0 picks a free one (default 0)\n"
         "  --state-dir DIR       certificates and demo keys (default " +
         DefaultStateDir() +
         ")\n"
         "  --seed N              seed of symbols, history and price walk (default 1)\n"
         "  --symbols N           number of symbols, 1-3000 (default 400)\n"
         "  --accounts FILE       accounts file (JSON) instead of the demo account\n"
         "  --http                plain HTTP instead of HTTPS (debugging)\n"
         "  --request-log FILE    append one line per request to FILE\n"
         "  --weight-limit N      request weight per minute (default 6000)\n"
         "  --ban-seconds N       length of a 418 ban (default 120)\n"
         "  --threads N           connections served at once, a thread each (default 256)\n"
         "  --latency-ms N        delay every answer by N ms\n"
         "  --fail-rate R         share 0..1 of answers that become 500 or 503\n"
         "  --reset-rate R        share 0..1 of connections closed mid-answer\n"
         "  --garbage-rate R      share 0..1 of bodies truncated or not JSON\n"
         "  --clock-offset-ms N   server time ahead (+) or behind (-) by N ms\n"
         "  --help, --version\n";
}

std::optional<TOptions> ParseOptions(const std::vector<std::string> &aArgs, std::string &aError,
                                     bool &aExitNow, std::string &aMessage)
{
  TOptions lOptions;
  lOptions.fStateDir = DefaultStateDir();
  aExitNow = false;
  using TSetter = std::function<bool(const std::string &)>;
  const std::map<std::string, TSetter> lWithValue = {
      {"--port",
       [&](const std::string &aV) {
         return ParseNumber(aV, lOptions.fPort) && lOptions.fPort >= 0 && lOptions.fPort <= 65535;
       }},
      {"--state-dir",
       [&](const std::string &aV) {
         lOptions.fStateDir = aV;
         return !aV.empty();
       }},
      {"--seed", [&](const std::string &aV) { return ParseNumber(aV, lOptions.fSeed); }},
      {"--symbols",
       [&](const std::string &aV) {
         return ParseNumber(aV, lOptions.fSymbols) && lOptions.fSymbols >= 1 &&
                lOptions.fSymbols <= 3000;
       }},
      {"--accounts",
       [&](const std::string &aV) {
         lOptions.fAccountsFile = aV;
         return !aV.empty();
       }},
      {"--request-log",
       [&](const std::string &aV) {
         lOptions.fRequestLog = aV;
         return !aV.empty();
       }},
      {"--weight-limit",
       [&](const std::string &aV) {
         return ParseNumber(aV, lOptions.fWeightLimit) && lOptions.fWeightLimit > 0;
       }},
      {"--ban-seconds",
       [&](const std::string &aV) {
         return ParseNumber(aV, lOptions.fBanSeconds) && lOptions.fBanSeconds > 0;
       }},
      {"--threads",
       [&](const std::string &aV) {
         return ParseNumber(aV, lOptions.fThreads) && lOptions.fThreads >= 2 &&
                lOptions.fThreads <= 4096;
       }},
      {"--latency-ms",
       [&](const std::string &aV) {
         return ParseNumber(aV, lOptions.fLatencyMs) && lOptions.fLatencyMs >= 0;
       }},
      {"--fail-rate", [&](const std::string &aV) { return ParseRate(aV, lOptions.fFailRate); }},
      {"--reset-rate", [&](const std::string &aV) { return ParseRate(aV, lOptions.fResetRate); }},
      {"--garbage-rate",
       [&](const std::string &aV) { return ParseRate(aV, lOptions.fGarbageRate); }},
      {"--clock-offset-ms",
       [&](const std::string &aV) { return ParseNumber(aV, lOptions.fClockOffsetMs); }},
  };
  for (size_t i = 0; i < aArgs.size(); ++i) {
    std::string lName = aArgs[i];
    std::string lValue;
    bool lHasValue = false;
    if (const size_t lEq = lName.find('='); lName.rfind("--", 0) == 0 && lEq != std::string::npos) {
      lValue = lName.substr(lEq + 1);
      lName = lName.substr(0, lEq);
      lHasValue = true;
    }
    if (lName == "--help" || lName == "-h") {
      aExitNow = true;
      aMessage = UsageText();
      return std::nullopt;
    }
    if (lName == "--version") {
      aExitNow = true;
      aMessage = "vexa-exchange 1.0\n";
      return std::nullopt;
    }
    if (lName == "--http") {
      lOptions.fHttp = true;
      continue;
    }
    const auto lSetter = lWithValue.find(lName);
    if (lSetter == lWithValue.end()) {
      aError = "unknown option " + lName;
      return std::nullopt;
    }
    if (!lHasValue) {
      if (i + 1 >= aArgs.size()) {
        aError = lName + " needs a value";
        return std::nullopt;
      }
      lValue = aArgs[++i];
    }
    if (!lSetter->second(lValue)) {
      aError = "bad value for " + lName + ": '" + lValue + "'";
      return std::nullopt;
    }
  }
  return lOptions;
}

} // namespace vexa::sim
