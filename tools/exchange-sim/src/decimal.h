#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vexa::sim {

// Prices, quantities and balances are fixed point with 8 decimals, as the exchange reports them.
inline constexpr int64_t cUnit = 100000000;

// Products of two unit values need 128 bits (GCC/Clang extension).
__extension__ typedef __int128 TInt128;
__extension__ typedef unsigned __int128 TUInt128;
inline constexpr int cDecimals = 8;

enum class TDecimalParse { Ok, Malformed, TooPrecise, Overflow };

// The exchange's pattern for DECIMAL parameters.
inline constexpr std::string_view cDecimalPattern = "^([0-9]{1,20})(\\.[0-9]{1,20})?$";
inline constexpr std::string_view cIntegerPattern = "^[0-9]{1,20}$";

bool MatchesDecimalPattern(std::string_view aText);
bool MatchesIntegerPattern(std::string_view aText);

// Parses a text matching cDecimalPattern into units; digits beyond the 8th decimal must be 0.
TDecimalParse ParseDecimal(std::string_view aText, int64_t &aUnits);

// Parses an unsigned integer matching cIntegerPattern; Overflow when it exceeds int64.
TDecimalParse ParseInteger(std::string_view aText, int64_t &aValue);

// "123.45000000": always aDecimals digits after the point.
std::string FormatUnits(int64_t aUnits, int aDecimals = cDecimals);
void AppendUnits(std::string &aOut, int64_t aUnits, int aDecimals = cDecimals);

// aPrice * aQty in units, truncated towards zero (both operands in units).
int64_t MulUnits(int64_t aPrice, int64_t aQty);
// aA * aNum / aDen without intermediate overflow, truncated.
int64_t MulDiv(int64_t aA, int64_t aNum, int64_t aDen);

int64_t UnitsFromDouble(double aValue);
double DoubleFromUnits(int64_t aUnits);

} // namespace vexa::sim
