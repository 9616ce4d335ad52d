// The order panels, the order dialog and the login dialog driven by Qt Test events against a
// real vexa-exchange over HTTPS: log in, place, see, cancel, multi-account copies, and the
// refused order's reason. Runs under a comma and under a full-stop locale.

#include "decimal_key_filter.h"
#include "dlg_base_logon.h"
#include "dlg_order.h"
#include "journal.h"
#include "order_panel.h"
#include "order_result.h"
#include "order_test_support.h"
#include "symbol_show_list.h"
#include "test_orders_env.h"
#include "user_order.h"

#include <QComboBox>
#include <QLabel>
#include <QTabWidget>

namespace {

// Copies the text of every BASE_MAIN_ORDER_RESULT, as the status line does.
class TOrderResultRecorder : public TDObject
{
public:
  void Notification(int aEventID, void *aData) override
  {
    if (aEventID == BASE_MAIN_ORDER_RESULT)
      Texts.push_back(aData ? *static_cast<const QString *>(aData) : QStringLiteral("<null>"));
  }
  QStringList Texts;
};

const TBalance *Balance(const TConnectionItem &aAccount, const char *aAsset)
{
  for (int i = 0; i < aAccount.BalanceList.Count(); ++i)
    if (aAccount.BalanceList.Items(i).Asset == QLatin1String(aAsset))
      return &aAccount.BalanceList.Items(i);
  return nullptr;
}

bool JournalHas(const QString &aText)
{
  for (const TJournalEntry &lEntry : Journal().Since(0))
    if (lEntry.Text.contains(aText))
      return true;
  return false;
}

class OrderEntryExchange : public OrdersExchangeTest
{
protected:
  void SetUp() override
  {
    StartExchange(false);
    SetPrice("BTCUSDT", "60000");
    User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
    UIWriter->Publisher().Subscribe(&fResults, BASE_MAIN_ORDER_RESULT);
  }
  void TearDown() override
  {
    if (UIWriter)
      UIWriter->Publisher().Unsubscribe(&fResults, BASE_MAIN_ORDER_RESULT);
    OrdersExchangeTest::TearDown();
  }

  TOrderResultRecorder fResults;
};

} // namespace

TEST_F(OrderEntryExchange, LoginTestsTheTypedKeysAndSavesTheTestedPair)
{
  const QString lApi = QString::fromStdString(fExchange->apiKey());
  const QString lSecret = QString::fromStdString(fExchange->secretKey());
  SetKeys(*Main(), QString(), QString());
  User->Input()->SetAuth(uaUndefined);

  const bool lSaved = RunWithDialog<TdlgBaseLogon, bool>(
      [] { return ExecuteDlgBaseLogon(nullptr, false); },
      [&](TdlgBaseLogon *aDialog) {
        auto *lTest = Child<QPushButton>(aDialog, "btnTest");
        auto *lSave = Child<QPushButton>(aDialog, "btnSave");
        const auto lSquare = [aDialog] {
          return Child<QWidget>(aDialog, "panTest")->palette().color(QPalette::Window);
        };
        TypeInto(Child<QLineEdit>(aDialog, "edAPI"), lApi);
        TypeInto(Child<QLineEdit>(aDialog, "edSecret"), lSecret + "x");
        QTest::mouseClick(lTest, Qt::LeftButton);
        EXPECT_EQ(aDialog->Auth(), uaUnauth);
        EXPECT_EQ(lSquare(), ToQColor(clLtRed));
        EXPECT_FALSE(lSave->isEnabled());
        EXPECT_TRUE(Profile->MainProfile()->ApiKey.isEmpty()); // restored after the test

        QTest::keyClick(Child<QLineEdit>(aDialog, "edSecret"), Qt::Key_Backspace);
        QTest::mouseClick(lTest, Qt::LeftButton);
        EXPECT_EQ(aDialog->Auth(), uaAuth);
        EXPECT_EQ(lSquare(), ToQColor(clLtGreen));
        EXPECT_TRUE(lSave->isEnabled());
        EXPECT_TRUE(Profile->MainProfile()->ApiKey.isEmpty());

        // One more character: untested again.
        QTest::keyClicks(Child<QLineEdit>(aDialog, "edAPI"), "Z");
        EXPECT_EQ(lSquare(), QColor(0xC0, 0xC0, 0xC0));
        EXPECT_FALSE(lSave->isEnabled());
        QTest::keyClick(Child<QLineEdit>(aDialog, "edAPI"), Qt::Key_Backspace);
        QTest::mouseClick(lTest, Qt::LeftButton);
        ASSERT_TRUE(lSave->isEnabled());
        QTest::mouseClick(lSave, Qt::LeftButton);
      });
  ASSERT_TRUE(lSaved);
  EXPECT_EQ(Main()->ApiKey, lApi);
  EXPECT_EQ(Main()->SecretKey, lSecret);
  EXPECT_EQ(Main()->Rate, 1.0); // the main account's name and rate stay
  TProfile lReread(wfmTrade);
  lReread.SetFileName(Profile->FileName());
  ASSERT_TRUE(lReread.LoadFromFile());
  EXPECT_EQ(lReread.MainProfile()->ApiKey, lApi);
  EXPECT_EQ(lReread.MainProfile()->SecretKey, lSecret);

  // Full mode: a tested account keeps green when only its rate changes.
  TConnectionItem lItem;
  const bool lAdded = RunWithDialog<TdlgBaseLogon, bool>(
      [&] { return ExecuteDlgBaseLogon(&lItem, true); },
      [&](TdlgBaseLogon *aDialog) {
        TypeInto(Child<QLineEdit>(aDialog, "edName"), "Second");
        TypeInto(Child<QLineEdit>(aDialog, "edAPI"), lApi);
        TypeInto(Child<QLineEdit>(aDialog, "edSecret"), lSecret);
        QTest::mouseClick(Child<QPushButton>(aDialog, "btnTest"), Qt::LeftButton);
        TypeInto(Child<QLineEdit>(aDialog, "edRate"), "0.5");
        EXPECT_EQ(aDialog->Auth(), uaAuth);
        QTest::mouseClick(Child<QPushButton>(aDialog, "btnSave"), Qt::LeftButton);
      });
  ASSERT_TRUE(lAdded);
  EXPECT_EQ(lItem.Name, "Second");
  EXPECT_EQ(lItem.Rate, 0.5);
  EXPECT_EQ(lItem.ApiKey, lApi);
}

