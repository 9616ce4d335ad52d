#include "depth.h"
#include "market_data.h"
#include "market_json.h"
#include "symbol_show_list.h"
#include "test_market_env.h"
#include "utils.h"
#include "volume.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <stdexcept>
#include <tuple>

using namespace market_test;

namespace {

// The readers take the answer's text, as the threads hand it over.
std::vector<TPriceTick> ParseTickerPrices(const QJsonArray &aAnswer)
{
  return ::ParseTickerPrices(QJsonDocument(aAnswer).toJson(QJsonDocument::Compact));
}

std::vector<TTicker24hr> ParseTicker24hr(const QJsonArray &aAnswer)
{
  return ::ParseTicker24hr(QJsonDocument(aAnswer).toJson(QJsonDocument::Compact));
}

QJsonArray Array(const char *aJson)
{
  return QJsonDocument::fromJson(QByteArray(aJson)).array();
}

QJsonArray Prices(std::initializer_list<std::pair<const char *, const char *>> aPrices)
{
  QJsonArray lResult;
  for (const auto &[lSymbol, lPrice] : aPrices)
    lResult.append(QJsonObject{{"symbol", lSymbol}, {"price", lPrice}});
  return lResult;
}

QJsonObject Ticker(const char *aSymbol, double aLast, double aQuoteVolume = 0)
{
  return QJsonObject{{"symbol", aSymbol},
                     {"priceChangePercent", "-3.003"},
                     {"lastPrice", QString::number(aLast, 'f', 8)},
                     {"bidPrice", QString::number(aLast - 0.01, 'f', 8)},
                     {"askPrice", QString::number(aLast + 0.01, 'f', 8)},
                     {"highPrice", QString::number(aLast * 1.1, 'f', 8)},
                     {"lowPrice", QString::number(aLast * 0.9, 'f', 8)},
                     {"quoteVolume", QString::number(aQuoteVolume, 'f', 8)}};
}

class MarketDataTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fEnv = std::make_unique<TMarketEnv>();
    fShow = std::make_unique<TSymbolShowList>();
  }
  void TearDown() override
  {
    fShow.reset();
    fEnv.reset();
  }
  TSymbol *Symbol(const char *aName) { return fShow->SymbolList().Find(aName); }

  std::unique_ptr<TMarketEnv> fEnv;
  std::unique_ptr<TSymbolShowList> fShow;
};

} // namespace

TEST(MarketJson, NumbersFromStringsOrNumbersAndZeroForTheRest)
{
  EXPECT_DOUBLE_EQ(JsonNumber(QJsonValue("4.00000200")), 4.000002);
  EXPECT_DOUBLE_EQ(JsonNumber(QJsonValue(12.5)), 12.5);
  EXPECT_EQ(JsonNumber(QJsonValue("4,5")), 0); // "." is the only decimal point
  EXPECT_EQ(JsonNumber(QJsonValue("nan")), 0);
  EXPECT_EQ(JsonNumber(QJsonValue()), 0);
  EXPECT_EQ(JsonNumber(QJsonValue(QJsonArray{1})), 0);
  EXPECT_EQ(JsonInt64(QJsonValue(static_cast<qint64>(1706630400000))), 1706630400000);
  EXPECT_EQ(JsonInt64(QJsonValue("3397148653")), 3397148653);
  EXPECT_EQ(JsonInt64(QJsonValue(1e30)), 0);
  EXPECT_EQ(JsonInt64(QJsonValue(true)), 0);
}

TEST_F(MarketDataTest, PriceMovesColourTheSymbol)
{
  OutputTickerPrices(*fShow, ParseTickerPrices(Prices({{"ETHBTC", "0.05"}})));
  EXPECT_EQ(Symbol("ETHBTC")->Color(), clLtGreen); // first price: up from 0
  EXPECT_EQ(Symbol("ETHBTC")->LastPrice(), 0.05);
  OutputTickerPrices(*fShow, ParseTickerPrices(Prices({{"ETHBTC", "0.06"}})));
  EXPECT_EQ(Symbol("ETHBTC")->Color(), clLtGreen);
  OutputTickerPrices(*fShow, ParseTickerPrices(Prices({{"ETHBTC", "0.04"}})));
  EXPECT_EQ(Symbol("ETHBTC")->Color(), clLtRed);
  OutputTickerPrices(*fShow, ParseTickerPrices(Prices({{"ETHBTC", "0.04"}})));
  EXPECT_EQ(Symbol("ETHBTC")->Color(), clWhite);
  EXPECT_EQ(Symbol("ETHBTC")->LastPrice(), 0.04);
  EXPECT_EQ(fShow->SymbolList().Count(), 1);
}

