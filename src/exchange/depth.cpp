#include "depth.h"

TDepth &TDepthList::Insert(int aIndex)
{
  return *fItems.emplace(fItems.begin() + aIndex);
}
