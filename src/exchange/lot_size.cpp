#include "lot_size.h"

#include "market_json.h"

#include <QJsonObject>

#include <cmath>

std::optional<TLotSize> TLotSizeList::Find(const QString &aSymbol) const
{
  const auto lIt = fSizes.constFind(aSymbol);
  if (lIt == fSizes.constEnd())
    return std::nullopt;
  return *lIt;
}

QHash<QString, TLotSize> ParseLotSizes(const QJsonArray &aSymbols)
{
  QHash<QString, TLotSize> lResult;
  for (const QJsonValue &lSymbol : aSymbols) {
    const QJsonObject lObject = lSymbol.toObject();
    const QString lName = lObject.value(QStringLiteral("symbol")).toString();
    if (lName.isEmpty())
      continue;
    for (const QJsonValue &lFilter : lObject.value(QStringLiteral("filters")).toArray()) {
      const QJsonObject lRule = lFilter.toObject();
      if (lRule.value(QStringLiteral("filterType")).toString() != QLatin1String("LOT_SIZE"))
        continue;
      const double lStep = JsonNumber(lRule.value(QStringLiteral("stepSize")));
      const double lMin = JsonNumber(lRule.value(QStringLiteral("minQty")));
      if (std::isfinite(lStep) && std::isfinite(lMin) && lStep >= 0 && lMin >= 0)
        lResult.insert(lName, TLotSize{lStep, lMin});
      break;
    }
  }
  return lResult;
}

double RoundDownToStep(double aQuantity, double aStep)
{
  if (!(aStep > 0) || !(aQuantity > 0))
    return aStep > 0 ? 0 : aQuantity;
  // 0.3 / 0.001 is 299.99999999999994 in binary: a hair of tolerance keeps whole steps whole.
  return std::floor(aQuantity / aStep + 1e-9) * aStep;
}
