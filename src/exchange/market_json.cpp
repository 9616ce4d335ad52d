#include "market_json.h"

#include <QString>

#include <cmath>

double JsonNumber(const QJsonValue &aValue)
{
  if (aValue.isDouble())
    return aValue.toDouble();
  if (aValue.isString()) {
    bool lOk = false;
    // QString::toDouble reads the C locale: "." whatever the user's locale.
    const double lResult = aValue.toString().toDouble(&lOk);
    return lOk && std::isfinite(lResult) ? lResult : 0;
  }
  return 0;
}

std::int64_t JsonInt64(const QJsonValue &aValue)
{
  if (aValue.isDouble()) {
    const double lValue = aValue.toDouble();
    // Out-of-range values would be undefined in the conversion.
    if (!std::isfinite(lValue) || std::fabs(lValue) >= 9.2e18)
      return 0;
    return aValue.toInteger();
  }
  if (aValue.isString()) {
    bool lOk = false;
    const qlonglong lResult = aValue.toString().toLongLong(&lOk);
    return lOk ? lResult : 0;
  }
  return 0;
}
