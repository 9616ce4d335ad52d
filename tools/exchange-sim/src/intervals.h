#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace vexa::sim {

inline constexpr int64_t cMinuteMs = 60'000;
inline constexpr int64_t cHourMs = 60 * cMinuteMs;
inline constexpr int64_t cDayMs = 24 * cHourMs;

// A kline interval; months are calendar months (UTC), weeks start on Monday.
class TInterval
{
public:
  static std::optional<TInterval> Parse(std::string_view aText);

  // Open time of the period that contains aTimeMs.
  int64_t PeriodStart(int64_t aTimeMs) const;
  // Open time of the period after the one opening at aOpenMs.
  int64_t Next(int64_t aOpenMs) const;
  // Open time of the period before the one opening at aOpenMs.
  int64_t Previous(int64_t aOpenMs) const;
  // Open time of the first period opening at or after aTimeMs.
  int64_t FirstAtOrAfter(int64_t aTimeMs) const;

  bool IsMonth() const { return fMonths != 0; }
  std::string_view Name() const { return fName; }

private:
  TInterval(std::string_view aName, int64_t aLengthMs, int64_t aAlignOffsetMs, int aMonths)
      : fName(aName), fLengthMs(aLengthMs), fAlignOffsetMs(aAlignOffsetMs), fMonths(aMonths)
  {
  }

  std::string_view fName;
  int64_t fLengthMs;      // fixed intervals
  int64_t fAlignOffsetMs; // weeks open on Monday, not on the epoch's Thursday
  int fMonths;            // 1 for 1M, 0 otherwise
};

// Days since the epoch <-> civil date (proleptic Gregorian, UTC).
int64_t DaysFromCivil(int64_t aYear, unsigned aMonth, unsigned aDay);
void CivilFromDays(int64_t aDays, int64_t &aYear, unsigned &aMonth, unsigned &aDay);

inline int64_t FloorDiv(int64_t aValue, int64_t aDivisor)
{
  int64_t lQuotient = aValue / aDivisor;
  if ((aValue % aDivisor != 0) && ((aValue < 0) != (aDivisor < 0))) {
    --lQuotient;
  }
  return lQuotient;
}

} // namespace vexa::sim
