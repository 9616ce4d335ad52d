// The account check and the order lists: the verdict, what reaches the account's lists, and
// what a refused or malformed answer leaves in place.

#include "account_threads.h"
#include "events.h"
#include "log_capture.h"
#include "sys_time.h"
#include "test_order_env.h"
#include "user_input_data.h"

#include <QElapsedTimer>

namespace {

const char *cAccountAnswer = R"({"makerCommission":10,"canTrade":true,"balances":[)"
                             R"({"asset":"BTC","free":"0.00000000","locked":"0.50000000"},)"
                             R"({"asset":"ETH","free":"0.00000000","locked":"0.00000000"},)"
                             R"({"asset":"USDT","free":"1000.25000000","locked":"0.00000000"}]})";

// Two orders with every key the list reads; the first id is past 2^32.
const char *cOrdersAnswer =
    R"([{"symbol":"BTCUSDT","orderId":5000000001,"orderListId":-1,"clientOrderId":"a1",)"
    R"("price":"42000.50000000","origQty":"0.01000000","executedQty":"0.00500000",)"
    R"("cummulativeQuoteQty":"0","status":"PARTIALLY_FILLED","timeInForce":"GTC",)"
    R"("type":"LIMIT","side":"BUY","stopPrice":"0.00000000","icebergQty":"0.00000000",)"
    R"("time":1772355600123,"updateTime":1772355600123,"isWorking":true},)"
    R"({"symbol":"BTCUSDT","orderId":12,"clientOrderId":"a2","price":"40000.00000000",)"
    R"("origQty":"1.00000000","executedQty":"0.00000000","status":"NEW","timeInForce":"GTC",)"
    R"("type":"STOP_LOSS_LIMIT","side":"SELL","stopPrice":"40100.00000000",)"
    R"("icebergQty":"0.00000000","time":1772355601000,"isWorking":false}])";

void AddBalance(TConnectionItem &aAccount, const QString &aAsset, double aFree)
{
  TBalance &lBalance = aAccount.BalanceList.Add();
  lBalance.Asset = aAsset;
  lBalance.Free_ = aFree;
}

} // namespace

using AccountThread = OrderEnvTest;

TEST_F(AccountThread, AcceptedKeysListBalancesAndNotify)
{
  User->Input()->SetNoZeroBalance(true);
  TFed<TAccountThread> lThread;
  lThread.Answer = QString::fromLatin1(cAccountAnswer);
  lThread.Run();

  EXPECT_EQ(lThread.Auth(), uaAuth);
  EXPECT_EQ(lThread.SentResource(), "GET api/v3/account");
  EXPECT_EQ(lThread.SentRequest(), "timestamp=" + Stamp() + "&recvWindow=60000");
  EXPECT_EQ(lThread.SignedBy(), "main-api");
  // Locked only still counts; nothing at all is hidden.
  const TBalanceList &lList = Main()->BalanceList;
  ASSERT_EQ(lList.Count(), 2);
  EXPECT_EQ(lList.Items(0).Asset, "BTC");
  EXPECT_DOUBLE_EQ(lList.Items(0).Free_, 0.0);
  EXPECT_DOUBLE_EQ(lList.Items(0).Locked, 0.5);
  EXPECT_EQ(lList.Items(1).Asset, "USDT");
  EXPECT_DOUBLE_EQ(lList.Items(1).Free_, 1000.25);
  EXPECT_TRUE(PumpUntil([this] { return fEnv.Recorder.Count(BASE_MAIN_BALANCES) == 1; }));
}

TEST_F(AccountThread, ZeroBalancesListedUnlessHidden)
{
  TFed<TAccountThread> lThread(&Connection(0));
  lThread.Answer = QString::fromLatin1(cAccountAnswer);
  lThread.Run();
  EXPECT_EQ(lThread.SignedBy(), "second-api");
  EXPECT_EQ(Connection(0).BalanceList.Count(), 3);
  EXPECT_TRUE(Main()->BalanceList.IsEmpty());
}

// A rejected key is an HTTP error: the transport hands back an empty answer.
TEST_F(AccountThread, RejectedKeysGiveUnauthAndKeepBalances)
{
  TLogCapture lLog;
  AddBalance(*Main(), QStringLiteral("BNB"), 3);
  TFed<TAccountThread> lThread;
  lThread.Run();
  EXPECT_EQ(lThread.Auth(), uaUnauth);
  ASSERT_EQ(Main()->BalanceList.Count(), 1);
  EXPECT_EQ(Main()->BalanceList.Items(0).Asset, "BNB");
  PumpFor(200);
  EXPECT_EQ(fEnv.Recorder.Count(BASE_MAIN_BALANCES), 0);
  EXPECT_EQ(lLog.Matching("TUser.Account ParseResponse error: empty string").size(), 1u);
}

