#include "dlg_order.h"

#include "decimal_key_filter.h"
#include "events.h"
#include "order.h"
#include "profile.h"
#include "symbol_show_list.h"
#include "user.h"
#include "user_input_data.h"
#include "utils.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace {

// Wide enough for "42,123.450000 / 42,123.460000" in the 27-pixel font.
constexpr int cDialogWidth = 480;
constexpr int cPriceFontPixels = 27;
constexpr int cDialogHeight = 250;
constexpr int cPanelTop = 104;
constexpr int cMargin = 8;
constexpr int cButtonWidth = 185;
constexpr int cButtonHeight = 21;
constexpr TColor cBuyColor = 0x00FFC0A0;
constexpr TColor cSellColor = 0x008080FF;

const QString cMarketType = QStringLiteral("Рыночное исполнение");
const QString cPendingType = QStringLiteral("Отложенный ордер");

// A flat coloured button with a hand cursor; the other states keep the colour.
void PaintButton(QPushButton *aButton, TColor aColor)
{
  const QColor lColor = ToQColor(aColor);
  aButton->setFlat(true);
  aButton->setCursor(Qt::PointingHandCursor);
  aButton->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: none; "
                                        "color: palette(button-text); }"
                                        "QPushButton:disabled { color: gray; }")
                             .arg(lColor.name()));
  aButton->setProperty("vexaColor", static_cast<uint>(aColor));
}

QString BidAskText(double aValue)
{
  return QLocale().toString(aValue, 'f', 6);
}

} // namespace

QString FloatToStrSignificant(double aValue, int aDigits)
{
  if (!std::isfinite(aValue) || aValue == 0)
    return QStringLiteral("0");
  const int lMagnitude = static_cast<int>(std::floor(std::log10(std::fabs(aValue)))) + 1;
  const int lDecimals = std::max(0, aDigits - lMagnitude);
  QLocale lLocale;
  lLocale.setNumberOptions(lLocale.numberOptions() | QLocale::OmitGroupSeparator);
  QString lText = lLocale.toString(aValue, 'f', lDecimals);
  const QString lPoint = lLocale.decimalPoint();
  if (lDecimals > 0 && lText.contains(lPoint)) {
    while (lText.endsWith(QLatin1Char('0')))
      lText.chop(1);
    if (lText.endsWith(lPoint))
      lText.chop(lPoint.size());
  }
  return lText;
}

const QStringList &TdlgOrder::OrderTypes()
{
  static const QStringList lTypes{QStringLiteral("Buy Limit"), QStringLiteral("Sell Limit"),
                                  QStringLiteral("Buy Stop"), QStringLiteral("Sell Stop")};
  return lTypes;
}

void TdlgOrder::OrderTypeOf(const QString &aText, QString &aSide, QString &aType)
{
  const QString lText = aText.trimmed();
  const auto lIs = [&lText](int aIndex) {
    return lText.compare(OrderTypes().at(aIndex), Qt::CaseInsensitive) == 0;
  };
  aSide = lIs(0) || lIs(2) ? QStringLiteral("BUY") : QStringLiteral("SELL");
  aType = lIs(0) || lIs(1) ? QStringLiteral("LIMIT") : QStringLiteral("STOP_LOSS_LIMIT");
}

TdlgOrder::TdlgOrder(QWidget *aParent) : QDialog(aParent)
{
  setObjectName(QStringLiteral("dlgOrder"));
  setWindowTitle(QStringLiteral("Ордер"));
  setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) &
                 ~Qt::WindowContextHelpButtonHint);
  QPalette lPalette = palette();
  lPalette.setColor(QPalette::Window, Qt::white);
  setPalette(lPalette);
  setAutoFillBackground(true);
  BuildControls();
  setFixedSize(cDialogWidth, cDialogHeight);

  if (User && User->Publisher())
    Subscribe(User->Publisher());
  edQuantity->setText(DefaultAmountText());
  edStopLoss->setText(QStringLiteral("0"));
  RefreshCbSymbol();
  RefreshType();
  RefreshPanels();
  RefreshOrderType();
  timerTimer = new QTimer(this);
  timerTimer->setInterval(1000);
  connect(timerTimer, &QTimer::timeout, this, [this] { timerTimerTimer(); });
  timerTimer->start();
}

TdlgOrder::~TdlgOrder()
{
  FormClose();
}

