// The whole main window against a real vexa-exchange over HTTPS: what the trader sees and
// what reaches the exchange when the trader acts.
#include "account_grid.h"
#include "builder.h"
#include "fm_main.h"
#include "journal.h"
#include "main_actions.h"
#include "main_docks.h"
#include "market_watch.h"
#include "order.h"
#include "order_book.h"
#include "terminal_panel.h"
#include "test_orders_env.h"
#include "timer.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QLabel>

namespace {

TOrder LimitBuy(double aQuantity, double aPrice)
{
  TOrder lOrder;
  lOrder.fSymbol = QStringLiteral("BTCUSDT");
  lOrder.fSide = QStringLiteral("BUY");
  lOrder.fType = QStringLiteral("LIMIT");
  lOrder.fQuantity = aQuantity;
  lOrder.fPrice = aPrice;
  return lOrder;
}

int Rows(QAbstractItemView *aView)
{
  return aView->model()->rowCount();
}

class TerminalExchange : public OrdersExchangeTest
{
protected:
  void SetUp() override
  {
    StartExchange(true);
    SetPrice("BTCUSDT", "60000");
    User->Input()->SetSymbol(QStringLiteral("BTCUSDT"));
    User->Input()->SetAuth(uaAuth);
    fForm = std::make_unique<TfmMain>();
    fForm->show();
    fForm->InitUserInterface();
    fForm->SetOnlineMode(true);
  }
  void TearDown() override
  {
    fForm.reset();
    OrdersExchangeTest::TearDown();
  }

  std::unique_ptr<TfmMain> fForm;
};

} // namespace

TEST_F(TerminalExchange, CancelAsksFirstAndSendsOnlyOnYes)
{
  User->OrderPost(LimitBuy(0.01, 50000), Main(), false);
  TAccountGrid *lOrders = fForm->pcTerminal()->vstOrders();
  ASSERT_TRUE(PumpUntil([&] { return Rows(lOrders) == 1; }));
  EXPECT_EQ(lOrders->model()->index(0, 4).data().toString(), QStringLiteral("BTCUSDT"));
  lOrders->selectRow(0);

  fBoxes.Presenter().SetAnswer(mrNo);
  fForm->Actions().acOrderDelete->trigger();
  EXPECT_EQ(BoxTexts().last(), QStringLiteral("Уверены что хотите удалит ордер?"));
  PumpFor(500);
  EXPECT_EQ(CountReceived("DELETE", "/api/v3/order"), 0);
  EXPECT_EQ(Rows(lOrders), 1);

  fBoxes.Presenter().SetAnswer(mrYes);
  fForm->Actions().acOrderDelete->trigger();
  ASSERT_TRUE(PumpUntil([&] { return Rows(lOrders) == 0; }));
  EXPECT_EQ(CountReceived("DELETE", "/api/v3/order"), 1);
}

namespace {

// Answers yes, but only after the open orders were replaced, as an answer arriving while the
// question is open replaces them.
class TReplacingPresenter : public TMessagePresenter
{
public:
  int Present(const QString &, const QString &, TMessageType) override
  {
    Profile->MainProfile()->UserOrderList.Clear();
    Profile->MainProfile()->UserOrderList.Add().OrderID = 1;
    return mrYes;
  }
};

} // namespace

TEST_F(TerminalExchange, CancelSendsTheConfirmedOrderEvenIfTheListChangedMeanwhile)
{
  User->OrderPost(LimitBuy(0.01, 50000), Main(), false);
  TAccountGrid *lOrders = fForm->pcTerminal()->vstOrders();
  ASSERT_TRUE(PumpUntil([&] { return Rows(lOrders) == 1; }));
  const std::int64_t lID = Main()->UserOrderList.Items(0).OrderID;
  lOrders->selectRow(0);
  const auto lPrevious = SetMessagePresenter(std::make_shared<TReplacingPresenter>());
  fForm->Actions().acOrderDelete->trigger();
  SetMessagePresenter(lPrevious);
  ASSERT_TRUE(PumpUntil([&] { return CountReceived("DELETE", "/api/v3/order") == 1; }));
  bool lSentOurs = false;
  for (const TReceived &lRequest : Received())
    if (lRequest.Method == "DELETE")
      lSentOurs = (lRequest.Target + lRequest.Body).contains(QStringLiteral("orderId=%1").arg(lID));
  EXPECT_TRUE(lSentOurs);
}

TEST_F(TerminalExchange, HidingZeroBalancesOnAndOffAsksForTheAccountTwice)
{
  PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; });
  const size_t lBefore = Received().size();
  fForm->Actions().acNoZeroBalance->trigger();
  EXPECT_TRUE(fForm->Actions().acNoZeroBalance->isChecked());
  fForm->Actions().acNoZeroBalance->trigger();
  EXPECT_FALSE(fForm->Actions().acNoZeroBalance->isChecked());
  EXPECT_TRUE(PumpUntil([&] { return CountReceived("GET", "/api/v3/account", lBefore) == 2; }));
  ASSERT_TRUE(PumpUntil([&] { return Rows(fForm->pcTerminal()->vstBalances()) > 0; }));
}