TEST_F(OrderEntryExchange, LimitBuyFromThePanelAppearsAndIsCancelled)
{
  TOrderPanel lPanel(TOrderSide::Buy);
  lPanel.ShowFirstPage();
  PlaceLimit(lPanel, "59000", "0.01");
  ASSERT_TRUE(PumpUntil([this] { return Main()->UserOrderList.Count() == 1; }));
  const TUserOrder lOrder = Main()->UserOrderList.Items(0);
  EXPECT_EQ(lOrder.Symbol, "BTCUSDT");
  EXPECT_EQ(lOrder.Side, "BUY");
  EXPECT_EQ(lOrder.OrderType, "LIMIT");
  EXPECT_DOUBLE_EQ(lOrder.Price, 59000);
  EXPECT_DOUBLE_EQ(lOrder.OrigQuantity, 0.01);
  EXPECT_EQ(BoxTexts(), QStringList{"Создан ордер BTCUSDT BUY LIMIT 59000 0.01"});
  // The panel keeps its texts after sending.
  EXPECT_EQ(lPanel.findChild<QLineEdit *>("edBuyLimitAmount")->text(), Loc("0.01"));

  User->OrderDelete(lOrder, Main(), User->Input()->Multi());
  ASSERT_TRUE(PumpUntil([this] { return Main()->UserOrderList.Count() == 0; }));

  // Market page without an active chart: its price is empty, so nothing is sent.
  const int lPosts = CountReceived("POST", "/api/v3/order");
  lPanel.Pages()->setCurrentIndex(1);
  QTest::mouseClick(lPanel.findChild<QPushButton *>("btnBuyMarket"), Qt::LeftButton);
  PumpFor(300);
  EXPECT_EQ(CountReceived("POST", "/api/v3/order"), lPosts);
  EXPECT_TRUE(JournalHas("TfmBaseMain.btnBuyMarketClick | EConvertError : '' is not a valid"));
}

