#pragma once

#include "consts.h"

#include <QColor>
#include <QObject>
#include <QString>

#include <stdexcept>

class QLineEdit;

// Keeps a number field to digits and one decimal separator: "." and "," both become the
// locale's separator, a second one is refused. Keys that type nothing (arrows, Delete, Enter,
// shortcuts) pass, so the field and its dialog keep working.
class TDecimalKeyFilter : public QObject
{
public:
  using QObject::QObject;

  // Installs one filter, owned by the field.
  static void Install(QLineEdit *aEdit);

protected:
  bool eventFilter(QObject *aWatched, QEvent *aEvent) override;
};

// A field text that is not a number.
class EConvertError : public std::runtime_error
{
public:
  using std::runtime_error::runtime_error;
};

// Reads a typed number with the locale's rules. Group separators are refused: under a
// full-stop locale "1,5" must not become 15.
bool TryStrToFloat(const QString &aText, double &aValue);
// The same, raising EConvertError for a text that is not a number.
double StrToFloatStrict(const QString &aText);
// TryStrToFloat, 0 when the text is not a number.
double StrToFloatDef(const QString &aText);

// The default order amount, 0.01, with the locale's separator.
QString DefaultAmountText();

// A $00BBGGRR colour as Qt takes it.
inline QColor ToQColor(TColor aColor)
{
  return QColor(aColor & 0xFF, (aColor >> 8) & 0xFF, (aColor >> 16) & 0xFF);
}
