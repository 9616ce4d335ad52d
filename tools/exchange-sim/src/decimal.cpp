#include "decimal.h"

#include <cmath>
#include <limits>

namespace vexa::sim {

namespace {

bool IsDigit(char aChar)
{
  return aChar >= '0' && aChar <= '9';
}

} // namespace

bool MatchesIntegerPattern(std::string_view aText)
{
  if (aText.empty() || aText.size() > 20) {
    return false;
  }
  for (char lChar : aText) {
    if (!IsDigit(lChar)) {
      return false;
    }
  }
  return true;
}

bool MatchesDecimalPattern(std::string_view aText)
{
  const size_t lDot = aText.find('.');
  if (lDot == std::string_view::npos) {
    return MatchesIntegerPattern(aText);
  }
  return MatchesIntegerPattern(aText.substr(0, lDot)) &&
         MatchesIntegerPattern(aText.substr(lDot + 1));
}

TDecimalParse ParseInteger(std::string_view aText, int64_t &aValue)
{
  if (!MatchesIntegerPattern(aText)) {
    return TDecimalParse::Malformed;
  }
  TUInt128 lValue = 0;
  for (char lChar : aText) {
    lValue = lValue * 10 + static_cast<unsigned>(lChar - '0');
  }
  if (lValue > static_cast<TUInt128>(std::numeric_limits<int64_t>::max())) {
    return TDecimalParse::Overflow;
  }
  aValue = static_cast<int64_t>(lValue);
  return TDecimalParse::Ok;
}

TDecimalParse ParseDecimal(std::string_view aText, int64_t &aUnits)
{
  if (!MatchesDecimalPattern(aText)) {
    return TDecimalParse::Malformed;
  }
  const size_t lDot = aText.find('.');
  const std::string_view lWhole = aText.substr(0, lDot);
  const std::string_view lFraction =
      lDot == std::string_view::npos ? std::string_view{} : aText.substr(lDot + 1);
  for (size_t i = cDecimals; i < lFraction.size(); ++i) {
    if (lFraction[i] != '0') {
      return TDecimalParse::TooPrecise;
    }
  }
  TUInt128 lValue = 0;
  for (char lChar : lWhole) {
    lValue = lValue * 10 + static_cast<unsigned>(lChar - '0');
  }
  for (int i = 0; i < cDecimals; ++i) {
    const unsigned lDigit =
        static_cast<size_t>(i) < lFraction.size() ? static_cast<unsigned>(lFraction[i] - '0') : 0;
    lValue = lValue * 10 + lDigit;
  }
  if (lValue > static_cast<TUInt128>(std::numeric_limits<int64_t>::max())) {
    return TDecimalParse::Overflow;
  }
  aUnits = static_cast<int64_t>(lValue);
  return TDecimalParse::Ok;
}

void AppendUnits(std::string &aOut, int64_t aUnits, int aDecimals)
{
  // 64-bit arithmetic into a local buffer: this runs for every number of every answer.
  const bool lNegative = aUnits < 0;
  uint64_t lMagnitude =
      lNegative ? static_cast<uint64_t>(-(aUnits + 1)) + 1 : static_cast<uint64_t>(aUnits);
  int lDecimals = aDecimals;
  if (lDecimals < cDecimals) {
    uint64_t lDivisor = 1;
    for (int i = lDecimals; i < cDecimals; ++i) {
      lDivisor *= 10;
    }
    // Half away from zero.
    lMagnitude = lMagnitude / lDivisor + (lMagnitude % lDivisor >= (lDivisor + 1) / 2 ? 1 : 0);
  } else {
    lDecimals = cDecimals;
  }
  static constexpr uint32_t cScales[] = {1,      10,      100,      1000,     10000,
                                         100000, 1000000, 10000000, 100000000};
  const bool lShowSign = lNegative && lMagnitude != 0;
  uint32_t lFraction = static_cast<uint32_t>(lMagnitude % cScales[lDecimals]);
  uint64_t lWhole = lMagnitude / cScales[lDecimals];
  char lBuffer[32];
  char *const lEnd = lBuffer + sizeof lBuffer;
  char *lPos = lEnd;
  for (int i = 0; i < lDecimals; ++i) {
    *--lPos = static_cast<char>('0' + lFraction % 10);
    lFraction /= 10;
  }
  if (lDecimals > 0) {
    *--lPos = '.';
  }
  do {
    *--lPos = static_cast<char>('0' + lWhole % 10);
    lWhole /= 10;
  } while (lWhole > 0);
  if (lShowSign) {
    *--lPos = '-';
  }
  aOut.append(lPos, static_cast<size_t>(lEnd - lPos));
}

std::string FormatUnits(int64_t aUnits, int aDecimals)
{
  std::string lOut;
  AppendUnits(lOut, aUnits, aDecimals);
  return lOut;
}

int64_t MulUnits(int64_t aPrice, int64_t aQty)
{
  const TInt128 lProduct = static_cast<TInt128>(aPrice) * aQty;
  return static_cast<int64_t>(lProduct / cUnit);
}

int64_t MulDiv(int64_t aA, int64_t aNum, int64_t aDen)
{
  if (aDen == 0) {
    return 0;
  }
  return static_cast<int64_t>(static_cast<TInt128>(aA) * aNum / aDen);
}

int64_t UnitsFromDouble(double aValue)
{
  return static_cast<int64_t>(std::llround(aValue * static_cast<double>(cUnit)));
}

double DoubleFromUnits(int64_t aUnits)
{
  return static_cast<double>(aUnits) / static_cast<double>(cUnit);
}

} // namespace vexa::sim
