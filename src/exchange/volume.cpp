#include "volume.h"

const TVolume *TVolumeList::Find(const QString &aSymbol) const
{
  for (const TVolume &lRow : fItems)
    if (lRow.Symbol == aSymbol)
      return &lRow;
  return nullptr;
}
