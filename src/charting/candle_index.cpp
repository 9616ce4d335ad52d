#include "candle_index.h"

#include <algorithm>

TCandleIndex::TPlace TCandleIndex::Place(std::int64_t aOpenTime)
{
  const auto lAt = std::lower_bound(fTimes.begin(), fTimes.end(), aOpenTime);
  const int lIndex = static_cast<int>(lAt - fTimes.begin());
  if (lAt != fTimes.end() && *lAt == aOpenTime)
    return {false, lIndex};
  fTimes.insert(lAt, aOpenTime);
  return {true, lIndex};
}

int TCandleIndex::Find(std::int64_t aOpenTime) const
{
  const auto lAt = std::lower_bound(fTimes.begin(), fTimes.end(), aOpenTime);
  if (lAt == fTimes.end() || *lAt != aOpenTime)
    return -1;
  return static_cast<int>(lAt - fTimes.begin());
}
