#pragma once

#include "f_basic.h"
#include "main_bars.h"

#include <QMainWindow>

#include <functional>
#include <memory>

class QDockWidget;
class QLabel;
class QTabBar;
class QToolBar;
class TMainActions;
class TMainChartCommands;
class TMainDocks;
class TMarketWatchView;
class TNavigatorView;
class TOrderBookView;
class TOrderPanel;
class TTerminalPanel;
class TVolumeMonitorView;

// The terminal's one main window: docks, menus, toolbars, status bar, and the dispatch of
// notifications to the views.
class TfmMain : public QMainWindow, public TfrmBasic
{
  Q_OBJECT
public:
  explicit TfmMain(QWidget *aParent = nullptr);
  ~TfmMain() override;

  void OnNotify(int aEventID, void *aData) override;

  bool SendPing();
  void SetOnlineMode(bool aOnline);
  bool IsOnline() const { return fIsOnline; }
  void InitUserInterface();
  void RefreshUserInterface();
  void Deinit();

  QString SelectedSymbol() const;
  QString SelectedAccount() const;

  // The window's parts, for the chart list and for tests.
  TMainActions &Actions() const { return *fActions; }
  TMainDocks &Docks() const { return *fDocks; }
  TMainChartCommands &ChartCommands() const { return *fChartCommands; }
  const TMainBars &Bars() const { return fBars; }
  QLabel *SysTimePanel() const { return fSysTimePanel; }
  // Reopens the saved charts; once the window has its size, so they come back in their places.
  void LoadCharts();
  QLabel *StatusText() const { return fStatusText; }
  QStatusBar *panStatus() const;
  QWidget *pnlClient() const { return fClient; }
  QTabBar *tabCharts() const { return fTabCharts; }
  QWidget *panFull() const { return fPanFull; }
  TMarketWatchView *vstSymbols() const { return fSymbols; }
  TNavigatorView *vstNavigate() const { return fNavigate; }
  TVolumeMonitorView *vstVolumeMonitor() const { return fVolumeMonitor; }
  TOrderBookView *vstDepth() const { return fDepth; }
  TTerminalPanel *pcTerminal() const { return fTerminal; }
  TOrderPanel *BuyPanel() const { return fBuyPanel; }
  TOrderPanel *SellPanel() const { return fSellPanel; }

  // What the deferred chart refresh reaches of the chart list, until the chart list lands in
  // the window: the index of a chart item (-1 when unknown) and the full refresh of the chart
  // at an index (false when there is none).
  struct TChartHooks
  {
    std::function<int(void *aItem)> IndexOf;
    std::function<bool(int aIndex)> FullRefresh;
  };
  void SetChartHooks(TChartHooks aHooks) { fChartHooks = std::move(aHooks); }

  static constexpr unsigned clStatusGreen = 0x009EFB00;
  static constexpr unsigned clStatusRed = 0x00052BFF;
  static constexpr unsigned clBackground = 0x00DBCDBF;

protected:
  void showEvent(QShowEvent *aEvent) override;
  void closeEvent(QCloseEvent *aEvent) override;
  void resizeEvent(QResizeEvent *aEvent) override;

private:
  void FormCreate();
  void FormShow();
  void FormClose();
  void BuildClientArea();
  void BuildStatusBar();
  void BuildViews();
  void ConnectCommands();
  void SetStatusColor(unsigned aColor);
  void ShowOnlineText();
  void TimerChartRefresh(void *aItem);
  void timerLoginFormTimer();
  void SetChartStyleMark(std::intptr_t aStyle);

  // Show and hide commands (fm_main_commands.cpp).
  void TogglePanel(QDockWidget *aDock, QAction *aAction);
  void ToggleBar(QToolBar *aBar, QAction *aAction);
  void acNavigateExecute();
  void acStatusBarExecute();
  // Account and order commands (fm_main_commands.cpp).
  void acLoginExecute();
  void acNewOrderExecute();
  void acOrderDeleteExecute();
  void acNoZeroBalanceExecute();
  void RefreshBalanceModel();
  void acMultiAddExecute();
  void acMultiDelExecute();
  void acMultiExecute();
  void acAboutExecute();

  bool fIsOnline = false;
  bool fShown = false;
  bool fSized = false;
  bool fClosed = false;
  TMainActions *fActions = nullptr;
  std::unique_ptr<TMainDocks> fDocks;
  TMainBars fBars;
  TMainChartCommands *fChartCommands = nullptr;
  QLabel *fStatusText = nullptr;
  QLabel *fSysTimePanel = nullptr;
  QWidget *fDefaultSheet = nullptr;
  QWidget *fClient = nullptr;
  QTabBar *fTabCharts = nullptr;
  QWidget *fPanFull = nullptr;
  TMarketWatchView *fSymbols = nullptr;
  TNavigatorView *fNavigate = nullptr;
  TVolumeMonitorView *fVolumeMonitor = nullptr;
  TOrderBookView *fDepth = nullptr;
  TTerminalPanel *fTerminal = nullptr;
  TOrderPanel *fBuyPanel = nullptr;
  TOrderPanel *fSellPanel = nullptr;
  QTimer *fLoginFormTimer = nullptr;
  QString fOrderResultText;
  TChartHooks fChartHooks;
};

extern TfmMain *fmMain;
