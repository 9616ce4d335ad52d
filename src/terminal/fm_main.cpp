#include "fm_main.h"

#include "chart_host.h"
#include "consts.h"
#include "events.h"
#include "log_writer.h"
#include "sys_time.h"
#include "ui_writer.h"
#include "user.h"
#include "utils.h"
#include "workflow.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

TfmMain *fmMain = nullptr;

namespace {

QString TimeText(TDateTime aTime)
{
  const TDateTimeParts lParts = DecodeDateTime(aTime);
  return QStringLiteral("%1:%2:%3")
      .arg(lParts.Hour, 2, 10, QLatin1Char('0'))
      .arg(lParts.Minute, 2, 10, QLatin1Char('0'))
      .arg(lParts.Second, 2, 10, QLatin1Char('0'));
}

QString ColorName(unsigned aColor)
{
  // $00BBGGRR to #RRGGBB
  return QStringLiteral("#%1%2%3")
      .arg(aColor & 0xFF, 2, 16, QLatin1Char('0'))
      .arg((aColor >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
      .arg((aColor >> 16) & 0xFF, 2, 16, QLatin1Char('0'));
}

} // namespace

TfmMain::TfmMain(QWidget *aParent) : QMainWindow(aParent)
{
  setObjectName(QStringLiteral("fmMain"));
  setWindowTitle(QStringLiteral("Vexa "));
  setMinimumSize(460, 240);
  BuildStatusBar();
  BuildChartArea();
  SetOnlineMode(false);
  fmMain = this;
}

TfmMain::~TfmMain()
{
  if (fmMain == this)
    fmMain = nullptr;
}

void TfmMain::BuildStatusBar()
{
  auto *lBar = new QStatusBar(this);
  lBar->setObjectName(QStringLiteral("panStatus"));
  lBar->setSizeGripEnabled(false);
  lBar->setFixedHeight(20);
  fStatusText = new QLabel(lBar);
  fStatusText->setObjectName(QStringLiteral("StatusText"));
  fStatusText->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  auto *lPanel1 = new QWidget(lBar);
  lPanel1->setObjectName(QStringLiteral("Panel1"));
  lPanel1->setFixedWidth(20);
  fSysTimePanel = new QLabel(lBar);
  fSysTimePanel->setObjectName(QStringLiteral("SysTimePanel"));
  fSysTimePanel->setFixedWidth(60);
  fSysTimePanel->setAlignment(Qt::AlignCenter);
  fSysTimePanel->setAutoFillBackground(true);
  auto *lPanel2 = new QWidget(lBar);
  lPanel2->setObjectName(QStringLiteral("Panel2"));
  lPanel2->setFixedWidth(20);
  lBar->addWidget(fStatusText, 1);
  lBar->addPermanentWidget(lPanel1);
  lBar->addPermanentWidget(fSysTimePanel);
  lBar->addPermanentWidget(lPanel2);
  setStatusBar(lBar);
}

void TfmMain::BuildChartArea()
{
  fClient = new QWidget(this);
  fClient->setObjectName(QStringLiteral("pnlClient"));
  fClient->setAutoFillBackground(true);
  QPalette lPalette = fClient->palette();
  lPalette.setColor(QPalette::Window, QColor(191, 205, 219)); // clBackground
  fClient->setPalette(lPalette);
  setCentralWidget(fClient);
  fChartMenu = new QMenu(this);
  fChartMenu->setObjectName(QStringLiteral("ppmChart"));
  fIndicatorMenu = new QMenu(this);
  fIndicatorMenu->setObjectName(QStringLiteral("ppIndicator"));
  AttachChartList(this, fClient, fChartMenu, fIndicatorMenu, nullptr);
}

void TfmMain::LoadCharts()
{
  try {
    ::LoadCharts();
  } catch (const std::exception &lError) {
    LogGuarded("FormCreate", lError);
  }
}

void TfmMain::LogGuarded(const char *aHandler, const std::exception &aError) const
{
  WriteLog(QStringLiteral("TfmBaseMain.%1 | %2 : %3")
               .arg(QLatin1String(aHandler), ExceptionClassName(aError),
                    QString::fromUtf8(aError.what())),
           mtAlert);
}

void TfmMain::OnNotify(int aEventID, void *aData)
{
  try {
    switch (aEventID) {
    case BASE_MAIN_SYSTIME:
      if (aData)
        fSysTimePanel->setText(TimeText(*static_cast<TDateTime *>(aData)));
      break;
    case MAIN_FORM_CHART_REFRESH:
      TimerChartRefresh(this, aData);
      break;
    default:
      break;
    }
  } catch (const std::exception &lError) {
    LogGuarded("OnNotify", lError);
  }
}

void TfmMain::SetStatusColor(unsigned aColor)
{
  try {
    fSysTimePanel->setStyleSheet(QStringLiteral("background-color: %1;").arg(ColorName(aColor)));
  } catch (const std::exception &lError) {
    LogGuarded("SetStatusColor", lError);
  }
}

void TfmMain::SetOnlineMode(bool aOnline)
{
  try {
    fIsOnline = aOnline;
    if (aOnline) {
      SetStatusColor(clStatusGreen);
      fStatusText->setText(QStringLiteral("Подключено"));
      if (SysTime)
        Subscribe(&SysTime->Publisher());
      if (User)
        Subscribe(User->Publisher());
      if (UIWriter)
        Subscribe(&UIWriter->Publisher());
    } else {
      SetStatusColor(clStatusRed);
      fStatusText->setText(QStringLiteral("Отключено"));
      fSysTimePanel->clear();
      if (SysTime)
        Unsubscribe(&SysTime->Publisher());
      if (User)
        Unsubscribe(User->Publisher());
    }
  } catch (const std::exception &lError) {
    LogGuarded("SetOnlineMode", lError);
  }
}

bool TfmMain::SendPing()
{
  try {
    bool lOk = false;
    if (User)
      User->Ping(lOk);
    SetOnlineMode(lOk);
  } catch (const std::exception &lError) {
    LogGuarded("SendPing", lError);
    SetOnlineMode(false);
  }
  return fIsOnline;
}

void TfmMain::InitUserInterface() {}

void TfmMain::Deinit()
{
  try {
    if (SysTime)
      Unsubscribe(&SysTime->Publisher());
    if (User)
      Unsubscribe(User->Publisher());
  } catch (const std::exception &lError) {
    LogGuarded("Deinit", lError);
  }
}

void TfmMain::FormClose()
{
  try {
    if (Workflow)
      Workflow->SetState(wfsClosing);
    if (SysTime)
      Unsubscribe(&SysTime->Publisher());
    if (User)
      Unsubscribe(User->Publisher());
    if (User)
      User->WaitForThreads();
    DetachChartList(this);
    // The UI writer outlives the window; leaving it here means no queued event can reach a
    // window that is about to be destroyed.
    if (UIWriter)
      Unsubscribe(&UIWriter->Publisher());
  } catch (const std::exception &lError) {
    LogGuarded("FormClose", lError);
  }
}

void TfmMain::closeEvent(QCloseEvent *aEvent)
{
  if (!fClosed) {
    fClosed = true;
    FormClose();
  }
  aEvent->accept();
}
