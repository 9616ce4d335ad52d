#pragma once

#include "consts.h"

#include <QLocale>
#include <QString>

// A number as the account views show it: the shortest text with at most 15 significant
// digits, the locale's decimal separator, no group separators, and exponent notation (1E-6)
// only below 0.00001 or above 15 integer digits.
QString FloatToStrGeneral(double aValue, const QLocale &aLocale = QLocale());

// The locale's short date, a blank and the time as hh:mm:ss.
QString DateTimeToStrLocale(TDateTime aDateTime, const QLocale &aLocale = QLocale());
