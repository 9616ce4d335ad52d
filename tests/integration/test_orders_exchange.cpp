// Orders through TUser.OrderPost and OrderDelete against vexa-exchange: limit, market and
// stop-limit orders reach the exchange and the refreshed lists, a cancel removes one, a
// refused order changes nothing, and multi-account orders and cancels fan out by rate.

#include "lot_size.h"
#include "order.h"
#include "test_orders_env.h"
#include "user_order.h"

namespace {

TOrder MakeOrder(const char *aSymbol, const char *aSide, const char *aType, double aQuantity,
                 double aPrice = 0, double aStop = 0)
{
  TOrder lOrder;
  lOrder.fSymbol = QString::fromLatin1(aSymbol);
  lOrder.fSide = QString::fromLatin1(aSide);
  lOrder.fType = QString::fromLatin1(aType);
  lOrder.fQuantity = aQuantity;
  lOrder.fPrice = aPrice;
  lOrder.fStopPrice = aStop;
  return lOrder;
}

const TBalance *FindBalance(const TConnectionItem &aAccount, const char *aAsset)
{
  for (int i = 0; i < aAccount.BalanceList.Count(); ++i)
    if (aAccount.BalanceList.Items(i).Asset == QLatin1String(aAsset))
      return &aAccount.BalanceList.Items(i);
  return nullptr;
}

const TUserOrder *FindOrder(const TUserOrderList &aList, std::int64_t aOrderID)
{
  for (int i = 0; i < aList.Count(); ++i)
    if (aList.Items(i).OrderID == aOrderID)
      return &aList.Items(i);
  return nullptr;
}

// The account's data as the refresh after an order leaves it: all three parts answered.
bool Refreshed(const TConnectionItem &aAccount, int aOpenOrders)
{
  return aAccount.UserOrderList.Loaded && aAccount.UserOrderHistory.Loaded &&
         !aAccount.BalanceList.IsEmpty() && aAccount.UserOrderList.Count() == aOpenOrders;
}

class OrdersExchange : public OrdersExchangeTest
{
protected:
  void SetUp() override
  {
    StartExchange(false);
    SetPrice("BTCUSDT", "60000");
    User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
  }
};

class MultiOrdersExchange : public OrdersExchangeTest
{
protected:
  void SetUp() override
  {
    StartExchange(true);
    SetPrice("ETHUSDT", "3000");
    User->Input()->SetSymbol(QStringLiteral("ETHUSDT"));
  }
};

} // namespace

TEST_F(OrdersExchange, LimitOrderAppearsAndACancelRemovesIt)
{
  User->OrderPost(MakeOrder("BTCUSDT", "BUY", "LIMIT", 0.01, 59000), Main(), false);
  ASSERT_TRUE(PumpUntil([this] { return Refreshed(*Main(), 1); }));

  EXPECT_EQ(BoxTexts(), QStringList{"Создан ордер BTCUSDT BUY LIMIT 59000 0.01"});
  const TUserOrder lOpen = Main()->UserOrderList.Items(0);
  EXPECT_EQ(lOpen.Symbol, "BTCUSDT");
  EXPECT_EQ(lOpen.OrderType, "LIMIT");
  EXPECT_EQ(lOpen.Side, "BUY");
  EXPECT_EQ(lOpen.Status, "NEW");
  EXPECT_DOUBLE_EQ(lOpen.Price, 59000.0);
  EXPECT_DOUBLE_EQ(lOpen.OrigQuantity, 0.01);
  // The busy pairs' ids have long passed 32 bits; the cancel below must carry it whole.
  EXPECT_GT(lOpen.OrderID, std::int64_t{1} << 32);
  EXPECT_NE(FindOrder(Main()->UserOrderHistory, lOpen.OrderID), nullptr);
  const TBalance *lUsdt = FindBalance(*Main(), "USDT");
  ASSERT_NE(lUsdt, nullptr);
  EXPECT_DOUBLE_EQ(lUsdt->Locked, 590.0);
  // Queued for the views: it may arrive after the lists it announces.
  EXPECT_TRUE(PumpUntil([this] { return fEvents.Count(BASE_MAIN_BALANCES) >= 1; }));
  EXPECT_EQ(CountReceived("POST", "/api/v3/order"), 1);

  User->OrderDelete(lOpen, Main(), false);
  ASSERT_TRUE(PumpUntil([&] {
    const TUserOrder *lPast = FindOrder(Main()->UserOrderHistory, lOpen.OrderID);
    return Main()->UserOrderList.IsEmpty() && lPast && lPast->Status == "CANCELED";
  }));
  EXPECT_EQ(BoxTexts().last(), "Ордер удален");
  ASSERT_TRUE(PumpUntil([this] {
    const TBalance *lBalance = FindBalance(*Main(), "USDT");
    return lBalance && lBalance->Locked == 0;
  }));
}