TEST_F(MarketDataTest, PriceAnswerAddsNewSymbolsOnceAndFillsOnlyAnEmptyShowList)
{
  OutputTickerPrices(*fShow, ParseTickerPrices(Prices({{"LTCBTC", "0.001"}, {"ETHBTC", "0.05"}})));
  EXPECT_EQ(fShow->Names(), (QStringList{"LTCBTC", "ETHBTC"}));
  fShow->DeleteSymbol("LTCBTC");
  // A known symbol in other letter case and a new one; the show list is not refilled.
  OutputTickerPrices(*fShow, ParseTickerPrices(Prices({{"ltcbtc", "0.002"}, {"BNBBTC", "0.01"}})));
  EXPECT_EQ(fShow->SymbolList().Count(), 3);
  EXPECT_EQ(Symbol("LTCBTC")->LastPrice(), 0.002);
  EXPECT_EQ(fShow->Names(), (QStringList{"ETHBTC"}));
}

TEST_F(MarketDataTest, PriceElementsWithoutASymbolAreLeftOut)
{
  const auto lTicks = ParseTickerPrices(Array(R"([{"price":"1"},{"symbol":""},7,
      {"symbol":"XRPBTC","price":"0.00000351"},{"symbol":"ADABTC"}])"));
  ASSERT_EQ(lTicks.size(), 2u);
  EXPECT_EQ(lTicks[0].Symbol, QStringLiteral("XRPBTC"));
  EXPECT_DOUBLE_EQ(lTicks[0].Price, 0.00000351);
  EXPECT_EQ(lTicks[1].Price, 0); // a missing key reads as 0
}

// The answer's text is read as the JSON tree read it: numbers or decimal strings with ".",
// anything else 0; names keep their case, their key folds it.
TEST(MarketText, PricesAndNamesReadAsTheJsonTreeReadThem)
{
  const auto lTicks = ::ParseTickerPrices(QByteArrayLiteral(
      R"([{"symbol":"XRPBTC","price":"0.00000351"},{"price":12.5,"symbol":"ethBTC"},)"
      R"({"symbol":"A","price":"4,5"},{"symbol":"B","price":" 7"},{"symbol":"C","price":"nan"},)"
      R"({"symbol":"D","price":null},{"symbol":5,"price":"1"},{"symbol":"ÄBC","price":"1e2"}])"));
  const std::vector<std::tuple<QString, QString, double>> lExpected = {
      {"XRPBTC", "xrpbtc", 0.00000351},
      {"ethBTC", "ethbtc", 12.5},
      {"A", "a", 0},
      {"B", "b", 7},
      {"C", "c", 0},
      {"D", "d", 0},
      {"ÄBC", "äbc", 100}};
  ASSERT_EQ(lTicks.size(), lExpected.size());
  for (size_t i = 0; i < lTicks.size(); ++i) {
    EXPECT_EQ(lTicks[i].Symbol, std::get<0>(lExpected[i]));
    EXPECT_EQ(lTicks[i].Key, std::get<1>(lExpected[i]));
    EXPECT_DOUBLE_EQ(lTicks[i].Price, std::get<2>(lExpected[i])) << i;
  }
  EXPECT_TRUE(::ParseTickerPrices(QByteArrayLiteral(R"({"code":-1121})")).empty());
  // A damaged text yields nothing, not the elements before the damage.
  for (const QByteArray &lBad :
       {QByteArrayLiteral(R"([{"symbol":"A","price":"1"},{"symbol":tru}])"),
        QByteArrayLiteral(R"([{"symbol":"A","price":"1"}] x)"),
        QByteArrayLiteral(R"([{"symbol":"A","price":"1"})")}) {
    EXPECT_THROW(::ParseTickerPrices(lBad), TJsonTextError) << lBad.toStdString();
    EXPECT_THROW(::ParseTicker24hr(lBad), TJsonTextError) << lBad.toStdString();
  }
}

