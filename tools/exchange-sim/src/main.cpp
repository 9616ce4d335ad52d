// vexa-exchange: a Binance-compatible REST exchange on loopback for the Vexa terminal.
#include "certs.h"
#include "exchange.h"
#include "options.h"
#include "server.h"

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <pthread.h>
#include <thread>

namespace {

int Serve(const vexa::sim::TOptions &aOptions)
{
  const std::filesystem::path lStateDir = aOptions.fStateDir;
  std::filesystem::create_directories(lStateDir);
  const vexa::sim::TCertificatePaths lCertificates = vexa::sim::EnsureCertificates(lStateDir);
  vexa::sim::TExchange lExchange(aOptions, lStateDir);
  vexa::sim::TExchangeServer lServer(lExchange, lCertificates);
  if (!lServer.IsValid()) {
    std::fprintf(stderr, "vexa-exchange: cannot set up TLS with %s\n",
                 lCertificates.fServerCert.c_str());
    return 1;
  }
  const int lPort = lServer.Bind(aOptions.fPort);
  if (lPort <= 0) {
    std::fprintf(stderr, "vexa-exchange: cannot listen on 127.0.0.1:%d\n", aOptions.fPort);
    return 1;
  }
  lExchange.Start();
  bool lServed = true;
  std::atomic<bool> lFinished = false;
  std::thread lServing([&] {
    lServed = lServer.Run();
    lFinished = true;
  });
  // The socket already listens; a stop before the accept loop runs would be lost.
  for (int i = 0; i < 1000 && !lServer.IsRunning() && !lFinished; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  std::printf("vexa-exchange ready: %s://127.0.0.1:%d ca=%s\n", aOptions.fHttp ? "http" : "https",
              lPort, std::filesystem::absolute(lCertificates.fCaCert).c_str());
  std::fflush(stdout);

  // SIGINT and SIGTERM were blocked in every thread; wait for one here.
  sigset_t lSignals;
  sigemptyset(&lSignals);
  sigaddset(&lSignals, SIGINT);
  sigaddset(&lSignals, SIGTERM);
  int lSignal = 0;
  sigwait(&lSignals, &lSignal);
  const auto lDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (!lFinished && std::chrono::steady_clock::now() < lDeadline) {
    lServer.Stop();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!lFinished) {
    // Workers sit on idle keep-alive connections for up to 5 s; nothing is left to save
    // (files are written whole, the request log line by line), so do not make the caller wait.
    lExchange.Stop();
    std::fflush(nullptr);
    std::_Exit(0);
  }
  lServing.join();
  lExchange.Stop();
  return lServed ? 0 : 1;
}

} // namespace

int main(int aArgc, char **aArgv)
{
  std::vector<std::string> lArgs(aArgv + 1, aArgv + aArgc);
  std::string lError;
  std::string lMessage;
  bool lExitNow = false;
  const std::optional<vexa::sim::TOptions> lOptions =
      vexa::sim::ParseOptions(lArgs, lError, lExitNow, lMessage);
  if (lExitNow) {
    std::fputs(lMessage.c_str(), stdout);
    return 0;
  }
  if (!lOptions) {
    std::fprintf(stderr, "vexa-exchange: %s\n%s", lError.c_str(), vexa::sim::UsageText().c_str());
    return 2;
  }

  std::signal(SIGPIPE, SIG_IGN);
  sigset_t lSignals;
  sigemptyset(&lSignals);
  sigaddset(&lSignals, SIGINT);
  sigaddset(&lSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &lSignals, nullptr);

  try {
    return Serve(*lOptions);
  } catch (const std::exception &aError) {
    std::fprintf(stderr, "vexa-exchange: %s\n", aError.what());
    return 1;
  }
}
