#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The open times of a chart's candles in ascending order, kept beside the candle series: one
// candle per open time, whatever order the klines arrive in.
class TCandleIndex
{
public:
  struct TPlace
  {
    bool IsNew = false; // a new candle goes in at Index; else candle Index is overwritten
    int Index = 0;
  };

  // Where the kline with aOpenTime goes; a new open time is taken into the index.
  TPlace Place(std::int64_t aOpenTime);
  // The candle of an open time, or -1.
  int Find(std::int64_t aOpenTime) const;
  std::int64_t OpenTime(int aIndex) const { return fTimes[static_cast<std::size_t>(aIndex)]; }
  int Count() const { return static_cast<int>(fTimes.size()); }
  void Clear() { fTimes.clear(); }

private:
  std::vector<std::int64_t> fTimes;
};
