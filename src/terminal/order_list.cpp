#include "order_list.h"

#include "general_format.h"
#include "user_order.h"
#include "utils.h"

#include <QBrush>
#include <QColor>

TOrderListModel::TOrderListModel(std::function<TUserOrderList *()> aList, const char *aGetText,
                                 const char *aRefresh, QObject *aParent)
    : TAccountGridModel({QStringLiteral("Ордер"), QStringLiteral("Время"), QStringLiteral("Тип"),
                         QStringLiteral("Объем"), QStringLiteral("Символ"), QStringLiteral("Цена"),
                         QStringLiteral("Статус"), QStringLiteral("Сторона"),
                         QStringLiteral("S / L")},
                        aGetText, aRefresh, aParent),
      fList(std::move(aList))
{
}

const QList<int> &TOrderListModel::Widths()
{
  static const QList<int> lWidths = {123, 115, 115, 115, 115, 115, 115, 115, 115};
  return lWidths;
}

QStringList TOrderListModel::Samples()
{
  return {QStringLiteral("99999999999"),
          DateTimeToStrLocale(EncodeDateTime(2026, 12, 28, 23, 59, 59)),
          QStringLiteral("STOP_LOSS_LIMIT"),
          QString(),
          QString(),
          QString(),
          QStringLiteral("PARTIALLY_FILLED"),
          QStringLiteral("SELL")};
}

int TOrderListModel::SourceCount() const
{
  const TUserOrderList *lList = fList();
  return lList ? lList->Count() : 0;
}

QString TOrderListModel::Text(int aRow, int aColumn) const
{
  const TUserOrder &lOrder = fList()->Items(aRow);
  switch (aColumn) {
  case colOrder:
    return QString::number(lOrder.OrderID);
  case colTime:
    return DateTimeToStrLocale(StampToDate(lOrder.Time));
  case colType:
    return lOrder.OrderType;
  case colQuantity:
    return FloatToStrGeneral(lOrder.OrigQuantity);
  case colSymbol:
    return lOrder.Symbol;
  case colPrice:
    return FloatToStrGeneral(lOrder.Price);
  case colStatus:
    return lOrder.Status;
  case colSide:
    return lOrder.Side;
  case colStopPrice:
    return FloatToStrGeneral(lOrder.StopPrice);
  default:
    return {};
  }
}

QVariant TOrderListModel::Foreground(int aRow, int aColumn) const
{
  if (aColumn != colSide)
    return {};
  const QString &lSide = fList()->Items(aRow).Side;
  if (lSide == QLatin1String("BUY"))
    return QBrush(QColor(0x1f, 0x7a, 0x45));
  if (lSide == QLatin1String("SELL"))
    return QBrush(QColor(0xb8, 0x32, 0x2a));
  return {};
}

bool TOrderListModel::IsNumber(int aColumn) const
{
  return aColumn == colQuantity || aColumn == colPrice || aColumn == colStopPrice;
}
