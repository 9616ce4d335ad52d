#include "symbol.h"

#include "sys_time.h"

#include <algorithm>

void TSymbol::SetStamped(double &aField, double aValue)
{
  if (aField == aValue)
    return;
  aField = aValue;
  fTime = SysTime ? SysTime->Time() : 0;
}

void TSymbol::SetBidPrice(double aValue)
{
  SetStamped(fBidPrice, aValue);
}

void TSymbol::SetAskPrice(double aValue)
{
  SetStamped(fAskPrice, aValue);
}

void TSymbol::SetHighPrice(double aValue)
{
  SetStamped(fHighPrice, aValue);
}

void TSymbol::SetLowPrice(double aValue)
{
  SetStamped(fLowPrice, aValue);
}

TSymbol *TSymbolList::Add()
{
  fItems.push_back(std::make_unique<TSymbol>());
  return fItems.back().get();
}

quint64 TSymbolList::Prefix(const QString &aKey)
{
  // Eight characters below U+00FF, one byte each; from the first other character on, all
  // bits set, so that keys alike that far are told apart by their text.
  quint64 lResult = 0;
  const qsizetype lSize = aKey.size();
  for (int i = 0; i < 8; ++i) {
    quint64 lByte = 0;
    if (i < lSize) {
      const char16_t lChar = aKey.at(i).unicode();
      if (lChar >= 0xFF)
        return i == 0 ? ~quint64{0} : (lResult << (8 * (8 - i))) | (~quint64{0} >> (8 * i));
      lByte = lChar;
    }
    lResult = (lResult << 8) | lByte;
  }
  return lResult;
}

TSymbolList::TIterator TSymbolList::LowerBound(TIterator aBegin, TIterator aEnd, quint64 aPrefix,
                                               const QString &aKey)
{
  return std::lower_bound(aBegin, aEnd, aPrefix, [&aKey](const TEntry &aEntry, quint64 aValue) {
    if (aEntry.Prefix != aValue)
      return aEntry.Prefix < aValue;
    return aEntry.Key < aKey;
  });
}

TSymbol *TSymbolList::Insert(const QString &aName, QString aKey)
{
  TSymbol *lSymbol = Add();
  lSymbol->SetName(aName);
  const quint64 lPrefix = Prefix(aKey);
  if (Updating()) {
    ++fUnsorted;
    fIndex.push_back(TEntry{lPrefix, std::move(aKey), lSymbol});
  } else {
    const auto lPos = LowerBound(lPrefix, aKey);
    fIndex.insert(lPos, TEntry{lPrefix, std::move(aKey), lSymbol});
  }
  return lSymbol;
}

TSymbol *TSymbolList::Add(const QString &aName, const QString &aKey)
{
  return Insert(aName, aKey.isNull() ? Key(aName) : aKey);
}

TSymbol *TSymbolList::FindKey(const QString &aKey) const
{
  const quint64 lPrefix = Prefix(aKey);
  auto lEnd = fIndex.end();
  if (fUnsorted > 0) {
    // Mid-update the tail of the index is unsorted; the hash covers it.
    for (auto lIt = lEnd - (fUnsorted - fHashed); lIt != lEnd; ++lIt)
      if (!fPending.contains(lIt->Key))
        fPending.insert(lIt->Key, lIt->Symbol);
    fHashed = fUnsorted;
    if (TSymbol *lSymbol = fPending.value(aKey))
      return lSymbol;
    lEnd -= fUnsorted;
  }
  const auto lPos = LowerBound(fIndex.begin(), lEnd, lPrefix, aKey);
  return lPos != lEnd && lPos->Prefix == lPrefix && lPos->Key == aKey ? lPos->Symbol : nullptr;
}

TSymbol *TSymbolList::Find(const QString &aName) const
{
  return FindKey(Key(aName));
}

TSymbol *TSymbolList::FindOrAdd(const QString &aName, const QString &aKey)
{
  QString lKey = aKey.isNull() ? Key(aName) : aKey;
  if (TSymbol *lSymbol = FindKey(lKey))
    return lSymbol;
  return Insert(aName, std::move(lKey));
}

void TSymbolList::EndUpdate()
{
  if (fUpdateCount > 0)
    --fUpdateCount;
  if (fUpdateCount > 0 || fUnsorted == 0)
    return;
  std::stable_sort(fIndex.begin(), fIndex.end(), [](const TEntry &aLeft, const TEntry &aRight) {
    if (aLeft.Prefix != aRight.Prefix)
      return aLeft.Prefix < aRight.Prefix;
    return aLeft.Key < aRight.Key;
  });
  fPending.clear();
  fUnsorted = 0;
  fHashed = 0;
}

void TSymbolList::Clear()
{
  fPending.clear();
  fUnsorted = 0;
  fHashed = 0;
  fIndex.clear();
  fItems.clear();
}
