#include "winctrl_mdi_window_button.h"

#include <QBitmap>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>

namespace {

const QColor cGlyphTransparent(128, 0, 128);

} // namespace

QPixmap MakeMdiWindowGlyph(TwinctrlMdiWindowButtonGlyph aGlyph)
{
  constexpr int cSize = TwinctrlCustomMdiWindow::cButtonSize;
  QImage lImage(cSize, cSize, QImage::Format_RGB32);
  lImage.fill(cGlyphTransparent);
  QPainter lPainter(&lImage);
  lPainter.setPen(Qt::black);
  switch (aGlyph) {
  case bgClose:
    // Two pixels thick, so the cross reads at 13 x 13 without smoothing.
    for (int lStep = 0; lStep < 7; ++lStep) {
      lPainter.drawRect(3 + lStep, 3 + lStep, 1, 0);
      lPainter.drawRect(8 - lStep, 3 + lStep, 1, 0);
    }
    break;
  case bgMaximize:
    lPainter.drawRect(2, 2, 8, 8);
    lPainter.drawLine(2, 3, 10, 3);
    break;
  case bgMinimize:
    lPainter.fillRect(3, 9, 7, 2, Qt::black);
    break;
  case bgNormal:
    lPainter.drawRect(5, 1, 6, 6);
    lPainter.drawLine(5, 2, 11, 2);
    lPainter.fillRect(2, 5, 7, 7, cGlyphTransparent);
    lPainter.drawRect(2, 5, 6, 6);
    lPainter.drawLine(2, 6, 8, 6);
    break;
  }
  lPainter.end();
  QPixmap lPixmap = QPixmap::fromImage(lImage);
  lPixmap.setMask(lPixmap.createMaskFromColor(cGlyphTransparent));
  return lPixmap;
}

TwinctrlMdiWindowButton::TwinctrlMdiWindowButton(TwinctrlCustomMdiWindow *aWindow,
                                                 TwinctrlMdiWindowButtonType aType)
    : fWindow(aWindow), fType(aType), fGlyph(static_cast<TwinctrlMdiWindowButtonGlyph>(aType))
{
  // Parented last, so that the window sees a finished button when it is told of its new child.
  resize(TwinctrlCustomMdiWindow::cButtonSize, TwinctrlCustomMdiWindow::cButtonSize);
  setParent(aWindow);
}

void TwinctrlMdiWindowButton::SetGlyph(TwinctrlMdiWindowButtonGlyph aValue)
{
  if (fGlyph == aValue)
    return;
  fGlyph = aValue;
  update();
}

void TwinctrlMdiWindowButton::paintEvent(QPaintEvent *)
{
  QPainter lPainter(this);
  lPainter.fillRect(rect(), fWindow->GetStateColor());
  lPainter.drawPixmap(0, 0, fWindow->Glyph(fGlyph));
}

void TwinctrlMdiWindowButton::mousePressEvent(QMouseEvent *aEvent)
{
  if (aEvent->button() != Qt::LeftButton || !isEnabled() || !fWindow->isEnabled())
    return;
  fDown = true;
  // The click handlers may end the window (and this button with it).
  QPointer<TwinctrlMdiWindowButton> lSelf(this);
  fWindow->DoClickButton(fType);
  if (lSelf)
    lSelf->fDown = false;
}

void TwinctrlMdiWindowButton::mouseReleaseEvent(QMouseEvent *)
{
  fDown = false;
}
