#pragma once

#include <QTabWidget>

class TAccountGrid;
class TInvestPage;
class TJournalView;
class TMultiAccountModel;

// The page control "pcTerminal" of the terminal panel: open orders, balances, history and
// accounts of multi-account trading, the journal, and the pages not yet filled.
class TTerminalPanel : public QTabWidget
{
  Q_OBJECT
public:
  explicit TTerminalPanel(QWidget *aParent = nullptr);

  TAccountGrid *vstOrders() const { return fOrders; }
  TAccountGrid *vstOrderHistory() const { return fOrderHistory; }
  TAccountGrid *vstBalances() const { return fBalances; }
  TAccountGrid *vstMulti() const { return fMulti; }
  TJournalView *Journal() const { return fJournal; }
  TInvestPage *Invest() const { return fInvest; }

  void RefreshOrderListData();
  void RefreshOrderHistoryData();
  void RefreshBalanceUI();
  void RefreshMultiAccount();
  // Repaints the accounts' balance and order summaries.
  void RepaintMultiAccount();
  // Every account grid to zero rows.
  void Clear();

  // The open order row selected, -1 when none.
  int SelectedOrderRow() const;
  // The selected further account's row, -1 when none.
  int SelectedAccountRow() const;
  // The name of the selected further account; empty when none.
  QString SelectedAccount() const;

Q_SIGNALS:
  void AccountSelectionChanged();

private:
  QWidget *AddPage(const char *aName, const QString &aCaption, QWidget *aContent, bool aBright);

  TAccountGrid *fOrders;
  TAccountGrid *fOrderHistory;
  TAccountGrid *fBalances;
  TAccountGrid *fMulti;
  TMultiAccountModel *fMultiModel;
  TJournalView *fJournal;
  TInvestPage *fInvest;
};
