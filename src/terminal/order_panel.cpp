#include "order_panel.h"

#include "decimal_key_filter.h"
#include "general_format.h"
#include "log_writer.h"
#include "order.h"
#include "profile.h"
#include "user.h"
#include "user_input_data.h"
#include "utils.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

constexpr int cPanelWidth = 162;
constexpr int cButtonWidth = 146;
constexpr int cButtonHeight = 33;
// The order dialog's colours, so that one side looks the same wherever it is traded.
constexpr TColor cBuyColor = 0x00FFC0A0;
constexpr TColor cSellColor = 0x008080FF;

const char *const cPageTag[] = {"Limit", "Market", "StopLimit"};
const char *const cPageCaption[] = {"Limit", "Market", "Stop-limit"};
const char *const cOrderType[] = {"LIMIT", "MARKET", "STOP_LOSS_LIMIT"};

// Empty or exactly "0": a field the trader has not filled.
bool IsUnfilled(const QLineEdit *aEdit)
{
  return aEdit->text().isEmpty() || aEdit->text() == QLatin1String("0");
}

} // namespace

TOrderPanel::TOrderPanel(TOrderSide aSide, QWidget *aParent) : QWidget(aParent), fSide(aSide)
{
  setObjectName(aSide == TOrderSide::Buy ? QStringLiteral("panBuy") : QStringLiteral("panSell"));
  fSymbol = [] { return User ? User->Input()->Symbol() : QString(); };
  fPages = new QTabWidget(this);
  fPages->setObjectName(QStringLiteral("pc") + SideName());
  // The pages fill the panel without the usual frame.
  fPages->setDocumentMode(true);
  fPages->setUsesScrollButtons(false);
  // Narrow tabs: all three captions fit the panel's 162 pixels.
  fPages->tabBar()->setExpanding(true);
  fPages->setStyleSheet(QStringLiteral(
      "QTabBar::tab { padding: 3px 4px; margin-top: 2px; border: 1px solid palette(mid); "
      "border-bottom: none; border-top-left-radius: 3px; border-top-right-radius: 3px; "
      "background: palette(button); }"
      "QTabBar::tab:selected { margin-top: 0px; background: palette(window); "
      "border-color: palette(dark); }"));
  for (TPageKind lKind : {pkLimit, pkMarket, pkStopLimit})
    BuildPage(lKind);
  auto *lLayout = new QVBoxLayout(this);
  lLayout->setContentsMargins(0, 0, 0, 0);
  lLayout->addWidget(fPages);
  setMinimumWidth(cPanelWidth);
  connect(fPages, &QTabWidget::currentChanged, this, [this] { PageChange(); });
}

QString TOrderPanel::SideName() const
{
  return fSide == TOrderSide::Buy ? QStringLiteral("Buy") : QStringLiteral("Sell");
}

QLineEdit *TOrderPanel::AddField(QWidget *aSheet, QFormLayout *aForm, const QString &aLabel,
                                 const QString &aName, bool aReadOnly)
{
  auto *lEdit = new QLineEdit(aSheet);
  lEdit->setObjectName(aName);
  lEdit->setAlignment(Qt::AlignRight);
  if (aReadOnly) {
    lEdit->setReadOnly(true);
    lEdit->setFocusPolicy(Qt::ClickFocus);
  } else {
    TDecimalKeyFilter::Install(lEdit);
  }
  aForm->addRow(new QLabel(aLabel, aSheet), lEdit);
  return lEdit;
}

