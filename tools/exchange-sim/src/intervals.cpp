#include "intervals.h"

#include <array>

namespace vexa::sim {

int64_t DaysFromCivil(int64_t aYear, unsigned aMonth, unsigned aDay)
{
  aYear -= aMonth <= 2 ? 1 : 0;
  const int64_t lEra = FloorDiv(aYear, 400);
  const unsigned lYearOfEra = static_cast<unsigned>(aYear - lEra * 400);
  const unsigned lDayOfYear = (153 * (aMonth + (aMonth > 2 ? -3 : 9)) + 2) / 5 + aDay - 1;
  const unsigned lDayOfEra = lYearOfEra * 365 + lYearOfEra / 4 - lYearOfEra / 100 + lDayOfYear;
  return lEra * 146097 + static_cast<int64_t>(lDayOfEra) - 719468;
}

void CivilFromDays(int64_t aDays, int64_t &aYear, unsigned &aMonth, unsigned &aDay)
{
  aDays += 719468;
  const int64_t lEra = FloorDiv(aDays, 146097);
  const unsigned lDayOfEra = static_cast<unsigned>(aDays - lEra * 146097);
  const unsigned lYearOfEra =
      (lDayOfEra - lDayOfEra / 1460 + lDayOfEra / 36524 - lDayOfEra / 146096) / 365;
  const unsigned lDayOfYear = lDayOfEra - (365 * lYearOfEra + lYearOfEra / 4 - lYearOfEra / 100);
  const unsigned lMp = (5 * lDayOfYear + 2) / 153;
  aDay = lDayOfYear - (153 * lMp + 2) / 5 + 1;
  aMonth = lMp < 10 ? lMp + 3 : lMp - 9;
  aYear = static_cast<int64_t>(lYearOfEra) + lEra * 400 + (aMonth <= 2 ? 1 : 0);
}

std::optional<TInterval> TInterval::Parse(std::string_view aText)
{
  struct TEntry
  {
    std::string_view fName;
    int64_t fLength;
  };
  static constexpr std::array<TEntry, 14> cFixed{{
      {"1m", cMinuteMs},
      {"3m", 3 * cMinuteMs},
      {"5m", 5 * cMinuteMs},
      {"15m", 15 * cMinuteMs},
      {"30m", 30 * cMinuteMs},
      {"1h", cHourMs},
      {"2h", 2 * cHourMs},
      {"4h", 4 * cHourMs},
      {"6h", 6 * cHourMs},
      {"8h", 8 * cHourMs},
      {"12h", 12 * cHourMs},
      {"1d", cDayMs},
      {"3d", 3 * cDayMs},
      {"1w", 7 * cDayMs},
  }};
  for (const TEntry &lEntry : cFixed) {
    if (lEntry.fName == aText) {
      // 1970-01-01 was a Thursday; the exchange's weeks open on Monday.
      const int64_t lOffset = lEntry.fName == "1w" ? 4 * cDayMs : 0;
      return TInterval(lEntry.fName, lEntry.fLength, lOffset, 0);
    }
  }
  if (aText == "1M") {
    return TInterval("1M", 0, 0, 1);
  }
  return std::nullopt;
}

int64_t TInterval::PeriodStart(int64_t aTimeMs) const
{
  if (fMonths == 0) {
    return FloorDiv(aTimeMs - fAlignOffsetMs, fLengthMs) * fLengthMs + fAlignOffsetMs;
  }
  int64_t lYear = 0;
  unsigned lMonth = 0;
  unsigned lDay = 0;
  CivilFromDays(FloorDiv(aTimeMs, cDayMs), lYear, lMonth, lDay);
  return DaysFromCivil(lYear, lMonth, 1) * cDayMs;
}

int64_t TInterval::Next(int64_t aOpenMs) const
{
  if (fMonths == 0) {
    return aOpenMs + fLengthMs;
  }
  int64_t lYear = 0;
  unsigned lMonth = 0;
  unsigned lDay = 0;
  CivilFromDays(FloorDiv(aOpenMs, cDayMs), lYear, lMonth, lDay);
  if (++lMonth > 12) {
    lMonth = 1;
    ++lYear;
  }
  return DaysFromCivil(lYear, lMonth, 1) * cDayMs;
}

int64_t TInterval::Previous(int64_t aOpenMs) const
{
  if (fMonths == 0) {
    return aOpenMs - fLengthMs;
  }
  return PeriodStart(aOpenMs - 1);
}

int64_t TInterval::FirstAtOrAfter(int64_t aTimeMs) const
{
  const int64_t lStart = PeriodStart(aTimeMs);
  return lStart == aTimeMs ? lStart : Next(lStart);
}

} // namespace vexa::sim
