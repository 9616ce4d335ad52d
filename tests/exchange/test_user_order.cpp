#include "user_order.h"
#include "utils.h"

#include <QDate>
#include <QLocale>

#include <gtest/gtest.h>

namespace {

const QLocale cRussian(QLocale::Russian, QLocale::Russia);

TUserOrder &AddOrder(TUserOrderList &aList, const QString &aSymbol, const QString &aType,
                     const QString &aSide, std::int64_t aTime)
{
  TUserOrder &lOrder = aList.Add();
  lOrder.Symbol = aSymbol;
  lOrder.OrderType = aType;
  lOrder.Side = aSide;
  lOrder.Time = aTime;
  return lOrder;
}

constexpr std::int64_t cPlaced = 1717200000000; // 1 Jun 2024 00:00 UTC

} // namespace

TEST(UserOrderList, AsStringListsEveryOrderWithItsPlacingTime)
{
  TUserOrderList lList;
  EXPECT_EQ(lList.AsString(cRussian), QString());
  TUserOrder &lLimit = AddOrder(lList, QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"),
                                QStringLiteral("BUY"), cPlaced);
  lLimit.Price = 65000.5;
  lLimit.OrigQuantity = 0.01;
  lLimit.Status = QStringLiteral("NEW");
  TUserOrder &lStop = AddOrder(lList, QStringLiteral("ETHBTC"), QStringLiteral("STOP_LOSS_LIMIT"),
                               QStringLiteral("SELL"), cPlaced + 3723000);
  lStop.Price = 0.05;
  lStop.OrigQuantity = 2;
  lStop.Status = QStringLiteral("PARTIALLY_FILLED");

  const QString lDay = QStringLiteral("01.06.2024"); // the Russian short date
  EXPECT_EQ(lList.AsString(cRussian),
            QStringLiteral("BTCUSDT  p=65000,5 q=0,01 NEW BUY LIMIT ") + lDay +
                QStringLiteral(" 03:00:00; ETHBTC  p=0,05 q=2 PARTIALLY_FILLED SELL "
                               "STOP_LOSS_LIMIT ") +
                lDay + QStringLiteral(" 04:02:03"));
}

TEST(UserOrderList, FindByPairsOrdersWithinFourSeconds)
{
  TUserOrderList lList;
  const TDateTime lMainTime = StampToDate(cPlaced);
  auto Find = [&](TDateTime aTime) {
    return lList.FindBy(QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"), QStringLiteral("BUY"),
                        aTime);
  };
  EXPECT_EQ(Find(lMainTime), nullptr);
  TUserOrder &lEarly = AddOrder(lList, QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"),
                                QStringLiteral("BUY"), cPlaced - 5000);
  EXPECT_EQ(Find(lMainTime), nullptr) << "5 seconds apart";

  TUserOrder &lCopy = AddOrder(lList, QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"),
                               QStringLiteral("BUY"), cPlaced + 3000);
  EXPECT_EQ(Find(lMainTime), &lCopy) << "3 seconds apart";
  EXPECT_EQ(Find(StampToDate(cPlaced + 6000)), &lCopy) << "3 seconds the other way";
  EXPECT_EQ(Find(StampToDate(cPlaced + 3000 + 3999)), &lCopy);
  EXPECT_EQ(Find(StampToDate(cPlaced - 1000)), nullptr) << "4 whole seconds from both";
  EXPECT_EQ(Find(StampToDate(cPlaced - 1001)), &lEarly);

  AddOrder(lList, QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"), QStringLiteral("BUY"),
           cPlaced + 1000);
  EXPECT_EQ(Find(StampToDate(cPlaced - 2000)), &lEarly) << "the first match in list order";
}

TEST(UserOrderList, FindByComparesSymbolTypeAndSideExactly)
{
  TUserOrderList lList;
  AddOrder(lList, QStringLiteral("btcusdt"), QStringLiteral("LIMIT"), QStringLiteral("BUY"),
           cPlaced);
  AddOrder(lList, QStringLiteral("BTCUSDT"), QStringLiteral("MARKET"), QStringLiteral("BUY"),
           cPlaced);
  AddOrder(lList, QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"), QStringLiteral("SELL"),
           cPlaced);
  const TDateTime lTime = StampToDate(cPlaced);
  EXPECT_EQ(lList.FindBy(QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"), QStringLiteral("BUY"),
                         lTime),
            nullptr);
  TUserOrder &lMatch = AddOrder(lList, QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"),
                                QStringLiteral("BUY"), cPlaced + 1);
  EXPECT_EQ(lList.FindBy(QStringLiteral("BTCUSDT"), QStringLiteral("LIMIT"), QStringLiteral("BUY"),
                         lTime),
            &lMatch);
}

TEST(UserOrderList, KeepsWholeOrderIdsAndStableItems)
{
  TUserOrderList lList;
  EXPECT_FALSE(lList.Loaded);
  TUserOrder &lFirst = lList.Add();
  lFirst.OrderID = 5000000000123;
  for (int i = 0; i < 100; ++i)
    lList.Add();
  EXPECT_EQ(&lList.Items(0), &lFirst);
  EXPECT_EQ(lList.Items(0).OrderID, 5000000000123);
  EXPECT_EQ(lList.IndexOf(&lFirst), 0);
  lList.Clear();
  EXPECT_EQ(lList.Count(), 0);
}
