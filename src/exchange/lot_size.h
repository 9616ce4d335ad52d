#pragma once

#include <QHash>
#include <QJsonArray>
#include <QString>

#include <optional>

// A symbol's quantity rule (the exchange's LOT_SIZE filter): quantities are multiples of
// Step and at least MinQty.
struct TLotSize
{
  double Step = 0;
  double MinQty = 0;
};

// The lot rules of every symbol, as the exchange information gives them. GUI thread.
class TLotSizeList
{
public:
  std::optional<TLotSize> Find(const QString &aSymbol) const;
  void Assign(QHash<QString, TLotSize> aSizes) { fSizes = std::move(aSizes); }
  int Count() const { return static_cast<int>(fSizes.size()); }

private:
  QHash<QString, TLotSize> fSizes;
};

// The LOT_SIZE filter of every symbol of an exchangeInfo "symbols" array; symbols without one
// (or with figures that are no numbers) are left out.
QHash<QString, TLotSize> ParseLotSizes(const QJsonArray &aSymbols);

// aQuantity rounded toward zero to a multiple of aStep (a step of 0 leaves it as it is);
// binary noise below a whole step does not cost a step.
double RoundDownToStep(double aQuantity, double aStep);
