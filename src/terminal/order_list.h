#pragma once

#include "account_grid.h"

#include <functional>

class TUserOrderList;

// Open orders ("vstOrders") or order history ("vstOrderHistory") of the main account.
class TOrderListModel : public TAccountGridModel
{
  Q_OBJECT
public:
  enum Column {
    colOrder,
    colTime,
    colType,
    colQuantity,
    colSymbol,
    colPrice,
    colStatus,
    colSide,
    colStopPrice,
    ColumnCount
  };

  // aList answers the list as it is now (the main account may be swapped during a login).
  TOrderListModel(std::function<TUserOrderList *()> aList, const char *aGetText,
                  const char *aRefresh, QObject *aParent = nullptr);

  static const QList<int> &Widths();
  // Texts as wide as the widest the columns usually show.
  static QStringList Samples();

protected:
  int SourceCount() const override;
  QString Text(int aRow, int aColumn) const override;
  QVariant Foreground(int aRow, int aColumn) const override;
  bool IsNumber(int aColumn) const override;

private:
  std::function<TUserOrderList *()> fList;
};
