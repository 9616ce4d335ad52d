#include "order_panel.h"

#include <QTabWidget>
#include <QVBoxLayout>

TOrderPanel::TOrderPanel(TOrderSide aSide, QWidget *aParent) : QWidget(aParent), fSide(aSide)
{
  fPages = new QTabWidget(this);
  fPages->setObjectName(aSide == TOrderSide::Buy ? QStringLiteral("pcBuy")
                                                 : QStringLiteral("pcSell"));
  auto *lLayout = new QVBoxLayout(this);
  lLayout->setContentsMargins(0, 0, 0, 0);
  lLayout->addWidget(fPages);
}

void TOrderPanel::ShowFirstPage() {}

void TOrderPanel::SetChartPriceSource(std::function<std::optional<double>()> aSource)
{
  fChartPrice = std::move(aSource);
}