TEST_F(MarketDataTest, SymbolPriceWithoutChartUpdatesOnlyAKnownSymbol)
{
  OutputTickerPrices(*fShow, ParseTickerPrices(Prices({{"ETHBTC", "0.05"}})));
  EXPECT_TRUE(OutputSymbolPrice(*fShow, "ethbtc", 0.04));
  EXPECT_EQ(Symbol("ETHBTC")->Color(), clLtRed);
  EXPECT_EQ(Symbol("ETHBTC")->LastPrice(), 0.04);
  EXPECT_FALSE(OutputSymbolPrice(*fShow, "DOGEBTC", 1));
  EXPECT_EQ(fShow->SymbolList().Count(), 1);
}

TEST_F(MarketDataTest, Ticker24hrRebuildsTheListAndRelinksTheShowList)
{
  OutputTickerPrices(*fShow, ParseTickerPrices(Prices({{"OLDBTC", "1"}, {"ETHBTC", "0.05"}})));
  fShow->HideSymbols({"ETHBTC", "OLDBTC"});
  TSymbol *lOldEth = Symbol("ETHBTC");
  ASSERT_EQ(fShow->GetItem(1), lOldEth);
  SysTime->SetTime(EncodeDateTime(2026, 5, 4, 12, 0, 0));

  QJsonArray lAnswer{Ticker("ZECBTC", 0.0008), Ticker("ETHBTC", 0.051), Ticker("ADABTC", 0.00001)};
  OutputTicker24hr(*fShow, ParseTicker24hr(lAnswer));

  TSymbolList &lList = fShow->SymbolList();
  ASSERT_EQ(lList.Count(), 3); // OLDBTC is gone with the rebuild
  EXPECT_EQ(lList.GetItem(0)->Name(), QStringLiteral("ZECBTC"));
  EXPECT_EQ(lList.GetItem(2)->Name(), QStringLiteral("ADABTC"));
  EXPECT_EQ(Symbol("OLDBTC"), nullptr);
  TSymbol *lEth = Symbol("eThBtC");
  ASSERT_NE(lEth, nullptr);
  EXPECT_DOUBLE_EQ(lEth->LastPrice(), 0.051);
  EXPECT_DOUBLE_EQ(lEth->PriceChangePercent(), -3.003);
  EXPECT_DOUBLE_EQ(lEth->BidPrice(), 0.041);
  EXPECT_DOUBLE_EQ(lEth->AskPrice(), 0.061);
  EXPECT_DOUBLE_EQ(lEth->HighPrice(), 0.051 * 1.1);
  EXPECT_DOUBLE_EQ(lEth->LowPrice(), 0.051 * 0.9);
  EXPECT_EQ(lEth->Color(), clWhite);
  EXPECT_EQ(lEth->Time(), SysTime->Time());
  // The show list keeps its lines, linked to the new symbols; a vanished name links to none.
  EXPECT_EQ(fShow->Names(), (QStringList{"OLDBTC", "ETHBTC"}));
  EXPECT_EQ(fShow->GetItem(0), nullptr);
  EXPECT_EQ(fShow->GetItem(1), lEth);
  // The index is in name order again, so lookups by halving find every symbol.
  for (int i = 1; i < lList.IndexCount(); ++i)
    EXPECT_LT(TSymbolList::Key(lList.IndexItem(i - 1)->Name()),
              TSymbolList::Key(lList.IndexItem(i)->Name()));
  EXPECT_EQ(Symbol("adabtc"), lList.GetItem(2));
}

TEST_F(MarketDataTest, Ticker24hrFillsAnEmptyShowListInAnswerOrder)
{
  OutputTicker24hr(*fShow, ParseTicker24hr(QJsonArray{Ticker("B", 1), Ticker("A", 2)}));
  EXPECT_EQ(fShow->Names(), (QStringList{"B", "A"}));
  EXPECT_EQ(fShow->GetItem(0), Symbol("B"));
  EXPECT_EQ(fShow->GetItem(1), Symbol("A"));
}

