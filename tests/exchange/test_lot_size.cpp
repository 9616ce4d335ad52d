#include "lot_size.h"

#include <QJsonDocument>

#include <gtest/gtest.h>

TEST(LotSize, RoundDownToStep)
{
  struct TCase
  {
    double Quantity, Step, Expected;
  };
  const TCase lCases[] = {
      {0.3, 0.001, 0.3},            // binary 299.99999999999994 steps is still 300
      {0.33333333, 0.0001, 0.3333}, // toward zero, never up
      {2.99999, 1, 2},
      {0.00009, 0.0001, 0},
      {1.23456789, 0, 1.23456789}, // no step rule
  };
  for (const TCase &lCase : lCases)
    EXPECT_NEAR(RoundDownToStep(lCase.Quantity, lCase.Step), lCase.Expected, 1e-12)
        << lCase.Quantity << " step " << lCase.Step;
}

TEST(LotSize, ParseTakesTheLotSizeFilterOfEachSymbol)
{
  const QJsonArray lSymbols = QJsonDocument::fromJson(R"([
    {"symbol":"BTCUSDT","filters":[{"filterType":"PRICE_FILTER","tickSize":"0.01"},
      {"filterType":"LOT_SIZE","minQty":"0.00001000","maxQty":"9000.0","stepSize":"0.00001000"}]},
    {"symbol":"NOLOT","filters":[{"filterType":"PRICE_FILTER","tickSize":"0.01"}]},
    {"filters":[{"filterType":"LOT_SIZE","minQty":"1","stepSize":"1"}]}])")
                                  .array();
  const auto lSizes = ParseLotSizes(lSymbols);
  ASSERT_EQ(lSizes.size(), 1);
  EXPECT_DOUBLE_EQ(lSizes.value(QStringLiteral("BTCUSDT")).Step, 0.00001);
  EXPECT_DOUBLE_EQ(lSizes.value(QStringLiteral("BTCUSDT")).MinQty, 0.00001);
}
