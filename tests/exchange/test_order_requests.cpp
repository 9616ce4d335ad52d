// Placing and cancelling: the wire text of each order type, the answer's box, the refusal path
// and the cancel's own copy of the order.

#include "events.h"
#include "log_capture.h"
#include "order_threads.h"
#include "test_order_env.h"
#include "user_input_data.h"
#include "user_order.h"

#include <QJsonDocument>

namespace {

QString Lines(const QStringList &aLines)
{
  return aLines.join(QStringLiteral("\r\n"));
}

TOrder MakeOrder(const QString &aSide, const QString &aType, double aQuantity, double aPrice = 0,
                 double aStop = 0)
{
  TOrder lOrder;
  lOrder.fSymbol = QStringLiteral("BTCUSDT");
  lOrder.fSide = aSide;
  lOrder.fType = aType;
  lOrder.fQuantity = aQuantity;
  lOrder.fPrice = aPrice;
  lOrder.fStopPrice = aStop;
  return lOrder;
}

const char *cLimitAnswer =
    R"({"symbol":"BTCUSDT","orderId":5000000001,"orderListId":-1,"clientOrderId":"x1",)"
    R"("transactTime":1772355600000,"price":"42000.50000000","origQty":"0.01000000",)"
    R"("executedQty":"0.00000000","status":"NEW","timeInForce":"GTC","type":"LIMIT",)"
    R"("side":"BUY"})";

} // namespace

TEST(OrderPostParams, MarketBuySendsNoPriceNoTimeInForceNoStop)
{
  EXPECT_EQ(OrderPostParams(MakeOrder("BUY", "MARKET", 0.01, 41000), "1772355600000"),
            Lines({"symbol=BTCUSDT", "side=BUY", "type=MARKET", "quantity=0.01",
                   "timestamp=1772355600000", "recvWindow=60000", "newOrderRespType=RESULT"}));
}

TEST(OrderPostParams, LimitAddsPriceBeforeQuantityAndTimeInForceAfterRecvWindow)
{
  EXPECT_EQ(OrderPostParams(MakeOrder("SELL", "LIMIT", 1.5, 42000.5), "1772355600000"),
            Lines({"symbol=BTCUSDT", "side=SELL", "type=LIMIT", "price=42000.5", "quantity=1.5",
                   "timestamp=1772355600000", "recvWindow=60000", "timeInForce=GTC",
                   "newOrderRespType=RESULT"}));
}

// The order dialog's "Buy Stop" with price 100, stop 95 and quantity 1.
TEST(OrderPostParams, StopLimitSendsStopPriceAfterTimeInForce)
{
  EXPECT_EQ(OrderPostParams(MakeOrder("BUY", "STOP_LOSS_LIMIT", 1, 100, 95), "1772355600000"),
            Lines({"symbol=BTCUSDT", "side=BUY", "type=STOP_LOSS_LIMIT", "price=100", "quantity=1",
                   "timestamp=1772355600000", "recvWindow=60000", "timeInForce=GTC", "stopPrice=95",
                   "newOrderRespType=RESULT"}));
}

// A coin priced below 0.00001 must not go out in exponent notation: the exchange refuses it.
TEST(OrderPostParams, TinyPriceGoesAsPlainDecimal)
{
  const QString lParams =
      OrderPostParams(MakeOrder("BUY", "LIMIT", 1000, 0.00000351), "1772355600000");
  EXPECT_TRUE(lParams.contains(QStringLiteral("\r\nprice=0.00000351\r\n")))
      << lParams.toStdString();
}

// Type names are compared exactly: a lower-case type gets none of the limit lines.
TEST(OrderPostParams, TypeComparedExactly)
{
  const QString lParams = OrderPostParams(MakeOrder("BUY", "limit", 1, 5), "1");
  EXPECT_FALSE(lParams.contains(QStringLiteral("price=")));
  EXPECT_FALSE(lParams.contains(QStringLiteral("timeInForce")));
}

