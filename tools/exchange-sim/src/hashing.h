#pragma once

#include <cstdint>
#include <string_view>

namespace vexa::sim {

// Deterministic, stateless randomness: every generated value is a pure function of its key,
// so history never has to be stored to stay stable.
inline uint64_t Mix64(uint64_t aValue)
{
  aValue += 0x9E3779B97F4A7C15ull;
  aValue = (aValue ^ (aValue >> 30)) * 0xBF58476D1CE4E5B9ull;
  aValue = (aValue ^ (aValue >> 27)) * 0x94D049BB133111EBull;
  return aValue ^ (aValue >> 31);
}

inline uint64_t HashKey(uint64_t aA, uint64_t aB)
{
  return Mix64(aA ^ Mix64(aB + 0x632BE59BD9B4E019ull));
}

inline uint64_t HashKey(uint64_t aA, uint64_t aB, uint64_t aC)
{
  return HashKey(HashKey(aA, aB), aC);
}

inline uint64_t HashString(std::string_view aText)
{
  uint64_t lHash = 0xCBF29CE484222325ull;
  for (unsigned char lChar : aText) {
    lHash = (lHash ^ lChar) * 0x100000001B3ull;
  }
  return Mix64(lHash);
}

// Uniform in [0, 1) from 53 bits.
inline double UnitFromHash(uint64_t aHash)
{
  return static_cast<double>(aHash >> 11) * (1.0 / 9007199254740992.0);
}

// Uniform in [0, 1) from one 16-bit lane of a hash (lane 0..3).
inline double LaneUnit(uint64_t aHash, int aLane)
{
  return static_cast<double>((aHash >> (16 * aLane)) & 0xFFFFu) * (1.0 / 65536.0);
}

// Approximately standard normal (Irwin-Hall of four lanes): cheap and bounded.
inline double NormalFromHash(uint64_t aHash)
{
  const double lSum =
      LaneUnit(aHash, 0) + LaneUnit(aHash, 1) + LaneUnit(aHash, 2) + LaneUnit(aHash, 3);
  return (lSum - 2.0) * 1.7320508075688772;
}

// A small seeded generator for the live walk (not shared between threads).
class TRandom
{
public:
  explicit TRandom(uint64_t aSeed) : fState(aSeed) {}
  uint64_t Next() { return Mix64(fState += 0x9E3779B97F4A7C15ull); }
  double Unit() { return UnitFromHash(Next()); }
  double Normal() { return NormalFromHash(Next()); }

private:
  uint64_t fState;
};

} // namespace vexa::sim
