#pragma once

#include <QList>
#include <Qt>

class QDockWidget;
class QMainWindow;
class QToolBar;
class QWidget;

// The dockable panels of the main window and their home places. Qt's dock areas stand in for
// the window's multi-docks: the left area for mdLeft1 … mdLeft8, the bottom area for mdBottom
// and mdBottom2 (spanning the full width), the right area for mdRight … dkRight.
class TMainDocks
{
public:
  explicit TMainDocks(QMainWindow &aWindow);

  QDockWidget *dpMarketView, *dpMarketDepth, *dpNavigate, *dpVolumeMonitor, *dpTerminal, *dpBuy,
      *dpSell;

  QList<QDockWidget *> All() const;

  // Puts every panel into its home place (the start arrangement).
  void Arrange();
  // Gives these panels, where docked at home and shown, their start sizes.
  void ApplySizes(const QList<QDockWidget *> &aDocks);
  // The start width of the right panels when their content needs more than the usual.
  void SetRightWidth(int aWidth) { fRightWidth = aWidth; }
  // Brings a floated or moved panel back to its home place, at its start size; one already
  // there stays as it is. Answers whether it moved.
  bool PutHome(QDockWidget *aDock);
  bool AtHome(QDockWidget *aDock) const;
  // Brings a floated or moved toolbar back to the top area.
  void PutHome(QToolBar *aBar);

private:
  struct THome
  {
    QDockWidget *Dock;
    Qt::DockWidgetArea Area;
    // Split against this panel when it is at home too; the panel goes after it (below or to
    // the right) unless Before is set.
    QDockWidget *Sibling;
    Qt::Orientation Orientation;
    bool Before;
  };

  QDockWidget *Make(const char *aName, const QString &aTitle, Qt::DockWidgetArea aArea);
  const THome &HomeOf(QDockWidget *aDock) const;
  void Place(const THome &aHome);

  QMainWindow &fWindow;
  QList<THome> fHomes;
  int fRightWidth;
};
