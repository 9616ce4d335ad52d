#include "dlg_indicator.h"

#include "chart_settings.h"
#include "color_box.h"
#include "indicators.h"
#include "utils.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>


namespace {

constexpr int cFormWidth = 431;
constexpr int cFormHeight = 222;
constexpr int cEditWidth = 120;
constexpr int cComboWidth = 160;
constexpr QSize cStyleIcon(56, 12);

QColor BoxColor(const QComboBox *aBox)
{
  return aBox->currentData().value<QColor>();
}

TColorBox *ColorBox(QWidget *aParent, const char *aName)
{
  auto *lBox = new TColorBox(aParent);
  lBox->setObjectName(QLatin1String(aName));
  return lBox;
}

QIcon StylePicture(Qt::PenStyle aStyle)
{
  QPixmap lPixmap(cStyleIcon);
  lPixmap.fill(Qt::transparent);
  QPainter lPainter(&lPixmap);
  lPainter.setPen(QPen(Qt::black, 1, aStyle));
  lPainter.drawLine(0, cStyleIcon.height() / 2, cStyleIcon.width(), cStyleIcon.height() / 2);
  return QIcon(lPixmap);
}

QComboBox *StyleBox(QWidget *aParent, const char *aName)
{
  auto *lBox = new QComboBox(aParent);
  lBox->setObjectName(QLatin1String(aName));
  lBox->setIconSize(cStyleIcon);
  for (int i = 0; i < cLineStyleCount; ++i)
    lBox->addItem(StylePicture(ToPenStyle(static_cast<TLineStyle>(i))), QString());
  lBox->setMaxVisibleItems(cLineStyleCount);
  return lBox;
}

QComboBox *WidthBox(QWidget *aParent, const char *aName)
{
  auto *lBox = new QComboBox(aParent);
  lBox->setObjectName(QLatin1String(aName));
  for (int i = 1; i <= 5; ++i)
    lBox->addItem(QString::number(i));
  return lBox;
}

QComboBox *PriceBox(QWidget *aParent, const char *aName)
{
  auto *lBox = new QComboBox(aParent);
  lBox->setObjectName(QLatin1String(aName));
  lBox->setFixedWidth(cComboWidth);
  lBox->addItem(QStringLiteral("Open"), static_cast<int>(PRICE_OPEN));
  lBox->addItem(QStringLiteral("Close"), static_cast<int>(PRICE_CLOSE));
  lBox->addItem(QStringLiteral("High"), static_cast<int>(PRICE_HIGH));
  lBox->addItem(QStringLiteral("Low"), static_cast<int>(PRICE_LOW));
  return lBox;
}

void SelectPrice(QComboBox *aBox, TIndicatorPrice aPrice)
{
  aBox->setCurrentIndex(std::max(0, aBox->findData(static_cast<int>(aPrice))));
}

TIndicatorPrice SelectedPrice(const QComboBox *aBox)
{
  return static_cast<TIndicatorPrice>(aBox->currentData().toInt());
}

void SelectWidth(QComboBox *aBox, int aWidth)
{
  aBox->setCurrentIndex(std::clamp(aWidth - 1, 0, aBox->count() - 1));
}

// A panel as a grid of caption and control rows; the style row holds three controls.
class TPanelRows
{
public:
  explicit TPanelRows(QWidget *aPanel) : fGrid(new QGridLayout(aPanel))
  {
    fGrid->setContentsMargins(12, 12, 12, 6);
    fGrid->setColumnStretch(2, 1);
  }
  void Add(const QString &aCaption, QWidget *aControl)
  {
    fGrid->addWidget(new QLabel(aCaption), fRow, 0);
    fGrid->addWidget(aControl, fRow++, 1, Qt::AlignLeft);
  }
  void AddStyle(QComboBox *aColor, QComboBox *aStyle, QComboBox *aWidth)
  {
    auto *lRow = new QHBoxLayout;
    lRow->addWidget(aColor);
    lRow->addWidget(aStyle);
    lRow->addWidget(aWidth);
    lRow->addStretch(1);
    fGrid->addWidget(new QLabel(QStringLiteral("Стиль:")), fRow, 0);
    fGrid->addLayout(lRow, fRow++, 1, 1, 2);
  }
  void Finish() { fGrid->setRowStretch(fRow, 1); }

private:
  QGridLayout *fGrid;
  int fRow = 0;
};

} // namespace

