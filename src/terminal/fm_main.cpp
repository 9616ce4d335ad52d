#include "fm_main.h"

#include "account_grid.h"
#include "chart_host.h"
#include "events.h"
#include "main_actions.h"
#include "main_chart_commands.h"
#include "main_docks.h"
#include "main_guard.h"
#include "market_watch.h"
#include "navigator.h"
#include "order_book.h"
#include "order_panel.h"
#include "profile.h"
#include "sys_time.h"
#include "terminal_panel.h"
#include "ui_writer.h"
#include "user.h"
#include "utils.h"
#include "volume_monitor.h"
#include "workflow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

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

QColor ToQColor(unsigned aColor)
{
  // $00BBGGRR
  return QColor(aColor & 0xFF, (aColor >> 8) & 0xFF, (aColor >> 16) & 0xFF);
}

QDockWidget *Host(QDockWidget *aDock, QWidget *aContent)
{
  aDock->setWidget(aContent);
  return aDock;
}

// Loading a symbol's orders waits until the trader stops moving through the list.
constexpr int cSymbolOrdersDelayMs = 400;
constexpr int cChartRefreshDelayMs = 50;
constexpr int cLoginFormDelayMs = 50;

} // namespace

TfmMain::TfmMain(QWidget *aParent) : QMainWindow(aParent)
{
  setObjectName(QStringLiteral("fmMain"));
  setWindowTitle(QStringLiteral("Vexa "));
  setWindowIcon(TMainActions::Icon("vexa"));
  setMinimumSize(460, 240);
  FormCreate();
  SetOnlineMode(false);
  fmMain = this;
}

TfmMain::~TfmMain()
{
  if (fmMain == this)
    fmMain = nullptr;
  // Qt hides the panels while it destroys the window; no handler of ours may run then.
  for (QObject *lChild : findChildren<QObject *>())
    disconnect(lChild, nullptr, this, nullptr);
}

void TfmMain::FormCreate()
{
  MainGuarded("FormCreate", [this] {
    fActions = new TMainActions(this);
    addActions(fActions->All());
    BuildClientArea();
    fBars = BuildMainBars(*this, *fActions);
    fDocks = std::make_unique<TMainDocks>(*this);
    BuildViews();
    BuildStatusBar();
    AttachChartList(this, fClient, fBars.ppmChart, fBars.ppIndicator, nullptr);
    SetChartHooks({ChartIndexOf, ::ChartFullRefresh});
    connect(fSymbols, &TMarketWatchView::NewChartRequested, this, &NewChart);
    fBuyPanel->SetChartPriceSource(SelectedChartPrice);
    fSellPanel->SetChartPriceSource(SelectedChartPrice);
    fDocks->Arrange();
    fChartCommands = new TMainChartCommands(
        {fActions, fBars, fClient, fTabCharts, fPanFull, [this] { return SelectedSymbol(); }},
        this);
    connect(fVolumeMonitor, &TVolumeMonitorView::VolumeRowSelected, fChartCommands,
            &TMainChartCommands::ShowSymbol);
    ConnectCommands();
    fLoginFormTimer = new QTimer(this);
    fLoginFormTimer->setObjectName(QStringLiteral("timerLoginForm"));
    fLoginFormTimer->setInterval(cLoginFormDelayMs);
    connect(fLoginFormTimer, &QTimer::timeout, this, &TfmMain::timerLoginFormTimer);
  });
}

void TfmMain::BuildClientArea()
{
  fDefaultSheet = new QWidget(this);
  fDefaultSheet->setObjectName(QStringLiteral("DefaultSheet"));
  fDefaultSheet->setAutoFillBackground(true);
  auto *lLayout = new QVBoxLayout(fDefaultSheet);
  lLayout->setContentsMargins(0, 0, 0, 0);
  lLayout->setSpacing(0);
  fClient = new QWidget(fDefaultSheet);
  fClient->setObjectName(QStringLiteral("pnlClient"));
  // One group for the chart windows: the active chart stays active while the trader works in
  // another panel.
  fClient->setProperty("tag", 1);
  lLayout->addWidget(fClient, 1);
  fTabCharts = new QTabBar(fDefaultSheet);
  fTabCharts->setObjectName(QStringLiteral("tabCharts"));
  fTabCharts->setShape(QTabBar::RoundedSouth);
  fTabCharts->setContextMenuPolicy(Qt::CustomContextMenu);
  fTabCharts->hide();
  lLayout->addWidget(fTabCharts);
  setCentralWidget(fDefaultSheet);

  // The buttons of maximised charts sit over the right end of the menu bar.
  fPanFull = new QWidget(this);
  fPanFull->setObjectName(QStringLiteral("panFull"));
  fPanFull->setFixedSize(56, 18);
  auto *lFullLayout = new QHBoxLayout(fPanFull);
  lFullLayout->setContentsMargins(0, 0, 0, 0);
  lFullLayout->setSpacing(1);
  for (const char *lName : {"miFullScreenMinimize", "miFullScreenRestore", "miFullScreenClose"}) {
    auto *lButton = new QToolButton(fPanFull);
    lButton->setObjectName(QLatin1String(lName));
    lButton->setIconSize(QSize(11, 11));
    lButton->setAutoRaise(true);
    lFullLayout->addWidget(lButton);
  }
  fPanFull->hide();
}

