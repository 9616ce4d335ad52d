#include "balance_list.h"

#include "balance.h"
#include "general_format.h"

TBalanceModel::TBalanceModel(std::function<TBalanceList *()> aList, QObject *aParent)
    : TAccountGridModel({QStringLiteral("Валюта"), QStringLiteral("Свободные"),
                         QStringLiteral("Заблокированные")},
                        "vstBalancesGetText", "RefreshBalanceUI", aParent),
      fList(std::move(aList))
{
}

const QList<int> &TBalanceModel::Widths()
{
  static const QList<int> lWidths = {643, 200, 200};
  return lWidths;
}

int TBalanceModel::SourceCount() const
{
  const TBalanceList *lList = fList();
  return lList ? lList->Count() : 0;
}

QString TBalanceModel::Text(int aRow, int aColumn) const
{
  const TBalance &lBalance = fList()->Items(aRow);
  switch (aColumn) {
  case colAsset:
    return lBalance.Asset;
  case colFree:
    return FloatToStrGeneral(lBalance.Free_);
  case colLocked:
    return FloatToStrGeneral(lBalance.Locked);
  default:
    return {};
  }
}
