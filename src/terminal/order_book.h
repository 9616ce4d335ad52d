#pragma once

#include "symbol_row_delegate.h"
#include "virtual_list_model.h"

#include <QStyledItemDelegate>
#include <QTableView>

struct TDepth;

// The order book as rows: asks from the highest price down, then bids from the best down.
class TOrderBookModel : public TVirtualListModel
{
  Q_OBJECT
public:
  enum Column { colPrice, colQuantity, ColumnCount };

  // The bar of a level: its colour, its quantity and the book's largest quantity.
  static constexpr int cBarColorRole = Qt::UserRole + 1;
  static constexpr int cQuantityRole = Qt::UserRole + 2;
  static constexpr int cMaxQuantityRole = Qt::UserRole + 3;

  using TVirtualListModel::TVirtualListModel;

  int columnCount(const QModelIndex &aParent = QModelIndex()) const override;
  QVariant data(const QModelIndex &aIndex, int aRole = Qt::DisplayRole) const override;
  QVariant headerData(int aSection, Qt::Orientation aOrientation,
                      int aRole = Qt::DisplayRole) const override;

  // The level of row aRow, or none.
  static const TDepth *Depth(int aRow);
};

// Paints each cell white, then the part of the level's bar that falls in the cell. The bar
// runs from the row's left edge to Floor(W × quantity / largest quantity), W the row's width.
class TDepthBarDelegate : public QStyledItemDelegate
{
  Q_OBJECT
public:
  using QStyledItemDelegate::QStyledItemDelegate;

  static int BarEnd(int aWidth, double aQuantity, double aMaxQuantity);

  void paint(QPainter *aPainter, const QStyleOptionViewItem &aOption,
             const QModelIndex &aIndex) const override;

  TCellTextPainter &TextPainter() const { return fText; }

private:
  mutable TCellTextPainter fText;
};

// The order book grid "vstDepth".
class TOrderBookView : public QTableView
{
  Q_OBJECT
public:
  explicit TOrderBookView(QWidget *aParent = nullptr);

  void RefreshDepth();
  void Clear();

  TOrderBookModel *Model() const { return fModel; }

private:
  TOrderBookModel *fModel = nullptr;
};