TfmIndicator::TfmIndicator(QWidget *aParent) : QDialog(aParent)
{
  setWindowTitle(QStringLiteral("Настройки индикатора"));
  setFont(QFont(QStringLiteral("Tahoma"), 8));
  auto *lLayout = new QVBoxLayout(this);
  lLayout->setContentsMargins(0, 0, 0, 8);

  panelMA = new QWidget(this);
  panelMA->setObjectName(QStringLiteral("panelMA"));
  TPanelRows lMa(panelMA);
  edPeriod = NumberEdit(panelMA, "edPeriod");
  edShift = NumberEdit(panelMA, "edShift");
  cbMethod = new QComboBox(panelMA);
  cbMethod->setObjectName(QStringLiteral("cbMethod"));
  cbMethod->setFixedWidth(cComboWidth);
  cbPrice = PriceBox(panelMA, "cbPrice");
  cbColor = ColorBox(panelMA, "cbColor");
  cbStyle = StyleBox(panelMA, "cbStyle");
  cbWidth = WidthBox(panelMA, "cbWidth");
  lMa.Add(QStringLiteral("Период:"), edPeriod);
  lMa.Add(QStringLiteral("Сдвиг:"), edShift);
  lMa.Add(QStringLiteral("Метод МА:"), cbMethod);
  lMa.Add(QStringLiteral("Применять к:"), cbPrice);
  lMa.AddStyle(cbColor, cbStyle, cbWidth);
  lMa.Finish();

  panelBollinger = new QWidget(this);
  panelBollinger->setObjectName(QStringLiteral("panelBollinger"));
  TPanelRows lBollinger(panelBollinger);
  edBPeriod = NumberEdit(panelBollinger, "edBPeriod");
  edBShift = NumberEdit(panelBollinger, "edBShift");
  edBDev = NumberEdit(panelBollinger, "edBDev");
  cbBPrice = PriceBox(panelBollinger, "cbBPrice");
  cbBColor = ColorBox(panelBollinger, "cbBColor");
  cbBStyle = StyleBox(panelBollinger, "cbBStyle");
  cbBWidth = WidthBox(panelBollinger, "cbBWidth");
  lBollinger.Add(QStringLiteral("Период:"), edBPeriod);
  lBollinger.Add(QStringLiteral("Сдвиг:"), edBShift);
  lBollinger.Add(QStringLiteral("Отклонения:"), edBDev);
  lBollinger.Add(QStringLiteral("Применять к:"), cbBPrice);
  lBollinger.AddStyle(cbBColor, cbBStyle, cbBWidth);
  lBollinger.Finish();

  panelZZ = new QWidget(this);
  panelZZ->setObjectName(QStringLiteral("panelZZ"));
  TPanelRows lZigZag(panelZZ);
  edZZDepth = NumberEdit(panelZZ, "edZZDepth");
  edZZBackstep = NumberEdit(panelZZ, "edZZBackstep");
  cbZZColor = ColorBox(panelZZ, "cbZZColor");
  cbZZStyle = StyleBox(panelZZ, "cbZZStyle");
  cbZZWidth = WidthBox(panelZZ, "cbZZWidth");
  lZigZag.Add(QStringLiteral("Depth:"), edZZDepth);
  lZigZag.Add(QStringLiteral("Backstep:"), edZZBackstep);
  lZigZag.AddStyle(cbZZColor, cbZZStyle, cbZZWidth);
  lZigZag.Finish();

  panelFractal = new QWidget(this);
  panelFractal->setObjectName(QStringLiteral("panelFractal"));
  TPanelRows lFractal(panelFractal);
  cbFColor = ColorBox(panelFractal, "cbFColor");
  lFractal.Add(QStringLiteral("Стиль:"), cbFColor);
  lFractal.Finish();

  for (QWidget *lPanel : {panelMA, panelBollinger, panelZZ, panelFractal}) {
    lLayout->addWidget(lPanel, 1);
    lPanel->hide();
  }

  auto *lButtons = new QHBoxLayout;
  lButtons->setContentsMargins(8, 0, 8, 0);
  lButtons->addStretch(1);
  auto *lOk = new QPushButton(QStringLiteral("ОК"), this);
  lOk->setObjectName(QStringLiteral("btnOk"));
  lOk->setDefault(true);
  auto *lCancel = new QPushButton(QStringLiteral("Отмена"), this);
  lCancel->setObjectName(QStringLiteral("btnCancel"));
  lButtons->addWidget(lOk);
  lButtons->addWidget(lCancel);
  lLayout->addLayout(lButtons);
  connect(lOk, &QPushButton::clicked, this, &TfmIndicator::btnOkClick);
  connect(lCancel, &QPushButton::clicked, this, &QDialog::reject);

  setFixedSize(cFormWidth, cFormHeight);
}