void TOrderPanel::BuildPage(TPageKind aKind)
{
  TPage &lPage = fPage[aKind];
  const QString lTag = SideName() + QLatin1String(cPageTag[aKind]);
  lPage.Sheet = new QWidget(fPages);
  // The component names of the original pages: ts for most, tb for two of the buy side.
  const bool lTb = fSide == TOrderSide::Buy && aKind != pkLimit;
  lPage.Sheet->setObjectName((lTb ? QStringLiteral("tb") : QStringLiteral("ts")) + lTag);

  auto *lForm = new QFormLayout;
  lForm->setContentsMargins(6, 8, 6, 0);
  lForm->setHorizontalSpacing(6);
  lForm->setVerticalSpacing(6);
  lForm->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  const QString lEd = QStringLiteral("ed") + lTag;
  if (aKind == pkStopLimit)
    lPage.Stop = AddField(lPage.Sheet, lForm, QStringLiteral("Stop"), lEd + "Stop", false);
  lPage.Price =
      AddField(lPage.Sheet, lForm, QStringLiteral("Price"), lEd + "Price", aKind == pkMarket);
  lPage.Amount = AddField(lPage.Sheet, lForm, QStringLiteral("Amount"), lEd + "Amount", false);
  lPage.Total = AddField(lPage.Sheet, lForm, QStringLiteral("Total"), lEd + "Total", true);

  lPage.Button = new QPushButton(SideName(), lPage.Sheet);
  lPage.Button->setObjectName(QStringLiteral("btn") + lTag);
  lPage.Button->setFixedSize(cButtonWidth, cButtonHeight);
  lPage.Button->setCursor(Qt::PointingHandCursor);
  const QColor lColor = ToQColor(fSide == TOrderSide::Buy ? cBuyColor : cSellColor);
  lPage.Button->setStyleSheet(
      QStringLiteral("QPushButton { background-color: %1; border: 1px solid %2; "
                     "border-radius: 2px; font-weight: bold; }"
                     "QPushButton:hover { background-color: %3; }"
                     "QPushButton:pressed { background-color: %2; }")
          .arg(lColor.name(), lColor.darker(130).name(), lColor.lighter(108).name()));

  auto *lLayout = new QVBoxLayout(lPage.Sheet);
  lLayout->setContentsMargins(0, 0, 0, 8);
  lLayout->addLayout(lForm);
  // The button stays under the fields however tall the dock is made.
  lLayout->addSpacing(12);
  lLayout->addWidget(lPage.Button, 0, Qt::AlignHCenter);
  lLayout->addStretch(1);

  // The stop does not enter the total.
  connect(lPage.Price, &QLineEdit::textChanged, this, [this] { RefreshTotals(); });
  connect(lPage.Amount, &QLineEdit::textChanged, this, [this] { RefreshTotals(); });
  connect(lPage.Button, &QPushButton::clicked, this, [this, aKind] { ButtonClick(aKind); });
  fPages->addTab(lPage.Sheet, QLatin1String(cPageCaption[aKind]));
}

void TOrderPanel::ShowFirstPage()
{
  if (fPages->currentIndex() == pkLimit)
    PageChange();
  else
    fPages->setCurrentIndex(pkLimit); // runs PageChange
}

void TOrderPanel::SetChartPriceSource(std::function<std::optional<double>()> aSource)
{
  fChartPrice = std::move(aSource);
}

void TOrderPanel::SetSymbolSource(std::function<QString()> aSource)
{
  fSymbol = std::move(aSource);
}

void TOrderPanel::PageChange()
{
  const std::optional<double> lPrice = fChartPrice ? fChartPrice() : std::nullopt;
  if (!lPrice)
    return;
  const int lIndex = fPages->currentIndex();
  if (lIndex < 0)
    return;
  const TPage &lPage = fPage[lIndex];
  const QString lPriceText = FloatToStrGeneral(*lPrice);
  if (lPage.Stop && IsUnfilled(lPage.Stop))
    lPage.Stop->setText(lPriceText);
  if (IsUnfilled(lPage.Price))
    lPage.Price->setText(lPriceText);
  if (IsUnfilled(lPage.Amount))
    lPage.Amount->setText(DefaultAmountText());
  RefreshTotals();
}

void TOrderPanel::RefreshTotals()
{
  const int lIndex = fPages->currentIndex();
  if (lIndex < 0)
    return;
  const TPage &lPage = fPage[lIndex];
  lPage.Total->setText(
      FloatToStrGeneral(StrToFloatDef(lPage.Price->text()) * StrToFloatDef(lPage.Amount->text())));
}

TOrder TOrderPanel::BuildOrder(TPageKind aKind) const
{
  const TPage &lPage = fPage[aKind];
  TOrder lOrder;
  lOrder.fSymbol = fSymbol ? fSymbol() : QString();
  lOrder.fSide = fSide == TOrderSide::Buy ? QStringLiteral("BUY") : QStringLiteral("SELL");
  lOrder.fType = QLatin1String(cOrderType[aKind]);
  lOrder.fQuantity = StrToFloatStrict(lPage.Amount->text());
  lOrder.fPrice = StrToFloatStrict(lPage.Price->text());
  if (lPage.Stop)
    lOrder.fStopPrice = StrToFloatStrict(lPage.Stop->text());
  return lOrder;
}

void TOrderPanel::ButtonClick(TPageKind aKind)
{
  try {
    const TOrder lOrder = BuildOrder(aKind);
    if (User && Profile)
      User->OrderPost(lOrder, Profile->GetMainProfile(), User->Input()->Multi());
  } catch (const std::exception &e) {
    WriteLog(QStringLiteral("TfmBaseMain.btn%1%2Click | %3 : %4")
                 .arg(SideName(), QLatin1String(cPageTag[aKind]), ExceptionClassName(e),
                      QString::fromUtf8(e.what())),
             mtAlert, 0);
  }
}
