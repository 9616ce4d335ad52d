#pragma once

#include "virtual_list_model.h"

#include <QTableView>

#include <functional>
#include <initializer_list>

class QAction;
class QMenu;
class TSymbol;

// The show list as rows: row i is the show list's item i at the moment it is painted. The
// model holds no text; it only knows how many rows the grid has.
class TMarketWatchModel : public TVirtualListModel
{
  Q_OBJECT
public:
  enum Column {
    colSymbol,
    colPrice,
    colPercent,
    colHigh,
    colLow,
    colBid,
    colAsk,
    colTime,
    ColumnCount
  };

  using TVirtualListModel::TVirtualListModel;

  int columnCount(const QModelIndex &aParent = QModelIndex()) const override;
  QVariant data(const QModelIndex &aIndex, int aRole = Qt::DisplayRole) const override;
  QVariant headerData(int aSection, Qt::Orientation aOrientation,
                      int aRole = Qt::DisplayRole) const override;

  // The symbol of row aRow, or none (no model, a line without a symbol, a row out of range).
  static TSymbol *Symbol(int aRow);
  static QString CellText(const TSymbol &aSymbol, int aColumn);
};

// The market watch grid "vstSymbols" with its popup menu "ppmSymbols".
class TMarketWatchView : public QTableView
{
  Q_OBJECT
public:
  explicit TMarketWatchView(QWidget *aParent = nullptr);
  ~TMarketWatchView() override;

  void RefreshSymbolList();
  QString SelectedSymbol() const;
  void Clear();

  TMarketWatchModel *Model() const { return fModel; }
  QMenu *PopupMenu() const { return fPopup; }
  QMenu *SymbolSetMenu() const { return fSymbolSetMenu; }
  QMenu *SetDeleteMenu() const { return fSetDeleteMenu; }
  // The commands of the popup by their names ("acMDMaxMin", ...); none for an unknown name.
  QAction *Action(const QString &aName) const;

  // Asks for the file name of a symbol set to save; empty when the user cancels. Tests answer
  // here instead of a dialog.
  using TSaveFileAsk = std::function<QString(QWidget *aParent, const QString &aFolder)>;
  void SetSaveFileAsk(TSaveFileAsk aAsk);

  // Rebuilds the saved-set entries; runs each time the popup opens.
  void ppmSymbolsPopup();

Q_SIGNALS:
  void SymbolSelected(const QString &aSymbol);
  void NewChartRequested(const QString &aSymbol);

protected:
  void contextMenuEvent(QContextMenuEvent *aEvent) override;
  void resizeEvent(QResizeEvent *aEvent) override;

private:
  QAction *AddAction(const char *aName, const char *aCaption);
  void BuildActions();
  void BuildPopup();
  void BuildHeaderMenu();
  void ShowColumns(std::initializer_list<int> aColumns, bool aShow);
  void FitColumns();
  void FitSymbolColumn();
  void OnSelectionChanged();
  // Makes the selected row's symbol the user's symbol when it changed.
  void SyncSelectedSymbol();
  int SelectedRow() const;
  void acDeleteSymbolExecute();
  void acHideSymbolsExecute();
  void acShowSymbolExecute();
  void acSaveSymbolGroupExecute();

  TMarketWatchModel *fModel = nullptr;
  QMenu *fPopup = nullptr;
  QMenu *fSymbolSetMenu = nullptr;
  QMenu *fSetDeleteMenu = nullptr;
  QMenu *fHeaderMenu = nullptr;
  int fSymbolMinWidth = 0;
  bool fFitting = false;
  QString fLastSymbol;
  TSaveFileAsk fSaveFileAsk;
};