// The trader learns from the journal why the exchange refused, and no key is ever shown there.
TEST_F(TerminalExchange, JournalTellsWhyAnOrderWasRefusedAndShowsNoKey)
{
  const std::uint64_t lFirst = Journal().LastSeq();
  User->OrderPost(LimitBuy(100, 50000), Main(), false);
  User->Input()->SetNoZeroBalance(true);
  Main()->AccountEx(Main(), true);
  const auto lRefusal = [&] {
    for (const TJournalEntry &lEntry : Journal().Since(lFirst))
      if (lEntry.MessageType == mtAlert &&
          lEntry.Text.contains(QStringLiteral("Account has insufficient balance")))
        return true;
    return false;
  };
  ASSERT_TRUE(PumpUntil(lRefusal));
  PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; });
  int lSigned = 0;
  for (const TJournalEntry &lEntry : Journal().Since(lFirst)) {
    EXPECT_FALSE(lEntry.Text.contains(QLatin1String(cAccountMain.SecretKey)))
        << lEntry.Text.toStdString();
    EXPECT_FALSE(lEntry.Text.contains(QLatin1String(cAccountMain.ApiKey)))
        << lEntry.Text.toStdString();
    lSigned += lEntry.Text.contains(QStringLiteral("timestamp=")) ? 1 : 0;
  }
  EXPECT_GE(lSigned, 2); // the order and the account request were both looked at
}

namespace {

// The terminal as the program starts it, against an exchange with the full symbol list.
class WholeTerminal : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fExchange = std::make_unique<vexa::test::TExchangeProcess>(
        std::vector<std::string>{"--symbols", "2000"});
    QDir(fDir.path()).mkpath(QStringLiteral("exe"));
    SetExeFolder(fDir.filePath(QStringLiteral("exe")));
    qunsetenv("LOCALAPPDATA");
    qunsetenv("APPDATA");
    qputenv("XDG_DATA_HOME", fDir.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", fDir.filePath(QStringLiteral("config")).toUtf8());
    QFile lServer(fDir.filePath(QStringLiteral("exe/server.json")));
    ASSERT_TRUE(lServer.open(QIODevice::WriteOnly));
    lServer.write(
        QJsonDocument(QJsonObject{{"server", QString::fromStdString(fExchange->baseUrl())},
                                  {"caFile", QString::fromStdString(fExchange->caFile())}})
            .toJson());
    lServer.close();
    // config.json with the demo account's keys, enciphered as the terminal writes it.
    TProfile lProfile(wfmTrade);
    lProfile.SetFileName(fDir.filePath(QStringLiteral("exe/config.json")));
    lProfile.MainProfile()->ApiKey = QString::fromStdString(fExchange->apiKey());
    lProfile.MainProfile()->SecretKey = QString::fromStdString(fExchange->secretKey());
    ASSERT_TRUE(lProfile.SaveToFile());
  }
  void TearDown() override
  {
    SetExeFolder(QString());
    fExchange.reset();
  }

  QTemporaryDir fDir;
  TPresenterGuard fBoxes;
  std::unique_ptr<vexa::test::TExchangeProcess> fExchange;
};

} // namespace

TEST_F(WholeTerminal, ComesOnlineFillsEveryGridAndFollowsTheSelectedSymbol)
{
  QElapsedTimer lSinceStart;
  lSinceStart.start();
  Builder().BuildOnStart();
  ASSERT_NE(fmMain, nullptr);
  TfmMain &lForm = *fmMain;
  EXPECT_TRUE(lForm.IsOnline());
  EXPECT_EQ(lForm.StatusText()->text(), QStringLiteral("Подключено"));
  ASSERT_TRUE(PumpUntil([&] { return Rows(lForm.vstSymbols()) == 2000; }));
  RecordProperty("market_watch_filled_ms", static_cast<int>(lSinceStart.elapsed()));
  EXPECT_FALSE(lForm.SysTimePanel()->text().isEmpty());

  // The demo account is authorised: its panel is there with its balances.
  EXPECT_FALSE(lForm.Docks().dpTerminal->isHidden());
  EXPECT_TRUE(PumpUntil([&] { return Rows(lForm.pcTerminal()->vstBalances()) > 0; }));

  const QModelIndexList lBtc =
      lForm.vstSymbols()->model()->match(lForm.vstSymbols()->model()->index(0, 0), Qt::DisplayRole,
                                         QStringLiteral("BTCUSDT"), 1, Qt::MatchExactly);
  ASSERT_EQ(lBtc.size(), 1);
  lForm.vstSymbols()->selectRow(lBtc[0].row());
  EXPECT_EQ(lForm.SelectedSymbol(), QStringLiteral("BTCUSDT"));
  EXPECT_EQ(lForm.Docks().dpMarketDepth->windowTitle(), QStringLiteral("Стакан цен — BTCUSDT"));
  EXPECT_TRUE(PumpUntil([&] { return Rows(lForm.vstDepth()) >= 2; }));

  lForm.close();
  EXPECT_EQ(Workflow->State(), wfsClosing);
  Builder().DestroyOnFinish();
  UIWriter.reset();
  EXPECT_EQ(fmMain, nullptr);
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
}
