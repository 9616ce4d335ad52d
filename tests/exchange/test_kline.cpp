#include "kline.h"
#include "utils.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

#include <set>

namespace {

TKlineValues Values(std::int64_t aOpenTime, double aClose)
{
  TKlineValues lValues;
  lValues.OpenTime = aOpenTime;
  lValues.Open = lValues.High = lValues.Low = lValues.Close = aClose;
  lValues.CloseTime = aOpenTime + 59999;
  return lValues;
}

} // namespace

TEST(KlineList, EmptyListHasTheLargestMinDate)
{
  TKlineList lList;
  EXPECT_EQ(lList.MinDate(), 9223372036854775807);
  EXPECT_EQ(lList.Find(0), nullptr);
  EXPECT_FALSE(lList.IsLoading());
}

TEST(KlineList, ParsesTheTwelveElementsInOrder)
{
  const auto lPage = ParseKlinePage(QJsonDocument::fromJson(R"([
      [1706630400000,"43519.34","43936.00","43171.00","43488.71","20.55495",1706633999999,
       "891428.42858070",3743,"10.91428","473782.9573992","0"],
      "not a kline", [1706634000000]])")
                                        .array());
  ASSERT_EQ(lPage.size(), 2u);
  const TKlineValues &lK = lPage[0];
  EXPECT_EQ(lK.OpenTime, 1706630400000);
  EXPECT_DOUBLE_EQ(lK.Open, 43519.34);
  EXPECT_DOUBLE_EQ(lK.High, 43936.00);
  EXPECT_DOUBLE_EQ(lK.Low, 43171.00);
  EXPECT_DOUBLE_EQ(lK.Close, 43488.71);
  EXPECT_DOUBLE_EQ(lK.Volume, 20.55495);
  EXPECT_EQ(lK.CloseTime, 1706633999999);
  EXPECT_DOUBLE_EQ(lK.QuoteAssetVolume, 891428.42858070);
  EXPECT_EQ(lK.Number, 3743);
  EXPECT_DOUBLE_EQ(lK.BaseAsset, 10.91428);
  EXPECT_DOUBLE_EQ(lK.QuoteAsset, 473782.9573992);
  EXPECT_EQ(lK.Ignore, 0);
  EXPECT_EQ(lPage[1].OpenTime, 1706634000000); // a short kline reads its missing parts as 0
  EXPECT_EQ(lPage[1].Close, 0);
}

TEST(KlineList, MergeOverwritesTheSameOpenTimeInPlaceAndAppendsOthers)
{
  TKlineList lList;
  lList.Merge(Values(3000, 3));
  lList.Merge(Values(1000, 1));
  lList.GetItem(0)->SetIsInChart(true);
  lList.GetItem(1)->SetIsInChart(true);

  TKline *lUpdated = lList.Merge(Values(3000, 30));
  lList.Merge(Values(2000, 2));
  ASSERT_EQ(lList.Count(), 3);
  EXPECT_EQ(lUpdated, lList.GetItem(0));
  EXPECT_EQ(lList.GetItem(0)->Close, 30);
  EXPECT_FALSE(lList.GetItem(0)->IsInChart());
  EXPECT_TRUE(lList.GetItem(1)->IsInChart());    // untouched
  EXPECT_EQ(lList.GetItem(2)->OpenTime(), 2000); // arrival order, not time order
  EXPECT_EQ(lList.MinDate(), 1000);
  EXPECT_EQ(lList.Find(2000), lList.GetItem(2));
  EXPECT_EQ(lList.GetItem(1)->OpenTimeEx(), StampToDate(1000));
}

