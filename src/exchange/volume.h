#pragma once

#include "consts.h"

#include <QString>

#include <deque>

// One volume monitor signal.
struct TVolume
{
  QString Symbol;
  int Ping = 0;         // signals of this symbol so far
  double SumVolume = 0; // accumulated change
  double SumVolumePerc = 0;
  double VolumeChange = 0; // this signal's change
  double VolumePerc = 0;
  TDateTime Date = 0; // local time of the signal
  TColor Color = 0;
  double QuoteVolume = 0;
};

// The volume monitor's rows, newest first; rows are only ever added.
class TVolumeList
{
public:
  int Count() const { return static_cast<int>(fItems.size()); }
  const TVolume &GetItem(int aIndex) const { return fItems[static_cast<size_t>(aIndex)]; }
  const TVolume &Items(int aIndex) const { return GetItem(aIndex); }

  TVolume &Insert(int aIndex) { return *fItems.emplace(fItems.begin() + aIndex); }
  TVolume &Add() { return fItems.emplace_back(); }
  // The first row from the top whose symbol is aSymbol, letter case counting; or none.
  const TVolume *Find(const QString &aSymbol) const;
  void Clear() { fItems.clear(); }

private:
  std::deque<TVolume> fItems;
};
