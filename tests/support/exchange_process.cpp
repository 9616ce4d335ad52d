#include "exchange_process.h"

#include <curl/curl.h>
#include <nlohmann/json.hpp>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#ifndef VEXA_EXCHANGE_PATH
#define VEXA_EXCHANGE_PATH "vexa-exchange"
#endif

extern char **environ;

namespace vexa::test {

namespace {

constexpr std::string_view cReadyPrefix = "vexa-exchange ready: ";

void EnsureCurl()
{
  static std::once_flag sOnce;
  std::call_once(sOnce, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

size_t AppendBody(char *aData, size_t aSize, size_t aCount, void *aTarget)
{
  static_cast<std::string *>(aTarget)->append(aData, aSize * aCount);
  return aSize * aCount;
}

std::string MakeTempDir()
{
  const char *lBase = std::getenv("TMPDIR");
  std::string lTemplate =
      std::string(lBase != nullptr && *lBase != 0 ? lBase : "/tmp") + "/vexa-exchange-XXXXXX";
  if (::mkdtemp(lTemplate.data()) == nullptr) {
    throw std::runtime_error(std::string("cannot create a temporary folder: ") +
                             std::strerror(errno));
  }
  return lTemplate;
}

} // namespace

std::string TExchangeProcess::defaultExecutable()
{
  if (const char *lPath = std::getenv("VEXA_EXCHANGE"); lPath != nullptr && *lPath != 0) {
    return lPath;
  }
  return VEXA_EXCHANGE_PATH;
}

TExchangeProcess::TExchangeProcess(std::vector<std::string> aExtraArgs)
{
  TConfig lConfig;
  lConfig.fArgs = std::move(aExtraArgs);
  Start(lConfig);
}

TExchangeProcess::TExchangeProcess(const TConfig &aConfig)
{
  Start(aConfig);
}

TExchangeProcess::~TExchangeProcess()
{
  stop();
  if (fOwnsStateDir && !fStateDir.empty()) {
    std::error_code lIgnored;
    std::filesystem::remove_all(fStateDir, lIgnored);
  }
}

void TExchangeProcess::Start(const TConfig &aConfig)
{
  fStateDir = aConfig.fStateDir;
  if (fStateDir.empty()) {
    fStateDir = MakeTempDir();
    fOwnsStateDir = true;
  }
  const std::string lExecutable =
      aConfig.fExecutable.empty() ? defaultExecutable() : aConfig.fExecutable;
  std::vector<std::string> lArgs = {lExecutable, "--port", "0", "--state-dir", fStateDir};
  lArgs.insert(lArgs.end(), aConfig.fArgs.begin(), aConfig.fArgs.end());
  std::vector<char *> lArgv;
  for (std::string &lArg : lArgs) {
    lArgv.push_back(lArg.data());
  }
  lArgv.push_back(nullptr);

  int lPipe[2];
  if (::pipe2(lPipe, O_CLOEXEC) != 0) {
    throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
  }
  posix_spawn_file_actions_t lActions;
  posix_spawn_file_actions_init(&lActions);
  posix_spawn_file_actions_adddup2(&lActions, lPipe[1], STDOUT_FILENO);
  posix_spawnattr_t lAttributes;
  posix_spawnattr_init(&lAttributes);
  sigset_t lEmpty;
  sigemptyset(&lEmpty);
  sigset_t lDefaults;
  sigemptyset(&lDefaults);
  sigaddset(&lDefaults, SIGPIPE);
  sigaddset(&lDefaults, SIGTERM);
  sigaddset(&lDefaults, SIGINT);
  posix_spawnattr_setsigmask(&lAttributes, &lEmpty);
  posix_spawnattr_setsigdefault(&lAttributes, &lDefaults);
  posix_spawnattr_setflags(&lAttributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  const int lSpawned =
      ::posix_spawn(&fPid, lExecutable.c_str(), &lActions, &lAttributes, lArgv.data(), environ);
  posix_spawn_file_actions_destroy(&lActions);
  posix_spawnattr_destroy(&lAttributes);
  ::close(lPipe[1]);
  if (lSpawned != 0) {
    ::close(lPipe[0]);
    fPid = -1;
    throw std::runtime_error("cannot start " + lExecutable + ": " + std::strerror(lSpawned));
  }
  try {
    ReadReadyLine(lPipe[0], aConfig.fStartTimeoutMs);
  } catch (...) {
    ::close(lPipe[0]);
    stop(1000);
    throw;
  }
  ::close(lPipe[0]);
  ReadDemoKeys();
}

void TExchangeProcess::ReadReadyLine(int aFd, int aTimeoutMs)
{
  const auto lDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
  std::string lLine;
  while (lLine.find('\n') == std::string::npos) {
    const auto lLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
        lDeadline - std::chrono::steady_clock::now());
    if (lLeft.count() <= 0) {
      throw std::runtime_error("vexa-exchange did not get ready in time");
    }
    pollfd lPoll{aFd, POLLIN, 0};
    const int lReady = ::poll(&lPoll, 1, static_cast<int>(lLeft.count()));
    if (lReady < 0 && errno == EINTR) {
      continue;
    }
    if (lReady <= 0) {
      continue;
    }
    char lBuffer[512];
    const ssize_t lRead = ::read(aFd, lBuffer, sizeof lBuffer);
    if (lRead < 0 && errno == EINTR) {
      continue;
    }
    if (lRead <= 0) {
      int lStatus = 0;
      ::waitpid(fPid, &lStatus, 0);
      fPid = -1;
      throw std::runtime_error("vexa-exchange exited before it was ready (status " +
                               std::to_string(WIFEXITED(lStatus) ? WEXITSTATUS(lStatus) : -1) +
                               ")");
    }
    lLine.append(lBuffer, static_cast<size_t>(lRead));
  }
  lLine.resize(lLine.find('\n'));
  const size_t lCa = lLine.find(" ca=");
  if (lLine.rfind(cReadyPrefix, 0) != 0 || lCa == std::string::npos) {
    throw std::runtime_error("unexpected first line from vexa-exchange: " + lLine);
  }
  fBaseUrl = lLine.substr(cReadyPrefix.size(), lCa - cReadyPrefix.size());
  fCaFile = lLine.substr(lCa + 4);
  const size_t lColon = fBaseUrl.rfind(':');
  fPort = std::stoi(fBaseUrl.substr(lColon + 1));
}

void TExchangeProcess::ReadDemoKeys()
{
  std::ifstream lIn(std::filesystem::path(fStateDir) / "demo-account.json");
  if (!lIn) {
    return;
  }
  const nlohmann::json lRoot = nlohmann::json::parse(lIn, nullptr, false);
  if (lRoot.is_object()) {
    fApiKey = lRoot.value("apiKey", "");
    fSecretKey = lRoot.value("secretKey", "");
  }
}

std::string TExchangeProcess::admin(const std::string &aPath, const std::string &aJsonBody) const
{
  EnsureCurl();
  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> lCurl(curl_easy_init(), curl_easy_cleanup);
  if (!lCurl) {
    throw std::runtime_error("curl_easy_init failed");
  }
  const std::string lUrl = fBaseUrl + aPath;
  std::string lBody;
  curl_slist *lHeaders = curl_slist_append(nullptr, "Content-Type: application/json");
  curl_easy_setopt(lCurl.get(), CURLOPT_URL, lUrl.c_str());
  curl_easy_setopt(lCurl.get(), CURLOPT_CAINFO, fCaFile.c_str());
  curl_easy_setopt(lCurl.get(), CURLOPT_HTTPHEADER, lHeaders);
  curl_easy_setopt(lCurl.get(), CURLOPT_POSTFIELDS, aJsonBody.c_str());
  curl_easy_setopt(lCurl.get(), CURLOPT_POSTFIELDSIZE, static_cast<long>(aJsonBody.size()));
  curl_easy_setopt(lCurl.get(), CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(lCurl.get(), CURLOPT_WRITEDATA, &lBody);
  curl_easy_setopt(lCurl.get(), CURLOPT_TIMEOUT_MS, 10000L);
  curl_easy_setopt(lCurl.get(), CURLOPT_NOSIGNAL, 1L);
  const CURLcode lResult = curl_easy_perform(lCurl.get());
  curl_slist_free_all(lHeaders);
  if (lResult != CURLE_OK) {
    throw std::runtime_error("admin " + aPath + ": " + curl_easy_strerror(lResult));
  }
  long lStatus = 0;
  curl_easy_getinfo(lCurl.get(), CURLINFO_RESPONSE_CODE, &lStatus);
  if (lStatus >= 400) {
    throw std::runtime_error("admin " + aPath + ": HTTP " + std::to_string(lStatus) + " " + lBody);
  }
  return lBody;
}

int TExchangeProcess::stop(int aTimeoutMs)
{
  if (fPid <= 0) {
    return -1;
  }
  ::kill(fPid, SIGTERM);
  const auto lDeadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(aTimeoutMs);
  int lStatus = 0;
  while (true) {
    const pid_t lDone = ::waitpid(fPid, &lStatus, WNOHANG);
    if (lDone == fPid) {
      fPid = -1;
      return WIFEXITED(lStatus) ? WEXITSTATUS(lStatus) : -1;
    }
    if (lDone < 0 && errno != EINTR) {
      fPid = -1;
      return -1;
    }
    if (std::chrono::steady_clock::now() >= lDeadline) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ::kill(fPid, SIGKILL);
  ::waitpid(fPid, &lStatus, 0);
  fPid = -1;
  return -1;
}

} // namespace vexa::test
