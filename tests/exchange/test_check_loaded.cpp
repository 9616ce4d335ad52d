// CheckLoaded fills an account's data one request per call: open orders, history, balances.

#include "account_threads.h"
#include "log_capture.h"
#include "test_order_env.h"
#include "thread_list.h"
#include "user_input_data.h"

namespace {

struct TStepCase
{
  const char *Name;
  bool OpenLoaded;
  bool HistoryLoaded;
  bool HasBalances;
  bool Authorised;
  bool SymbolSelected;
  TCheckLoadedStep Expected;
  bool BalancesAnswered = false;
  bool Refused = false;
};

} // namespace

TEST(CheckLoadedStep, OrderOfRequests)
{
  const TStepCase lCases[] = {
      {"nothing loaded: open orders first", false, false, false, true, true, clsOpenOrders},
      {"open orders even with balances", false, true, true, true, true, clsOpenOrders},
      {"then the history", true, false, false, true, true, clsHistory},
      {"history even with balances", true, false, true, true, true, clsHistory},
      {"lists loaded, no balances: one account request", true, true, false, true, true, clsAccount},
      {"all there: complete", true, true, true, true, true, clsComplete},
      {"no symbol: never orders, straight to balances", false, false, false, true, false,
       clsAccount},
      {"no symbol, balances there: complete", false, false, true, true, false, clsComplete},
      {"not authorised: nothing to fetch", false, false, false, false, true, clsNothing},
      {"not authorised with balances: complete", false, false, true, false, true, clsComplete},
      // A new account, or one whose balances are all zero and hidden, answers with none.
      {"balances answered empty: complete", true, true, false, true, true, clsComplete, true},
      {"keys refused: nothing at all", false, false, false, true, true, clsNothing, false, true},
  };
  for (const TStepCase &lCase : lCases) {
    TConnectionItem lAccount;
    lAccount.UserOrderList.Loaded = lCase.OpenLoaded;
    lAccount.UserOrderHistory.Loaded = lCase.HistoryLoaded;
    if (lCase.HasBalances)
      lAccount.BalanceList.Add().Asset = QStringLiteral("BTC");
    lAccount.BalanceList.Loaded = lCase.BalancesAnswered;
    if (lCase.Refused)
      lAccount.SetKeysRefused(lAccount.ApiKey, lAccount.SecretKey);
    EXPECT_EQ(CheckLoadedStep(lAccount, lCase.Authorised, lCase.SymbolSelected), lCase.Expected)
        << lCase.Name;
  }
}

// The real call starts exactly the one request its step names, free-running, and answers
// whether the data is complete. Without a server time the request waits, so it can be counted.
class CheckLoaded : public OrderEnvTest
{
protected:
  void SetUp() override
  {
    OrderEnvTest::SetUp();
    SysTime = std::make_unique<TSysTime>();
  }
  void TearDown() override
  {
    // Let the waiting requests go: they fail at once against the closed port.
    SysTime->SetTime(TestServerTime());
    OrderEnvTest::TearDown();
  }
  int Started() const { return TWorkerThread::LiveCount() - fLiveBefore; }
  TLogCapture fLog;
};

TEST_F(CheckLoaded, StartsOneRequestPerCallUntilComplete)
{
  User->Input()->SetAuth(uaAuth);
  User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
  TConnectionItem &lAccount = Connection(0);

  EXPECT_FALSE(lAccount.CheckLoaded());
  EXPECT_EQ(Started(), 1);
  lAccount.UserOrderList.Loaded = true;
  EXPECT_FALSE(lAccount.CheckLoaded());
  EXPECT_EQ(Started(), 2);
  lAccount.UserOrderHistory.Loaded = true;
  EXPECT_FALSE(lAccount.CheckLoaded());
  EXPECT_EQ(Started(), 3);
  lAccount.BalanceList.Add().Asset = QStringLiteral("BTC");
  EXPECT_TRUE(lAccount.CheckLoaded());
  EXPECT_EQ(Started(), 3);
}

// Called every second, CheckLoaded must not pile requests onto one still outstanding; a
// refresh asked meanwhile (after an order) follows once it has ended.
TEST_F(CheckLoaded, WaitsForTheOutstandingRequestAndARefreshFollowsIt)
{
  User->Input()->SetAuth(uaAuth);
  TConnectionItem &lAccount = Connection(0);
  for (int i = 0; i < 5; ++i)
    EXPECT_FALSE(lAccount.CheckLoaded());
  EXPECT_EQ(Started(), 1);
  EXPECT_TRUE(lAccount.Pending(adBalances));
  lAccount.AccountEx(&lAccount, true);
  lAccount.AccountEx(&lAccount, true);
  EXPECT_EQ(Started(), 1);
  // The waiting request fails against the closed port; exactly one follow-up goes out.
  SysTime->SetTime(TestServerTime());
  EXPECT_TRUE(PumpUntil([&] { return !lAccount.Pending(adBalances) && Started() == 0; }));
  EXPECT_EQ(fLog.Matching("TUser.Account ParseResponse error: empty string").size(), 2u);
}

// Keys the exchange refused are not asked for again until they change.
TEST_F(CheckLoaded, RefusedKeysAreNotAskedAgainUntilTheyChange)
{
  User->Input()->SetAuth(uaAuth);
  SysTime->SetTime(TestServerTime());
  TConnectionItem &lAccount = Connection(0);
  TFed<TAccountThread> lThread(&lAccount);
  lThread.Refusal = {401,
                     R"({"code":-2015,"msg":"Invalid API-key, IP, or permissions for action."})"};
  lThread.Run();
  EXPECT_EQ(lThread.Auth(), uaUnauth);
  EXPECT_TRUE(lAccount.CheckLoaded());
  EXPECT_EQ(Started(), 0);
  lAccount.SecretKey += QStringLiteral("2");
  EXPECT_FALSE(lAccount.CheckLoaded());
  EXPECT_EQ(Started(), 1);
}

TEST(KeyRefusal, OnlyRefusedKeysCount)
{
  EXPECT_TRUE(IsKeyRefusal({401, QString()}));
  EXPECT_TRUE(IsKeyRefusal({400, R"({"code":-2014,"msg":"API-key format invalid."})"}));
  EXPECT_TRUE(IsKeyRefusal({403, R"({"code":-2015,"msg":"x"})"}));
  EXPECT_FALSE(
      IsKeyRefusal({400, R"({"code":-1022,"msg":"Signature for this request is not valid."})"}));
  EXPECT_FALSE(IsKeyRefusal({429, R"({"code":-1003,"msg":"Too many requests"})"}));
  EXPECT_FALSE(IsKeyRefusal({}));
}

TEST_F(CheckLoaded, NotAuthorisedStartsNothing)
{
  User->Input()->SetAuth(uaUnauth);
  User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
  EXPECT_TRUE(Main()->CheckLoaded());
  EXPECT_EQ(Started(), 0);
}

TEST_F(CheckLoaded, NothingStartedUnlessWorking)
{
  User->Input()->SetAuth(uaAuth);
  Workflow->SetState(wfsPaused);
  EXPECT_FALSE(Main()->CheckLoaded());
  EXPECT_EQ(Started(), 0);
}
