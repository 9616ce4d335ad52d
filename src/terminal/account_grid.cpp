#include "account_grid.h"

#include "main_guard.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>

TAccountGridModel::TAccountGridModel(const QStringList &aHeaders, const char *aGetText,
                                     const char *aRefresh, QObject *aParent)
    : QAbstractTableModel(aParent), fHeaders(aHeaders), fGetText(aGetText), fRefresh(aRefresh)
{
}

int TAccountGridModel::rowCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : fRowCount;
}

int TAccountGridModel::columnCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : static_cast<int>(fHeaders.size());
}

QVariant TAccountGridModel::data(const QModelIndex &aIndex, int aRole) const
{
  if (!aIndex.isValid())
    return {};
  try {
    switch (aRole) {
    case Qt::DisplayRole:
      // The list may be shorter than the grid between a replacement and its notification.
      return aIndex.row() < SourceCount() ? Text(aIndex.row(), aIndex.column()) : QString();
    case Qt::ForegroundRole:
      return aIndex.row() < SourceCount() ? Foreground(aIndex.row(), aIndex.column()) : QVariant();
    case Qt::TextAlignmentRole:
      if (IsNumber(aIndex.column()))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      return {};
    default:
      return {};
    }
  } catch (const std::exception &lError) {
    LogMainGuarded(fGetText, lError);
    return {};
  }
}

QVariant TAccountGridModel::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
  if (aOrientation != Qt::Horizontal || aSection < 0 || aSection >= fHeaders.size())
    return {};
  if (aRole == Qt::DisplayRole)
    return fHeaders.at(aSection);
  if (aRole == Qt::TextAlignmentRole && IsNumber(aSection))
    return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
  return {};
}

void TAccountGridModel::SetRowCount(int aCount)
{
  beginResetModel();
  fRowCount = aCount;
  endResetModel();
}

void TAccountGridModel::Refresh()
{
  try {
    const int lCount = SourceCount();
    if (lCount != fRowCount)
      SetRowCount(lCount);
    else if (fRowCount > 0)
      Q_EMIT dataChanged(index(0, 0), index(fRowCount - 1, columnCount() - 1));
  } catch (const std::exception &lError) {
    LogMainRefresh(fRefresh, lError);
  }
}

void TAccountGridModel::Clear()
{
  if (fRowCount != 0)
    SetRowCount(0);
}

TAccountGrid::TAccountGrid(const char *aName, TAccountGridModel *aModel, QWidget *aParent)
    : QTableView(aParent), fModel(aModel)
{
  setObjectName(QLatin1String(aName));
  fModel->setParent(this);
  setModel(fModel);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setAlternatingRowColors(false);
  setWordWrap(false);
  setTextElideMode(Qt::ElideRight);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setSectionsMovable(false);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->setStretchLastSection(false);
}

void TAccountGrid::SetColumns(const QList<int> &aWidths, const QStringList &aSamples)
{
  QHeaderView *lHeader = horizontalHeader();
  const int lPadding = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 12;
  for (int i = 0; i < aWidths.size(); ++i) {
    int lWidth = aWidths[i];
    const QString lHeaderText = fModel->headerData(i, Qt::Horizontal).toString();
    lWidth = std::max(lWidth, lHeader->fontMetrics().horizontalAdvance(lHeaderText) + lPadding);
    if (i < aSamples.size())
      lWidth = std::max(lWidth, fontMetrics().horizontalAdvance(aSamples[i]) + lPadding);
    lHeader->resizeSection(i, lWidth);
    lHeader->setSectionResizeMode(i, i == 0 ? QHeaderView::Stretch : QHeaderView::Interactive);
  }
  if (!aWidths.isEmpty())
    lHeader->setMinimumSectionSize(std::min(40, aWidths.front()));
}

void TAccountGrid::SetFixedColumn(int aColumn)
{
  horizontalHeader()->setSectionResizeMode(aColumn, QHeaderView::Fixed);
}

int TAccountGrid::SelectedRow() const
{
  if (!selectionModel())
    return -1;
  const QModelIndexList lRows = selectionModel()->selectedRows();
  int lFirst = -1;
  for (const QModelIndex &lIndex : lRows)
    if (lFirst < 0 || lIndex.row() < lFirst)
      lFirst = lIndex.row();
  return lFirst;
}

void TAccountGrid::contextMenuEvent(QContextMenuEvent *aEvent)
{
  const QModelIndex lIndex = indexAt(viewport()->mapFromGlobal(aEvent->globalPos()));
  if (lIndex.isValid())
    selectRow(lIndex.row());
  if (fPopup)
    fPopup->popup(aEvent->globalPos());
}
