#include "request_log.h"

#include <cstdio>
#include <ctime>

namespace vexa::sim {

namespace {

std::string Escape(const std::string &aText)
{
  std::string lOut;
  for (char lChar : aText) {
    switch (lChar) {
    case '\t':
      lOut += "\\t";
      break;
    case '\n':
      lOut += "\\n";
      break;
    case '\r':
      lOut += "\\r";
      break;
    case '\\':
      lOut += "\\\\";
      break;
    default:
      lOut.push_back(lChar);
    }
  }
  return lOut;
}

std::string IsoTime(int64_t aMs)
{
  const std::time_t lSeconds = static_cast<std::time_t>(aMs / 1000);
  std::tm lTm{};
  gmtime_r(&lSeconds, &lTm);
  char lBuffer[64];
  std::snprintf(lBuffer, sizeof lBuffer, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", lTm.tm_year + 1900,
                lTm.tm_mon + 1, lTm.tm_mday, lTm.tm_hour, lTm.tm_min, lTm.tm_sec,
                static_cast<int>(aMs % 1000));
  return lBuffer;
}

} // namespace

TRequestLog::TRequestLog(const std::string &aPath) : fOut(aPath, std::ios::app) {}

void TRequestLog::Write(const TLogEntry &aEntry)
{
  char lDuration[32];
  std::snprintf(lDuration, sizeof lDuration, "%.3f", aEntry.fDurationMs);
  std::string lLine = IsoTime(aEntry.fTimeMs);
  lLine += '\t' + aEntry.fMethod + '\t' + Escape(aEntry.fTarget) + '\t' +
           (aEntry.fBody.empty() ? std::string("-") : Escape(aEntry.fBody)) + '\t' +
           (aEntry.fHasApiKey ? "key=yes" : "key=no") + '\t' + std::to_string(aEntry.fStatus) +
           '\t' + lDuration + '\t' + (aEntry.fFault.empty() ? "-" : aEntry.fFault) + '\n';
  std::lock_guard lLock(fMutex);
  fOut << lLine;
  fOut.flush();
}

} // namespace vexa::sim
