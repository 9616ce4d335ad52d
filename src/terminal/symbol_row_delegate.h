#pragma once

#include "consts.h"

#include <QColor>
#include <QStyledItemDelegate>

// A colour of the model ($00BBGGRR) as the painter takes it.
inline QColor QColorOf(TColor aColor)
{
  return QColor(aColor & 0xFF, (aColor >> 8) & 0xFF, (aColor >> 16) & 0xFF);
}

// The text of a grid cell over the background already painted: the selection, the model's
// alignment, a small margin, elided when it does not fit.
void PaintCellText(QPainter *aPainter, const QStyleOptionViewItem &aOption,
                   const QModelIndex &aIndex);
inline constexpr int cCellMargin = 3;

// Paints a symbol row's cells on the colour of its last price move: white first, then the
// colour the model gives in cRowColorRole, then the text over it.
class TSymbolRowDelegate : public QStyledItemDelegate
{
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  // The row colour as a TColor ($00BBGGRR), or nothing for an unpainted row.
  static constexpr int cRowColorRole = Qt::UserRole + 1;

  void paint(QPainter *aPainter, const QStyleOptionViewItem &aOption,
             const QModelIndex &aIndex) const override;
};
