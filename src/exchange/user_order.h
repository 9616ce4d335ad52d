#pragma once

#include "consts.h"
#include "owned_list.h"

#include <QLocale>
#include <QString>

#include <cstdint>

// One order of an account, open or past, in the exchange's terms.
class TUserOrder
{
public:
  QString Symbol;
  // The exchange's order ids pass 2^31, so the id is kept whole.
  std::int64_t OrderID = 0;
  QString ClientOrderID;
  double Price = 0;
  double OrigQuantity = 0;
  double ExecQuantity = 0;
  QString Status;
  QString TimeInForce;
  QString OrderType;
  QString Side;
  double StopPrice = 0;
  double IcebergQuantity = 0;
  std::int64_t Time = 0; // the exchange's millisecond stamp
  bool IsWorking = false;
};

// Orders are matched across accounts when their placing times are closer than this.
inline constexpr std::int64_t cOrderPairWindowMs = 4000;

class TUserOrderList : public TOwnedList<TUserOrder>
{
public:
  // False until the list has been filled from the exchange once.
  bool Loaded = false;

  // One entry per order, "; " between them: symbol, price, quantity, status, side, type and
  // the placing date-time.
  QString AsString(const QLocale &aLocale = QLocale()) const;

  // The first order with exactly this symbol, type and side placed less than 4 whole seconds
  // from aTime either way; nullptr when there is none. The pointer lives until the list is
  // next cleared.
  TUserOrder *FindBy(const QString &aSymbol, const QString &aOrderType, const QString &aSide,
                     TDateTime aTime) const;
};
