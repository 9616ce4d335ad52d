// CheckLoaded fills an account's data one request per call: open orders, history, balances.

#include "account_threads.h"
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
  };
  for (const TStepCase &lCase : lCases) {
    TConnectionItem lAccount;
    lAccount.UserOrderList.Loaded = lCase.OpenLoaded;
    lAccount.UserOrderHistory.Loaded = lCase.HistoryLoaded;
    if (lCase.HasBalances)
      lAccount.BalanceList.Add().Asset = QStringLiteral("BTC");
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