void TdlgOrder::BuildControls()
{
  auto *lTop = new QWidget(this);
  lTop->setFixedHeight(cPanelTop - cMargin);
  auto *lGrid = new QGridLayout(lTop);
  lGrid->setContentsMargins(0, 0, 0, 0);
  lGrid->setVerticalSpacing(3);
  lGrid->setColumnStretch(1, 1);
  const auto lAddRow = [lTop, lGrid](int aRow, const QString &aLabel, QWidget *aControl) {
    auto *lLabel = new QLabel(aLabel, lTop);
    lLabel->setBuddy(aControl);
    lGrid->addWidget(lLabel, aRow, 0);
    lGrid->addWidget(aControl, aRow, 1);
  };
  cbSymbol = new QComboBox(lTop);
  cbSymbol->setObjectName(QStringLiteral("cbSymbol"));
  cbSymbol->setMaxVisibleItems(20);
  // The layout gives the width: measuring 3,000 symbol names on the first show costs time.
  cbSymbol->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  cbSymbol->setMinimumContentsLength(12);
  edQuantity = new QLineEdit(lTop);
  edQuantity->setObjectName(QStringLiteral("edQuantity"));
  edStopLoss = new QLineEdit(lTop);
  edStopLoss->setObjectName(QStringLiteral("edStopLoss"));
  cbType = new QComboBox(lTop);
  cbType->setObjectName(QStringLiteral("cbType"));
  lAddRow(0, QStringLiteral("Символ:"), cbSymbol);
  lAddRow(1, QStringLiteral("Объем:"), edQuantity);
  lAddRow(2, QStringLiteral("Стоп Лосс:"), edStopLoss);
  lAddRow(3, QStringLiteral("Тип:"), cbType);
  TDecimalKeyFilter::Install(edQuantity);
  TDecimalKeyFilter::Install(edStopLoss);

  // Market panel: the live best prices and the two market buttons.
  panMarket = new QGroupBox(QStringLiteral("Исполнение по рынку"), this);
  panMarket->setObjectName(QStringLiteral("panMarket"));
  lblPrice = new QLabel(QStringLiteral("0.00000 / 0.00000"), panMarket);
  lblPrice->setObjectName(QStringLiteral("lblPrice"));
  lblPrice->setAlignment(Qt::AlignCenter);
  QFont lFont = lblPrice->font();
  lFont.setPixelSize(cPriceFontPixels);
  lblPrice->setFont(lFont);
  btnSell = new QPushButton(QStringLiteral("Sell by Market"), panMarket);
  btnSell->setObjectName(QStringLiteral("btnSell"));
  btnBuy = new QPushButton(QStringLiteral("Buy by Market"), panMarket);
  btnBuy->setObjectName(QStringLiteral("btnBuy"));
  for (QPushButton *lButton : {btnSell, btnBuy}) {
    lButton->setFixedSize(cButtonWidth, cButtonHeight);
    lButton->setAutoDefault(false);
  }
  PaintButton(btnSell, cSellColor);
  PaintButton(btnBuy, cBuyColor);
  auto *lMarketButtons = new QHBoxLayout;
  lMarketButtons->addWidget(btnSell);
  lMarketButtons->addStretch(1);
  lMarketButtons->addWidget(btnBuy);
  auto *lMarket = new QVBoxLayout(panMarket);
  lMarket->addWidget(lblPrice, 1);
  lMarket->addLayout(lMarketButtons);

  // Pending panel: order type, price and the button that places it.
  panLimit = new QGroupBox(QStringLiteral("Отложенный ордер"), this);
  panLimit->setObjectName(QStringLiteral("panLimit"));
  cbOrderType = new QComboBox(panLimit);
  cbOrderType->setObjectName(QStringLiteral("cbOrderType"));
  cbOrderType->setEditable(true);
  cbOrderType->setInsertPolicy(QComboBox::NoInsert);
  edPrice = new QLineEdit(panLimit);
  edPrice->setObjectName(QStringLiteral("edPrice"));
  TDecimalKeyFilter::Install(edPrice);
  btnExec = new QPushButton(QStringLiteral("Установить ордер"), panLimit);
  btnExec->setObjectName(QStringLiteral("btnExec"));
  btnExec->setFixedSize(cButtonWidth, cButtonHeight);
  btnExec->setAutoDefault(false);
  PaintButton(btnExec, cBuyColor);
  auto *lLimitGrid = new QGridLayout;
  lLimitGrid->setColumnStretch(1, 1);
  lLimitGrid->addWidget(new QLabel(QStringLiteral("Тип:"), panLimit), 0, 0);
  lLimitGrid->addWidget(cbOrderType, 0, 1);
  lLimitGrid->addWidget(new QLabel(QStringLiteral("По цене:"), panLimit), 1, 0);
  lLimitGrid->addWidget(edPrice, 1, 1);
  auto *lLimit = new QVBoxLayout(panLimit);
  lLimit->addLayout(lLimitGrid);
  lLimit->addStretch(1);
  lLimit->addWidget(btnExec, 0, Qt::AlignHCenter);

  auto *lLayout = new QVBoxLayout(this);
  lLayout->setContentsMargins(cMargin, cMargin, cMargin, cMargin);
  lLayout->setSpacing(0);
  lLayout->addWidget(lTop);
  lLayout->addWidget(panMarket, 1);
  lLayout->addWidget(panLimit, 1);

  connect(cbType, &QComboBox::currentIndexChanged, this, [this] { RefreshPanels(); });
  connect(cbOrderType, &QComboBox::currentTextChanged, this, [this] { cbOrderTypeChange(); });
  connect(btnBuy, &QPushButton::clicked, this, [this] { MarketClick(QStringLiteral("BUY")); });
  connect(btnSell, &QPushButton::clicked, this, [this] { MarketClick(QStringLiteral("SELL")); });
  connect(btnExec, &QPushButton::clicked, this, [this] { btnExecClick(); });
}