TEST(KlineList, MinuteUpdateOverwritesTheCurrentKlineAndAppendsTheNext)
{
  TKlineList lList;
  for (int i = 0; i < 5; ++i)
    lList.Merge(Values(60000 * i, i))->SetIsInChart(true);
  lList.Merge(Values(60000 * 4, 4.5)); // the final values of the previous period
  lList.Merge(Values(60000 * 5, 5));   // the period that has just begun
  ASSERT_EQ(lList.Count(), 6);
  EXPECT_EQ(lList.GetItem(4)->Close, 4.5);
  EXPECT_FALSE(lList.GetItem(4)->IsInChart());
  EXPECT_FALSE(lList.GetItem(5)->IsInChart());
  EXPECT_TRUE(lList.GetItem(3)->IsInChart());
}

TEST(KlineList, FindAnswersTheFirstOfRepeatedOpenTimes)
{
  TKlineList lList;
  TKline *lFirst = lList.Add(500);
  lList.Add(500);
  EXPECT_EQ(lList.Find(500), lFirst);
  EXPECT_EQ(lList.MinDate(), 500);
  lList.Clear();
  EXPECT_EQ(lList.Count(), 0);
  EXPECT_EQ(lList.Find(500), nullptr);
  EXPECT_EQ(lList.MinDate(), TKlineList::cNoDate);
}

TEST(KlineList, BackwardPagesNeverDuplicateAnOpenTime)
{
  // Pages as the history loader gets them: each ends at the earliest open time held.
  TKlineList lList;
  std::int64_t lEnd = 100000;
  for (int lPage = 0; lPage < 4; ++lPage) {
    for (std::int64_t t = lEnd - 9; t <= lEnd; ++t)
      lList.Merge(Values(t, static_cast<double>(t)));
    lEnd = lList.MinDate();
  }
  EXPECT_EQ(lList.Count(), 10 + 3 * 9);
  std::set<std::int64_t> lTimes;
  for (int i = 0; i < lList.Count(); ++i)
    lTimes.insert(lList.GetItem(i)->OpenTime());
  EXPECT_EQ(static_cast<int>(lTimes.size()), lList.Count());
  // Newest page first, each page ascending.
  EXPECT_EQ(lList.GetItem(0)->OpenTime(), 99991);
  EXPECT_EQ(lList.GetItem(10)->OpenTime(), 99982);
}

TEST(KlineList, MergeOfAHeldOpenTimeOverwritesEveryField)
{
  // Eleven values that differ from each other and from the kline already held.
  auto lAll = [](double aBase) {
    TKlineValues lValues;
    lValues.OpenTime = 60000;
    lValues.Open = aBase + 1;
    lValues.High = aBase + 2;
    lValues.Low = aBase + 3;
    lValues.Close = aBase + 4;
    lValues.Volume = aBase + 5;
    lValues.CloseTime = static_cast<std::int64_t>(aBase) + 6;
    lValues.QuoteAssetVolume = aBase + 7;
    lValues.Number = static_cast<std::int64_t>(aBase) + 8;
    lValues.BaseAsset = aBase + 9;
    lValues.QuoteAsset = aBase + 10;
    lValues.Ignore = aBase + 11;
    return lValues;
  };
  TKlineList lList;
  lList.Merge(lAll(100));
  const TKlineValues lNew = lAll(200);
  const TKline *lKline = lList.Merge(lNew);
  ASSERT_EQ(lList.Count(), 1);
  EXPECT_EQ(lKline->OpenTime(), lNew.OpenTime);
  EXPECT_EQ(lKline->Open, lNew.Open);
  EXPECT_EQ(lKline->High, lNew.High);
  EXPECT_EQ(lKline->Low, lNew.Low);
  EXPECT_EQ(lKline->Close, lNew.Close);
  EXPECT_EQ(lKline->Volume, lNew.Volume);
  EXPECT_EQ(lKline->CloseTime, lNew.CloseTime);
  EXPECT_EQ(lKline->QuoteAssetVolume, lNew.QuoteAssetVolume);
  EXPECT_EQ(lKline->Number, lNew.Number);
  EXPECT_EQ(lKline->BaseAsset, lNew.BaseAsset);
  EXPECT_EQ(lKline->QuoteAsset, lNew.QuoteAsset);
  EXPECT_EQ(lKline->Ignore, lNew.Ignore);
}
