// The account check against vexa-exchange: the start-up check that waits for the server time
// while serving the GUI thread, a refused secret, and CheckLoaded filling an account's data
// one request per call.

#include "test_orders_env.h"

namespace {

const TBalance *FindBalance(const TConnectionItem &aAccount, const QString &aAsset)
{
  for (int i = 0; i < aAccount.BalanceList.Count(); ++i)
    if (aAccount.BalanceList.Items(i).Asset == aAsset)
      return &aAccount.BalanceList.Items(i);
  return nullptr;
}

class AccountExchange : public OrdersExchangeTest
{
protected:
  void SetUp() override { StartExchange(false); }
};

} // namespace

// As at start: the server-time request and the waited-for check are started back to back; the
// check waits for the time, whose answer is applied on this (GUI) thread while it waits.
TEST_F(AccountExchange, StartupCheckWaitsForServerTimeAndLoadsBalances)
{
  SysTime = std::make_unique<TSysTime>();
  User->Time();
  EXPECT_EQ(Main()->AccountEx(nullptr, false), uaAuth) << GetLastServerError().toStdString();
  EXPECT_NE(SysTime->Time(), 0.0);

  const TBalance *lUsdt = FindBalance(*Main(), QStringLiteral("USDT"));
  ASSERT_NE(lUsdt, nullptr);
  EXPECT_DOUBLE_EQ(lUsdt->Free_, 10000.0);
  const TBalance *lBtc = FindBalance(*Main(), QStringLiteral("BTC"));
  ASSERT_NE(lBtc, nullptr);
  EXPECT_DOUBLE_EQ(lBtc->Free_, 0.5);
  EXPECT_TRUE(PumpUntil([this] { return fEvents.Count(BASE_MAIN_BALANCES) == 1; }));
  EXPECT_TRUE(BoxTexts().isEmpty());
}

TEST_F(AccountExchange, HiddenZeroBalancesAreNotListed)
{
  User->Input()->SetNoZeroBalance(true);
  ASSERT_EQ(Main()->AccountEx(nullptr, false), uaAuth);
  // The exchange lists every asset it trades; the demo account holds four of them.
  EXPECT_EQ(Main()->BalanceList.Count(), 4) << Main()->BalanceList.AsString().toStdString();
}

TEST_F(AccountExchange, WrongSecretGivesUnauthAndKeepsBalances)
{
  TBalance &lOld = Main()->BalanceList.Add();
  lOld.Asset = QStringLiteral("OLD");
  Main()->SecretKey += QStringLiteral("x");
  SetLastServerError(QString());

  EXPECT_EQ(Main()->AccountEx(nullptr, false), uaUnauth);
  ASSERT_EQ(Main()->BalanceList.Count(), 1);
  EXPECT_EQ(Main()->BalanceList.Items(0).Asset, "OLD");
  EXPECT_TRUE(GetLastServerError().contains(QStringLiteral("-1022")))
      << GetLastServerError().toStdString();
  PumpFor(200);
  EXPECT_EQ(fEvents.Count(BASE_MAIN_BALANCES), 0);
  EXPECT_TRUE(BoxTexts().isEmpty());
}

// One request per call, open orders first, then the history, then the balances; each list is
// filled from the exchange before the next call.
TEST_F(AccountExchange, CheckLoadedFillsOpenOrdersThenHistoryThenBalances)
{
  User->Input()->SetAuth(uaAuth);
  User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
  TConnectionItem &lMain = *Main();
  const auto lCounts = [this] {
    return std::array<int, 3>{CountReceived("GET", "/api/v3/openOrders"),
                              CountReceived("GET", "/api/v3/allOrders"),
                              CountReceived("GET", "/api/v3/account")};
  };

  EXPECT_FALSE(lMain.CheckLoaded());
  ASSERT_TRUE(PumpUntil([&] { return lMain.UserOrderList.Loaded; }));
  EXPECT_EQ(lCounts(), (std::array<int, 3>{1, 0, 0}));
  EXPECT_FALSE(lMain.UserOrderHistory.Loaded);

  EXPECT_FALSE(lMain.CheckLoaded());
  ASSERT_TRUE(PumpUntil([&] { return lMain.UserOrderHistory.Loaded; }));
  EXPECT_EQ(lCounts(), (std::array<int, 3>{1, 1, 0}));
  EXPECT_TRUE(lMain.BalanceList.IsEmpty());

  EXPECT_FALSE(lMain.CheckLoaded());
  ASSERT_TRUE(PumpUntil([&] { return !lMain.BalanceList.IsEmpty(); }));
  EXPECT_EQ(lCounts(), (std::array<int, 3>{1, 1, 1}));

  EXPECT_TRUE(lMain.CheckLoaded());
  PumpFor(300);
  EXPECT_EQ(lCounts(), (std::array<int, 3>{1, 1, 1}));
}

// Every clock update asks for the data still missing. An account that holds nothing, and one
// whose keys the exchange refuses, must each be asked once, not once a second for ever.
TEST_F(AccountExchange, CheckLoadedAsksAnEmptyAccountAndRefusedKeysOnce)
{
  User->Input()->SetAuth(uaAuth);
  User->Input()->SetNoZeroBalance(true);
  ASSERT_EQ(Main()->AccountEx(nullptr, false), uaAuth);
  for (int i = 0; i < Main()->BalanceList.Count(); ++i)
    fExchange->admin("/admin/balance", R"({"asset":")" +
                                           Main()->BalanceList.Items(i).Asset.toStdString() +
                                           R"(","free":"0"})");
  Main()->ResetAccountData();
  AddAccount({"UnknownKey0009", "UnknownSecret0009"}, 1.0);
  const size_t lFrom = Received().size();
  for (int i = 0; i < 6; ++i) {
    Main()->CheckLoaded();
    Connection(0).CheckLoaded();
    PumpFor(300);
  }
  PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; });
  EXPECT_EQ(CountReceived("GET", "/api/v3/account", lFrom), 2);
  EXPECT_TRUE(Main()->BalanceList.IsEmpty());
  EXPECT_TRUE(Main()->CheckLoaded());
  EXPECT_TRUE(Connection(0).CheckLoaded());
}
