#pragma once

#include "consts.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QWidget;
class TConnectionItem;

// "Авторизация": the keys of one account (with its name and rate in full mode), a test
// against the exchange, and saving, which only a successful test allows. It edits the item in
// place; a test never changes the item.
class TdlgBaseLogon : public QDialog
{
  Q_OBJECT
public:
  explicit TdlgBaseLogon(QWidget *aParent = nullptr);

  void SetMode(TConnectionItem *aItem, bool aFull);
  TUserAuth Auth() const { return fAuth; }
  bool Testing() const { return fTesting; }

  // $00BBGGRR colour of the test square for a test result.
  static TColor AuthColor(TUserAuth aAuth);

  void btnTestClick();
  void btnSaveClick();

protected:
  void showEvent(QShowEvent *aEvent) override;

private:
  void BuildControls();
  void FillProfiles();
  void InitInterface();
  void edChange();

  TUserAuth fAuth = uaUndefined;
  bool fFull = false;
  bool fShown = false;
  bool fTesting = false;
  TConnectionItem *fConnection = nullptr;

  QWidget *panTop = nullptr;
  QLineEdit *edName = nullptr;
  QLineEdit *edRate = nullptr;
  QLineEdit *edAPI = nullptr;
  QLineEdit *edSecret = nullptr;
  QPushButton *btnTest = nullptr;
  QWidget *panTest = nullptr;
  QPushButton *btnSave = nullptr;
  QPushButton *Cancel = nullptr;
};

// Edits one account's keys; true when saved. Main-account mode (aFull false) edits the buffered
// main account whatever aItem holds, and a cancel puts the main account and the authorisation
// state back as they were.
bool ExecuteDlgBaseLogon(TConnectionItem *aItem, bool aFull, QWidget *aParent = nullptr);
