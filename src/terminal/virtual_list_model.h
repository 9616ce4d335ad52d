#pragma once

#include <QAbstractTableModel>

#include <exception>

class QTableView;

// The window's log lines for a failed grid handler ("TfmBaseMain.vstSymbolsGetText | class :
// text") and for a failed refresher ("TfmBaseMain.RefreshDepth error: text").
void LogGridError(const char *aHandler, const std::exception &aError);
void LogRefresherError(const char *aRefresher, const std::exception &aError);

// A grid over a model list that holds no text: it knows only its row count, and a cell's text
// is made from the list's item of that row when the cell is painted.
class TVirtualListModel : public QAbstractTableModel
{
  Q_OBJECT
public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex &aParent = QModelIndex()) const override;

  // Resets the model when aCount differs from the row count (which drops the selection);
  // answers whether it did.
  bool SetRowCount(int aCount);
  // Tells the views that rows aFirst..aLast may show other values now.
  void RowsChanged(int aFirst, int aLast);

private:
  int fRowCount = 0;
};

// Brings aView in line with a list of aCount items: a reset only when the count changed,
// otherwise a repaint of the visible rows, so a price tick keeps selection and scroll.
// Answers whether the count changed.
bool RefreshGrid(QTableView &aView, TVirtualListModel &aModel, int aCount);

// Whole-row single selection, no editing, no grid lines, fixed rows one line high.
void SetUpReadOnlyGrid(QTableView &aView);