void TfmMain::BuildViews()
{
  fSymbols = new TMarketWatchView();
  fNavigate = new TNavigatorView();
  fVolumeMonitor = new TVolumeMonitorView();
  fDepth = new TOrderBookView();
  fTerminal = new TTerminalPanel();
  fBuyPanel = new TOrderPanel(TOrderSide::Buy);
  fSellPanel = new TOrderPanel(TOrderSide::Sell);
  Host(fDocks->dpMarketView, fSymbols);
  Host(fDocks->dpMarketDepth, fDepth);
  Host(fDocks->dpNavigate, fNavigate);
  Host(fDocks->dpVolumeMonitor, fVolumeMonitor);
  Host(fDocks->dpTerminal, fTerminal);
  Host(fDocks->dpBuy, fBuyPanel);
  Host(fDocks->dpSell, fSellPanel);
  // The order pages fill their panel without the page frame; the panel is as wide as its
  // page tabs need, 162 pixels at least.
  int lRightWidth = 162;
  for (TOrderPanel *lPanel : {fBuyPanel, fSellPanel})
    for (QTabWidget *lPages : lPanel->findChildren<QTabWidget *>()) {
      lPages->setDocumentMode(true);
      lRightWidth = std::max(lRightWidth, lPages->tabBar()->sizeHint().width() + 4);
    }
  fDocks->SetRightWidth(lRightWidth);

  fTerminal->vstOrders()->SetPopup(fBars.ppmOrders);
  fTerminal->vstBalances()->SetPopup(fBars.ppmBalance);
  fTerminal->vstMulti()->SetPopup(fBars.ppmMultiAccount);
}

