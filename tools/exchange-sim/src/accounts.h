#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vexa::sim {

struct TBalance
{
  int64_t fFree = 0;
  int64_t fLocked = 0;
};

struct TAccount
{
  std::string fName;
  std::string fApiKey;
  std::string fSecretKey;
  uint64_t fUid = 0;
  bool fCanTrade = true;
  int fCommissionBps = 10;
  int64_t fUpdateTime = 0;
  std::map<std::string, TBalance> fBalances;
};

// Accounts by API key. Balances are guarded by the matching engine's lock, not here.
class TAccountStore
{
public:
  // The accounts file: {"accounts":[{"apiKey","secretKey","name"?,"canTrade"?,
  // "balances":{"USDT":"1000", ...}}]} (a bare array works as well). Throws on errors.
  void LoadFile(const std::filesystem::path &aFile, const std::vector<std::string> &aAssets);
  // The demo account: keys kept in aStateDir/demo-account.json (0600), created once.
  void AddDemo(const std::filesystem::path &aStateDir, const std::vector<std::string> &aAssets);

  TAccount *Find(std::string_view aApiKey) const;
  const std::vector<std::unique_ptr<TAccount>> &All() const { return fAccounts; }

  // The exchange's keys are 64 letters and digits; we accept 1 to 128.
  static bool IsWellFormedKey(std::string_view aKey);
  static std::string GenerateKey();

private:
  TAccount &Add(std::unique_ptr<TAccount> aAccount);

  std::vector<std::unique_ptr<TAccount>> fAccounts;
  std::unordered_map<std::string, TAccount *> fByKey;
};

} // namespace vexa::sim
