#include "dlg_base_logon.h"

#include "connection_item.h"
#include "decimal_key_filter.h"
#include "general_format.h"
#include "profile.h"
#include "user.h"
#include "user_input_data.h"
#include "utils.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <memory>

namespace {

constexpr int cClientWidth = 608;
constexpr int cClientHeight = 115;
constexpr int cTopHeight = 30;
constexpr int cKeyWidth = 449;
constexpr int cMaxKeyLength = 100;
constexpr TColor cUndefinedColor = 0x00C0C0C0;

// The picture beside the key fields: a key.
QPixmap KeyPicture()
{
  QPixmap lPixmap(48, 48);
  lPixmap.fill(Qt::transparent);
  QPainter lPainter(&lPixmap);
  lPainter.setRenderHint(QPainter::Antialiasing);
  const QColor lGold(0xD4, 0xA0, 0x17);
  lPainter.setPen(QPen(lGold.darker(140), 1.5));
  lPainter.setBrush(lGold);
  QPainterPath lKey;
  lKey.addEllipse(QPointF(14, 24), 10, 10);
  lKey.addRect(22, 21, 22, 6);
  lKey.addRect(36, 27, 4, 7);
  lKey.addRect(30, 27, 4, 5);
  lKey = lKey.simplified();
  lKey.addEllipse(QPointF(11, 24), 3.5, 3.5);
  lPainter.drawPath(lKey);
  return lPixmap;
}

// Restores an item's keys however the test ends.
class TKeysRestore
{
public:
  explicit TKeysRestore(TConnectionItem &aItem)
      : fItem(aItem), fApiKey(aItem.ApiKey), fSecretKey(aItem.SecretKey)
  {
  }
  ~TKeysRestore()
  {
    fItem.ApiKey = fApiKey;
    fItem.SecretKey = fSecretKey;
  }
  TKeysRestore(const TKeysRestore &) = delete;
  TKeysRestore &operator=(const TKeysRestore &) = delete;

private:
  TConnectionItem &fItem;
  QString fApiKey;
  QString fSecretKey;
};

} // namespace

TColor TdlgBaseLogon::AuthColor(TUserAuth aAuth)
{
  switch (aAuth) {
  case uaAuth:
    return clLtGreen;
  case uaUnauth:
    return clLtRed;
  case uaUndefined:
    break;
  }
  return cUndefinedColor;
}

TdlgBaseLogon::TdlgBaseLogon(QWidget *aParent) : QDialog(aParent)
{
  setObjectName(QStringLiteral("dlgBaseLogon"));
  setWindowTitle(QStringLiteral("Авторизация"));
  setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) &
                 ~Qt::WindowContextHelpButtonHint);
  BuildControls();
  SetMode(nullptr, false);
}

void TdlgBaseLogon::BuildControls()
{
  panTop = new QWidget(this);
  panTop->setObjectName(QStringLiteral("panTop"));
  panTop->setFixedHeight(cTopHeight);
  edName = new QLineEdit(panTop);
  edName->setObjectName(QStringLiteral("edName"));
  edName->setFixedWidth(228);
  edRate = new QLineEdit(panTop);
  edRate->setObjectName(QStringLiteral("edRate"));
  edRate->setFixedWidth(121);
  edRate->setAlignment(Qt::AlignRight);
  TDecimalKeyFilter::Install(edRate);
  auto *lTop = new QHBoxLayout(panTop);
  lTop->setContentsMargins(0, 0, 0, 0);
  lTop->addWidget(new QLabel(QStringLiteral("Наименование"), panTop));
  lTop->addWidget(edName);
  lTop->addSpacing(12);
  lTop->addWidget(new QLabel(QStringLiteral("Коефициент"), panTop));
  lTop->addWidget(edRate);
  lTop->addStretch(1);

  auto *lPicture = new QLabel(this);
  lPicture->setObjectName(QStringLiteral("imgKey"));
  lPicture->setFixedSize(48, 48);
  lPicture->setPixmap(KeyPicture());
  edAPI = new QLineEdit(this);
  edAPI->setObjectName(QStringLiteral("edAPI"));
  edSecret = new QLineEdit(this);
  edSecret->setObjectName(QStringLiteral("edSecret"));
  for (QLineEdit *lEdit : {edAPI, edSecret}) {
    lEdit->setFixedWidth(cKeyWidth);
    lEdit->setMaxLength(cMaxKeyLength);
  }
  auto *lKeys = new QGridLayout;
  lKeys->setContentsMargins(0, 0, 0, 0);
  lKeys->addWidget(lPicture, 0, 0, 2, 1, Qt::AlignVCenter);
  lKeys->addWidget(new QLabel(QStringLiteral("API key:"), this), 0, 1);
  lKeys->addWidget(edAPI, 0, 2);
  lKeys->addWidget(new QLabel(QStringLiteral("Secret key:"), this), 1, 1);
  lKeys->addWidget(edSecret, 1, 2);
  lKeys->setColumnStretch(3, 1);

  auto *lBottom = new QWidget(this);
  lBottom->setObjectName(QStringLiteral("panBottom"));
  lBottom->setFixedHeight(33);
  btnTest = new QPushButton(QStringLiteral("Тест"), lBottom);
  btnTest->setObjectName(QStringLiteral("btnTest"));
  panTest = new QWidget(lBottom);
  panTest->setObjectName(QStringLiteral("panTest"));
  panTest->setFixedSize(20, 20);
  panTest->setAutoFillBackground(true);
  btnSave = new QPushButton(QStringLiteral("Сохранить"), lBottom);
  btnSave->setObjectName(QStringLiteral("btnSave"));
  btnSave->setEnabled(false);
  Cancel = new QPushButton(QStringLiteral("Выход"), lBottom);
  Cancel->setObjectName(QStringLiteral("Cancel"));
  // Enter in a field and Escape both leave without saving.
  Cancel->setDefault(true);
  auto *lButtons = new QHBoxLayout(lBottom);
  lButtons->setContentsMargins(0, 0, 0, 0);
  lButtons->addStretch(1);
  lButtons->addWidget(btnTest);
  lButtons->addWidget(panTest);
  lButtons->addSpacing(12);
  lButtons->addWidget(btnSave);
  lButtons->addWidget(Cancel);

  auto *lLayout = new QVBoxLayout(this);
  lLayout->setContentsMargins(8, 6, 8, 4);
  lLayout->setSpacing(4);
  lLayout->addWidget(panTop);
  lLayout->addLayout(lKeys);
  lLayout->addStretch(1);
  lLayout->addWidget(lBottom);

  for (QLineEdit *lEdit : {edAPI, edSecret, edName})
    connect(lEdit, &QLineEdit::textChanged, this, [this] { edChange(); });
  connect(btnTest, &QPushButton::clicked, this, [this] { btnTestClick(); });
  connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
  connect(Cancel, &QPushButton::clicked, this, &TdlgBaseLogon::reject);
}

