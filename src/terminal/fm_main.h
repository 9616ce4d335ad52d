#pragma once

#include "f_basic.h"

#include <QMainWindow>

class QLabel;
class QMenu;

// The terminal's one main window.
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
  void Deinit();

  QLabel *SysTimePanel() const { return fSysTimePanel; }
  // The area the chart windows live in.
  QWidget *pnlClient() const { return fClient; }
  // Reopens the saved charts once the window has its size.
  void LoadCharts();
  QLabel *StatusText() const { return fStatusText; }

  static constexpr unsigned clStatusGreen = 0x009EFB00;
  static constexpr unsigned clStatusRed = 0x00052BFF;

protected:
  void closeEvent(QCloseEvent *aEvent) override;

private:
  void BuildStatusBar();
  void SetStatusColor(unsigned aColor);
  void FormClose();
  void LogGuarded(const char *aHandler, const std::exception &aError) const;

  void BuildChartArea();

  bool fIsOnline = false;
  QWidget *fClient = nullptr;
  QMenu *fChartMenu = nullptr;
  QMenu *fIndicatorMenu = nullptr;
  bool fClosed = false;
  QLabel *fStatusText = nullptr;
  QLabel *fSysTimePanel = nullptr;
};

extern TfmMain *fmMain;
