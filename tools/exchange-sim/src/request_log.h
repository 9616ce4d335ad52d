#pragma once

#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>

namespace vexa::sim {

struct TLogEntry
{
  int64_t fTimeMs = 0;
  std::string fMethod;
  std::string fTarget; // path with query, as received
  std::string fBody;
  bool fHasApiKey = false;
  int fStatus = 0;
  double fDurationMs = 0;
  std::string fFault; // "-", "fail", "reset", "garbage"
};

// One tab-separated line per request:
// time, method, path?query, body, key=yes|no, status, duration in ms, fault.
class TRequestLog
{
public:
  explicit TRequestLog(const std::string &aPath);
  bool IsOpen() const { return fOut.is_open(); }
  void Write(const TLogEntry &aEntry);

private:
  std::mutex fMutex;
  std::ofstream fOut;
};

} // namespace vexa::sim
