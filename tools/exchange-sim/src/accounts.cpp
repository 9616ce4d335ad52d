#include "accounts.h"

#include "decimal.h"
#include "file_util.h"
#include "hashing.h"

#include <nlohmann/json.hpp>
#include <openssl/rand.h>

#include <fstream>
#include <stdexcept>

namespace vexa::sim {

namespace {

// Starter balances of the demo account, in whole units.
const std::map<std::string, std::string> cDemoBalances = {
    {"USDT", "10000"}, {"BTC", "0.5"}, {"ETH", "5"}, {"BNB", "20"}};

int64_t ParseAmount(const nlohmann::json &aValue, const std::string &aWhat)
{
  std::string lText;
  if (aValue.is_string()) {
    lText = aValue.get<std::string>();
  } else if (aValue.is_number_integer() && aValue.get<int64_t>() >= 0) {
    lText = std::to_string(aValue.get<int64_t>());
  } else {
    throw std::runtime_error(aWhat + ": amount must be a decimal string");
  }
  int64_t lUnits = 0;
  if (ParseDecimal(lText, lUnits) != TDecimalParse::Ok) {
    throw std::runtime_error(aWhat + ": bad amount '" + lText + "'");
  }
  return lUnits;
}

void FillZeroBalances(TAccount &aAccount, const std::vector<std::string> &aAssets)
{
  for (const std::string &lAsset : aAssets) {
    aAccount.fBalances.try_emplace(lAsset);
  }
}

} // namespace

bool TAccountStore::IsWellFormedKey(std::string_view aKey)
{
  if (aKey.empty() || aKey.size() > 128) {
    return false;
  }
  for (char lChar : aKey) {
    const bool lOk = (lChar >= 'a' && lChar <= 'z') || (lChar >= 'A' && lChar <= 'Z') ||
                     (lChar >= '0' && lChar <= '9');
    if (!lOk) {
      return false;
    }
  }
  return true;
}

std::string TAccountStore::GenerateKey()
{
  static constexpr char cAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char lBytes[64];
  if (RAND_bytes(lBytes, sizeof lBytes) != 1) {
    throw std::runtime_error("no random bytes for a key");
  }
  std::string lKey;
  for (unsigned char lByte : lBytes) {
    lKey.push_back(cAlphabet[lByte % 62]);
  }
  return lKey;
}

TAccount &TAccountStore::Add(std::unique_ptr<TAccount> aAccount)
{
  if (!IsWellFormedKey(aAccount->fApiKey) || aAccount->fSecretKey.empty()) {
    throw std::runtime_error("account '" + aAccount->fName +
                             "': apiKey must be 1-128 letters or digits and secretKey non-empty");
  }
  if (fByKey.count(aAccount->fApiKey) != 0) {
    throw std::runtime_error("account '" + aAccount->fName + "': duplicate apiKey");
  }
  aAccount->fUid = 10'000'000 + HashString(aAccount->fApiKey) % 90'000'000;
  TAccount &lAccount = *aAccount;
  fByKey.emplace(aAccount->fApiKey, aAccount.get());
  fAccounts.push_back(std::move(aAccount));
  return lAccount;
}

void TAccountStore::LoadFile(const std::filesystem::path &aFile,
                             const std::vector<std::string> &aAssets)
{
  std::ifstream lIn(aFile);
  if (!lIn) {
    throw std::runtime_error("cannot read accounts file " + aFile.string());
  }
  nlohmann::json lRoot;
  try {
    lRoot = nlohmann::json::parse(lIn);
  } catch (const nlohmann::json::exception &aError) {
    throw std::runtime_error("accounts file " + aFile.string() + " is not JSON: " + aError.what());
  }
  const nlohmann::json &lList =
      lRoot.is_object() && lRoot.contains("accounts") ? lRoot["accounts"] : lRoot;
  if (!lList.is_array() || lList.empty()) {
    throw std::runtime_error("accounts file " + aFile.string() + " holds no accounts");
  }
  int lNumber = 0;
  for (const nlohmann::json &lItem : lList) {
    ++lNumber;
    if (!lItem.is_object()) {
      throw std::runtime_error("accounts file: entry " + std::to_string(lNumber) +
                               " is not an object");
    }
    auto lAccount = std::make_unique<TAccount>();
    lAccount->fName = lItem.value("name", "account " + std::to_string(lNumber));
    lAccount->fApiKey = lItem.value("apiKey", "");
    lAccount->fSecretKey = lItem.value("secretKey", "");
    lAccount->fCanTrade = lItem.value("canTrade", true);
    if (lItem.contains("balances")) {
      const nlohmann::json &lBalances = lItem["balances"];
      if (lBalances.is_object()) {
        for (const auto &[lAsset, lAmount] : lBalances.items()) {
          lAccount->fBalances[lAsset].fFree = ParseAmount(lAmount, lAccount->fName + " " + lAsset);
        }
      } else if (lBalances.is_array()) {
        for (const nlohmann::json &lEntry : lBalances) {
          const std::string lAsset = lEntry.value("asset", "");
          if (lAsset.empty() || !lEntry.contains("free")) {
            throw std::runtime_error(lAccount->fName + ": balance needs asset and free");
          }
          lAccount->fBalances[lAsset].fFree =
              ParseAmount(lEntry["free"], lAccount->fName + " " + lAsset);
        }
      } else {
        throw std::runtime_error(lAccount->fName + ": balances must be an object or an array");
      }
    }
    FillZeroBalances(*lAccount, aAssets);
    Add(std::move(lAccount));
  }
}

void TAccountStore::AddDemo(const std::filesystem::path &aStateDir,
                            const std::vector<std::string> &aAssets)
{
  const std::filesystem::path lFile = aStateDir / "demo-account.json";
  std::string lApiKey;
  std::string lSecretKey;
  if (std::filesystem::exists(lFile)) {
    try {
      std::ifstream lIn(lFile);
      const nlohmann::json lRoot = nlohmann::json::parse(lIn);
      lApiKey = lRoot.value("apiKey", "");
      lSecretKey = lRoot.value("secretKey", "");
    } catch (const nlohmann::json::exception &) {
      lApiKey.clear();
    }
  }
  if (!IsWellFormedKey(lApiKey) || !IsWellFormedKey(lSecretKey)) {
    lApiKey = GenerateKey();
    lSecretKey = GenerateKey();
    const nlohmann::ordered_json lRoot = {{"apiKey", lApiKey}, {"secretKey", lSecretKey}};
    WriteFileAtomically(lFile, lRoot.dump(2) + "\n", 0600);
  }
  auto lAccount = std::make_unique<TAccount>();
  lAccount->fName = "demo";
  lAccount->fApiKey = lApiKey;
  lAccount->fSecretKey = lSecretKey;
  for (const auto &[lAsset, lAmount] : cDemoBalances) {
    ParseDecimal(lAmount, lAccount->fBalances[lAsset].fFree);
  }
  FillZeroBalances(*lAccount, aAssets);
  Add(std::move(lAccount));
}

TAccount *TAccountStore::Find(std::string_view aApiKey) const
{
  const auto lIt = fByKey.find(std::string(aApiKey));
  return lIt == fByKey.end() ? nullptr : lIt->second;
}

} // namespace vexa::sim