TEST_F(OrderEntryExchange, MarketSellFromTheDialogChangesTheBalances)
{
  User->Ticker24hrEx();
  ASSERT_TRUE(PumpUntil([] { return User->SymbolShowList()->Count() > 0; }));
  Main()->AccountEx(Main(), false);
  ASSERT_NE(Balance(*Main(), "BTC"), nullptr);
  const double lBtcBefore = Balance(*Main(), "BTC")->Free_;

  const bool lMarket = RunWithDialog<TdlgOrder, bool>(
      [] { return ExecuteOrder("BTCUSDT"); },
      [](TdlgOrder *aDialog) {
        auto *lPrice = Child<QLabel>(aDialog, "lblPrice");
        // The live best prices arrive within a few of the dialog's seconds.
        EXPECT_TRUE(PumpUntil([&] { return aDialog->Bid() > 0; }, 8000));
        EXPECT_NE(lPrice->text(), "0.00000 / 0.00000");
        TypeInto(Child<QLineEdit>(aDialog, "edQuantity"), "0.01");
        QTest::mouseClick(Child<QPushButton>(aDialog, "btnSell"), Qt::LeftButton);
      });
  EXPECT_TRUE(lMarket);
  ASSERT_TRUE(PumpUntil([&] {
    const TBalance *lBtc = Balance(*Main(), "BTC");
    return lBtc && lBtc->Free_ < lBtcBefore - 0.0099;
  }));
  EXPECT_DOUBLE_EQ(Balance(*Main(), "BTC")->Free_, lBtcBefore - 0.01);

  // A pending "Buy Stop" from the dialog: price and stop price go out as typed.
  SetPrice("BTCUSDT", "90");
  const bool lPending = RunWithDialog<TdlgOrder, bool>(
      [] { return ExecuteOrder("BTCUSDT"); },
      [](TdlgOrder *aDialog) {
        Child<QComboBox>(aDialog, "cbType")->setCurrentIndex(1);
        Child<QComboBox>(aDialog, "cbOrderType")->setCurrentIndex(2);
        TypeInto(Child<QLineEdit>(aDialog, "edQuantity"), "1");
        TypeInto(Child<QLineEdit>(aDialog, "edPrice"), "100");
        TypeInto(Child<QLineEdit>(aDialog, "edStopLoss"), "95");
        QTest::mouseClick(Child<QPushButton>(aDialog, "btnExec"), Qt::LeftButton);
      });
  EXPECT_FALSE(lPending); // only a market order ends the dialog with OK
  ASSERT_TRUE(PumpUntil([this] { return Main()->UserOrderList.Count() == 1; }));
  const TUserOrder lStop = Main()->UserOrderList.Items(0);
  EXPECT_EQ(lStop.Side, "BUY");
  EXPECT_EQ(lStop.OrderType, "STOP_LOSS_LIMIT");
  EXPECT_DOUBLE_EQ(lStop.Price, 100);
  EXPECT_DOUBLE_EQ(lStop.StopPrice, 95);
  EXPECT_DOUBLE_EQ(lStop.OrigQuantity, 1);

  // A symbol the list does not hold: nothing selected, so no best price is asked for.
  const int lTickers = CountReceived("GET", "/api/v3/ticker/bookTicker");
  EXPECT_GT(lTickers, 0); // the first dialog asked every second
  RunWithDialog<TdlgOrder, bool>([] { return ExecuteOrder("NOSUCHUSDT"); },
                                 [](TdlgOrder *) { PumpFor(1500); });
  EXPECT_EQ(CountReceived("GET", "/api/v3/ticker/bookTicker"), lTickers);
}

TEST_F(OrderEntryExchange, ARefusedOrderShowsTheExchangesReasonUntilTheNextSuccess)
{
  TOrderPanel lPanel(TOrderSide::Buy);
  PlaceLimit(lPanel, "59000", "0.0000001");
  ASSERT_TRUE(PumpUntil([this] { return !fResults.Texts.isEmpty(); }));
  ASSERT_EQ(fResults.Texts.size(), 1);
  const QString lText = fResults.Texts.front();
  EXPECT_TRUE(lText.startsWith("Ордер отклонен: ")) << lText.toStdString();
  EXPECT_TRUE(lText.contains("LOT_SIZE")) << lText.toStdString();
  EXPECT_FALSE(lText.contains("HTTP/")) << lText.toStdString(); // the exchange's words only
  EXPECT_TRUE(JournalHas(lText));
  EXPECT_TRUE(BoxTexts().isEmpty()); // no modal box for a refusal

  PlaceLimit(lPanel, "59000", "0.01");
  ASSERT_TRUE(PumpUntil([this] { return fResults.Texts.size() == 2; }));
  EXPECT_EQ(fResults.Texts.back(), QString());
}

class MultiOrderEntryExchange : public OrdersExchangeTest
{
protected:
  void SetUp() override
  {
    StartExchange(true);
    Profile->Connections().Delete(0); // one further account, rate 0.5
    SetPrice("ETHUSDT", "3000");
    User->Input()->SetSymbol(QStringLiteral("ETHUSDT"));
  }
};

TEST_F(MultiOrderEntryExchange, TheCopyOnTheFurtherAccountHasHalfTheQuantity)
{
  ASSERT_EQ(Profile->Connections().Count(), 1);
  ASSERT_EQ(Connection(0).Rate, 0.5);
  User->Input()->SetMulti(true);
  TOrderPanel lPanel(TOrderSide::Sell);
  lPanel.Pages()->setCurrentIndex(0);
  TypeInto(lPanel.findChild<QLineEdit *>("edSellLimitPrice"), "3100");
  TypeInto(lPanel.findChild<QLineEdit *>("edSellLimitAmount"), "0.2");
  QTest::mouseClick(lPanel.findChild<QPushButton *>("btnSellLimit"), Qt::LeftButton);
  ASSERT_TRUE(PumpUntil([this] {
    return Main()->UserOrderList.Count() == 1 && Connection(0).UserOrderList.Count() == 1;
  }));
  EXPECT_DOUBLE_EQ(Main()->UserOrderList.Items(0).OrigQuantity, 0.2);
  const TUserOrder &lCopy = Connection(0).UserOrderList.Items(0);
  EXPECT_EQ(lCopy.Side, "SELL");
  EXPECT_EQ(lCopy.OrderType, "LIMIT");
  EXPECT_DOUBLE_EQ(lCopy.Price, 3100);
  EXPECT_DOUBLE_EQ(lCopy.OrigQuantity, 0.1);
  // Only the main account's order shows a box.
  EXPECT_EQ(BoxTexts().size(), 1);
}
