#pragma once

#include "exchange.h"
#include "params.h"

#include <httplib.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>

namespace vexa::sim {

// One API call being answered.
struct TCall
{
  TCall(TExchange &aExchange, TRequestParams &aParams, std::optional<std::string> aApiKey,
        int64_t aNowMs)
      : fExchange(aExchange), fParams(aParams), fApiKey(std::move(aApiKey)), fNowMs(aNowMs)
  {
  }

  TExchange &fExchange;
  TRequestParams &fParams;
  std::optional<std::string> fApiKey;
  int64_t fNowMs = 0;
  int fStatus = 200;
  std::string fBody;
  httplib::Headers fHeaders;  // extra answer headers
  bool fFreeOfWeight = false; // successful orders cost no weight
  bool fMicroseconds = false; // X-MBX-TIME-UNIT: MICROSECOND

  // A time of the answer in the unit asked for; -1 (not yet) stays -1.
  int64_t Time(int64_t aMs) const { return fMicroseconds && aMs >= 0 ? aMs * 1000 : aMs; }
};

struct TEndpoint
{
  // The weight is known before the request is checked; parameters are only peeked at.
  std::function<int64_t(const TRequestParams &)> fWeight;
  std::function<void(TCall &)> fHandler;
};

// Endpoints by method and path.
class TRouteTable
{
public:
  void Add(const std::string &aMethod, const std::string &aPath, TEndpoint aEndpoint)
  {
    fEndpoints[{aMethod, aPath}] = std::move(aEndpoint);
  }
  const TEndpoint *Find(const std::string &aMethod, const std::string &aPath) const
  {
    const auto lIt = fEndpoints.find({aMethod, aPath});
    return lIt == fEndpoints.end() ? nullptr : &lIt->second;
  }

private:
  std::map<std::pair<std::string, std::string>, TEndpoint> fEndpoints;
};

void AddMarketRoutes(TRouteTable &aTable);
void AddAccountRoutes(TRouteTable &aTable);

} // namespace vexa::sim
