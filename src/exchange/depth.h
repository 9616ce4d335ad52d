#pragma once

#include <QString>

#include <vector>

// One order book level.
struct TDepth
{
  QString Side; // "ASK" or "BID"
  double Price = 0;
  double Quantity = 0;
};

// The order book of the selected symbol: highest ask first down to the best ask, then the
// best bid down to the lowest bid.
class TDepthList
{
public:
  int Count() const { return static_cast<int>(fItems.size()); }
  const TDepth &GetItem(int aIndex) const { return fItems[static_cast<size_t>(aIndex)]; }
  const TDepth &Items(int aIndex) const { return GetItem(aIndex); }

  TDepth &Add() { return fItems.emplace_back(); }
  TDepth &Insert(int aIndex);
  void Clear() { fItems.clear(); }

  // The largest quantity of the book, for the depth bars.
  double MaxQuantity() const { return fMaxQuantity; }
  void SetMaxQuantity(double aValue) { fMaxQuantity = aValue; }

private:
  std::vector<TDepth> fItems;
  double fMaxQuantity = 0;
};
