// The workflow's periodic work through the real TPeriodicWork against vexa-exchange: what each
// kind of tick asks the exchange for in each mode, the chain of clock updates, the opening of
// the main window, and the keys' check once a late clock has come.

#include "fm_main.h"
#include "periodic_work.h"
#include "symbol_show_list.h"
#include "test_orders_env.h"
#include "trade_engine_client.h"

#include <QStringList>

namespace {

class PeriodicWork : public OrdersExchangeTest
{
protected:
  void SetUp() override
  {
    ResumeTransport(); // an earlier test may have closed a terminal
    StartExchange(false);
  }

  // What the exchange received since aFrom, once every request started meanwhile has ended:
  // path, plus "?symbol" when the query names a symbol. Sorted.
  QStringList ReceivedSince(size_t aFrom)
  {
    PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; });
    const std::vector<TReceived> lAll = Received();
    QStringList lResult;
    for (size_t i = aFrom; i < lAll.size(); ++i)
      lResult << lAll[i].Target.section(QLatin1Char('?'), 0, 0) +
                     (lAll[i].Target.contains(QStringLiteral("symbol=")) ? QStringLiteral("?symbol")
                                                                         : QString());
    lResult.sort();
    return lResult;
  }

  TPeriodicWork fWork;
};

struct TTickCase
{
  const char *Name;
  void (TPeriodicWork::*Work)(TWorkflowMode);
  TWorkflowMode Mode;
  bool Symbol;
  QStringList Expected;
};

} // namespace

TEST_F(PeriodicWork, EachTickAsksWhatItsModeNeeds)
{
  const QString lPrice = QStringLiteral("/api/v3/ticker/price");
  const QString lPriceOf = QStringLiteral("/api/v3/ticker/price?symbol");
  const QString lDepth = QStringLiteral("/api/v3/depth?symbol");
  const TTickCase lCases[] = {
      {"trade, no symbol: all prices only", &TPeriodicWork::EverySecond, wfmTrade, false, {lPrice}},
      {"trade: all prices and the book",
       &TPeriodicWork::EverySecond,
       wfmTrade,
       true,
       {lDepth, lPrice}},
      {"volume: the symbol's price", &TPeriodicWork::EverySecond, wfmVolume, true, {lPriceOf}},
      {"volume, no symbol: nothing", &TPeriodicWork::EverySecond, wfmVolume, false, {}},
      {"full: both", &TPeriodicWork::EverySecond, wfmFull, true, {lDepth, lPrice, lPriceOf}},
      {"five seconds: the time",
       &TPeriodicWork::Every5Second,
       wfmTrade,
       false,
       {QStringLiteral("/api/v3/time")}},
      {"minute, trade: nothing of the market", &TPeriodicWork::EveryMinute, wfmTrade, true, {}},
      {"minute, volume: the 24-hour volumes",
       &TPeriodicWork::EveryMinute,
       wfmVolume,
       false,
       {QStringLiteral("/api/v3/ticker/24hr")}},
  };
  for (const TTickCase &lCase : lCases) {
    User->Input()->SetSymbol(lCase.Symbol ? QStringLiteral("BTCUSDT") : QString());
    const size_t lFrom = Received().size();
    (fWork.*lCase.Work)(lCase.Mode);
    EXPECT_EQ(ReceivedSince(lFrom), lCase.Expected) << lCase.Name;
  }
}

// A clock update completes the main account first; the further accounts and the market
// statistics wait until it is complete.
TEST_F(PeriodicWork, ClockUpdateCompletesTheMainAccountFirst)
{
  User->Input()->SetAuth(uaAuth);
  AddAccount({"UnknownKey0009", "UnknownSecret0009"}, 1.0);
  size_t lFrom = Received().size();
  fWork.Once(wfmTrade);
  EXPECT_EQ(ReceivedSince(lFrom), QStringList{"/api/v3/account"});
  ASSERT_FALSE(Main()->BalanceList.IsEmpty());

  lFrom = Received().size();
  fWork.Once(wfmTrade);
  EXPECT_EQ(ReceivedSince(lFrom),
            (QStringList{"/api/v3/account", "/api/v3/exchangeInfo", "/api/v3/ticker/24hr"}));
  // All there now; the refused keys are not asked again.
  lFrom = Received().size();
  fWork.Once(wfmTrade);
  EXPECT_TRUE(ReceivedSince(lFrom).isEmpty());
}

