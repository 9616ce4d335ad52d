#include "multi_account.h"

#include "connection_item.h"
#include "general_format.h"

TMultiAccountModel::TMultiAccountModel(std::function<TConnectionItems *()> aList, QObject *aParent)
    : TAccountGridModel({QStringLiteral("Наименование"), QStringLiteral("Коефициент"),
                         QStringLiteral("Баланс"), QStringLiteral("Открытые ордера")},
                        "vstMultiGetText", "RefreshMultiAccount", aParent),
      fList(std::move(aList))
{
}

const QList<int> &TMultiAccountModel::Widths()
{
  static const QList<int> lWidths = {463, 80, 250, 250};
  return lWidths;
}

QString TMultiAccountModel::Name(int aRow) const
{
  if (aRow < 0 || aRow >= SourceCount())
    return {};
  return fList()->Items(aRow).Name;
}

int TMultiAccountModel::SourceCount() const
{
  const TConnectionItems *lList = fList();
  return lList ? lList->Count() : 0;
}

QString TMultiAccountModel::Text(int aRow, int aColumn) const
{
  const TConnectionItem &lItem = fList()->Items(aRow);
  switch (aColumn) {
  case colName:
    return lItem.Name;
  case colRate:
    return FloatToStrGeneral(lItem.Rate);
  case colBalance:
    return lItem.BalanceList.AsString();
  case colOrders:
    return lItem.UserOrderList.AsString();
  default:
    return {};
  }
}
