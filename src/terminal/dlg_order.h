#pragma once

#include "f_basic.h"

#include <QDialog>
#include <QString>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class QWidget;
struct TOrder;

// "Ордер": a market order at the live best bid and ask, or a pending limit or stop order, for
// the main account (and its copies when multi-trading is on).
class TdlgOrder : public QDialog, public TfrmBasic
{
  Q_OBJECT
public:
  explicit TdlgOrder(QWidget *aParent = nullptr);
  ~TdlgOrder() override;

  // Selects the symbol in the list, or nothing when the show list does not hold it.
  void SetSymbol(const QString &aSymbol);
  const QString &Symbol() const { return fSymbol; }
  double Bid() const { return fBid; }
  double Ask() const { return fAsk; }

  void OnNotify(int aEventID, void *aData) override;

  // Asks for the chosen symbol's best bid and ask; the timer runs it every second.
  void timerTimerTimer();

  void done(int aResult) override;

  // Entries of the pending panel's order type list.
  static const QStringList &OrderTypes();
  // The pending order's side and type for a typed or chosen order type text.
  static void OrderTypeOf(const QString &aText, QString &aSide, QString &aType);

protected:
  void showEvent(QShowEvent *aEvent) override;

private:
  void BuildControls();
  void RefreshCbSymbol();
  void RefreshType();
  void RefreshPanels();
  void RefreshOrderType();
  void cbOrderTypeChange();
  void MarketClick(const QString &aSide);
  void btnExecClick();
  void SetPriceText(const QString &aText);
  QString ChosenSymbol() const;
  void Post(const TOrder &aOrder);
  void FormClose();

  QString fSymbol;
  double fBid = 0;
  double fAsk = 0;
  bool fClosed = false;

  QComboBox *cbSymbol = nullptr;
  QLineEdit *edQuantity = nullptr;
  QLineEdit *edStopLoss = nullptr;
  QComboBox *cbType = nullptr;
  QGroupBox *panMarket = nullptr;
  QLabel *lblPrice = nullptr;
  QPushButton *btnSell = nullptr;
  QPushButton *btnBuy = nullptr;
  QGroupBox *panLimit = nullptr;
  QComboBox *cbOrderType = nullptr;
  QLineEdit *edPrice = nullptr;
  QPushButton *btnExec = nullptr;
  QTimer *timerTimer = nullptr;
};

// Runs the order dialog for a symbol; true when it ended with a market order.
bool ExecuteOrder(const QString &aSymbol, QWidget *aParent = nullptr);

// A price with aDigits significant digits, but never rounding away integer digits nor using an
// exponent: 0.0123456 gives 0,01235 under a comma locale, 42123.45 gives 42123.
QString FloatToStrSignificant(double aValue, int aDigits);