TEST_F(OrdersExchange, MarketOrderFills)
{
  User->OrderPost(MakeOrder("BTCUSDT", "SELL", "MARKET", 0.01), nullptr, false);
  ASSERT_TRUE(
      PumpUntil([this] { return Refreshed(*Main(), 0) && Main()->UserOrderHistory.Count() == 1; }));

  const TUserOrder &lPast = Main()->UserOrderHistory.Items(0);
  EXPECT_EQ(lPast.OrderType, "MARKET");
  EXPECT_EQ(lPast.Side, "SELL");
  EXPECT_EQ(lPast.Status, "FILLED");
  EXPECT_DOUBLE_EQ(lPast.ExecQuantity, 0.01);
  ASSERT_EQ(BoxTexts().size(), 1);
  EXPECT_TRUE(BoxTexts()[0].startsWith("Создан ордер BTCUSDT SELL MARKET "))
      << BoxTexts()[0].toStdString();
  EXPECT_TRUE(BoxTexts()[0].endsWith(" 0.01"));
  const TBalance *lBtc = FindBalance(*Main(), "BTC");
  ASSERT_NE(lBtc, nullptr);
  EXPECT_NEAR(lBtc->Free_, 0.49, 1e-9);
  // A market order carries neither price nor timeInForce.
  const auto lReceived = Received();
  const auto lPost = std::find_if(lReceived.begin(), lReceived.end(),
                                  [](const TReceived &aR) { return aR.Method == "POST"; });
  ASSERT_NE(lPost, lReceived.end());
  EXPECT_FALSE(lPost->Body.contains("price="));
  EXPECT_FALSE(lPost->Body.contains("timeInForce="));
  EXPECT_TRUE(lPost->Body.contains("newOrderRespType=RESULT"));
}

TEST_F(OrdersExchange, StopLimitWaitsForItsStopThenFills)
{
  User->OrderPost(MakeOrder("BTCUSDT", "SELL", "STOP_LOSS_LIMIT", 0.01, 59400, 59500), nullptr,
                  false);
  ASSERT_TRUE(PumpUntil([this] { return Refreshed(*Main(), 1); }));
  const TUserOrder lWaiting = Main()->UserOrderList.Items(0);
  EXPECT_EQ(lWaiting.OrderType, "STOP_LOSS_LIMIT");
  EXPECT_EQ(lWaiting.Status, "NEW");
  EXPECT_FALSE(lWaiting.IsWorking);
  EXPECT_DOUBLE_EQ(lWaiting.StopPrice, 59500.0);
  EXPECT_DOUBLE_EQ(lWaiting.Price, 59400.0);
  EXPECT_EQ(BoxTexts(), QStringList{"Создан ордер BTCUSDT SELL STOP_LOSS_LIMIT 59400 0.01"});

  // A trade at the stop triggers it; its limit lets it fill at once.
  fExchange->admin("/admin/price", R"({"symbol":"BTCUSDT","price":"59450"})");
  User->OpenOrdersEx(nullptr);
  User->AllOrdersEx(nullptr);
  ASSERT_TRUE(PumpUntil([&] {
    const TUserOrder *lPast = FindOrder(Main()->UserOrderHistory, lWaiting.OrderID);
    return Main()->UserOrderList.IsEmpty() && lPast && lPast->Status == "FILLED";
  }));
  EXPECT_TRUE(FindOrder(Main()->UserOrderHistory, lWaiting.OrderID)->IsWorking);
}

// Insufficient balance: the exchange's message is kept, and nothing else happens: no box, no
// refresh, no copies on the further accounts, no notification.
TEST_F(OrdersExchange, RefusedOrderRefreshesNothingAndFansOutNothing)
{
  AddAccount({"NoSuchKey1", "NoSuchSecret1"}, 2.0);
  const size_t lBefore = Received().size();
  SetLastServerError(QString());

  User->OrderPost(MakeOrder("BTCUSDT", "BUY", "LIMIT", 1, 59000), nullptr, true);
  ASSERT_TRUE(PumpUntil([] { return !GetLastServerError().isEmpty(); }));
  PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; });
  PumpFor(300);

  EXPECT_TRUE(GetLastServerError().contains(
      QStringLiteral("Account has insufficient balance for requested action.")))
      << GetLastServerError().toStdString();
  const std::vector<TReceived> lAll = Received();
  ASSERT_EQ(lAll.size(), lBefore + 1);
  EXPECT_EQ(lAll.back().Method, "POST");
  EXPECT_EQ(lAll.back().Status, 400);
  EXPECT_TRUE(BoxTexts().isEmpty());
  EXPECT_FALSE(Main()->UserOrderList.Loaded);
  EXPECT_FALSE(Main()->UserOrderHistory.Loaded);
  EXPECT_TRUE(Main()->BalanceList.IsEmpty());
  // The only notification carries the refusal's text for the status line.
  EXPECT_EQ(fEvents.Events, std::vector<int>{BASE_MAIN_ORDER_RESULT});
}