TEST_F(MarketDataTest, Ticker24hrRepeatedSymbolIsOneSymbolWithTheLastValues)
{
  OutputTicker24hr(*fShow, ParseTicker24hr(QJsonArray{Ticker("ETHBTC", 1), Ticker("LTCBTC", 3),
                                                      Ticker("ethbtc", 2)}));
  ASSERT_EQ(fShow->SymbolList().Count(), 2);
  EXPECT_EQ(Symbol("ETHBTC")->LastPrice(), 2);
  EXPECT_EQ(fShow->SymbolList().IndexCount(), 2);
}

TEST_F(MarketDataTest, Ticker24hrWithoutSymbolsKeepsTheLastGoodList)
{
  OutputTicker24hr(*fShow, ParseTicker24hr(QJsonArray{Ticker("ETHBTC", 1)}));
  TSymbol *lEth = Symbol("ETHBTC");
  OutputTicker24hr(*fShow, ParseTicker24hr(QJsonArray{}));
  OutputTicker24hr(*fShow, ParseTicker24hr(Array(R"([{"code":-1}])")));
  EXPECT_EQ(Symbol("ETHBTC"), lEth);
  EXPECT_EQ(fShow->GetItem(0), lEth);
}

TEST_F(MarketDataTest, OrderBookAsksReversedOnTopBidsBelow)
{
  TDepthList lDepth;
  const QJsonValue lAnswer = QJsonDocument::fromJson(R"({"lastUpdateId":1027024,
      "asks":[["10","1"],["11","2"],["12","9.5"],["13","3"],["14","4"]],
      "bids":[["9","5"],["8","6"],["7","0.5"],["6","7"],["5","8"]]})")
                                 .object();
  OutputDepth(lDepth, ParseDepth(lAnswer));
  ASSERT_EQ(lDepth.Count(), 10);
  const double lPrices[] = {14, 13, 12, 11, 10, 9, 8, 7, 6, 5};
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(lDepth.GetItem(i).Price, lPrices[i]) << i;
    EXPECT_EQ(lDepth.GetItem(i).Side, i < 5 ? QStringLiteral("ASK") : QStringLiteral("BID"));
  }
  EXPECT_EQ(lDepth.GetItem(2).Quantity, 9.5);
  EXPECT_EQ(lDepth.MaxQuantity(), 9.5);

  // The next answer replaces the whole book.
  OutputDepth(lDepth,
              ParseDepth(QJsonDocument::fromJson(R"({"asks":[["3","1"]],"bids":[]})").object()));
  ASSERT_EQ(lDepth.Count(), 1);
  EXPECT_EQ(lDepth.MaxQuantity(), 1);
}

TEST_F(MarketDataTest, OrderBookWithoutASideRaisesAndKeepsTheBook)
{
  TDepthList lDepth;
  OutputDepth(
      lDepth,
      ParseDepth(QJsonDocument::fromJson(R"({"asks":[["3","1"]],"bids":[["2","4"]]})").object()));
  try {
    OutputDepth(lDepth, ParseDepth(QJsonDocument::fromJson(R"({"asks":[["5","1"]]})").object()));
    FAIL() << "no error for a missing side";
  } catch (const std::exception &e) {
    EXPECT_EQ(QString::fromUtf8(e.what()), cDepthSideMissing);
  }
  EXPECT_THROW(OutputDepth(lDepth, ParseDepth(QJsonValue(QJsonArray{}))), std::exception);
  ASSERT_EQ(lDepth.Count(), 2);
  EXPECT_EQ(lDepth.GetItem(0).Price, 3);
  EXPECT_EQ(lDepth.MaxQuantity(), 4);
}

TEST(VolumeMonitor, WatchesOnlyCoinsQuotedInBtc)
{
  EXPECT_TRUE(IsBtcQuoted("ETHBTC"));
  EXPECT_FALSE(IsBtcQuoted("BTCUSDT"));
  EXPECT_FALSE(IsBtcQuoted("BTCBTC")); // "BTC" earlier than the end
  EXPECT_FALSE(IsBtcQuoted("ETHBTCX"));
  EXPECT_FALSE(IsBtcQuoted("ethbtc"));
  EXPECT_FALSE(IsBtcQuoted(""));
}