TEST_F(AccountThread, AnswerWithoutBalancesLeavesVerdictUndefined)
{
  TLogCapture lLog;
  AddBalance(*Main(), QStringLiteral("BNB"), 3);
  TFed<TAccountThread> lThread;
  lThread.Answer = QStringLiteral(R"({"canTrade":true})");
  lThread.Run();
  EXPECT_EQ(lThread.Auth(), uaUndefined);
  EXPECT_EQ(Main()->BalanceList.Count(), 1);
  EXPECT_EQ(
      lLog.Matching("TBaseThread.Execute error: TUser.Account: lBalanceNode not assigned").size(),
      1u);
}

TEST_F(AccountThread, NotWorkingSendsNothing)
{
  Workflow->SetState(wfsPaused);
  TFed<TAccountThread> lThread;
  lThread.Answer = QString::fromLatin1(cAccountAnswer);
  lThread.Run();
  EXPECT_EQ(lThread.Auth(), uaUnauth);
  EXPECT_EQ(lThread.Sends(), 0);
  EXPECT_TRUE(Main()->BalanceList.IsEmpty());
}

// Shut-down asks the threads to terminate: a late account answer then writes nothing.
TEST_F(AccountThread, TerminatedThreadWritesNothing)
{
  TFed<TAccountThread> lThread;
  lThread.Answer = QString::fromLatin1(cAccountAnswer);
  lThread.Terminate();
  lThread.Run();
  EXPECT_TRUE(Main()->BalanceList.IsEmpty());
}

// The start-up check runs before the clock: without a server time it must give up rather
// than hold the start for ever, and leave the keys undetermined, not refused.
TEST_F(AccountThread, WaitedCheckGivesUpWithoutServerTime)
{
  TLogCapture lLog;
  SysTime = std::make_unique<TSysTime>();
  TFed<TAccountThread> lThread;
  lThread.Answer = QString::fromLatin1(cAccountAnswer);
  lThread.SetTimeWaitLimit(300);
  QElapsedTimer lTimer;
  lTimer.start();
  lThread.Run();
  EXPECT_LT(lTimer.elapsed(), 5000);
  EXPECT_EQ(lThread.Auth(), uaUndefined);
  EXPECT_EQ(lThread.Sends(), 0);
  EXPECT_EQ(lLog.Matching(cAccountNoServerTime).size(), 1u);
}

// A signed request started before the first server time waits for it and then carries it.
TEST_F(AccountThread, WaitsForTheServerTimeThenCarriesIt)
{
  SysTime = std::make_unique<TSysTime>();
  TFed<TAccountThread> lThread;
  lThread.Answer = QString::fromLatin1(cAccountAnswer);
  lThread.Start();
  // Ticks of a clock that has never been set must not pass for a server time.
  for (int i = 0; i < 3; ++i)
    SysTime->DoActionTimerTick();
  PumpFor(150);
  EXPECT_EQ(lThread.Sends(), 0);
  EXPECT_FALSE(SysTime->HasTime());
  SysTime->SetTime(TestServerTime());
  lThread.WaitFor();
  EXPECT_EQ(lThread.SentRequest(), "timestamp=" + Stamp() + "&recvWindow=60000");
  EXPECT_EQ(lThread.Auth(), uaAuth);
}

TEST_F(AccountThread, AccountExGatedByWorkflow)
{
  Workflow->SetState(wfsPaused);
  EXPECT_EQ(Main()->AccountEx(nullptr, false), uaUndefined);
  EXPECT_EQ(Main()->AccountEx(nullptr, true), uaUndefined);
  EXPECT_EQ(TWorkerThread::LiveCount(), fLiveBefore);
}

using OrdersListThread = OrderEnvTest;

