#pragma once

#include "consts.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

class QJsonArray;
class QJsonValue;

// The twelve elements of one kline of an answer, read into numbers on the worker.
struct TKlineValues
{
  std::int64_t OpenTime = 0;
  double Open = 0;
  double High = 0;
  double Low = 0;
  double Close = 0;
  double Volume = 0;
  std::int64_t CloseTime = 0;
  double QuoteAssetVolume = 0;
  std::int64_t Number = 0;
  double BaseAsset = 0;
  double QuoteAsset = 0;
  double Ignore = 0;
};

// A klines answer (an array of 12-element arrays) in reply order. Elements that are not arrays
// are left out; a missing or unreadable element reads as 0.
std::vector<TKlineValues> ParseKlinePage(const QJsonArray &aPage);

// One candle of the exchange, as element 0..11 of its kline array.
class TKline
{
public:
  bool IsInChart() const { return fIsInChart; }
  void SetIsInChart(bool aValue) { fIsInChart = aValue; }

  // The open time is the kline's identity in its list; the list sets it.
  std::int64_t OpenTime() const { return fOpenTime; }
  // The open time as a date-time in the fixed UTC+3 representation.
  TDateTime OpenTimeEx() const;
  TDateTime GetOpenTime() const { return OpenTimeEx(); }

  double Open = 0;
  double High = 0;
  double Low = 0;
  double Close = 0;
  double Volume = 0;
  std::int64_t CloseTime = 0;
  double QuoteAssetVolume = 0;
  std::int64_t Number = 0;
  double BaseAsset = 0;
  double QuoteAsset = 0;
  double Ignore = 0;

private:
  friend class TKlineList;
  bool fIsInChart = false;
  std::int64_t fOpenTime = 0;
};

// One chart's klines in the order they were first added; never sorted, never trimmed. An index
// by open time lets a page merge cost O(page) rather than O(page x list).
class TKlineList
{
public:
  static constexpr std::int64_t cNoDate = std::numeric_limits<std::int64_t>::max();

  TKlineList() = default;
  TKlineList(const TKlineList &) = delete;
  TKlineList &operator=(const TKlineList &) = delete;

  int Count() const { return static_cast<int>(fItems.size()); }
  TKline *GetItem(int aIndex) const { return fItems[static_cast<size_t>(aIndex)].get(); }
  TKline *Items(int aIndex) const { return GetItem(aIndex); }

  // A new kline at the end with the given open time.
  TKline *Add(std::int64_t aOpenTime = 0);
  void Clear();
  // The first kline (from position 0) with that open time, or none.
  TKline *Find(std::int64_t aOpenTime) const;
  // The merge rule: the kline with that open time is overwritten in place, any other one is
  // appended; either way it is flagged for redrawing.
  TKline *Merge(const TKlineValues &aValues);
  // The smallest open time held, or cNoDate when the list is empty.
  std::int64_t MinDate() const { return fMinDate; }
  std::int64_t GetMinDate() const { return fMinDate; }

  // True while a history load for this list runs; set on one thread, read on another.
  bool IsLoading() const { return fIsLoading; }
  void SetIsLoading(bool aValue) { fIsLoading = aValue; }

  // Declared for the record; the chart's own symbol and interval are the ones used.
  QString Symbol;
  TChartInterval LastChartInterval = m1;

  // A bulk update: the chart redraws once after it, not per kline.
  void BeginUpdate() { ++fUpdateCount; }
  void EndUpdate() { --fUpdateCount; }
  bool Updating() const { return fUpdateCount > 0; }

private:
  std::vector<std::unique_ptr<TKline>> fItems;
  std::unordered_map<std::int64_t, TKline *> fIndex;
  std::int64_t fMinDate = cNoDate;
  std::atomic<bool> fIsLoading = false;
  int fUpdateCount = 0;
};
