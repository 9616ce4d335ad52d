#pragma once

#include <QDialog>
#include <QString>

#include <vector>

class QComboBox;
class TColorBox;
class QKeyEvent;
class QLineEdit;
class TBaseIndicatorInfo;

// "Настройки индикатора": edits one indicator's info in place, showing only the panel of its
// kind. The form does not own the info.
class TfmIndicator : public QDialog
{
  Q_OBJECT
public:
  explicit TfmIndicator(QWidget *aParent = nullptr);

  // Stores the info and shows its values on the panel of its kind.
  void SetIndicator(TBaseIndicatorInfo &aInfo);
  // Writes the shown panel into the info and returns it. When a number field does not hold an
  // integer nothing is written, the user is told which field, and the answer is none.
  TBaseIndicatorInfo *GetIndicator();
  TBaseIndicatorInfo *Indicator() const { return fIndicatorInfo; }

protected:
  bool eventFilter(QObject *aWatched, QEvent *aEvent) override;

private:
  struct TNumberField
  {
    QLineEdit *Edit;
    QString Caption;
    int *Target;
  };
  void RefreshForm();
  void ShowPanel(QWidget *aPanel);
  std::vector<TNumberField> NumberFields() const;
  // True when the key press is to be discarded: only digits and Backspace are typed in.
  bool edPeriodKeyPress(const QKeyEvent &aEvent) const;
  QLineEdit *NumberEdit(QWidget *aParent, const char *aName);
  void btnOkClick();

  TBaseIndicatorInfo *fIndicatorInfo = nullptr;
  QWidget *panelMA = nullptr;
  QWidget *panelBollinger = nullptr;
  QWidget *panelZZ = nullptr;
  QWidget *panelFractal = nullptr;
  QLineEdit *edPeriod = nullptr, *edShift = nullptr;
  QComboBox *cbMethod = nullptr, *cbPrice = nullptr;
  TColorBox *cbColor = nullptr;
  QComboBox *cbStyle = nullptr, *cbWidth = nullptr;
  QLineEdit *edBPeriod = nullptr, *edBShift = nullptr, *edBDev = nullptr;
  QComboBox *cbBPrice = nullptr;
  TColorBox *cbBColor = nullptr;
  QComboBox *cbBStyle = nullptr, *cbBWidth = nullptr;
  QLineEdit *edZZDepth = nullptr, *edZZBackstep = nullptr;
  TColorBox *cbZZColor = nullptr;
  QComboBox *cbZZStyle = nullptr, *cbZZWidth = nullptr;
  TColorBox *cbFColor = nullptr;
};

// Runs the dialog modally on aInfo; true on "ОК" (aInfo then holds the edited values), false on
// cancel (aInfo unchanged).
bool ExecuteDlgIndicator(TBaseIndicatorInfo &aInfo, QWidget *aParent = nullptr);
