#include "balance.h"

#include "general_format.h"

QString TBalanceList::AsString(const QLocale &aLocale) const
{
  QString lResult;
  for (int i = 0; i < Count(); ++i) {
    const TBalance &lBalance = Items(i);
    if (lBalance.Free_ == 0 && lBalance.Locked == 0)
      continue;
    if (!lResult.isEmpty())
      lResult += QStringLiteral("; ");
    lResult += lBalance.Asset + QStringLiteral("= ") + FloatToStrGeneral(lBalance.Free_, aLocale) +
               QStringLiteral(", ") + FloatToStrGeneral(lBalance.Locked, aLocale);
  }
  return lResult;
}
