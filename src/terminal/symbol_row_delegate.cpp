#include "symbol_row_delegate.h"

#include <QPainter>

void PaintCellText(QPainter *aPainter, const QStyleOptionViewItem &aOption,
                   const QModelIndex &aIndex)
{
  // Drawn here rather than through the style: a price tick repaints every visible cell, and
  // the style's item path costs several times this for the same picture.
  const bool lSelected = aOption.state & QStyle::State_Selected;
  const QPalette::ColorGroup lGroup =
      aOption.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
  if (lSelected)
    aPainter->fillRect(aOption.rect, aOption.palette.brush(lGroup, QPalette::Highlight));
  const QString lText = aIndex.data(Qt::DisplayRole).toString();
  if (lText.isEmpty())
    return;
  const QVariant lAlignment = aIndex.data(Qt::TextAlignmentRole);
  const int lFlags =
      lAlignment.isValid() ? lAlignment.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
  const QRect lRect = aOption.rect.adjusted(cCellMargin, 0, -cCellMargin, 0);
  const QFontMetrics &lMetrics = aOption.fontMetrics;
  aPainter->setPen(
      aOption.palette.color(lGroup, lSelected ? QPalette::HighlightedText : QPalette::Text));
  if (lMetrics.horizontalAdvance(lText) <= lRect.width())
    aPainter->drawText(lRect, lFlags | Qt::TextSingleLine, lText);
  else
    aPainter->drawText(lRect, lFlags | Qt::TextSingleLine,
                       lMetrics.elidedText(lText, Qt::ElideRight, lRect.width()));
}

void TSymbolRowDelegate::paint(QPainter *aPainter, const QStyleOptionViewItem &aOption,
                               const QModelIndex &aIndex) const
{
  aPainter->fillRect(aOption.rect, Qt::white);
  const QVariant lColor = aIndex.data(cRowColorRole);
  if (lColor.isValid())
    aPainter->fillRect(aOption.rect, QColorOf(lColor.value<TColor>()));
  PaintCellText(aPainter, aOption, aIndex);
}