TEST(OrderDeleteQuery, CarriesTheWholeOrderIdBeyond32Bits)
{
  EXPECT_EQ(OrderDeleteQuery("BTCUSDT", 5000000001LL, "1772355600000"),
            "symbol=BTCUSDT&orderId=5000000001&timestamp=1772355600000&recvWindow=60000");
}

TEST(OrderCreatedText, FiguresOfTheAnswerSeparatedByBlanks)
{
  const QJsonObject lAnswer = QJsonDocument::fromJson(cLimitAnswer).object();
  EXPECT_EQ(OrderCreatedText(lAnswer), "BTCUSDT BUY LIMIT 42000.5 0.01");
}

using OrderPostThread = OrderEnvTest;

TEST_F(OrderPostThread, MainAccountAnswerShowsBoxAndNotifiesBalances)
{
  TFed<TOrderPostThread> lThread(MakeOrder("BUY", "LIMIT", 0.01, 42000.5), nullptr, false);
  lThread.Answer = QString::fromLatin1(cLimitAnswer);
  lThread.Run();

  EXPECT_EQ(lThread.SentResource(), "POST api/v3/order");
  EXPECT_EQ(lThread.SignedBy(), "main-api");
  EXPECT_EQ(lThread.SentRequest(),
            Lines({"symbol=BTCUSDT", "side=BUY", "type=LIMIT", "price=42000.5", "quantity=0.01",
                   "timestamp=" + Stamp(), "recvWindow=60000", "timeInForce=GTC",
                   "newOrderRespType=RESULT"}));
  const auto lShown = fBoxes.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 1u);
  EXPECT_EQ(lShown[0].Text, "Создан ордер BTCUSDT BUY LIMIT 42000.5 0.01");
  EXPECT_EQ(lShown[0].Type, mtInfo);
  EXPECT_TRUE(lShown[0].OnGuiThread);
  EXPECT_TRUE(PumpUntil([this] { return fEnv.Recorder.Count(BASE_MAIN_BALANCES) >= 1; }));
}

TEST_F(OrderPostThread, FurtherAccountShowsNoBox)
{
  User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
  TFed<TOrderPostThread> lThread(MakeOrder("BUY", "LIMIT", 0.01, 42000.5), &Connection(0), false);
  lThread.Answer = QString::fromLatin1(cLimitAnswer);
  lThread.Run();

  EXPECT_EQ(lThread.SignedBy(), "second-api");
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
  EXPECT_TRUE(PumpUntil([this] { return fEnv.Recorder.Count(BASE_MAIN_BALANCES) >= 1; }));
  // The account is refreshed all the same (the refresh's lists answer even when refused).
  EXPECT_TRUE(PumpUntil([this] {
    return fEnv.Recorder.Count(BASE_MAIN_USERORDERS) == 1 &&
           fEnv.Recorder.Count(BASE_MAIN_USERORDERSHISTORY) == 1;
  }));
}

// A refused order reaches the thread as an empty answer: logged, nothing else happens.
TEST_F(OrderPostThread, RefusedOrderShowsNothingAndNotifiesNothing)
{
  TLogCapture lLog;
  TFed<TOrderPostThread> lThread(MakeOrder("BUY", "LIMIT", 100, 42000), nullptr, true);
  lThread.Run();

  EXPECT_EQ(lThread.Sends(), 1);
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
  PumpFor(200);
  EXPECT_EQ(fEnv.Recorder.Count(BASE_MAIN_BALANCES), 0);
  EXPECT_EQ(lLog.Matching("TUser.OrderPost ParseResponse error: empty string").size(), 1u);
}

TEST_F(OrderPostThread, TransportErrorTextGoesToABoxAndTheLog)
{
  TLogCapture lLog;
  TFed<TOrderPostThread> lThread(MakeOrder("SELL", "MARKET", 1), nullptr, false);
  lThread.TransportError = QStringLiteral("out of memory");
  lThread.Run();

  const auto lShown = fBoxes.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 1u);
  EXPECT_EQ(lShown[0].Text, "out of memory");
  EXPECT_EQ(lShown[0].Type, mtAlert);
  EXPECT_EQ(lLog.Matching("TUser.OrderPost command error: out of memory").size(), 1u);
}

