#pragma once

#include "decimal.h"
#include "exchange_process.h"
#include "sim_client.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace vexa::sim::test {

using vexa::test::TExchangeProcess;

// A client with the demo account's keys.
inline std::unique_ptr<TSimClient> ClientFor(const TExchangeProcess &aServer)
{
  auto lClient = std::make_unique<TSimClient>(aServer.baseUrl(), aServer.caFile());
  lClient->SetKeys(aServer.apiKey(), aServer.secretKey());
  return lClient;
}

// A decimal string of an answer in units of 1e-8.
inline int64_t UnitsOf(const nlohmann::json &aValue)
{
  int64_t lUnits = -1;
  EXPECT_TRUE(aValue.is_string()) << aValue.dump();
  if (aValue.is_string()) {
    std::string lText = aValue.get<std::string>();
    const bool lNegative = !lText.empty() && lText[0] == '-';
    EXPECT_EQ(ParseDecimal(lNegative ? lText.substr(1) : lText, lUnits), TDecimalParse::Ok)
        << aValue;
    lUnits = lNegative ? -lUnits : lUnits;
  }
  return lUnits;
}

inline int64_t U(const char *aText)
{
  int64_t lUnits = 0;
  ParseDecimal(aText, lUnits);
  return lUnits;
}

// Weight windows are calendar minutes: start a counting test well inside one.
inline void AvoidMinuteEdge(int64_t aServerNowMs)
{
  const int64_t lIntoMinute = aServerNowMs % 60000;
  if (lIntoMinute > 50000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(60000 - lIntoMinute + 200));
  }
}

// Two answers that must fall into the same minute.
inline void AvoidMinuteEnd(int64_t aServerNowMs)
{
  const int64_t lIntoMinute = aServerNowMs % 60000;
  if (lIntoMinute > 57000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(60000 - lIntoMinute + 200));
  }
}

// One server for all tests of a suite (each test runs in its own process under CTest).
template <typename TArgs> class TServerSuite : public ::testing::Test
{
protected:
  static void SetUpTestSuite() { sServer = std::make_unique<TExchangeProcess>(TArgs::Get()); }
  static void TearDownTestSuite() { sServer.reset(); }
  void SetUp() override { fClient = ClientFor(*sServer); }

  TExchangeProcess &Server() { return *sServer; }
  TSimClient &Client() { return *fClient; }

  static inline std::unique_ptr<TExchangeProcess> sServer;
  std::unique_ptr<TSimClient> fClient;
};

struct TDefaultArgs
{
  static std::vector<std::string> Get() { return {"--seed", "7"}; }
};

} // namespace vexa::sim::test
