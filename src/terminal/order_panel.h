#pragma once

#include <QString>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;
class QTabWidget;
struct TOrder;

enum class TOrderSide { Buy, Sell };

// One of the two dockable order panels: limit, market and stop-limit pages of one side, each
// with price, amount and a computed total, and a button that sends the order for the main
// account (and its copies when multi-trading is on).
class TOrderPanel : public QWidget
{
  Q_OBJECT
public:
  explicit TOrderPanel(TOrderSide aSide, QWidget *aParent = nullptr);

  TOrderSide Side() const { return fSide; }
  QTabWidget *Pages() const { return fPages; }

  // Shows the limit page and fills its empty fields, as a page change does.
  void ShowFirstPage();
  // The active chart's last price; no source (or no answer) means no active chart.
  void SetChartPriceSource(std::function<std::optional<double>()> aSource);
  // The symbol an order is for; the market watch's selection by default.
  void SetSymbolSource(std::function<QString()> aSource);

  void RefreshTotals();

private:
  enum TPageKind { pkLimit = 0, pkMarket = 1, pkStopLimit = 2 };
  struct TPage
  {
    QWidget *Sheet = nullptr;
    QLineEdit *Stop = nullptr; // stop-limit page only
    QLineEdit *Price = nullptr;
    QLineEdit *Amount = nullptr;
    QLineEdit *Total = nullptr;
    QPushButton *Button = nullptr;
  };

  void BuildPage(TPageKind aKind);
  QLineEdit *AddField(QWidget *aSheet, class QFormLayout *aForm, const QString &aLabel,
                      const QString &aName, bool aReadOnly);
  void PageChange();
  void ButtonClick(TPageKind aKind);
  TOrder BuildOrder(TPageKind aKind) const;
  QString SideName() const; // "Buy" / "Sell", as the component names carry it

  TOrderSide fSide;
  std::function<std::optional<double>()> fChartPrice;
  std::function<QString()> fSymbol;
  QTabWidget *fPages = nullptr;
  std::array<TPage, 3> fPage{};
};
