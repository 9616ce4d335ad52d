#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;
class QTabWidget;

enum class TOrderSide { Buy, Sell };

// One of the two dockable order panels: limit, market and stop-limit pages of one side.
class TOrderPanel : public QWidget
{
  Q_OBJECT
public:
  explicit TOrderPanel(TOrderSide aSide, QWidget *aParent = nullptr);

  TOrderSide Side() const { return fSide; }
  // Fills the empty fields of the shown page, as a page change does.
  void ShowFirstPage();
  // The active chart's last price; no source (or an empty answer) means no active chart.
  void SetChartPriceSource(std::function<std::optional<double>()> aSource);

private:
  TOrderSide fSide;
  std::function<std::optional<double>()> fChartPrice;
  QTabWidget *fPages = nullptr;
};
