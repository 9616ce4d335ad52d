#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace vexa::test {

// A running vexa-exchange for a test: started on a free port with a fresh state folder,
// ready once it printed its ready line, stopped (SIGTERM, then SIGKILL) and reaped when
// this object goes away. Plain C++, no Qt.
class TExchangeProcess
{
public:
  struct TConfig
  {
    std::vector<std::string> fArgs; // extra command-line arguments
    std::string fStateDir;          // empty: a fresh temporary folder, removed afterwards
    std::string fExecutable;        // empty: defaultExecutable()
    int fStartTimeoutMs = 15000;
  };

  // Throws std::runtime_error when the server does not come up.
  explicit TExchangeProcess(std::vector<std::string> aExtraArgs = {});
  explicit TExchangeProcess(const TConfig &aConfig);
  ~TExchangeProcess();
  TExchangeProcess(const TExchangeProcess &) = delete;
  TExchangeProcess &operator=(const TExchangeProcess &) = delete;

  int port() const { return fPort; }
  // "https://127.0.0.1:PORT" (or http:// with --http).
  std::string baseUrl() const { return fBaseUrl; }
  std::string caFile() const { return fCaFile; }
  std::string stateDir() const { return fStateDir; }
  pid_t pid() const { return fPid; }
  // Keys of the demo account (empty when the server runs with --accounts).
  std::string apiKey() const { return fApiKey; }
  std::string secretKey() const { return fSecretKey; }

  // POSTs aJsonBody to an admin resource such as "/admin/price" and returns the answer.
  // Throws std::runtime_error on a transport failure or an HTTP status of 400 or more.
  std::string admin(const std::string &aPath, const std::string &aJsonBody = "{}") const;

  // Sends SIGTERM and waits up to aTimeoutMs, then SIGKILL. Returns the exit code, or -1
  // when the process had to be killed or was already gone.
  int stop(int aTimeoutMs = 5000);

  // $VEXA_EXCHANGE when set, else the path the build compiled in.
  static std::string defaultExecutable();

private:
  void Start(const TConfig &aConfig);
  void ReadReadyLine(int aFd, int aTimeoutMs);
  void ReadDemoKeys();

  pid_t fPid = -1;
  int fPort = 0;
  std::string fBaseUrl;
  std::string fCaFile;
  std::string fStateDir;
  bool fOwnsStateDir = false;
  std::string fApiKey;
  std::string fSecretKey;
};

} // namespace vexa::test