QLineEdit *TfmIndicator::NumberEdit(QWidget *aParent, const char *aName)
{
  auto *lEdit = new QLineEdit(aParent);
  lEdit->setObjectName(QLatin1String(aName));
  lEdit->setFixedWidth(cEditWidth);
  lEdit->installEventFilter(this);
  return lEdit;
}

bool TfmIndicator::edPeriodKeyPress(const QKeyEvent &aEvent) const
{
  // Keys that type nothing (arrows, Delete, shortcuts) are not characters to filter.
  if (aEvent.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
    return false;
  const QString lText = aEvent.text();
  if (lText.isEmpty() || aEvent.key() == Qt::Key_Delete)
    return false;
  for (const QChar lChar : lText)
    if (lChar != QChar(8) && (lChar < QLatin1Char('0') || lChar > QLatin1Char('9')))
      return true;
  return false;
}

bool TfmIndicator::eventFilter(QObject *aWatched, QEvent *aEvent)
{
  if (aEvent->type() == QEvent::KeyPress && qobject_cast<QLineEdit *>(aWatched))
    return edPeriodKeyPress(*static_cast<QKeyEvent *>(aEvent));
  return QDialog::eventFilter(aWatched, aEvent);
}

void TfmIndicator::ShowPanel(QWidget *aPanel)
{
  for (QWidget *lPanel : {panelMA, panelBollinger, panelZZ, panelFractal})
    lPanel->setVisible(lPanel == aPanel);
}

void TfmIndicator::RefreshForm()
{
  if (dynamic_cast<TMaIndicatorInfo *>(fIndicatorInfo)) {
    cbMethod->clear();
    cbMethod->addItems({QStringLiteral("Simple"), QStringLiteral("Exponential"),
                        QStringLiteral("Smoothed"), QStringLiteral("Linear weighted")});
    cbMethod->setCurrentIndex(0);
    cbPrice->setCurrentIndex(0);
  } else if (dynamic_cast<TBollingerIndicatorInfo *>(fIndicatorInfo)) {
    cbBPrice->setCurrentIndex(0);
  }
}

void TfmIndicator::SetIndicator(TBaseIndicatorInfo &aInfo)
{
  fIndicatorInfo = &aInfo;
  RefreshForm();
  if (auto *lMa = dynamic_cast<TMaIndicatorInfo *>(&aInfo)) {
    ShowPanel(panelMA);
    edPeriod->setText(QString::number(lMa->Period));
    edShift->setText(QString::number(lMa->Shift));
    cbMethod->setCurrentIndex(static_cast<int>(lMa->Method));
    SelectPrice(cbPrice, lMa->Price);
    cbColor->SetSelected(ToQColor(lMa->LineColor));
    cbStyle->setCurrentIndex(static_cast<int>(lMa->LineStyle));
    SelectWidth(cbWidth, lMa->LineWidth);
  } else if (auto *lBands = dynamic_cast<TBollingerIndicatorInfo *>(&aInfo)) {
    ShowPanel(panelBollinger);
    edBPeriod->setText(QString::number(lBands->Period));
    edBShift->setText(QString::number(lBands->Shift));
    edBDev->setText(QString::number(lBands->Dev));
    SelectPrice(cbBPrice, lBands->Price);
    cbBColor->SetSelected(ToQColor(lBands->LineColor));
    cbBStyle->setCurrentIndex(static_cast<int>(lBands->LineStyle));
    SelectWidth(cbBWidth, lBands->LineWidth);
  } else if (auto *lZigZag = dynamic_cast<TZigZagIndicatorInfo *>(&aInfo)) {
    ShowPanel(panelZZ);
    edZZDepth->setText(QString::number(lZigZag->Depth));
    edZZBackstep->setText(QString::number(lZigZag->Backstep));
    cbZZColor->SetSelected(ToQColor(lZigZag->LineColor));
    cbZZStyle->setCurrentIndex(static_cast<int>(lZigZag->LineStyle));
    SelectWidth(cbZZWidth, lZigZag->LineWidth);
  } else if (auto *lFractal = dynamic_cast<TFractalIndicatorInfo *>(&aInfo)) {
    ShowPanel(panelFractal);
    cbFColor->SetSelected(ToQColor(lFractal->Color));
  }
}

std::vector<TfmIndicator::TNumberField> TfmIndicator::NumberFields() const
{
  if (auto *lMa = dynamic_cast<TMaIndicatorInfo *>(fIndicatorInfo))
    return {{edPeriod, QStringLiteral("Период"), &lMa->Period},
            {edShift, QStringLiteral("Сдвиг"), &lMa->Shift}};
  if (auto *lBands = dynamic_cast<TBollingerIndicatorInfo *>(fIndicatorInfo))
    return {{edBPeriod, QStringLiteral("Период"), &lBands->Period},
            {edBShift, QStringLiteral("Сдвиг"), &lBands->Shift},
            {edBDev, QStringLiteral("Отклонения"), &lBands->Dev}};
  if (auto *lZigZag = dynamic_cast<TZigZagIndicatorInfo *>(fIndicatorInfo))
    return {{edZZDepth, QStringLiteral("Depth"), &lZigZag->Depth},
            {edZZBackstep, QStringLiteral("Backstep"), &lZigZag->Backstep}};
  return {};
}

TBaseIndicatorInfo *TfmIndicator::GetIndicator()
{
  if (!fIndicatorInfo)
    return nullptr;
  // Every number is read before anything is written: a wrong field leaves the info whole.
  const std::vector<TNumberField> lFields = NumberFields();
  std::vector<int> lValues;
  for (const TNumberField &lField : lFields) {
    const QString lText = lField.Edit->text().trimmed();
    bool lOk = false;
    const int lValue = lText.toInt(&lOk, 10);
    if (!lOk) {
      Msg(lText.isEmpty()
              ? QStringLiteral("Поле «%1» не заполнено.").arg(lField.Caption)
              : QStringLiteral("Поле «%1»: «%2» — не целое число.").arg(lField.Caption, lText),
          mtAlert);
      lField.Edit->setFocus();
      lField.Edit->selectAll();
      return nullptr;
    }
    lValues.push_back(lValue);
  }
  for (size_t i = 0; i < lFields.size(); ++i)
    *lFields[i].Target = lValues[i];

  if (auto *lMa = dynamic_cast<TMaIndicatorInfo *>(fIndicatorInfo)) {
    lMa->Method = static_cast<TIndicatorMethod>(std::max(0, cbMethod->currentIndex()));
    lMa->Price = SelectedPrice(cbPrice);
    lMa->LineColor = FromQColor(BoxColor(cbColor));
    lMa->LineStyle = static_cast<TLineStyle>(std::max(0, cbStyle->currentIndex()));
    lMa->LineWidth = cbWidth->currentIndex() + 1;
  } else if (auto *lBands = dynamic_cast<TBollingerIndicatorInfo *>(fIndicatorInfo)) {
    lBands->Price = SelectedPrice(cbBPrice);
    lBands->LineColor = FromQColor(BoxColor(cbBColor));
    lBands->LineStyle = static_cast<TLineStyle>(std::max(0, cbBStyle->currentIndex()));
    lBands->LineWidth = cbBWidth->currentIndex() + 1;
  } else if (auto *lZigZag = dynamic_cast<TZigZagIndicatorInfo *>(fIndicatorInfo)) {
    lZigZag->LineColor = FromQColor(BoxColor(cbZZColor));
    lZigZag->LineStyle = static_cast<TLineStyle>(std::max(0, cbZZStyle->currentIndex()));
    lZigZag->LineWidth = cbZZWidth->currentIndex() + 1;
  } else if (auto *lFractal = dynamic_cast<TFractalIndicatorInfo *>(fIndicatorInfo)) {
    lFractal->Color = FromQColor(BoxColor(cbFColor));
  }
  return fIndicatorInfo;
}

void TfmIndicator::btnOkClick()
{
  if (GetIndicator())
    accept();
}

bool ExecuteDlgIndicator(TBaseIndicatorInfo &aInfo, QWidget *aParent)
{
  TfmIndicator lForm(aParent);
  lForm.SetIndicator(aInfo);
  if (const QScreen *lScreen = QGuiApplication::primaryScreen())
    lForm.move(lScreen->availableGeometry().center() - lForm.rect().center());
  return lForm.exec() == QDialog::Accepted;
}
