#include "user_order.h"

#include "general_format.h"
#include "utils.h"

#include <cmath>

QString TUserOrderList::AsString(const QLocale &aLocale) const
{
  QString lResult;
  for (int i = 0; i < Count(); ++i) {
    const TUserOrder &lOrder = Items(i);
    if (i > 0)
      lResult += QStringLiteral("; ");
    lResult += lOrder.Symbol + QStringLiteral(" ") + QStringLiteral(" p=") +
               FloatToStrGeneral(lOrder.Price, aLocale) + QStringLiteral(" q=") +
               FloatToStrGeneral(lOrder.OrigQuantity, aLocale) + QStringLiteral(" ") +
               lOrder.Status + QStringLiteral(" ") + lOrder.Side + QStringLiteral(" ") +
               lOrder.OrderType + QStringLiteral(" ") +
               DateTimeToStrLocale(StampToDate(lOrder.Time), aLocale);
  }
  return lResult;
}

TUserOrder *TUserOrderList::FindBy(const QString &aSymbol, const QString &aOrderType,
                                   const QString &aSide, TDateTime aTime) const
{
  for (int i = 0; i < Count(); ++i) {
    TUserOrder &lOrder = Items(i);
    if (lOrder.Symbol != aSymbol || lOrder.OrderType != aOrderType || lOrder.Side != aSide)
      continue;
    // Compared in whole milliseconds: the date-time's representation error must not decide
    // an order that lies exactly on the boundary.
    const double lDistanceMs = std::fabs(StampToDate(lOrder.Time) - aTime) * 86400000.0;
    if (std::llround(lDistanceMs) < cOrderPairWindowMs)
      return &lOrder;
  }
  return nullptr;
}
