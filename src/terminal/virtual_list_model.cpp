#include "virtual_list_model.h"

#include "log_writer.h"
#include "utils.h"

#include <QHeaderView>
#include <QTableView>

void LogGridError(const char *aHandler, const std::exception &aError)
{
  WriteLog(QStringLiteral("TfmBaseMain.%1 | %2 : %3")
               .arg(QLatin1String(aHandler), ExceptionClassName(aError),
                    QString::fromUtf8(aError.what())),
           mtAlert);
}

void LogRefresherError(const char *aRefresher, const std::exception &aError)
{
  WriteLog(QStringLiteral("TfmBaseMain.%1 error: %2")
               .arg(QLatin1String(aRefresher), QString::fromUtf8(aError.what())),
           mtAlert);
}

int TVirtualListModel::rowCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : fRowCount;
}

bool TVirtualListModel::SetRowCount(int aCount)
{
  aCount = std::max(aCount, 0);
  if (aCount == fRowCount)
    return false;
  beginResetModel();
  fRowCount = aCount;
  endResetModel();
  return true;
}

void TVirtualListModel::RowsChanged(int aFirst, int aLast)
{
  aFirst = std::max(aFirst, 0);
  aLast = std::min(aLast, fRowCount - 1);
  if (aLast < aFirst)
    return;
  Q_EMIT dataChanged(index(aFirst, 0), index(aLast, columnCount() - 1));
}

bool RefreshGrid(QTableView &aView, TVirtualListModel &aModel, int aCount)
{
  if (aModel.SetRowCount(aCount))
    return true;
  // Only the rows on screen are formatted again; the others are asked when scrolled to, and
  // a hidden grid paints everything afresh when it is shown.
  const int lHeight = aView.viewport()->height();
  if (aCount == 0 || !aView.isVisible() || lHeight <= 0)
    return false;
  int lFirst = aView.rowAt(0);
  int lLast = aView.rowAt(lHeight - 1);
  if (lFirst < 0)
    lFirst = 0;
  if (lLast < 0)
    lLast = aCount - 1;
  aModel.RowsChanged(lFirst, lLast);
  return false;
}

void SetUpReadOnlyGrid(QTableView &aView)
{
  aView.setSelectionBehavior(QAbstractItemView::SelectRows);
  aView.setSelectionMode(QAbstractItemView::SingleSelection);
  aView.setEditTriggers(QAbstractItemView::NoEditTriggers);
  aView.setShowGrid(false);
  aView.setWordWrap(false);
  QHeaderView *lRows = aView.verticalHeader();
  lRows->hide();
  lRows->setSectionResizeMode(QHeaderView::Fixed);
  lRows->setDefaultSectionSize(aView.fontMetrics().height() + 4);
}
