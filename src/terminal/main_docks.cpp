#include "main_docks.h"

#include <QDockWidget>
#include <QMainWindow>
#include <QToolBar>

namespace {

constexpr int cLeftWidth = 216;
// The navigator's one column is 124 pixels; its panel adds the frame and the scroll bar.
constexpr int cNavigatorWidth = 144;
constexpr int cRightWidth = 162;
constexpr int cTerminalHeight = 158;
constexpr int cVolumeHeight = 117;

} // namespace

TMainDocks::TMainDocks(QMainWindow &aWindow) : fWindow(aWindow), fRightWidth(cRightWidth)
{
  fWindow.setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks |
                         QMainWindow::AllowTabbedDocks);
  fWindow.setCorner(Qt::BottomLeftCorner, Qt::BottomDockWidgetArea);
  fWindow.setCorner(Qt::BottomRightCorner, Qt::BottomDockWidgetArea);

  dpMarketView = Make("dpMarketView", QStringLiteral("Символы"), Qt::LeftDockWidgetArea);
  dpMarketDepth = Make("dpMarketDepth", QStringLiteral("Стакан цен"), Qt::LeftDockWidgetArea);
  dpNavigate = Make("dpNavigate", QStringLiteral("Навигатор"), Qt::LeftDockWidgetArea);
  dpVolumeMonitor =
      Make("dpVolumeMonitor", QStringLiteral("Монитор объемов"), Qt::BottomDockWidgetArea);
  dpTerminal = Make("dpTerminal", QStringLiteral("Терминал"), Qt::BottomDockWidgetArea);
  dpBuy = Make("dpBuy", QStringLiteral("Buy"), Qt::RightDockWidgetArea);
  dpSell = Make("dpSell", QStringLiteral("Sell"), Qt::RightDockWidgetArea);

  fHomes = {
      {dpMarketView, Qt::LeftDockWidgetArea, dpMarketDepth, Qt::Vertical, true},
      {dpMarketDepth, Qt::LeftDockWidgetArea, dpMarketView, Qt::Vertical, false},
      {dpNavigate, Qt::LeftDockWidgetArea, dpMarketView, Qt::Horizontal, false},
      {dpVolumeMonitor, Qt::BottomDockWidgetArea, dpTerminal, Qt::Vertical, true},
      {dpTerminal, Qt::BottomDockWidgetArea, dpVolumeMonitor, Qt::Vertical, false},
      {dpBuy, Qt::RightDockWidgetArea, dpSell, Qt::Vertical, true},
      {dpSell, Qt::RightDockWidgetArea, dpBuy, Qt::Vertical, false},
  };
}

QDockWidget *TMainDocks::Make(const char *aName, const QString &aTitle, Qt::DockWidgetArea aArea)
{
  auto *lDock = new QDockWidget(aTitle, &fWindow);
  lDock->setObjectName(QLatin1String(aName));
  fWindow.addDockWidget(aArea, lDock);
  return lDock;
}

QList<QDockWidget *> TMainDocks::All() const
{
  return {dpMarketView, dpMarketDepth, dpNavigate, dpVolumeMonitor, dpTerminal, dpBuy, dpSell};
}

void TMainDocks::Arrange()
{
  // Columns first, so that the order book splits the market watch's column only.
  fWindow.addDockWidget(Qt::LeftDockWidgetArea, dpMarketView);
  fWindow.splitDockWidget(dpMarketView, dpNavigate, Qt::Horizontal);
  fWindow.splitDockWidget(dpMarketView, dpMarketDepth, Qt::Vertical);
  fWindow.addDockWidget(Qt::BottomDockWidgetArea, dpVolumeMonitor);
  fWindow.splitDockWidget(dpVolumeMonitor, dpTerminal, Qt::Vertical);
  fWindow.addDockWidget(Qt::RightDockWidgetArea, dpBuy);
  fWindow.splitDockWidget(dpBuy, dpSell, Qt::Vertical);
}

void TMainDocks::ApplySizes(const QList<QDockWidget *> &aDocks)
{
  // A panel appearing takes its room from its neighbours in the area; they get theirs back.
  QList<QDockWidget *> lDocks;
  for (const QList<QDockWidget *> &lArea :
       {QList<QDockWidget *>{dpMarketView, dpMarketDepth, dpNavigate},
        QList<QDockWidget *>{dpVolumeMonitor, dpTerminal}, QList<QDockWidget *>{dpBuy, dpSell}})
    for (QDockWidget *lDock : lArea)
      if (aDocks.contains(lDock)) {
        lDocks << lArea;
        break;
      }
  QList<QDockWidget *> lWide, lHigh;
  QList<int> lWidths, lHeights;
  for (QDockWidget *lDock : lDocks) {
    if (lDock->isHidden() || !AtHome(lDock))
      continue;
    // One width per column: the order book shares the market watch's.
    if (lDock == dpMarketDepth && !dpMarketView->isHidden() && AtHome(dpMarketView))
      continue;
    if (lDock == dpSell && !dpBuy->isHidden() && AtHome(dpBuy))
      continue;
    if (lDock == dpTerminal || lDock == dpVolumeMonitor) {
      lHigh << lDock;
      lHeights << (lDock == dpTerminal ? cTerminalHeight : cVolumeHeight);
    } else {
      lWide << lDock;
      lWidths << (lDock == dpBuy || lDock == dpSell ? fRightWidth
                  : lDock == dpNavigate             ? cNavigatorWidth
                                                    : cLeftWidth);
    }
  }
  if (!lWide.isEmpty())
    fWindow.resizeDocks(lWide, lWidths, Qt::Horizontal);
  if (!lHigh.isEmpty())
    fWindow.resizeDocks(lHigh, lHeights, Qt::Vertical);
}

const TMainDocks::THome &TMainDocks::HomeOf(QDockWidget *aDock) const
{
  for (const THome &lHome : fHomes)
    if (lHome.Dock == aDock)
      return lHome;
  return fHomes.front();
}

bool TMainDocks::AtHome(QDockWidget *aDock) const
{
  return !aDock->isFloating() && fWindow.dockWidgetArea(aDock) == HomeOf(aDock).Area;
}

void TMainDocks::Place(const THome &aHome)
{
  QDockWidget *lSibling = aHome.Sibling;
  const bool lSiblingHome = !lSibling->isHidden() && AtHome(lSibling);
  if (!lSiblingHome) {
    fWindow.addDockWidget(aHome.Area, aHome.Dock, aHome.Orientation);
    return;
  }
  if (!aHome.Before) {
    fWindow.splitDockWidget(lSibling, aHome.Dock, aHome.Orientation);
    return;
  }
  // Qt splits only after a panel: to come first, the sibling is placed again after us.
  fWindow.removeDockWidget(lSibling);
  fWindow.addDockWidget(aHome.Area, aHome.Dock, aHome.Orientation);
  fWindow.splitDockWidget(aHome.Dock, lSibling, aHome.Orientation);
  lSibling->show();
}

bool TMainDocks::PutHome(QDockWidget *aDock)
{
  if (AtHome(aDock))
    return false;
  const bool lVisible = !aDock->isHidden();
  aDock->setFloating(false);
  fWindow.removeDockWidget(aDock);
  Place(HomeOf(aDock));
  aDock->setVisible(lVisible);
  return true;
}

void TMainDocks::PutHome(QToolBar *aBar)
{
  if (!aBar->isFloating() && fWindow.toolBarArea(aBar) == Qt::TopToolBarArea)
    return;
  const bool lVisible = !aBar->isHidden();
  fWindow.addToolBar(Qt::TopToolBarArea, aBar);
  aBar->setVisible(lVisible);
}
