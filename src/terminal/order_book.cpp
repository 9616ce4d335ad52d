#include "order_book.h"

#include "depth.h"
#include "general_format.h"
#include "symbol_row_delegate.h"
#include "user.h"

#include <QHeaderView>
#include <QPainter>

#include <cmath>

// --- TOrderBookModel

int TOrderBookModel::columnCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : ColumnCount;
}

const TDepth *TOrderBookModel::Depth(int aRow)
{
  if (!User || !User->DepthList())
    return nullptr;
  const TDepthList &lList = *User->DepthList();
  return aRow >= 0 && aRow < lList.Count() ? &lList.GetItem(aRow) : nullptr;
}

QVariant TOrderBookModel::data(const QModelIndex &aIndex, int aRole) const
{
  try {
    const TDepth *lDepth = Depth(aIndex.row());
    switch (aRole) {
    case Qt::DisplayRole:
      if (!lDepth)
        return QString();
      return FloatToStrGeneral(aIndex.column() == colPrice ? lDepth->Price : lDepth->Quantity);
    case Qt::TextAlignmentRole:
      return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    case cBarColorRole:
      if (!lDepth)
        return QVariant();
      return QVariant::fromValue(lDepth->Side == QLatin1String("ASK") ? clLtRed : clLtGreen);
    case cQuantityRole:
      return lDepth ? QVariant(lDepth->Quantity) : QVariant();
    case cMaxQuantityRole:
      return lDepth ? QVariant(User->DepthList()->MaxQuantity()) : QVariant();
    default:
      return QVariant();
    }
  } catch (const std::exception &lError) {
    LogGridError(aRole == Qt::DisplayRole ? "vstDepthGetText" : "vstDepthBeforeCellPaint", lError);
    return QVariant();
  }
}

QVariant TOrderBookModel::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
  if (aOrientation != Qt::Horizontal || aRole != Qt::DisplayRole)
    return QVariant();
  switch (aSection) {
  case colPrice:
    return QStringLiteral("Цена");
  case colQuantity:
    return QStringLiteral("Объем");
  default:
    return QVariant();
  }
}

// --- TDepthBarDelegate

int TDepthBarDelegate::BarEnd(int aWidth, double aQuantity, double aMaxQuantity)
{
  if (!(aMaxQuantity > 0) || !(aQuantity > 0) || aWidth <= 0)
    return 0;
  // A quantity above the book's largest (a stale largest) still ends at the row's edge.
  const double lEnd = std::floor(aWidth * aQuantity / aMaxQuantity);
  return lEnd >= aWidth ? aWidth : static_cast<int>(lEnd);
}

void TDepthBarDelegate::paint(QPainter *aPainter, const QStyleOptionViewItem &aOption,
                              const QModelIndex &aIndex) const
{
  aPainter->fillRect(aOption.rect, Qt::white);
  const QVariant lColor = aIndex.data(TOrderBookModel::cBarColorRole);
  const auto *lView = qobject_cast<const QTableView *>(aOption.widget);
  if (lColor.isValid() && lView) {
    // The bar is measured from the row's left edge across the whole row, whatever column
    // this cell is.
    const int lRowLeft = lView->columnViewportPosition(TOrderBookModel::colPrice);
    const int lEnd = lRowLeft + BarEnd(lView->viewport()->width(),
                                       aIndex.data(TOrderBookModel::cQuantityRole).toDouble(),
                                       aIndex.data(TOrderBookModel::cMaxQuantityRole).toDouble());
    if (lEnd > aOption.rect.left()) {
      QRect lBar = aOption.rect;
      lBar.setRight(std::min(aOption.rect.right(), lEnd - 1));
      aPainter->fillRect(lBar, QColorOf(lColor.value<TColor>()));
    }
  }
  fText.Paint(aPainter, aOption, aIndex);
}

// --- TOrderBookView

TOrderBookView::TOrderBookView(QWidget *aParent)
    : QTableView(aParent), fModel(new TOrderBookModel(this))
{
  setObjectName(QStringLiteral("vstDepth"));
  setModel(fModel);
  auto *lDelegate = new TDepthBarDelegate(this);
  setItemDelegate(lDelegate);
  new TColumnGrowth(this, lDelegate->TextPainter());
  SetUpReadOnlyGrid(*this);
  QHeaderView *lHeader = horizontalHeader();
  lHeader->setHighlightSections(false);
  lHeader->setSectionsMovable(false);
  lHeader->setStretchLastSection(false);
  lHeader->resizeSection(TOrderBookModel::colPrice, 157);
  lHeader->resizeSection(TOrderBookModel::colQuantity, 55);
  lHeader->setSectionResizeMode(TOrderBookModel::colPrice, QHeaderView::Stretch);
}

void TOrderBookView::RefreshDepth()
{
  try {
    RefreshGrid(*this, *fModel, User && User->DepthList() ? User->DepthList()->Count() : 0);
  } catch (const std::exception &lError) {
    LogRefresherError("RefreshDepth", lError);
  }
}

void TOrderBookView::Clear()
{
  fModel->SetRowCount(0);
}
