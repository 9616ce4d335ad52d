#include "journal_view.h"

#include "consts.h"
#include "general_format.h"
#include "utils.h"

#include <QBrush>
#include <QColor>
#include <QHeaderView>
#include <QScrollBar>

TJournalModel::TJournalModel(TJournal &aJournal, QObject *aParent)
    : QAbstractTableModel(aParent), fJournal(aJournal)
{
  fJournal.SetListener(this, [this] { Fetch(); });
  Fetch();
}

TJournalModel::~TJournalModel()
{
  fJournal.RemoveListener(this);
}

int TJournalModel::rowCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : static_cast<int>(fEntries.size());
}

int TJournalModel::columnCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : ColumnCount;
}

void TJournalModel::Fetch()
{
  std::vector<TJournalEntry> lNew = fJournal.Since(fLastSeq);
  if (lNew.empty())
    return;
  fLastSeq = lNew.back().Seq;
  const std::size_t lLimit = TJournal::cJournalLimit;
  if (lNew.size() > lLimit)
    lNew.erase(lNew.begin(), lNew.end() - static_cast<std::ptrdiff_t>(lLimit));
  const std::size_t lTotal = fEntries.size() + lNew.size();
  if (lTotal > lLimit) {
    const int lDrop = static_cast<int>(std::min(lTotal - lLimit, fEntries.size()));
    if (lDrop > 0) {
      beginRemoveRows(QModelIndex(), 0, lDrop - 1);
      fEntries.erase(fEntries.begin(), fEntries.begin() + lDrop);
      endRemoveRows();
    }
  }
  const int lFirst = static_cast<int>(fEntries.size());
  beginInsertRows(QModelIndex(), lFirst, lFirst + static_cast<int>(lNew.size()) - 1);
  fEntries.insert(fEntries.end(), std::make_move_iterator(lNew.begin()),
                  std::make_move_iterator(lNew.end()));
  endInsertRows();
  Q_EMIT EntriesAdded();
}

QVariant TJournalModel::data(const QModelIndex &aIndex, int aRole) const
{
  if (!aIndex.isValid() || aIndex.row() >= static_cast<int>(fEntries.size()))
    return {};
  const TJournalEntry &lEntry = fEntries[static_cast<std::size_t>(aIndex.row())];
  if (aRole == Qt::DisplayRole) {
    switch (aIndex.column()) {
    case colTime:
      return DateTimeToStrLocale(lEntry.Time);
    case colLevel:
      return QLatin1String(cMessageType[static_cast<std::size_t>(lEntry.MessageType)]);
    case colText:
      return lEntry.Text;
    default:
      return {};
    }
  }
  if (aRole == Qt::ForegroundRole && lEntry.MessageType == mtAlert)
    return QBrush(QColor(0xb8, 0x32, 0x2a));
  if (aRole == Qt::ToolTipRole && aIndex.column() == colText)
    return lEntry.Text;
  return {};
}

QVariant TJournalModel::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
  if (aOrientation != Qt::Horizontal || aRole != Qt::DisplayRole)
    return {};
  switch (aSection) {
  case colTime:
    return QStringLiteral("Время");
  case colLevel:
    return QStringLiteral("Тип");
  case colText:
    return QStringLiteral("Сообщение");
  default:
    return {};
  }
}

TJournalView::TJournalView(TJournal &aJournal, QWidget *aParent)
    : QTableView(aParent), fModel(new TJournalModel(aJournal, this))
{
  setObjectName(QStringLiteral("vstJournal"));
  setModel(fModel);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setShowGrid(false);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  QHeaderView *lHeader = horizontalHeader();
  lHeader->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  lHeader->setSectionsMovable(false);
  lHeader->setHighlightSections(false);
  const int lTimeWidth = fontMetrics().horizontalAdvance(
      DateTimeToStrLocale(EncodeDateTime(2026, 12, 28, 23, 59, 59)));
  lHeader->resizeSection(TJournalModel::colTime, lTimeWidth + 16);
  lHeader->resizeSection(TJournalModel::colLevel,
                         fontMetrics().horizontalAdvance(QStringLiteral("ALERT")) + 24);
  lHeader->setSectionResizeMode(TJournalModel::colText, QHeaderView::Stretch);
  // Newest last: the page follows new entries while the trader stays at the end.
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
          [this](int aValue) { fFollow = aValue >= verticalScrollBar()->maximum(); });
  connect(fModel, &TJournalModel::EntriesAdded, this, [this] {
    if (fFollow)
      scrollToBottom();
  });
}