void TfmMain::BuildStatusBar()
{
  auto *lBar = new QStatusBar(this);
  lBar->setObjectName(QStringLiteral("panStatus"));
  lBar->setSizeGripEnabled(false);
  lBar->setFixedHeight(20);
  lBar->setStyleSheet(QStringLiteral("QStatusBar::item { border: none; }"));
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

QStatusBar *TfmMain::panStatus() const
{
  return statusBar();
}

void TfmMain::ConnectCommands()
{
  TMainActions &a = *fActions;
  TMainDocks &d = *fDocks;
  connect(a.acQuit, &QAction::triggered, this, &QWidget::close);
  connect(a.acChartInterval, &QAction::triggered, this,
          [this] { ToggleBar(fBars.tbIntervals, fActions->acChartInterval); });
  connect(a.acCharts, &QAction::triggered, this,
          [this] { ToggleBar(fBars.tbCharts, fActions->acCharts); });
  connect(a.acStandart, &QAction::triggered, this,
          [this] { ToggleBar(fBars.tbStandart, fActions->acStandart); });
  connect(a.acInstruments, &QAction::triggered, this,
          [this] { ToggleBar(fBars.tbInstruments, fActions->acInstruments); });
  const std::pair<QAction *, QDockWidget *> lPanels[] = {{a.acMarketView, d.dpMarketView},
                                                         {a.acMarketDepth, d.dpMarketDepth},
                                                         {a.acVolumeMonitor, d.dpVolumeMonitor},
                                                         {a.acTerminal, d.dpTerminal},
                                                         {a.acBuy, d.dpBuy},
                                                         {a.acSell, d.dpSell}};
  for (const auto &[lAction, lDock] : lPanels)
    connect(lAction, &QAction::triggered, this,
            [this, lAction, lDock] { TogglePanel(lDock, lAction); });
  connect(a.acNavigate, &QAction::triggered, this, &TfmMain::acNavigateExecute);
  connect(a.acStatusBar, &QAction::triggered, this, &TfmMain::acStatusBarExecute);
  connect(a.acLogin, &QAction::triggered, this, &TfmMain::acLoginExecute);
  connect(a.acNewOrder, &QAction::triggered, this, &TfmMain::acNewOrderExecute);
  connect(a.acOrderDelete, &QAction::triggered, this, &TfmMain::acOrderDeleteExecute);
  connect(a.acNoZeroBalance, &QAction::triggered, this, &TfmMain::acNoZeroBalanceExecute);
  connect(a.acMultiAdd, &QAction::triggered, this, &TfmMain::acMultiAddExecute);
  connect(a.acMultiDel, &QAction::triggered, this, &TfmMain::acMultiDelExecute);
  connect(a.acMulti, &QAction::triggered, this, &TfmMain::acMultiExecute);
  connect(a.acAbout, &QAction::triggered, this, &TfmMain::acAboutExecute);

  // A panel or bar closed by its own button: the marks follow.
  for (QDockWidget *lDock : d.All())
    connect(lDock, &QDockWidget::visibilityChanged, this, [this] { RefreshUserInterface(); });
  for (QToolBar *lBar : {fBars.tbIntervals, fBars.tbCharts, fBars.tbStandart, fBars.tbInstruments})
    connect(lBar, &QToolBar::visibilityChanged, this, [this] { RefreshUserInterface(); });
  connect(fTerminal, &TTerminalPanel::AccountSelectionChanged, this,
          [this] { RefreshUserInterface(); });

  auto *lSymbolOrders = new QTimer(this);
  lSymbolOrders->setSingleShot(true);
  lSymbolOrders->setInterval(cSymbolOrdersDelayMs);
  connect(lSymbolOrders, &QTimer::timeout, this, [] {
    // The open orders and history follow the selected symbol.
    if (User && User->Input()->GetAuth() == uaAuth && Workflow && Workflow->State() == wfsWorking) {
      User->OpenOrdersEx(nullptr);
      User->AllOrdersEx(nullptr);
    }
  });
  connect(fSymbols, &TMarketWatchView::SymbolSelected, this,
          [this, lSymbolOrders](const QString &aSymbol) {
            fDocks->dpMarketDepth->setWindowTitle(aSymbol.isEmpty()
                                                      ? QStringLiteral("Стакан цен")
                                                      : QStringLiteral("Стакан цен — ") + aSymbol);
            if (fIsOnline)
              lSymbolOrders->start();
          });
}

void TfmMain::showEvent(QShowEvent *aEvent)
{
  QMainWindow::showEvent(aEvent);
  if (!fShown) {
    fShown = true;
    FormShow();
  }
}

void TfmMain::FormShow()
{
  MainGuarded("FormShow", [this] {
    setWindowTitle(QStringLiteral("Vexa "));
    InitUserInterface();
    fTerminal->setCurrentIndex(0);
    SetOnlineMode(false);
    fBuyPanel->ShowFirstPage();
    fSellPanel->ShowFirstPage();
    fLoginFormTimer->start();
  });
}

void TfmMain::LoadCharts()
{
  MainGuarded("FormCreate", [] { ::LoadCharts(); });
}

void TfmMain::timerLoginFormTimer()
{
  MainGuarded("timerLoginFormTimer", [this] {
    fLoginFormTimer->stop();
    fChartCommands->RefreshTabs();
  });
}

void TfmMain::resizeEvent(QResizeEvent *aEvent)
{
  QMainWindow::resizeEvent(aEvent);
  if (fPanFull)
    fPanFull->move(width() - fPanFull->width(), (menuBar()->height() - fPanFull->height()) / 2);
}

void TfmMain::OnNotify(int aEventID, void *aData)
{
  MainGuarded("OnNotify", [this, aEventID, aData] {
    switch (aEventID) {
    case BASE_MAIN_SYSTIME:
      if (aData)
        fSysTimePanel->setText(TimeText(*static_cast<TDateTime *>(aData)));
      break;
    case BASE_MAIN_SYMBOLS:
      fSymbols->RefreshSymbolList();
      fNavigate->RefreshNavigator();
      break;
    case BASE_MAIN_VOLUMES: {
      // Only the trader's own choice of a row brings up a chart, not the refresh's selection.
      const QSignalBlocker lQuiet(fVolumeMonitor);
      fVolumeMonitor->RefreshVolumeList();
      break;
    }
    case BASE_MAIN_USERORDERS:
      fTerminal->RefreshOrderListData();
      fTerminal->RepaintMultiAccount();
      break;
    case BASE_MAIN_USERORDERSHISTORY:
      fTerminal->RefreshOrderHistoryData();
      break;
    case BASE_MAIN_BALANCES:
      fTerminal->RefreshBalanceUI();
      fTerminal->RepaintMultiAccount();
      break;
    case BASE_MAIN_DEPTH:
      fDepth->RefreshDepth();
      break;
    case BASE_MAIN_ORDER_RESULT:
      fOrderResultText = aData ? *static_cast<const QString *>(aData) : QString();
      ShowOnlineText();
      break;
    case BASE_MAIN_CHART_TYPE:
      SetChartStyleMark(reinterpret_cast<std::intptr_t>(aData));
      break;
    case BASE_MAIN_REFRESH_ACTIVE_WINDOW:
      fChartCommands->RefreshActiveWindow();
      break;
    case BASE_MAIN_ZOOM_REFRESH:
      fChartCommands->RefreshZoom();
      break;
    case BASE_MAIN_INTERVALS_REFRESH:
      fChartCommands->RefreshIntervals();
      break;
    case BASE_MAIN_TABS_REFRESH:
      fChartCommands->RefreshTabs();
      break;
    case MAIN_FORM_CHART_REFRESH:
      TimerChartRefresh(aData);
      break;
    default:
      break;
    }
  });
}

void TfmMain::SetChartStyleMark(std::intptr_t aStyle)
{
  QAction *const lStyles[] = {fActions->acStick, fActions->acBar, fActions->acLine};
  if (aStyle >= 0 && aStyle < 3)
    lStyles[aStyle]->setChecked(true);
}

void TfmMain::TimerChartRefresh(void *aItem)
{
  const int lIndex = fChartHooks.IndexOf ? fChartHooks.IndexOf(aItem) : -1;
  auto *lTimer = new QTimer(this);
  lTimer->setSingleShot(true);
  lTimer->setProperty("chartIndex", lIndex);
  connect(lTimer, &QTimer::timeout, this, [this, lTimer] {
    const int lChart = lTimer->property("chartIndex").toInt();
    lTimer->deleteLater();
    // The chart may have closed meanwhile; an index the list no longer has refreshes nothing.
    if (lChart >= 0 && fChartHooks.FullRefresh && fChartHooks.FullRefresh(lChart))
      fChartHooks.FullRefresh(lChart);
  });
  lTimer->start(cChartRefreshDelayMs);
}

void TfmMain::SetStatusColor(unsigned aColor)
{
  MainGuarded("SetStatusColor", [this, aColor] {
    QPalette lPalette = fSysTimePanel->palette();
    lPalette.setColor(QPalette::Window, ToQColor(aColor));
    fSysTimePanel->setPalette(lPalette);
    fSysTimePanel->clear();
    // Painted now, not after whatever the caller does next.
    fSysTimePanel->repaint();
  });
}

void TfmMain::ShowOnlineText()
{
  if (!fOrderResultText.isEmpty())
    fStatusText->setText(fOrderResultText);
  else
    fStatusText->setText(fIsOnline ? QStringLiteral("Подключено") : QStringLiteral("Отключено"));
}

void TfmMain::SetOnlineMode(bool aOnline)
{
  MainGuarded("SetOnlineMode", [this, aOnline] {
    fIsOnline = aOnline;
    QPalette lPalette = fDefaultSheet->palette();
    lPalette.setColor(QPalette::Window, ToQColor(clBackground));
    fDefaultSheet->setPalette(lPalette);
    if (aOnline) {
      if (SysTime)
        Subscribe(&SysTime->Publisher());
      if (User)
        Subscribe(User->Publisher());
      if (UIWriter)
        Subscribe(&UIWriter->Publisher());
      fChartCommands->RefreshActiveWindow();
      SetStatusColor(clStatusGreen);
    } else {
      if (SysTime)
        Unsubscribe(&SysTime->Publisher());
      if (User)
        Unsubscribe(User->Publisher());
      SetStatusColor(clStatusRed);
    }
    ShowOnlineText();
  });
}

bool TfmMain::SendPing()
{
  try {
    bool lOk = false;
    if (User)
      User->Ping(lOk);
    SetOnlineMode(lOk);
  } catch (const std::exception &lError) {
    LogMainGuarded("SendPing", lError);
    SetOnlineMode(false);
  }
  return fIsOnline;
}

void TfmMain::InitUserInterface()
{
  MainGuarded("InitUserInterface", [this] {
    const TUIVisible lSwitch = Profile ? Profile->UIVisible() : TUIVisible();
    const bool lAuth = User && User->Input()->GetAuth() == uaAuth;
    QList<QDockWidget *> lHidden;
    for (QDockWidget *lDock : fDocks->All())
      if (lDock->isHidden())
        lHidden << lDock;
    fBars.tbIntervals->setVisible(lSwitch.tbIntervals);
    fBars.tbCharts->setVisible(lSwitch.tbCharts);
    fBars.tbStandart->setVisible(lSwitch.tbStandarts);
    fBars.tbInstruments->setVisible(lSwitch.tbInstruments);
    fDocks->dpMarketView->setVisible(lSwitch.dpMarketView);
    fDocks->dpNavigate->setVisible(lSwitch.dpNavigate);
    fDocks->dpMarketDepth->setVisible(lSwitch.dpMarketDepth);
    fDocks->dpVolumeMonitor->setVisible(lSwitch.dpVolumeMonitor);
    fDocks->dpTerminal->setVisible(lSwitch.dpTerminal && lAuth);
    for (QDockWidget *lDock : {fDocks->dpBuy, fDocks->dpSell}) {
      fDocks->PutHome(lDock);
      lDock->hide();
    }
    // Panels that have just appeared take their start sizes.
    fDocks->ApplySizes(fSized ? lHidden : fDocks->All());
    fSized = isVisible();
    RefreshUserInterface();
  });
}

void TfmMain::RefreshUserInterface()
{
  if (!fActions || !fDocks)
    return;
  const TUIVisible lSwitch = Profile ? Profile->UIVisible() : TUIVisible();
  const bool lAuth = User && User->Input()->GetAuth() == uaAuth;
  TMainActions &a = *fActions;
  const auto lSet = [](QAction *aAction, bool aEnabled, bool aMarked) {
    aAction->setEnabled(aEnabled);
    aAction->setChecked(aMarked);
  };
  lSet(a.acChartInterval, lSwitch.tbIntervals, !fBars.tbIntervals->isHidden());
  lSet(a.acCharts, lSwitch.tbCharts, !fBars.tbCharts->isHidden());
  lSet(a.acStandart, lSwitch.tbStandarts, !fBars.tbStandart->isHidden());
  lSet(a.acInstruments, lSwitch.tbInstruments, !fBars.tbInstruments->isHidden());
  lSet(a.acMarketView, lSwitch.dpMarketView, !fDocks->dpMarketView->isHidden());
  lSet(a.acNavigate, lSwitch.dpNavigate, !fDocks->dpNavigate->isHidden());
  lSet(a.acTerminal, lSwitch.dpTerminal && lAuth, !fDocks->dpTerminal->isHidden());
  lSet(a.acMarketDepth, lSwitch.dpMarketDepth, !fDocks->dpMarketDepth->isHidden());
  lSet(a.acVolumeMonitor, lSwitch.dpVolumeMonitor, !fDocks->dpVolumeMonitor->isHidden());
  lSet(a.acNoZeroBalance, lSwitch.dpTerminal && lAuth, User && User->Input()->NoZeroBalance());
  lSet(a.acStatusBar, true, !statusBar()->isHidden());
  a.acOrderDelete->setEnabled(lSwitch.dpTerminal && lAuth);
  a.acLogin->setEnabled(lSwitch.dpTerminal);
  a.acMultiAdd->setEnabled(lSwitch.dpTerminal);
  a.acMultiDel->setEnabled(lSwitch.dpTerminal && !SelectedAccount().isEmpty());
  a.acNewOrder->setEnabled(lSwitch.dpTerminal);
  lSet(a.acBuy, lSwitch.dpTerminal, !fDocks->dpBuy->isHidden());
  lSet(a.acSell, lSwitch.dpTerminal, !fDocks->dpSell->isHidden());
  lSet(a.acMulti, lSwitch.dpTerminal && lAuth, User && User->Input()->Multi());
}

QString TfmMain::SelectedSymbol() const
{
  return fSymbols ? fSymbols->SelectedSymbol() : QString();
}

QString TfmMain::SelectedAccount() const
{
  return fTerminal ? fTerminal->SelectedAccount() : QString();
}

void TfmMain::Deinit()
{
  MainGuarded("Deinit", [this] {
    if (SysTime)
      Unsubscribe(&SysTime->Publisher());
    if (User)
      Unsubscribe(User->Publisher());
  });
}

void TfmMain::FormClose()
{
  MainGuarded("FormClose", [this] {
    if (Workflow)
      Workflow->SetState(wfsClosing);
    if (SysTime)
      Unsubscribe(&SysTime->Publisher());
    if (User)
      Unsubscribe(User->Publisher());
    // The UI writer outlives the window; leaving it here means no queued event can reach a
    // window that is about to be destroyed.
    if (UIWriter)
      Unsubscribe(&UIWriter->Publisher());
    DetachChartList(this);
    fDepth->Clear();
    fSymbols->Clear();
    fNavigate->Clear();
    fTerminal->Clear();
  });
}

void TfmMain::closeEvent(QCloseEvent *aEvent)
{
  if (!fClosed) {
    fClosed = true;
    FormClose();
  }
  aEvent->accept();
}