void TdlgOrder::showEvent(QShowEvent *aEvent)
{
  QDialog::showEvent(aEvent);
  if (const QScreen *lScreen = screen())
    move(lScreen->availableGeometry().center() - rect().center());
}

void TdlgOrder::RefreshCbSymbol()
{
  cbSymbol->clear();
  if (User && User->SymbolShowList())
    cbSymbol->addItems(User->SymbolShowList()->Names());
}

void TdlgOrder::RefreshType()
{
  cbType->clear();
  cbType->addItems({cMarketType, cPendingType});
  cbType->setCurrentIndex(0);
}

void TdlgOrder::RefreshPanels()
{
  const bool lMarket = cbType->currentText() == cMarketType;
  const bool lLimit = cbType->currentText() == cPendingType;
  panMarket->setVisible(lMarket);
  panLimit->setVisible(lLimit);
  if (lLimit)
    edPrice->setText(FloatToStrSignificant(fAsk, 4));
}

void TdlgOrder::RefreshOrderType()
{
  cbOrderType->clear();
  cbOrderType->addItems(OrderTypes());
  cbOrderType->setCurrentIndex(0);
  cbOrderTypeChange();
}

void TdlgOrder::cbOrderTypeChange()
{
  QString lSide;
  QString lType;
  OrderTypeOf(cbOrderType->currentText(), lSide, lType);
  PaintButton(btnExec, lSide == QLatin1String("BUY") ? cBuyColor : cSellColor);
}

void TdlgOrder::SetSymbol(const QString &aSymbol)
{
  fSymbol = aSymbol;
  cbSymbol->setCurrentIndex(cbSymbol->findText(aSymbol, Qt::MatchExactly));
}

QString TdlgOrder::ChosenSymbol() const
{
  return cbSymbol->currentIndex() >= 0 ? cbSymbol->currentText() : QString();
}

void TdlgOrder::timerTimerTimer()
{
  const QString lSymbol = ChosenSymbol();
  if (!lSymbol.isEmpty() && User)
    User->TickerBookTicker(lSymbol);
}

void TdlgOrder::OnNotify(int aEventID, void *aData)
{
  (void)aData;
  if (aEventID != ORDER_BOOK_TICKER || !User)
    return;
  fBid = User->Bid();
  fAsk = User->Ask();
  if (panMarket->isVisibleTo(this))
    SetPriceText(QStringLiteral("%1 / %2").arg(BidAskText(fBid), BidAskText(fAsk)));
}

void TdlgOrder::SetPriceText(const QString &aText)
{
  // Prices of five digits and more would not fit: the font shrinks rather than cut them.
  QFont lFont = lblPrice->font();
  lFont.setPixelSize(cPriceFontPixels);
  const int lRoom = panMarket->contentsRect().width() - 2 * cMargin;
  while (lFont.pixelSize() > 12 && QFontMetrics(lFont).horizontalAdvance(aText) > lRoom)
    lFont.setPixelSize(lFont.pixelSize() - 1);
  lblPrice->setFont(lFont);
  lblPrice->setText(aText);
}

void TdlgOrder::Post(const TOrder &aOrder)
{
  if (User && Profile)
    User->OrderPost(aOrder, Profile->GetMainProfile(), User->Input()->Multi());
}

void TdlgOrder::MarketClick(const QString &aSide)
{
  TOrder lOrder;
  try {
    lOrder.fSymbol = ChosenSymbol();
    lOrder.fSide = aSide;
    lOrder.fType = QStringLiteral("MARKET");
    lOrder.fQuantity = StrToFloatStrict(edQuantity->text());
  } catch (const std::exception &e) {
    Alert(QString::fromUtf8(e.what()));
    return;
  }
  Post(lOrder);
  accept();
}

void TdlgOrder::btnExecClick()
{
  TOrder lOrder;
  try {
    lOrder.fSymbol = ChosenSymbol();
    OrderTypeOf(cbOrderType->currentText(), lOrder.fSide, lOrder.fType);
    lOrder.fQuantity = StrToFloatStrict(edQuantity->text());
    lOrder.fPrice = StrToFloatStrict(edPrice->text());
    lOrder.fStopPrice = StrToFloatStrict(edStopLoss->text());
  } catch (const std::exception &e) {
    Alert(QString::fromUtf8(e.what()));
    return;
  }
  Post(lOrder);
  reject();
}

void TdlgOrder::done(int aResult)
{
  FormClose();
  QDialog::done(aResult);
}

void TdlgOrder::FormClose()
{
  if (fClosed)
    return;
  fClosed = true;
  if (timerTimer)
    timerTimer->stop();
  if (User && User->Publisher())
    Unsubscribe(User->Publisher());
}

bool ExecuteOrder(const QString &aSymbol, QWidget *aParent)
{
  auto lDialog = std::make_unique<TdlgOrder>(aParent);
  lDialog->SetSymbol(aSymbol);
  return lDialog->exec() == QDialog::Accepted;
}
