#include "symbol_row_delegate.h"

#include <QPainter>

void TSymbolRowDelegate::paint(QPainter *aPainter, const QStyleOptionViewItem &aOption,
                               const QModelIndex &aIndex) const
{
  aPainter->fillRect(aOption.rect, Qt::white);
  const QVariant lColor = aIndex.data(cRowColorRole);
  if (lColor.isValid())
    aPainter->fillRect(aOption.rect, QColorOf(lColor.value<TColor>()));
  QStyledItemDelegate::paint(aPainter, aOption, aIndex);
}
