#include "decimal_key_filter.h"

#include "general_format.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>

void TDecimalKeyFilter::Install(QLineEdit *aEdit)
{
  aEdit->installEventFilter(new TDecimalKeyFilter(aEdit));
}

bool TDecimalKeyFilter::eventFilter(QObject *aWatched, QEvent *aEvent)
{
  if (aEvent->type() != QEvent::KeyPress)
    return false;
  auto *lEdit = qobject_cast<QLineEdit *>(aWatched);
  const QString lText = static_cast<QKeyEvent *>(aEvent)->text();
  if (!lEdit || lText.size() != 1 || !lText.at(0).isPrint())
    return false;
  const QChar lChar = lText.at(0);
  if (lChar >= QLatin1Char('0') && lChar <= QLatin1Char('9'))
    return false;
  if (lChar == QLatin1Char('.') || lChar == QLatin1Char(',')) {
    const QString lSeparator = QLocale().decimalPoint();
    if (!lEdit->isReadOnly() && !lEdit->text().contains(lSeparator))
      lEdit->insert(lSeparator);
  }
  return true;
}

bool TryStrToFloat(const QString &aText, double &aValue)
{
  QLocale lLocale;
  lLocale.setNumberOptions(lLocale.numberOptions() | QLocale::RejectGroupSeparator);
  bool lOk = false;
  const double lValue = lLocale.toDouble(aText.trimmed(), &lOk);
  if (lOk)
    aValue = lValue;
  return lOk;
}

double StrToFloatStrict(const QString &aText)
{
  double lValue = 0;
  if (!TryStrToFloat(aText, lValue))
    throw EConvertError(
        QStringLiteral("'%1' is not a valid floating point value").arg(aText).toStdString());
  return lValue;
}

double StrToFloatDef(const QString &aText)
{
  double lValue = 0;
  return TryStrToFloat(aText, lValue) ? lValue : 0;
}

QString DefaultAmountText()
{
  return FloatToStrGeneral(0.01);
}
