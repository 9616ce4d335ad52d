#include "kline.h"

#include "market_json.h"
#include "utils.h"

#include <QJsonArray>

std::vector<TKlineValues> ParseKlinePage(const QJsonArray &aPage)
{
  std::vector<TKlineValues> lResult;
  lResult.reserve(static_cast<size_t>(aPage.size()));
  for (const QJsonValue &lElement : aPage) {
    if (!lElement.isArray())
      continue;
    const QJsonArray lKline = lElement.toArray();
    TKlineValues &lValues = lResult.emplace_back();
    lValues.OpenTime = JsonInt64(lKline.at(0));
    lValues.Open = JsonNumber(lKline.at(1));
    lValues.High = JsonNumber(lKline.at(2));
    lValues.Low = JsonNumber(lKline.at(3));
    lValues.Close = JsonNumber(lKline.at(4));
    lValues.Volume = JsonNumber(lKline.at(5));
    lValues.CloseTime = JsonInt64(lKline.at(6));
    lValues.QuoteAssetVolume = JsonNumber(lKline.at(7));
    lValues.Number = JsonInt64(lKline.at(8));
    lValues.BaseAsset = JsonNumber(lKline.at(9));
    lValues.QuoteAsset = JsonNumber(lKline.at(10));
    lValues.Ignore = JsonNumber(lKline.at(11));
  }
  return lResult;
}

TDateTime TKline::OpenTimeEx() const
{
  return StampToDate(fOpenTime);
}

TKline *TKlineList::Add(std::int64_t aOpenTime)
{
  auto &lKline = fItems.emplace_back(std::make_unique<TKline>());
  lKline->fOpenTime = aOpenTime;
  // The first kline of an open time stays the one Find answers.
  fIndex.emplace(aOpenTime, lKline.get());
  if (aOpenTime < fMinDate)
    fMinDate = aOpenTime;
  return lKline.get();
}

void TKlineList::Clear()
{
  fIndex.clear();
  fItems.clear();
  fMinDate = cNoDate;
}

TKline *TKlineList::Find(std::int64_t aOpenTime) const
{
  const auto lIt = fIndex.find(aOpenTime);
  return lIt == fIndex.end() ? nullptr : lIt->second;
}

TKline *TKlineList::Merge(const TKlineValues &aValues)
{
  TKline *lKline = Find(aValues.OpenTime);
  if (!lKline)
    lKline = Add(aValues.OpenTime);
  lKline->fIsInChart = false;
  lKline->Open = aValues.Open;
  lKline->High = aValues.High;
  lKline->Low = aValues.Low;
  lKline->Close = aValues.Close;
  lKline->Volume = aValues.Volume;
  lKline->CloseTime = aValues.CloseTime;
  lKline->QuoteAssetVolume = aValues.QuoteAssetVolume;
  lKline->Number = aValues.Number;
  lKline->BaseAsset = aValues.BaseAsset;
  lKline->QuoteAsset = aValues.QuoteAsset;
  lKline->Ignore = aValues.Ignore;
  return lKline;
}
