#pragma once

#include "consts.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QSet>
#include <QStaticText>
#include <QStyledItemDelegate>

#include <functional>

class QTableView;

// A colour of the model ($00BBGGRR) as the painter takes it.
inline QColor QColorOf(TColor aColor)
{
  return QColor(aColor & 0xFF, (aColor >> 8) & 0xFF, (aColor >> 16) & 0xFF);
}

// Draws a grid cell's text over the background already painted: the selection, the model's
// alignment, a small margin, elided when it does not fit. A price tick repaints every visible
// cell and most texts are the ones of a second ago, so their shaped glyphs are kept by text;
// the style's item path would shape each of them again, at several times the cost.
class TCellTextPainter
{
public:
  static constexpr int cCellMargin = 3;

  void Paint(QPainter *aPainter, const QStyleOptionViewItem &aOption, const QModelIndex &aIndex);

  // Told of a text wider than its column: the column and the width the text needs.
  using TTooNarrow = std::function<void(int aColumn, int aWidth)>;
  void SetTooNarrow(TTooNarrow aTooNarrow) { fTooNarrow = std::move(aTooNarrow); }

private:
  // aText shaped once, kept under aKey.
  const QStaticText &Shaped(const QString &aKey, const QString &aText, const QFont &aFont);
  // aText or, when it is wider than aWidth, its elided form.
  const QStaticText &Fitted(const QString &aText, int aWidth, int aColumn,
                            const QStyleOptionViewItem &aOption);

  QHash<QString, QStaticText> fShaped;
  QFont fFont;
  TTooNarrow fTooNarrow;
};

// Widens a grid's resizable columns to the widest text they painted; never narrows them, and
// leaves alone a column the user sized, so nothing jumps on a tick.
class TColumnGrowth : public QObject
{
  Q_OBJECT
public:
  TColumnGrowth(QTableView *aView, TCellTextPainter &aPainter);

private:
  void Request(int aColumn, int aWidth);
  void Apply();

  QTableView *fView;
  QHash<int, int> fPending;
  QSet<int> fUserSized;
  bool fScheduled = false;
  bool fResizing = false;
};

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

  TCellTextPainter &TextPainter() const { return fText; }

private:
  mutable TCellTextPainter fText;
};
