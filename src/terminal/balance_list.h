#pragma once

#include "account_grid.h"

#include <functional>

class TBalanceList;

// Balances of the main account ("vstBalances").
class TBalanceModel : public TAccountGridModel
{
  Q_OBJECT
public:
  enum Column { colAsset, colFree, colLocked, ColumnCount };

  explicit TBalanceModel(std::function<TBalanceList *()> aList, QObject *aParent = nullptr);

  static const QList<int> &Widths();

protected:
  int SourceCount() const override;
  QString Text(int aRow, int aColumn) const override;
  bool IsNumber(int aColumn) const override { return aColumn != colAsset; }

private:
  std::function<TBalanceList *()> fList;
};
