#pragma once

#include "consts.h"

#include <QHash>
#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

// One exchange symbol with its prices and 24-hour figures.
class TSymbol
{
public:
  const QString &Name() const { return fName; }
  void SetName(const QString &aValue) { fName = aValue; }

  double PriceChangePercent() const { return fPriceChangePercent; }
  void SetPriceChangePercent(double aValue) { fPriceChangePercent = aValue; }
  double LastPrice() const { return fLastPrice; }
  void SetLastPrice(double aValue) { fLastPrice = aValue; }

  // These four stamp Time with the exchange clock when the value changes.
  double BidPrice() const { return fBidPrice; }
  void SetBidPrice(double aValue);
  double AskPrice() const { return fAskPrice; }
  void SetAskPrice(double aValue);
  double HighPrice() const { return fHighPrice; }
  void SetHighPrice(double aValue);
  double LowPrice() const { return fLowPrice; }
  void SetLowPrice(double aValue);

  double QuoteVolume() const { return fQuoteVolume; }
  void SetQuoteVolume(double aValue) { fQuoteVolume = aValue; }
  double FirstQuoteVolume() const { return fFirstQuoteVolume; }
  void SetFirstQuoteVolume(double aValue) { fFirstQuoteVolume = aValue; }

  TColor Color() const { return fColor; }
  void SetColor(TColor aValue) { fColor = aValue; }
  TDateTime Time() const { return fTime; }
  void SetTime(TDateTime aValue) { fTime = aValue; }

private:
  void SetStamped(double &aField, double aValue);

  QString fName;
  double fPriceChangePercent = 0;
  double fLastPrice = 0;
  double fBidPrice = 0;
  double fAskPrice = 0;
  double fHighPrice = 0;
  double fLowPrice = 0;
  double fQuoteVolume = 0;
  double fFirstQuoteVolume = 0;
  TColor fColor = 0;
  TDateTime fTime = 0;
};

// Every symbol the exchange's answers named, in the order first added, with a name index that
// ignores letter case. The index is kept in name order, so a lookup is a search by halving:
// price answers look up every symbol of the exchange once a second. Within a bulk update new
// names are only appended (found through a hash meanwhile) and the index is sorted once at its
// end, so a rebuild of the whole list costs O(n log n) rather than O(n^2).
class TSymbolList
{
public:
  TSymbolList() = default;
  TSymbolList(const TSymbolList &) = delete;
  TSymbolList &operator=(const TSymbolList &) = delete;

  int Count() const { return static_cast<int>(fItems.size()); }
  TSymbol *GetItem(int aIndex) const { return fItems[static_cast<size_t>(aIndex)].get(); }
  TSymbol *Items(int aIndex) const { return GetItem(aIndex); }

  // A new nameless symbol at the end; it is not in the index.
  TSymbol *Add();
  // A new symbol at the end, entered in the index under aName; aKey is Key(aName) when given.
  TSymbol *Add(const QString &aName, const QString &aKey = QString());
  // The symbol indexed under aName (any letter case), or none.
  TSymbol *Find(const QString &aName) const;
  // The same with the name's Key already computed (a worker may compute it).
  TSymbol *FindKey(const QString &aKey) const;
  // The found symbol, or a new one added by name; aKey is Key(aName) when given.
  TSymbol *FindOrAdd(const QString &aName, const QString &aKey = QString());
  void Clear();

  // Names in index order; for inspection, not for lookups.
  int IndexCount() const { return static_cast<int>(fIndex.size()); }
  TSymbol *IndexItem(int aIndex) const { return fIndex[static_cast<size_t>(aIndex)].Symbol; }

  // A bulk update: views are told once at its end by the caller, not per item.
  void BeginUpdate() { ++fUpdateCount; }
  void EndUpdate();
  bool Updating() const { return fUpdateCount > 0; }

  // The case-insensitive key under which a name is indexed.
  static QString Key(const QString &aName) { return aName.toCaseFolded(); }

private:
  // The key's first characters packed so that integer order is key order for them: most
  // comparisons of a search end there without reading the key's text.
  struct TEntry
  {
    quint64 Prefix;
    QString Key;
    TSymbol *Symbol;
  };
  static quint64 Prefix(const QString &aKey);
  using TIterator = std::vector<TEntry>::const_iterator;
  static TIterator LowerBound(TIterator aBegin, TIterator aEnd, quint64 aPrefix,
                              const QString &aKey);
  TIterator LowerBound(quint64 aPrefix, const QString &aKey) const
  {
    return LowerBound(fIndex.begin(), fIndex.end(), aPrefix, aKey);
  }
  TSymbol *Insert(const QString &aName, QString aKey);

  std::vector<std::unique_ptr<TSymbol>> fItems;
  std::vector<TEntry> fIndex;
  // Names appended during a bulk update (the unsorted tail of the index) until it is sorted
  // again; the first fHashed of them are also in fPending, which a lookup brings up to date.
  mutable QHash<QString, TSymbol *> fPending;
  std::ptrdiff_t fUnsorted = 0;
  mutable std::ptrdiff_t fHashed = 0;
  int fUpdateCount = 0;
};
