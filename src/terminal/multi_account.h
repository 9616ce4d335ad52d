#pragma once

#include "account_grid.h"

#include <functional>

class TConnectionItems;

// The further accounts of multi-account trading ("vstMulti").
class TMultiAccountModel : public TAccountGridModel
{
  Q_OBJECT
public:
  enum Column { colName, colRate, colBalance, colOrders, ColumnCount };

  explicit TMultiAccountModel(std::function<TConnectionItems *()> aList,
                              QObject *aParent = nullptr);

  static const QList<int> &Widths();
  // The account name of row aRow; empty when the row has no account.
  QString Name(int aRow) const;

protected:
  int SourceCount() const override;
  QString Text(int aRow, int aColumn) const override;
  bool IsNumber(int aColumn) const override { return aColumn == colRate; }

private:
  std::function<TConnectionItems *()> fList;
};
