#pragma once

#include "winctrl_mdi_window.h"

#include <QWidget>

// A caption button. It acts on the press, not on the release, like a title bar's buttons.
class TwinctrlMdiWindowButton : public QWidget
{
  Q_OBJECT
public:
  TwinctrlMdiWindowButton(TwinctrlCustomMdiWindow *aWindow, TwinctrlMdiWindowButtonType aType);

  TwinctrlCustomMdiWindow *Window() const { return fWindow; }
  TwinctrlMdiWindowButtonType Type() const { return fType; }
  TwinctrlMdiWindowButtonGlyph Glyph() const { return fGlyph; }
  void SetGlyph(TwinctrlMdiWindowButtonGlyph aValue);
  bool Down() const { return fDown; }

protected:
  void paintEvent(QPaintEvent *aEvent) override;
  void mousePressEvent(QMouseEvent *aEvent) override;
  void mouseReleaseEvent(QMouseEvent *aEvent) override;

private:
  TwinctrlCustomMdiWindow *fWindow;
  TwinctrlMdiWindowButtonType fType;
  TwinctrlMdiWindowButtonGlyph fGlyph;
  bool fDown = false;
};

// The four 13 x 13 glyphs, drawn on purple that is then made transparent.
QPixmap MakeMdiWindowGlyph(TwinctrlMdiWindowButtonGlyph aGlyph);
