#include "general_format.h"

#include "utils.h"

#include <QDate>

#include <charconv>
#include <cmath>
#include <cstdlib>

QString FloatToStrGeneral(double aValue, const QLocale &aLocale)
{
  if (std::isnan(aValue))
    return QStringLiteral("NAN");
  if (std::isinf(aValue))
    return aValue < 0 ? QStringLiteral("-INF") : QStringLiteral("INF");
  if (aValue == 0)
    return QStringLiteral("0");

  // 15 significant digits, rounded once by the library; then only the layout is ours.
  // to_chars, not printf: the C locale of a Russian desktop would put a comma in.
  char lBuffer[32] = {};
  std::to_chars(lBuffer, lBuffer + sizeof lBuffer - 1, std::fabs(aValue),
                std::chars_format::scientific, 14);
  QString lDigits;
  const char *lPos = lBuffer;
  for (; *lPos != 'e'; ++lPos)
    if (*lPos != '.')
      lDigits += QLatin1Char(*lPos);
  const int lExponent = std::atoi(lPos + 1);
  while (lDigits.size() > 1 && lDigits.endsWith(QLatin1Char('0')))
    lDigits.chop(1);

  const QString lPoint = aLocale.decimalPoint();
  QString lResult = aValue < 0 ? QStringLiteral("-") : QString();
  if (lExponent < -5 || lExponent >= 15) {
    lResult += lDigits.left(1);
    if (lDigits.size() > 1)
      lResult += lPoint + lDigits.mid(1);
    return lResult + QStringLiteral("E") + QString::number(lExponent);
  }
  if (lExponent < 0)
    return lResult + QStringLiteral("0") + lPoint + QString(-lExponent - 1, QLatin1Char('0')) +
           lDigits;
  const int lIntegerDigits = lExponent + 1;
  if (lDigits.size() <= lIntegerDigits)
    return lResult + lDigits + QString(lIntegerDigits - lDigits.size(), QLatin1Char('0'));
  return lResult + lDigits.left(lIntegerDigits) + lPoint + lDigits.mid(lIntegerDigits);
}

QString DateTimeToStrLocale(TDateTime aDateTime, const QLocale &aLocale)
{
  const TDateTimeParts lParts = DecodeDateTime(aDateTime);
  const QDate lDate(lParts.Year, lParts.Month, lParts.Day);
  return aLocale.toString(lDate, QLocale::ShortFormat) +
         QStringLiteral(" %1:%2:%3")
             .arg(lParts.Hour, 2, 10, QLatin1Char('0'))
             .arg(lParts.Minute, 2, 10, QLatin1Char('0'))
             .arg(lParts.Second, 2, 10, QLatin1Char('0'));
}