// The window opens online, the keys are checked and the open orders loaded; the history is
// not asked for before a symbol is selected (the exchange would refuse it).
TEST_F(PeriodicWork, ShowMainFormChecksTheKeysAndLoadsTheOpenOrders)
{
  const size_t lFrom = Received().size();
  EXPECT_TRUE(fWork.ShowMainForm());
  ASSERT_NE(fmMain, nullptr);
  EXPECT_TRUE(fmMain->IsOnline());
  EXPECT_EQ(User->Input()->GetAuth(), uaAuth);
  // The market watch selects its first row, which may add that symbol's orders and history.
  const QStringList lReceived = ReceivedSince(lFrom);
  for (const char *lPath : {"/api/v3/account", "/api/v3/exchangeInfo", "/api/v3/ping",
                            "/api/v3/ticker/24hr", "/api/v3/time"})
    EXPECT_TRUE(lReceived.contains(QString::fromLatin1(lPath))) << lPath;
  EXPECT_TRUE(lReceived.contains(QStringLiteral("/api/v3/openOrders")) ||
              lReceived.contains(QStringLiteral("/api/v3/openOrders?symbol")));
  EXPECT_FALSE(lReceived.contains(QStringLiteral("/api/v3/allOrders")));
  EXPECT_GT(User->LotSizes().Count(), 0);
  EXPECT_TRUE(Main()->UserOrderList.Loaded);
  EXPECT_GT(User->SymbolShowList()->Count(), 0);
  delete fmMain;
}

// Keys the start-up could not check (no server time yet) are checked once the clock runs,
// once; the verdict is the exchange's.
TEST_F(PeriodicWork, UncheckedKeysAreCheckedOnceTheClockRuns)
{
  for (const bool lGoodKeys : {true, false}) {
    SCOPED_TRACE(lGoodKeys ? "good keys" : "refused keys");
    TPeriodicWork lWork;
    if (!lGoodKeys)
      Main()->SecretKey += QStringLiteral("x");
    User->Input()->SetAuth(uaUndefined);
    const size_t lFrom = Received().size();
    lWork.Once(wfmTrade);
    ASSERT_TRUE(PumpUntil([] { return User->Input()->GetAuth() != uaUndefined; }));
    EXPECT_EQ(User->Input()->GetAuth(), lGoodKeys ? uaAuth : uaUnauth);
    lWork.Once(wfmTrade);
    const QStringList lReceived = ReceivedSince(lFrom);
    EXPECT_EQ(lReceived.count(QStringLiteral("/api/v3/account")), 1);
    EXPECT_EQ(lReceived.count(QStringLiteral("/api/v3/openOrders")), lGoodKeys ? 1 : 0);
  }
}

// While the login dialog edits the main account, its test decides the keys: the clock starts
// no check of its own, whose follow-up requests would go out with whatever keys the edited
// copy holds by then (none, once the dialog's test has put them back).
TEST_F(PeriodicWork, KeysUnderEditInTheLoginDialogAreLeftToTheDialog)
{
  User->Input()->SetAuth(uaUndefined);
  Profile->MainBeginUpdate();
  size_t lFrom = Received().size();
  fWork.Once(wfmTrade);
  EXPECT_FALSE(ReceivedSince(lFrom).contains(QStringLiteral("/api/v3/account")));
  EXPECT_EQ(User->Input()->GetAuth(), uaUndefined);

  Profile->MainRollbackUpdate();
  lFrom = Received().size();
  fWork.Once(wfmTrade);
  ASSERT_TRUE(PumpUntil([] { return User->Input()->GetAuth() != uaUndefined; }));
  EXPECT_EQ(User->Input()->GetAuth(), uaAuth);
  EXPECT_EQ(ReceivedSince(lFrom).count(QStringLiteral("/api/v3/account")), 1);
}