TEST_F(MarketDataTest, VolumeMonitorTakesTheFirstVolumeAsReferenceThenSignalsDrops)
{
  OutputTicker24hr(*fShow, ParseTicker24hr(QJsonArray{Ticker("ETHBTC", 1), Ticker("BTCUSDT", 1)}));
  TVolumeList lRows;
  const TDateTime lNow = EncodeDateTime(2026, 5, 4, 12, 0, 0);
  auto lAnswer = [](double aEth, double aBtc) {
    return ParseTicker24hr(QJsonArray{Ticker("ETHBTC", 1, aEth), Ticker("BTCUSDT", 1, aBtc),
                                      Ticker("NOTLISTEDBTC", 1, 5)});
  };
  OutputVolumes(fShow->SymbolList(), lRows, lAnswer(1000, 1000), lNow);
  EXPECT_EQ(Symbol("ETHBTC")->FirstQuoteVolume(), 1000);
  EXPECT_EQ(Symbol("BTCUSDT")->FirstQuoteVolume(), 0); // not watched
  EXPECT_EQ(Symbol("NOTLISTEDBTC"), nullptr);
  EXPECT_EQ(lRows.Count(), 0);

  OutputVolumes(fShow->SymbolList(), lRows, lAnswer(997, 500), lNow); // exactly 0.3 %
  EXPECT_EQ(lRows.Count(), 0);
  EXPECT_EQ(Symbol("ETHBTC")->QuoteVolume(), 997);

  OutputVolumes(fShow->SymbolList(), lRows, lAnswer(990, 1), lNow); // 0.7 %
  ASSERT_EQ(lRows.Count(), 1);
  EXPECT_EQ(lRows.GetItem(0).Ping, 1);
  EXPECT_DOUBLE_EQ(lRows.GetItem(0).VolumeChange, 7);
  EXPECT_DOUBLE_EQ(lRows.GetItem(0).VolumePerc, 0.7);
  EXPECT_EQ(lRows.GetItem(0).Date, lNow);

  OutputVolumes(fShow->SymbolList(), lRows, lAnswer(995, 1), lNow);     // a rise: no signal
  OutputVolumes(fShow->SymbolList(), lRows, lAnswer(985, 1), lNow + 1); // 1 %
  ASSERT_EQ(lRows.Count(), 2);
  const TVolume &lNewest = lRows.GetItem(0);
  EXPECT_EQ(lNewest.Symbol, QStringLiteral("ETHBTC"));
  EXPECT_EQ(lNewest.Ping, 2);
  EXPECT_DOUBLE_EQ(lNewest.SumVolume, 17);
  EXPECT_DOUBLE_EQ(lNewest.SumVolumePerc, 1.7);
  EXPECT_EQ(lNewest.Date, lNow + 1);
  EXPECT_EQ(lNewest.Color, 0u);
  EXPECT_EQ(lNewest.QuoteVolume, 0);
  EXPECT_EQ(lRows.Find("ETHBTC"), &lRows.GetItem(0));
  EXPECT_EQ(lRows.Find("ethbtc"), nullptr); // letter case counts here
}

TEST_F(MarketDataTest, VolumeMonitorStateSurvivesThe24hrRebuild)
{
  OutputTicker24hr(*fShow, ParseTicker24hr(QJsonArray{Ticker("ETHBTC", 1)}));
  TVolumeList lRows;
  OutputVolumes(fShow->SymbolList(), lRows, ParseTicker24hr(QJsonArray{Ticker("ETHBTC", 1, 1000)}),
                0);
  OutputTicker24hr(*fShow, ParseTicker24hr(QJsonArray{Ticker("ETHBTC", 1), Ticker("A", 1)}));
  EXPECT_EQ(Symbol("ETHBTC")->FirstQuoteVolume(), 1000);
  OutputVolumes(fShow->SymbolList(), lRows, ParseTicker24hr(QJsonArray{Ticker("ETHBTC", 1, 900)}),
                0);
  ASSERT_EQ(lRows.Count(), 1);
  EXPECT_DOUBLE_EQ(lRows.GetItem(0).VolumePerc, 10);
}