TEST_F(MultiOrdersExchange, MainOrderIsCopiedByRateAndAMultiCancelCancelsAllThree)
{
  // An account with rate 0 takes no part: no order of quantity 0 is sent for it.
  AddAccount({"ZeroRateKey4", "ZeroRateSecret4"}, 0.0);
  User->OrderPost(MakeOrder("ETHUSDT", "BUY", "LIMIT", 1, 2900), nullptr, true);
  ASSERT_TRUE(PumpUntil([this] {
    return Refreshed(*Main(), 1) && Refreshed(Connection(0), 1) && Refreshed(Connection(1), 1);
  }));

  EXPECT_DOUBLE_EQ(Main()->UserOrderList.Items(0).OrigQuantity, 1.0);
  EXPECT_DOUBLE_EQ(Connection(0).UserOrderList.Items(0).OrigQuantity, 2.0);
  EXPECT_DOUBLE_EQ(Connection(1).UserOrderList.Items(0).OrigQuantity, 0.5);
  EXPECT_DOUBLE_EQ(Connection(1).UserOrderList.Items(0).Price, 2900.0);
  // Only the main account's order is shown; the copies are not copied again.
  EXPECT_EQ(BoxTexts(), QStringList{"Создан ордер ETHUSDT BUY LIMIT 2900 1"});
  PumpFor(300);
  EXPECT_EQ(CountReceived("POST", "/api/v3/order"), 3);

  const TUserOrder lMainOrder = Main()->UserOrderList.Items(0);
  const std::int64_t lSecondID = Connection(0).UserOrderList.Items(0).OrderID;
  const std::int64_t lThirdID = Connection(1).UserOrderList.Items(0).OrderID;
  User->OrderDelete(lMainOrder, nullptr, true);
  const auto lCancelled = [](const TConnectionItem &aAccount, std::int64_t aID) {
    const TUserOrder *lPast = FindOrder(aAccount.UserOrderHistory, aID);
    return aAccount.UserOrderList.IsEmpty() && lPast && lPast->Status == "CANCELED";
  };
  ASSERT_TRUE(PumpUntil([&] {
    return lCancelled(*Main(), lMainOrder.OrderID) && lCancelled(Connection(0), lSecondID) &&
           lCancelled(Connection(1), lThirdID);
  }));
  PumpFor(300);
  EXPECT_EQ(CountReceived("DELETE", "/api/v3/order"), 3);
  EXPECT_EQ(BoxTexts().count("Ордер удален"), 1);
}

// The cancel pairs orders across accounts by symbol, type, side and a placing time less than
// 4 seconds away: a copy placed 3 seconds after the main order is cancelled with it, one
// placed 5 seconds after is not.
TEST_F(MultiOrdersExchange, MultiCancelPairsWithinFourSeconds)
{
  const TOrder lOrder = MakeOrder("ETHUSDT", "BUY", "LIMIT", 1, 2900);
  User->OrderPost(lOrder, nullptr, false);
  ASSERT_TRUE(PumpUntil([this] { return Refreshed(*Main(), 1); }));
  const TUserOrder lMainOrder = Main()->UserOrderList.Items(0);

  // The exchange's clock is moved so that each copy is stamped at the wanted distance.
  const auto lPlaceAfter = [&](TConnectionItem &aAccount, std::int64_t aAfterMs) {
    const std::int64_t lOffset = lMainOrder.Time + aAfterMs - QDateTime::currentMSecsSinceEpoch();
    fExchange->admin("/admin/faults", "{\"clockOffsetMs\":" + std::to_string(lOffset) + "}");
    User->OrderPost(lOrder, &aAccount, false);
    return PumpUntil([&] { return Refreshed(aAccount, 1); });
  };
  ASSERT_TRUE(lPlaceAfter(Connection(0), 3000));
  ASSERT_TRUE(lPlaceAfter(Connection(1), 5000));
  fExchange->admin("/admin/faults", R"({"clockOffsetMs":0})");
  const TUserOrder lThree = Connection(0).UserOrderList.Items(0);
  const TUserOrder lFive = Connection(1).UserOrderList.Items(0);
  ASSERT_NEAR(static_cast<double>(lThree.Time - lMainOrder.Time), 3000.0, 400.0);
  ASSERT_NEAR(static_cast<double>(lFive.Time - lMainOrder.Time), 5000.0, 400.0);

  User->OrderDelete(lMainOrder, nullptr, true);
  ASSERT_TRUE(PumpUntil([&] {
    const TUserOrder *lPast = FindOrder(Connection(0).UserOrderHistory, lThree.OrderID);
    return Connection(0).UserOrderList.IsEmpty() && lPast && lPast->Status == "CANCELED";
  }));
  PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; });
  EXPECT_EQ(CountReceived("DELETE", "/api/v3/order"), 2);
  ASSERT_EQ(Connection(1).UserOrderList.Count(), 1);
  EXPECT_EQ(Connection(1).UserOrderList.Items(0).OrderID, lFive.OrderID);
}

