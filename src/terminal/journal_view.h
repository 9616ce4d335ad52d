#pragma once

#include "journal.h"

#include <QAbstractTableModel>
#include <QTableView>

#include <deque>

// The journal's entries as rows, newest last; it follows the journal as entries arrive.
class TJournalModel : public QAbstractTableModel
{
  Q_OBJECT
public:
  enum Column { colTime, colLevel, colText, ColumnCount };

  explicit TJournalModel(TJournal &aJournal, QObject *aParent = nullptr);
  ~TJournalModel() override;

  int rowCount(const QModelIndex &aParent = QModelIndex()) const override;
  int columnCount(const QModelIndex &aParent = QModelIndex()) const override;
  QVariant data(const QModelIndex &aIndex, int aRole = Qt::DisplayRole) const override;
  QVariant headerData(int aSection, Qt::Orientation aOrientation,
                      int aRole = Qt::DisplayRole) const override;

  // Takes the entries added since the last call.
  void Fetch();

Q_SIGNALS:
  void EntriesAdded();

private:
  TJournal &fJournal;
  std::deque<TJournalEntry> fEntries;
  std::uint64_t fLastSeq = 0;
};

// The "Журнал" page's grid.
class TJournalView : public QTableView
{
  Q_OBJECT
public:
  explicit TJournalView(TJournal &aJournal, QWidget *aParent = nullptr);

  TJournalModel *Model() const { return fModel; }

private:
  TJournalModel *fModel;
  bool fFollow = true;
};