TEST_F(OrdersListThread, OpenOrdersFillTheListWithEveryKey)
{
  int lBubbles = 0;
  SetRefreshOrdersBubbles([&lBubbles] { ++lBubbles; });
  User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
  TFed<TOpenOrdersThread> lThread(&Connection(0));
  lThread.Answer = QString::fromLatin1(cOrdersAnswer);
  lThread.Run();
  SetRefreshOrdersBubbles({});

  EXPECT_EQ(lThread.SentResource(), "GET api/v3/openOrders");
  EXPECT_EQ(lThread.SentRequest(), "timestamp=" + Stamp() + "&recvWindow=60000&symbol=BTCUSDT");
  const TUserOrderList &lList = Connection(0).UserOrderList;
  EXPECT_TRUE(lList.Loaded);
  ASSERT_EQ(lList.Count(), 2);
  const TUserOrder &lFirst = lList.Items(0);
  EXPECT_EQ(lFirst.Symbol, "BTCUSDT");
  EXPECT_EQ(lFirst.OrderID, 5000000001LL);
  EXPECT_EQ(lFirst.ClientOrderID, "a1");
  EXPECT_DOUBLE_EQ(lFirst.Price, 42000.5);
  EXPECT_DOUBLE_EQ(lFirst.OrigQuantity, 0.01);
  EXPECT_DOUBLE_EQ(lFirst.ExecQuantity, 0.005);
  EXPECT_EQ(lFirst.Status, "PARTIALLY_FILLED");
  EXPECT_EQ(lFirst.TimeInForce, "GTC");
  EXPECT_EQ(lFirst.OrderType, "LIMIT");
  EXPECT_EQ(lFirst.Side, "BUY");
  EXPECT_EQ(lFirst.Time, 1772355600123LL);
  EXPECT_TRUE(lFirst.IsWorking);
  const TUserOrder &lSecond = lList.Items(1);
  EXPECT_EQ(lSecond.OrderType, "STOP_LOSS_LIMIT");
  EXPECT_DOUBLE_EQ(lSecond.StopPrice, 40100.0);
  EXPECT_FALSE(lSecond.IsWorking);
  EXPECT_FALSE(Connection(0).UserOrderHistory.Loaded);
  EXPECT_EQ(lBubbles, 1);
  EXPECT_TRUE(PumpUntil([this] { return fEnv.Recorder.Count(BASE_MAIN_USERORDERS) == 1; }));
}

// The exchange refuses the history without a symbol: none is asked for until one is selected.
TEST_F(OrdersListThread, HistoryIsAskedOnlyForASelectedSymbol)
{
  User->AllOrdersEx(nullptr);
  EXPECT_EQ(TWorkerThread::LiveCount(), fLiveBefore);
  TFed<TAllOrdersThread> lUnselected;
  lUnselected.Answer = QString::fromLatin1(cOrdersAnswer);
  lUnselected.Run();
  EXPECT_EQ(lUnselected.Sends(), 0);
  EXPECT_FALSE(Main()->UserOrderHistory.Loaded);

  User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
  TFed<TAllOrdersThread> lThread;
  lThread.Answer = QString::fromLatin1(cOrdersAnswer);
  lThread.Run();
  EXPECT_EQ(lThread.SentResource(), "GET api/v3/allOrders");
  EXPECT_EQ(lThread.SentRequest(), "timestamp=" + Stamp() + "&recvWindow=60000&symbol=BTCUSDT");
  EXPECT_TRUE(Main()->UserOrderHistory.Loaded);
  EXPECT_EQ(Main()->UserOrderHistory.Count(), 2);
  EXPECT_FALSE(Main()->UserOrderList.Loaded);
  EXPECT_TRUE(PumpUntil([this] { return fEnv.Recorder.Count(BASE_MAIN_USERORDERSHISTORY) == 1; }));
}

// Refused: the list keeps what it had, and the views are still told.
TEST_F(OrdersListThread, RefusedAnswerKeepsTheListButNotifies)
{
  TUserOrderList &lList = Main()->UserOrderList;
  lList.Add().Symbol = QStringLiteral("KEEP");
  TFed<TOpenOrdersThread> lThread;
  lThread.Run();
  ASSERT_EQ(lList.Count(), 1);
  EXPECT_EQ(lList.Items(0).Symbol, "KEEP");
  EXPECT_FALSE(lList.Loaded);
  EXPECT_TRUE(PumpUntil([this] { return fEnv.Recorder.Count(BASE_MAIN_USERORDERS) == 1; }));
}

// A body that parses but is no order array (an error object, a garbled answer) is not taken
// for an empty list.
TEST_F(OrdersListThread, DocumentThatIsNoArrayKeepsTheList)
{
  TLogCapture lLog;
  TUserOrderList &lList = Main()->UserOrderList;
  lList.Add().Symbol = QStringLiteral("KEEP");
  lList.Loaded = true;
  TFed<TOpenOrdersThread> lThread;
  lThread.Answer = QStringLiteral(R"({"code":-1000,"msg":"An unknown error occurred."})");
  lThread.Run();
  ASSERT_EQ(lList.Count(), 1);
  EXPECT_EQ(lList.Items(0).Symbol, "KEEP");
  EXPECT_EQ(
      lLog.Matching("TBaseThread.Execute error: TUser.TickerPrice: lRootNode not assigned").size(),
      1u);
}

TEST_F(OrdersListThread, ElementsThatAreNoObjectsAreSkipped)
{
  User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
  TFed<TAllOrdersThread> lThread;
  lThread.Answer = QStringLiteral(R"([1,"x",{"symbol":"BTCUSDT","orderId":"77","time":"5"}])");
  lThread.Run();
  const TUserOrderList &lList = Main()->UserOrderHistory;
  ASSERT_EQ(lList.Count(), 1);
  EXPECT_EQ(lList.Items(0).OrderID, 77);
  EXPECT_EQ(lList.Items(0).Time, 5);
}