namespace {

// A box the trader leaves open: it serves the GUI thread for aOpenMs, or until aDone holds
// when that comes first, and records whether aDone held before it was closed.
class TLingeringBoxes : public TMessagePresenter
{
public:
  std::function<bool(const QString &)> Done;
  int OpenMs = 0;
  std::vector<std::pair<QString, bool>> Closed;

  int Present(const QString &, const QString &aText, TMessageType) override
  {
    QElapsedTimer lTimer;
    lTimer.start();
    const bool lDone = PumpUntil([&] { return Done(aText); }, OpenMs);
    PumpFor(OpenMs - static_cast<int>(lTimer.elapsed()));
    Closed.emplace_back(aText, lDone);
    return mrOk;
  }
};

} // namespace

// The copies are placed and cancelled before the box shows: left open past 4 seconds, it must
// neither delay them nor keep the cancel from pairing them.
TEST_F(MultiOrdersExchange, CopiesDoNotWaitForTheBox)
{
  auto lBoxes = std::make_shared<TLingeringBoxes>();
  lBoxes->OpenMs = 4500;
  lBoxes->Done = [this](const QString &aText) {
    return aText.startsWith(QStringLiteral("Создан ордер"))
               ? CountReceived("POST", "/api/v3/order") == 3
               : CountReceived("DELETE", "/api/v3/order") == 3;
  };
  const auto lPrevious = SetMessagePresenter(lBoxes);
  User->OrderPost(MakeOrder("ETHUSDT", "SELL", "LIMIT", 1, 3100), nullptr, true);
  const bool lPlaced = PumpUntil([this] {
    return Refreshed(*Main(), 1) && Refreshed(Connection(0), 1) && Refreshed(Connection(1), 1);
  });
  if (lPlaced)
    User->OrderDelete(Main()->UserOrderList.Items(0), nullptr, true);
  const bool lCancelled = lPlaced && PumpUntil([this, lBoxes] {
                            return lBoxes->Closed.size() == 2 && Main()->UserOrderList.IsEmpty() &&
                                   Connection(0).UserOrderList.IsEmpty() &&
                                   Connection(1).UserOrderList.IsEmpty();
                          });
  SetMessagePresenter(lPrevious);
  ASSERT_TRUE(lPlaced);
  EXPECT_TRUE(lCancelled);
  ASSERT_EQ(lBoxes->Closed.size(), 2u);
  EXPECT_TRUE(lBoxes->Closed[0].second) << "copies placed only after the box";
  EXPECT_EQ(lBoxes->Closed[1].first, QStringLiteral("Ордер удален"));
  EXPECT_TRUE(lBoxes->Closed[1].second) << "copies cancelled only after the box";
}

// A copy's quantity is the main lot times the account's rate, rounded toward zero to the
// symbol's step; a copy below the minimum quantity is not sent (and the log says why). The
// main order goes as typed.
TEST_F(MultiOrdersExchange, CopiesFitTheLotStepAndMinimum)
{
  User->ExchangeInfo();
  ASSERT_TRUE(
      PumpUntil([] { return User->LotSizes().Find(QStringLiteral("ETHUSDT")).has_value(); }));
  const TLotSize lLot = *User->LotSizes().Find(QStringLiteral("ETHUSDT"));
  ASSERT_GT(lLot.Step, 0.0);
  Connection(0).Rate = 1.0 / 3.0;
  Connection(1).Rate = lLot.MinQty / 2;
  User->OrderPost(MakeOrder("ETHUSDT", "BUY", "LIMIT", 1, 2900), nullptr, true);
  ASSERT_TRUE(PumpUntil([this] { return Refreshed(*Main(), 1) && Refreshed(Connection(0), 1); }));
  PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; });
  EXPECT_EQ(CountReceived("POST", "/api/v3/order"), 2);
  const double lCopy = Connection(0).UserOrderList.Items(0).OrigQuantity;
  EXPECT_LE(lCopy, 1.0 / 3.0);
  EXPECT_GT(lCopy, 1.0 / 3.0 - lLot.Step);
  EXPECT_TRUE(Connection(1).UserOrderList.IsEmpty());
  EXPECT_DOUBLE_EQ(Main()->UserOrderList.Items(0).OrigQuantity, 1.0);
}
