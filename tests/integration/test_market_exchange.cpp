// Market data from a real vexa-exchange over HTTPS into the user model.

#include "test_market_exchange_env.h"

#include "depth.h"
#include "sys_time.h"
#include "utils.h"

#include <QDateTime>

#include <cmath>
#include <set>

using namespace market_test;

namespace {

class MarketExchange : public TMarketExchangeTest
{
};

} // namespace

TEST_F(MarketExchange, PingAndServerTime)
{
  bool lOk = false;
  User->Ping(lOk);
  EXPECT_TRUE(lOk);
  ASSERT_TRUE(SyncTime());
  const std::int64_t lSkew = DateToStamp(SysTime->Time()) - QDateTime::currentMSecsSinceEpoch();
  EXPECT_LT(std::abs(lSkew), 5000);
}

TEST_F(MarketExchange, Ticker24hrFillsEverySymbolAndTheShowList)
{
  ASSERT_TRUE(Load24hr());
  ASSERT_EQ(Symbols().Count(), 300);
  ASSERT_EQ(ShowList().Count(), 300);
  std::set<QString> lNames;
  for (int i = 0; i < ShowList().Count(); ++i) {
    TSymbol *lSymbol = ShowList().GetItem(i);
    ASSERT_NE(lSymbol, nullptr);
    EXPECT_EQ(lSymbol, Symbols().GetItem(i)); // answer order
    EXPECT_EQ(Symbols().Find(lSymbol->Name().toLower()), lSymbol);
    EXPECT_GT(lSymbol->LastPrice(), 0);
    EXPECT_GE(lSymbol->HighPrice(), lSymbol->LowPrice());
    EXPECT_EQ(lSymbol->Color(), clWhite);
    lNames.insert(lSymbol->Name());
  }
  EXPECT_EQ(lNames.size(), 300u);

  // A second answer rebuilds the list; the show list follows it by name.
  ShowList().HideSymbols({ShowList().Name(5), ShowList().Name(1)});
  ASSERT_TRUE(Load24hr());
  ASSERT_EQ(ShowList().Count(), 2);
  EXPECT_EQ(ShowList().GetItem(0), Symbols().GetItem(1));
  EXPECT_EQ(ShowList().GetItem(1), Symbols().GetItem(5));
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
}

TEST_F(MarketExchange, PriceRiseFallAndRepeatColourTheSymbol)
{
  ASSERT_TRUE(Load24hr());
  Admin("/admin/feed", R"({"paused":true})");
  ASSERT_TRUE(LoadPrices());
  ASSERT_TRUE(LoadPrices()); // the feed stands still now
  TSymbol *lSymbol = ShowList().GetItem(3);
  ASSERT_NE(lSymbol, nullptr);
  const double lPrice = lSymbol->LastPrice();
  ASSERT_GT(lPrice, 0);
  EXPECT_EQ(lSymbol->Color(), clWhite);

  const std::string lName = lSymbol->Name().toStdString();
  auto lSetPrice = [&](double aPrice) {
    Admin("/admin/price", R"({"symbol":")" + lName + R"(","price":")" +
                              QString::number(aPrice, 'f', 8).toStdString() + R"("})");
  };
  lSetPrice(lPrice * 2);
  ASSERT_TRUE(LoadPrices());
  EXPECT_DOUBLE_EQ(lSymbol->LastPrice(), lPrice * 2);
  EXPECT_EQ(lSymbol->Color(), clLtGreen);
  lSetPrice(lPrice);
  ASSERT_TRUE(LoadPrices());
  EXPECT_DOUBLE_EQ(lSymbol->LastPrice(), lPrice);
  EXPECT_EQ(lSymbol->Color(), clLtRed);
  ASSERT_TRUE(LoadPrices());
  EXPECT_EQ(lSymbol->Color(), clWhite);
  EXPECT_EQ(Symbols().Count(), 300); // found again, never added twice

  // The selected symbol's own price (no chart) updates that symbol only.
  lSetPrice(lPrice * 2);
  ASSERT_TRUE(RunUntilNotified(BASE_MAIN_SYMBOLS, [&] { User->TickerPrice(lSymbol->Name()); }));
  EXPECT_DOUBLE_EQ(lSymbol->LastPrice(), lPrice * 2);
  EXPECT_EQ(lSymbol->Color(), clLtGreen);
}

TEST_F(MarketExchange, OrderBookOfTheSelectedSymbolInThePartsOrder)
{
  ASSERT_TRUE(SyncTime());
  ASSERT_TRUE(Load24hr());
  User->Input()->SetSymbol(ShowList().Name(0));
  ASSERT_TRUE(RunUntilNotified(BASE_MAIN_DEPTH, [] { User->DepthEx(); }));
  const TDepthList &lBook = *User->DepthList();
  ASSERT_GT(lBook.Count(), 1);
  ASSERT_LE(lBook.Count(), 10);
  int lAsks = 0;
  while (lAsks < lBook.Count() && lBook.GetItem(lAsks).Side == QLatin1String("ASK"))
    ++lAsks;
  ASSERT_GE(lAsks, 1);
  ASSERT_LE(lAsks, 5);
  ASSERT_LE(lBook.Count() - lAsks, 5);
  double lMax = 0;
  for (int i = 0; i < lBook.Count(); ++i) {
    const TDepth &lLevel = lBook.GetItem(i);
    EXPECT_EQ(lLevel.Side, i < lAsks ? QStringLiteral("ASK") : QStringLiteral("BID"));
    if (i > 0) {
      EXPECT_LT(lLevel.Price, lBook.GetItem(i - 1).Price) << "level " << i;
    }
    lMax = std::max(lMax, lLevel.Quantity);
  }
  EXPECT_EQ(lBook.MaxQuantity(), lMax);
}

TEST_F(MarketExchange, BookTickerForTheOrderDialog)
{
  ASSERT_TRUE(Load24hr());
  TNotifyRecorder lDialog;
  User->Publisher()->Subscribe(&lDialog, ORDER_BOOK_TICKER);
  User->TickerBookTicker(ShowList().Name(0));
  EXPECT_TRUE(PumpUntil([&] { return lDialog.Count(ORDER_BOOK_TICKER) == 1; }, 10000));
  EXPECT_GT(User->Bid(), 0);
  EXPECT_GT(User->Ask(), User->Bid());
  User->Publisher()->Unsubscribe(&lDialog, ORDER_BOOK_TICKER);
}