void TdlgBaseLogon::SetMode(TConnectionItem *aItem, bool aFull)
{
  fFull = aFull;
  fConnection = aItem;
  panTop->setVisible(aFull);
  setFixedSize(cClientWidth, cClientHeight + (aFull ? cTopHeight : 0));
}

void TdlgBaseLogon::showEvent(QShowEvent *aEvent)
{
  QDialog::showEvent(aEvent);
  if (fShown)
    return;
  fShown = true;
  if (const QScreen *lScreen = screen())
    move(lScreen->availableGeometry().center() - rect().center());
  fAuth = uaUndefined;
  FillProfiles();
  InitInterface();
}

void TdlgBaseLogon::FillProfiles()
{
  if (!fConnection)
    return;
  edAPI->setText(fConnection->ApiKey);
  edSecret->setText(fConnection->SecretKey);
  if (fFull) {
    edName->setText(fConnection->Name);
    edRate->setText(FloatToStrGeneral(fConnection->Rate));
  }
}

void TdlgBaseLogon::InitInterface()
{
  bool lCanTest = !edAPI->text().isEmpty() && !edSecret->text().isEmpty();
  if (fFull)
    lCanTest = lCanTest && !edName->text().isEmpty() && !edRate->text().isEmpty();
  btnTest->setEnabled(lCanTest && !fTesting);
  QPalette lPalette = panTest->palette();
  lPalette.setColor(QPalette::Window, ToQColor(AuthColor(fAuth)));
  panTest->setPalette(lPalette);
  btnSave->setEnabled(fAuth == uaAuth && !fTesting);
}

void TdlgBaseLogon::edChange()
{
  fAuth = uaUndefined;
  InitInterface();
}

void TdlgBaseLogon::btnTestClick()
{
  if (!fConnection || fTesting)
    return;
  try {
    TKeysRestore lRestore(*fConnection);
    fConnection->ApiKey = edAPI->text();
    fConnection->SecretKey = edSecret->text();
    if (User)
      User->Input()->SetAuth(uaUndefined);
    SetLastServerError(QString());
    if (fConnection->ApiKey.isEmpty() || fConnection->SecretKey.isEmpty())
      return;
    fTesting = true;
    InitInterface();
    // The wait serves the GUI thread: no second test, and the fields stay as they are.
    for (QLineEdit *lEdit : {edAPI, edSecret, edName, edRate})
      lEdit->setReadOnly(true);
    const auto lDone = [this] {
      fTesting = false;
      for (QLineEdit *lEdit : {edAPI, edSecret, edName, edRate})
        lEdit->setReadOnly(false);
    };
    try {
      fAuth = fConnection->AccountEx(fConnection, false);
    } catch (...) {
      lDone();
      InitInterface();
      throw;
    }
    lDone();
    InitInterface();
  } catch (const std::exception &e) {
    Alert(QString::fromUtf8(e.what()));
  }
}

void TdlgBaseLogon::btnSaveClick()
{
  if (fAuth != uaAuth || !fConnection)
    return;
  fConnection->ApiKey = edAPI->text();
  fConnection->SecretKey = edSecret->text();
  fConnection->Name = edName->text();
  fConnection->Rate = StrToFloatDef(edRate->text());
  accept();
}

bool ExecuteDlgBaseLogon(TConnectionItem *aItem, bool aFull, QWidget *aParent)
{
  if (!Profile || !User)
    return false;
  Profile->MainBeginUpdate();
  User->Input()->AuthBeginUpdate();
  bool lSaved = false;
  try {
    auto lDialog = std::make_unique<TdlgBaseLogon>(aParent);
    lDialog->SetMode(aFull ? aItem : Profile->GetMainProfile(), aFull);
    lSaved = lDialog->exec() == QDialog::Accepted;
  } catch (...) {
    Profile->MainRollbackUpdate();
    User->Input()->AuthRollbackUpdate();
    throw;
  }
  if (lSaved) {
    Profile->MainCommitUpdate();
    Profile->SaveToFile();
    User->Input()->AuthCommitUpdate();
  } else {
    Profile->MainRollbackUpdate();
    User->Input()->AuthRollbackUpdate();
  }
  return lSaved;
}
