#pragma once

class QMainWindow;
class QMenu;
class QMenuBar;
class QToolBar;
class QToolButton;
class TMainActions;

// The main menu, the four toolbars and the window's popup menus, all made of the shared
// commands.
struct TMainBars
{
  QMenuBar *MainMenu = nullptr;
  QToolBar *tbIntervals = nullptr;
  QToolBar *tbCharts = nullptr;
  QToolBar *tbStandart = nullptr;
  QToolBar *tbInstruments = nullptr;
  QToolButton *tbiNewChart = nullptr;
  QMenu *mmiTemplate = nullptr;
  QMenu *tbiTemplate = nullptr;
  QMenu *pmiTemplate = nullptr;
  // The drop-down of tbiNewChart, rebuilt from the shown symbols when it opens.
  QMenu *pmNewChart = nullptr;
  QMenu *ppmOrders = nullptr;
  QMenu *ppmBalance = nullptr;
  QMenu *ppmMultiAccount = nullptr;
  QMenu *ppmChart = nullptr;
  QMenu *ppIndicator = nullptr;
  QMenu *ppTab = nullptr;
};

// Builds them into aWindow (menu bar and toolbars in the top area, in this order).
TMainBars BuildMainBars(QMainWindow &aWindow, TMainActions &aActions);
