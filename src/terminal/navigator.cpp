#include "navigator.h"

#include "market_watch.h"
#include "symbol_row_delegate.h"
#include "symbol_show_list.h"
#include "user.h"

#include <QHeaderView>

int TNavigatorModel::columnCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : 1;
}

QVariant TNavigatorModel::data(const QModelIndex &aIndex, int aRole) const
{
  try {
    if (aRole != Qt::DisplayRole && aRole != TSymbolRowDelegate::cRowColorRole)
      return QVariant();
    const TSymbol *lSymbol = TMarketWatchModel::Symbol(aIndex.row());
    if (!lSymbol)
      return QVariant();
    if (aRole == Qt::DisplayRole)
      return TMarketWatchModel::CellText(*lSymbol, TMarketWatchModel::colSymbol);
    return QVariant::fromValue(lSymbol->Color());
  } catch (const std::exception &lError) {
    LogGridError(aRole == Qt::DisplayRole ? "vstSymbolsGetText" : "vstSymbolsBeforeCellPaint",
                 lError);
    return QVariant();
  }
}

TNavigatorView::TNavigatorView(QWidget *aParent)
    : QTableView(aParent), fModel(new TNavigatorModel(this))
{
  setObjectName(QStringLiteral("vstNavigate"));
  setModel(fModel);
  setItemDelegate(new TSymbolRowDelegate(this));
  SetUpReadOnlyGrid(*this);
  horizontalHeader()->hide();
  horizontalHeader()->setStretchLastSection(true);
  horizontalHeader()->setDefaultSectionSize(124);
}

void TNavigatorView::RefreshNavigator()
{
  try {
    if (!User || !User->SymbolShowList())
      return;
    RefreshGrid(*this, *fModel, User->SymbolShowList()->Count());
  } catch (const std::exception &lError) {
    LogRefresherError("RefreshNavigator", lError);
  }
}

void TNavigatorView::Clear()
{
  fModel->SetRowCount(0);
}