// With the workflow closing the order is not sent at all.
TEST_F(OrderPostThread, NothingSentUnlessWorking)
{
  Workflow->SetState(wfsPaused);
  TFed<TOrderPostThread> lThread(MakeOrder("BUY", "MARKET", 1), nullptr, false);
  lThread.Run();
  EXPECT_EQ(lThread.Sends(), 0);
}

TEST_F(OrderPostThread, AnswerThatIsNoObjectIsNotShown)
{
  TLogCapture lLog;
  TFed<TOrderPostThread> lThread(MakeOrder("BUY", "MARKET", 1), nullptr, false);
  lThread.Answer = QStringLiteral("[1,2]");
  lThread.Run();
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
  EXPECT_EQ(
      lLog.Matching("TBaseThread.Execute error: TUser.OrderPost: lRootNode not assigned").size(),
      1u);
}

// An account removed while its order runs is not written to (nor shown) when the answer comes.
TEST_F(OrderPostThread, RemovedAccountIsLeftAlone)
{
  TFed<TOrderPostThread> lThread(MakeOrder("BUY", "LIMIT", 0.01, 42000.5), &Connection(1), false);
  lThread.Answer = QString::fromLatin1(cLimitAnswer);
  Profile->Connections().Delete(1);
  lThread.Run();
  EXPECT_EQ(lThread.SignedBy(), "third-api");
  EXPECT_TRUE(PumpUntil([this] { return fEnv.Recorder.Count(BASE_MAIN_BALANCES) == 1; }));
  PumpFor(300);
  EXPECT_EQ(fEnv.Recorder.Count(BASE_MAIN_USERORDERS), 0);
  EXPECT_EQ(fEnv.Recorder.Count(BASE_MAIN_USERORDERSHISTORY), 0);
}

using OrderDeleteThread = OrderEnvTest;

TEST_F(OrderDeleteThread, KeepsItsOwnCopyOfTheOrder)
{
  TUserOrderList lList;
  TUserOrder &lOrder = lList.Add();
  lOrder.Symbol = QStringLiteral("ETHBTC");
  lOrder.OrderID = 5000000001LL;
  lOrder.OrderType = QStringLiteral("LIMIT");
  lOrder.Side = QStringLiteral("SELL");
  lOrder.Time = 1772355600000LL;

  TFed<TOrderDeleteThread> lThread(lOrder, nullptr, false);
  lList.Clear(); // the account's list is rebuilt while the cancel runs
  lThread.Answer =
      QStringLiteral(R"({"symbol":"ETHBTC","orderId":5000000001,"status":"CANCELED"})");
  lThread.Run();

  EXPECT_EQ(lThread.SentResource(), "DELETE api/v3/order");
  EXPECT_EQ(lThread.SentRequest(),
            "symbol=ETHBTC&orderId=5000000001&timestamp=" + Stamp() + "&recvWindow=60000");
  EXPECT_EQ(lThread.UserOrder().OrderType, "LIMIT");
  EXPECT_EQ(lThread.UserOrder().Side, "SELL");
  EXPECT_EQ(lThread.UserOrder().Time, 1772355600000LL);
  const auto lShown = fBoxes.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 1u);
  EXPECT_EQ(lShown[0].Text, "Ордер удален");
  EXPECT_TRUE(PumpUntil([this] { return fEnv.Recorder.Count(BASE_MAIN_BALANCES) >= 1; }));
}

TEST_F(OrderDeleteThread, RefusedCancelShowsNothing)
{
  TLogCapture lLog;
  TUserOrder lOrder;
  lOrder.Symbol = QStringLiteral("BTCUSDT");
  lOrder.OrderID = 7;
  TFed<TOrderDeleteThread> lThread(lOrder, nullptr, true);
  lThread.Run();
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
  PumpFor(200);
  EXPECT_EQ(fEnv.Recorder.Count(BASE_MAIN_BALANCES), 0);
  EXPECT_EQ(lLog.Matching("TUser.OrderPost ParseResponse error: empty string").size(), 1u);
}
