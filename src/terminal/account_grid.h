#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

class QMenu;

// A terminal grid's model: it holds no text, only the row count; a cell's text is made from
// the list's item of that row when the cell is painted.
class TAccountGridModel : public QAbstractTableModel
{
  Q_OBJECT
public:
  // aGetText and aRefresh name the handlers in the log lines of caught errors.
  TAccountGridModel(const QStringList &aHeaders, const char *aGetText, const char *aRefresh,
                    QObject *aParent = nullptr);

  int rowCount(const QModelIndex &aParent = QModelIndex()) const override;
  int columnCount(const QModelIndex &aParent = QModelIndex()) const override;
  QVariant data(const QModelIndex &aIndex, int aRole = Qt::DisplayRole) const override;
  QVariant headerData(int aSection, Qt::Orientation aOrientation,
                      int aRole = Qt::DisplayRole) const override;

  // A reset (which drops the selection) only when the list's length changed; otherwise the
  // views repaint the rows they show.
  void Refresh();
  void Clear();

protected:
  // The list's length now; 0 when the list does not exist.
  virtual int SourceCount() const = 0;
  // Called only for rows below SourceCount().
  virtual QString Text(int aRow, int aColumn) const = 0;
  virtual QVariant Foreground(int, int) const { return {}; }
  virtual bool IsNumber(int) const { return false; }

private:
  void SetRowCount(int aCount);

  QStringList fHeaders;
  const char *fGetText;
  const char *fRefresh;
  int fRowCount = 0;
};

// The grid: whole rows selected, columns resizable but not movable, column 0 taking the width
// left over; a right click selects the row under the mouse before the popup opens.
class TAccountGrid : public QTableView
{
  Q_OBJECT
public:
  TAccountGrid(const char *aName, TAccountGridModel *aModel, QWidget *aParent = nullptr);

  // Column widths (column 0's is its least); each column is widened to show aSamples[i].
  void SetColumns(const QList<int> &aWidths, const QStringList &aSamples = {});
  void SetFixedColumn(int aColumn);
  void SetPopup(QMenu *aMenu) { fPopup = aMenu; }
  // The first selected row, -1 when none.
  int SelectedRow() const;

  TAccountGridModel *Model() const { return fModel; }

protected:
  void contextMenuEvent(QContextMenuEvent *aEvent) override;

private:
  TAccountGridModel *fModel;
  QMenu *fPopup = nullptr;
};
