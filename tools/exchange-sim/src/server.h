#pragma once

#include "certs.h"
#include "exchange.h"
#include "route_table.h"

#include <httplib.h>

#include <memory>
#include <string>

namespace vexa::sim {

// The HTTP(S) front: TLS 1.2/1.3 on 127.0.0.1 only; every /api answer passes through the
// weight limiter and the fault injector and is logged; /admin is for loopback clients.
class TExchangeServer
{
public:
  TExchangeServer(TExchange &aExchange, const TCertificatePaths &aCertificates);

  bool IsValid() const;
  // Binds 127.0.0.1 (0 picks a free port); the socket is listening when this returns.
  // Returns the port, or -1.
  int Bind(int aPort);
  // Serves until Stop(); returns false when serving failed.
  bool Run();
  bool IsRunning() const;
  // Has effect only once Run() is serving; call it until Run() has returned.
  void Stop();

private:
  struct TAnswer
  {
    int fStatus = 200;
    std::string fBody;
    httplib::Headers fHeaders;
    std::string fFault; // empty, "fail", "reset" or "garbage"
  };

  void HandleApi(const httplib::Request &aRequest, httplib::Response &aResponse);
  // Weight, latency and failures before, the endpoint, a lost answer after.
  TAnswer Execute(const TEndpoint &aEndpoint, const httplib::Request &aRequest, int64_t aNowMs);
  // Headers, the damage of the reset and garbage faults, and gzip when the client takes it.
  void Deliver(TAnswer &aAnswer, const httplib::Request &aRequest, int64_t aNowMs,
               httplib::Response &aResponse);
  void HandleAdmin(const httplib::Request &aRequest, httplib::Response &aResponse);
  void Route(const httplib::Request &aRequest, httplib::Response &aResponse);

  TExchange &fExchange;
  TRouteTable fRoutes;
  std::unique_ptr<httplib::Server> fServer;
};

std::string ErrorBody(int aCode, const std::string &aMessage);

// Admin resources (admin_routes.cpp): status and JSON answer for POST/GET /admin/<aPath>.
int HandleAdminRequest(TExchange &aExchange, const std::string &aMethod, const std::string &aPath,
                       const std::string &aBody, std::string &aAnswer);

} // namespace vexa::sim
