#include "winctrl_mdi_window.h"

#include "winctrl_mdi_window_button.h"

#include <QApplication>
#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

namespace {

// The desktop's gradient caption colours, which Qt's palette does not carry.
const QColor cGradientActiveCaption(0xB9, 0xD1, 0xEA);
const QColor cGradientInactiveCaption(0xD7, 0xE4, 0xF2);
constexpr int cIconSize = 16;

} // namespace

TwinctrlCustomMdiWindow::TwinctrlCustomMdiWindow(QWidget *aParent)
    : TwinctrlCustomPanel(aParent), fActiveColor(cGradientActiveCaption),
      fInactiveColor(cGradientInactiveCaption)
{
  setMouseTracking(true);
  setAutoFillBackground(false);
  for (int lGlyph = bgClose; lGlyph <= bgNormal; ++lGlyph)
    fGlyphs[static_cast<size_t>(lGlyph)] =
        MakeMdiWindowGlyph(static_cast<TwinctrlMdiWindowButtonGlyph>(lGlyph));
  for (int lType = btClose; lType <= btMinimize; ++lType)
    fButtons[static_cast<size_t>(lType)] =
        new TwinctrlMdiWindowButton(this, static_cast<TwinctrlMdiWindowButtonType>(lType));
  connect(qApp, &QApplication::focusChanged, this, &TwinctrlCustomMdiWindow::OnFocusChanged);
  FollowParent();
  RealignButtons();
}

TwinctrlCustomMdiWindow::~TwinctrlCustomMdiWindow()
{
  if (fWatchedParent)
    fWatchedParent->removeEventFilter(this);
}

TwinctrlMdiWindowButton *TwinctrlCustomMdiWindow::Button(TwinctrlMdiWindowButtonType aType) const
{
  return fButtons[static_cast<size_t>(aType)];
}

const QPixmap &TwinctrlCustomMdiWindow::Glyph(TwinctrlMdiWindowButtonGlyph aGlyph) const
{
  return fGlyphs[static_cast<size_t>(aGlyph)];
}

int TwinctrlCustomMdiWindow::FrameWidth() const
{
  return fState == wsNormal ? cSizingFrame : cFixedFrame;
}

QRect TwinctrlCustomMdiWindow::GetCaptionRect() const
{
  QRect lRect = rect().adjusted(FrameWidth(), FrameWidth(), -FrameWidth(), -FrameWidth());
  if (!fCaptionVisible)
    return lRect;
  if (fCaptionPosition == cpTop)
    lRect.setHeight(cCaptionSize);
  else
    lRect.setWidth(cCaptionSize);
  return lRect;
}

QRect TwinctrlCustomMdiWindow::ClientArea() const
{
  if (fState == wsMinimized)
    return QRect();
  QRect lRect = rect().adjusted(FrameWidth(), FrameWidth(), -FrameWidth(), -FrameWidth());
  if (fCaptionVisible) {
    if (fCaptionPosition == cpTop)
      lRect.setTop(lRect.top() + cCaptionSize);
    else
      lRect.setLeft(lRect.left() + cCaptionSize);
  }
  return lRect;
}

bool TwinctrlCustomMdiWindow::TakesPart(QWidget *aChild) const
{
  return TwinctrlCustomPanel::TakesPart(aChild) && !qobject_cast<TwinctrlMdiWindowButton *>(aChild);
}

void TwinctrlCustomMdiWindow::RealignButtons()
{
  const QRect lCaption = GetCaptionRect();
  for (int lType = btClose; lType <= btMinimize; ++lType) {
    TwinctrlMdiWindowButton *lButton = fButtons[static_cast<size_t>(lType)];
    if (!lButton)
      continue;
    const int lOffset = cButtonOffsets[lType];
    if (fCaptionPosition == cpTop)
      lButton->move(lCaption.x() + lCaption.width() - lOffset, lCaption.top() + 2);
    else
      lButton->move(lCaption.left() + 2, lCaption.top() + lOffset - cButtonSize);
    lButton->setVisible(fCaptionVisible);
    lButton->raise();
  }
}

void TwinctrlCustomMdiWindow::UpdateGlyphs()
{
  Button(btMaximize)->SetGlyph(fState == wsMaximized ? bgNormal : bgMaximize);
  Button(btMinimize)->SetGlyph(fState == wsMinimized ? bgNormal : bgMinimize);
}

void TwinctrlCustomMdiWindow::SetState(TWindowState aValue)
{
  if (fState == aValue)
    return;
  if (fState == wsNormal)
    fNormalBounds = geometry();
  fState = aValue;
  UpdateGlyphs();
  switch (fState) {
  case wsMaximized:
    SetBounds(parentWidget() ? parentWidget()->rect() : geometry());
    break;
  case wsMinimized:
    SetBounds(fCaptionPosition == cpTop
                  ? QRect(fNormalBounds.topLeft(), QSize(fNormalBounds.width(), cMinimizedSize))
                  : QRect(fNormalBounds.topLeft(), QSize(cMinimizedSize, fNormalBounds.height())));
    break;
  case wsNormal:
    SetBounds(fNormalBounds);
    break;
  }
  // The frame width follows the state even when the bounds stay.
  RealignButtons();
  RealignChildren();
  update();
}

void TwinctrlCustomMdiWindow::SetActive(bool aValue)
{
  if (fActive == aValue)
    return;
  fActive = aValue;
  update();
  for (TwinctrlMdiWindowButton *lButton : fButtons)
    lButton->update();
  if (fActive) {
    if (fFocusControl)
      fFocusControl->setFocus(Qt::OtherFocusReason);
    raise();
    if (OnActivate)
      OnActivate(this);
    NotifyActivation();
  } else if (OnDeactivate) {
    OnDeactivate(this);
  }
}

void TwinctrlCustomMdiWindow::Activate()
{
  SetActive(true);
}

void TwinctrlCustomMdiWindow::NotifyActivation()
{
  QWidget *lParent = parentWidget();
  if (!lParent)
    return;
  QPointer<TwinctrlCustomMdiWindow> lSelf(this);
  const QObjectList lSiblings = lParent->children();
  for (QObject *lObject : lSiblings)
    if (auto *lWindow = qobject_cast<TwinctrlCustomMdiWindow *>(lObject); lWindow && lSelf)
      lWindow->ReceiveActivation(this, fGroupIndex);
}

void TwinctrlCustomMdiWindow::ReceiveActivation(TwinctrlCustomMdiWindow *aWindow, int aGroupIndex)
{
  if (fGroupIndex <= 0 || fGroupIndex == aGroupIndex)
    SetActive(aWindow == this);
}

void TwinctrlCustomMdiWindow::SetCaptionPosition(TwinctrlCaptionPosition aValue)
{
  if (fCaptionPosition == aValue)
    return;
  fCaptionPosition = aValue;
  RealignButtons();
  RealignChildren();
  update();
}

void TwinctrlCustomMdiWindow::SetCaptionVisible(bool aValue)
{
  if (fCaptionVisible == aValue)
    return;
  fCaptionVisible = aValue;
  RealignButtons();
  RealignChildren();
  update();
}

void TwinctrlCustomMdiWindow::SetActiveColor(const QColor &aValue)
{
  if (fActiveColor == aValue)
    return;
  fActiveColor = aValue;
  update();
  for (TwinctrlMdiWindowButton *lButton : fButtons)
    lButton->update();
}

void TwinctrlCustomMdiWindow::SetInactiveColor(const QColor &aValue)
{
  if (fInactiveColor == aValue)
    return;
  fInactiveColor = aValue;
  update();
  for (TwinctrlMdiWindowButton *lButton : fButtons)
    lButton->update();
}

void TwinctrlCustomMdiWindow::SetImages(const QList<QIcon> *aValue)
{
  if (fImages == aValue)
    return;
  fImages = aValue;
  update();
}

void TwinctrlCustomMdiWindow::SetIconIndex(int aValue)
{
  if (fIconIndex == aValue)
    return;
  fIconIndex = aValue;
  update();
}

void TwinctrlCustomMdiWindow::SetIcon(const QIcon &aValue)
{
  if (fImages || fIcon.cacheKey() == aValue.cacheKey())
    return;
  fIcon = aValue;
  update();
}

void TwinctrlCustomMdiWindow::SetHeightConstraint(int aValue)
{
  if (aValue < 0 || fHeightConstraint == aValue)
    return;
  fHeightConstraint = aValue;
}

void TwinctrlCustomMdiWindow::CaptionChanged()
{
  update(GetCaptionRect());
}

QRect TwinctrlCustomMdiWindow::CalcDiscretePos(const QRect &aBounds) const
{
  QRect lRect = aBounds;
  if (const QWidget *lParent = parentWidget()) {
    const QRect lArea = lParent->rect();
    if (lRect.left() < 0)
      lRect.moveLeft(0);
    if (lRect.top() < 0)
      lRect.moveTop(0);
    // Right and bottom last: a window larger than the area keeps those edges inside.
    if (lRect.x() + lRect.width() > lArea.width())
      lRect.moveLeft(lArea.width() - lRect.width());
    if (lRect.y() + lRect.height() > lArea.height())
      lRect.moveTop(lArea.height() - lRect.height());
  }
  if (fState == wsNormal && fPosDiscrete > 1) {
    if (fHeightConstraint > 0)
      lRect.setHeight(std::max(lRect.height(), fPosDiscrete * fHeightConstraint));
    const int lStep = fPosDiscrete;
    lRect = QRect(lRect.x() / lStep * lStep, lRect.y() / lStep * lStep,
                  lRect.width() / lStep * lStep, lRect.height() / lStep * lStep);
  }
  return lRect;
}

void TwinctrlCustomMdiWindow::SetBounds(const QRect &aBounds)
{
  if (fInSetBounds)
    return;
  fInSetBounds = true;
  const QRect lRect = CalcDiscretePos(aBounds);
  const bool lChanged = lRect != geometry();
  if (lChanged)
    setGeometry(lRect);
  fInSetBounds = false;
  if (lChanged) {
    // Hidden widgets get their resize event only when shown; the layout must not wait.
    RealignButtons();
    RealignChildren();
    if (OnPosChanged)
      OnPosChanged(this);
  }
}

void TwinctrlCustomMdiWindow::resizeEvent(QResizeEvent *aEvent)
{
  TwinctrlCustomPanel::resizeEvent(aEvent);
  RealignButtons();
  // A resize from outside (setGeometry) still obeys the area and the grid.
  if (!fInSetBounds && fState != wsMaximized && CalcDiscretePos(geometry()) != geometry())
    SetBounds(geometry());
}

void TwinctrlCustomMdiWindow::moveEvent(QMoveEvent *aEvent)
{
  TwinctrlCustomPanel::moveEvent(aEvent);
  if (!fInSetBounds && fState != wsMaximized && CalcDiscretePos(geometry()) != geometry())
    SetBounds(geometry());
}

void TwinctrlCustomMdiWindow::FollowParent()
{
  if (fWatchedParent == parentWidget())
    return;
  if (fWatchedParent)
    fWatchedParent->removeEventFilter(this);
  fWatchedParent = parentWidget();
  if (fWatchedParent)
    fWatchedParent->installEventFilter(this);
}

void TwinctrlCustomMdiWindow::WatchChild(QObject *aChild)
{
  if (!aChild->isWidgetType())
    return;
  aChild->installEventFilter(this);
  for (QObject *lGrandChild : aChild->children())
    WatchChild(lGrandChild);
}

void TwinctrlCustomMdiWindow::childEvent(QChildEvent *aEvent)
{
  TwinctrlCustomPanel::childEvent(aEvent);
  if (aEvent->added())
    WatchChild(aEvent->child());
}

bool TwinctrlCustomMdiWindow::eventFilter(QObject *aWatched, QEvent *aEvent)
{
  if (aWatched == fWatchedParent) {
    if (aEvent->type() == QEvent::Resize && fState == wsMaximized) {
      setGeometry(fWatchedParent->rect());
      RealignButtons();
      RealignChildren();
      if (OnPosChanged)
        OnPosChanged(this);
    }
    return false;
  }
  // Children of children are watched too, so a press anywhere inside activates the window.
  if (aEvent->type() == QEvent::ChildAdded)
    WatchChild(static_cast<QChildEvent *>(aEvent)->child());
  else if (aEvent->type() == QEvent::MouseButtonPress &&
           static_cast<QMouseEvent *>(aEvent)->button() == Qt::LeftButton)
    NotifyActivation();
  return false;
}

void TwinctrlCustomMdiWindow::changeEvent(QEvent *aEvent)
{
  TwinctrlCustomPanel::changeEvent(aEvent);
  if (aEvent->type() == QEvent::ParentChange)
    FollowParent();
  else if (aEvent->type() == QEvent::EnabledChange)
    update();
}

void TwinctrlCustomMdiWindow::OnFocusChanged(QWidget *, QWidget *aNew)
{
  if (!aNew)
    return;
  if (isAncestorOf(aNew))
    NotifyActivation();
  else if (fGroupIndex <= 0)
    SetActive(false);
}

void TwinctrlCustomMdiWindow::DoClickButton(TwinctrlMdiWindowButtonType aType)
{
  QPointer<TwinctrlCustomMdiWindow> lSelf(this);
  switch (aType) {
  case btClose:
    if (fDestroyOnClose)
      hide();
    if (OnClose)
      OnClose(this);
    if (lSelf && fDestroyOnClose)
      CloseAndFree();
    break;
  case btMaximize:
    SetState(fState == wsMaximized ? wsNormal : wsMaximized);
    NotifyActivation();
    if (lSelf && OnMaximize)
      OnMaximize(this);
    break;
  case btMinimize:
    SetState(fState == wsMinimized ? wsNormal : wsMinimized);
    NotifyActivation();
    if (lSelf && OnMinimize)
      OnMinimize(this);
    break;
  }
}

void TwinctrlCustomMdiWindow::CloseAndFree()
{
  fDestroyPending = true;
  deleteLater();
}

Qt::Edges TwinctrlCustomMdiWindow::SizingEdges(QPoint aPos) const
{
  Qt::Edges lEdges;
  if (fState != wsNormal)
    return lEdges;
  const int lGrip = cSizingFrame + 1;
  if (aPos.x() < lGrip)
    lEdges |= Qt::LeftEdge;
  if (aPos.x() >= width() - lGrip)
    lEdges |= Qt::RightEdge;
  if (aPos.y() < lGrip)
    lEdges |= Qt::TopEdge;
  if (aPos.y() >= height() - lGrip)
    lEdges |= Qt::BottomEdge;
  return lEdges;
}

void TwinctrlCustomMdiWindow::mousePressEvent(QMouseEvent *aEvent)
{
  if (aEvent->button() != Qt::LeftButton) {
    TwinctrlCustomPanel::mousePressEvent(aEvent);
    return;
  }
  QPointer<TwinctrlCustomMdiWindow> lSelf(this);
  NotifyActivation();
  if (!lSelf)
    return;
  const QPoint lPos = aEvent->position().toPoint();
  fDragEdges = SizingEdges(lPos);
  fDragging = fDragEdges.toInt() != 0 ||
              (fCaptionVisible && fState != wsMaximized && GetCaptionRect().contains(lPos));
  fDragStart = aEvent->globalPosition().toPoint();
  fDragBounds = geometry();
}

void TwinctrlCustomMdiWindow::mouseMoveEvent(QMouseEvent *aEvent)
{
  if (!fDragging) {
    const Qt::Edges lEdges = SizingEdges(aEvent->position().toPoint());
    const bool lL = lEdges.testFlag(Qt::LeftEdge), lR = lEdges.testFlag(Qt::RightEdge);
    const bool lT = lEdges.testFlag(Qt::TopEdge), lB = lEdges.testFlag(Qt::BottomEdge);
    if ((lL && lT) || (lR && lB))
      setCursor(Qt::SizeFDiagCursor);
    else if ((lR && lT) || (lL && lB))
      setCursor(Qt::SizeBDiagCursor);
    else if (lL || lR)
      setCursor(Qt::SizeHorCursor);
    else if (lT || lB)
      setCursor(Qt::SizeVerCursor);
    else
      unsetCursor();
    return;
  }
  const QPoint lDelta = aEvent->globalPosition().toPoint() - fDragStart;
  QRect lRect = fDragBounds;
  if (fDragEdges.toInt() == 0) {
    lRect.translate(lDelta);
  } else {
    if (fDragEdges.testFlag(Qt::LeftEdge))
      lRect.setLeft(std::min(lRect.left() + lDelta.x(), lRect.right() - cMinimizedSize));
    if (fDragEdges.testFlag(Qt::RightEdge))
      lRect.setRight(std::max(lRect.right() + lDelta.x(), lRect.left() + cMinimizedSize));
    if (fDragEdges.testFlag(Qt::TopEdge))
      lRect.setTop(std::min(lRect.top() + lDelta.y(), lRect.bottom() - cMinimizedSize));
    if (fDragEdges.testFlag(Qt::BottomEdge))
      lRect.setBottom(std::max(lRect.bottom() + lDelta.y(), lRect.top() + cMinimizedSize));
  }
  SetBounds(lRect);
}

void TwinctrlCustomMdiWindow::mouseReleaseEvent(QMouseEvent *aEvent)
{
  fDragging = false;
  TwinctrlCustomPanel::mouseReleaseEvent(aEvent);
}

bool TwinctrlCustomMdiWindow::HasIcon() const
{
  return !fIcon.isNull() || (fImages && fIconIndex >= 0);
}

void TwinctrlCustomMdiWindow::paintEvent(QPaintEvent *)
{
  QPainter lPainter(this);
  lPainter.fillRect(rect(), palette().window());
  DrawBorder(lPainter);
  if (fCaptionVisible) {
    DrawCaption(lPainter);
    DrawIcon(lPainter);
  }
}

void TwinctrlCustomMdiWindow::DrawBorder(QPainter &aPainter)
{
  const QRect lOuter = rect().adjusted(0, 0, -1, -1);
  if (fState == wsMinimized) {
    aPainter.setPen(palette().color(QPalette::Dark));
    aPainter.drawRect(lOuter);
    return;
  }
  const int lFrame = FrameWidth();
  const QColor lColor = GetStateColor();
  aPainter.fillRect(QRect(0, 0, width(), lFrame), lColor);
  aPainter.fillRect(QRect(0, height() - lFrame, width(), lFrame), lColor);
  aPainter.fillRect(QRect(0, 0, lFrame, height()), lColor);
  aPainter.fillRect(QRect(width() - lFrame, 0, lFrame, height()), lColor);
  aPainter.setPen(Qt::black);
  aPainter.setBrush(Qt::NoBrush);
  aPainter.drawRect(lOuter);
}

void TwinctrlCustomMdiWindow::DrawCaption(QPainter &aPainter)
{
  const QRect lCaption = GetCaptionRect();
  const QColor lColor = GetStateColor();
  aPainter.fillRect(fCaptionPosition == cpTop ? lCaption.adjusted(0, 0, 2, 0)
                                              : lCaption.adjusted(0, 0, 0, 2),
                    lColor);
  const int lIconSlot = HasIcon() ? cIconSlot : 0;
  // The text stops short of the buttons and is elided rather than run under them.
  const int lButtons = cButtonOffsets[btMinimize] + 2;
  QRect lText = lCaption;
  aPainter.save();
  aPainter.setFont(font());
  if (fCaptionPosition == cpTop) {
    lText.setTop(lText.top() - 2);
    lText.setLeft(lText.left() + lIconSlot + 4);
    lText.setRight(lCaption.x() + lCaption.width() - lButtons);
  } else {
    // Turned a quarter to the left: the text reads upwards from the bottom of the band, and
    // starts above the icon rather than under it.
    lText.setBottom(lText.bottom() - 2 - (lIconSlot > 0 ? lIconSlot + 2 : 0));
    lText.setTop(lCaption.top() + lButtons);
    aPainter.translate(lText.bottomLeft());
    aPainter.rotate(-90);
    lText = QRect(0, 0, lText.height(), lText.width());
  }
  const QString lElided =
      aPainter.fontMetrics().elidedText(Caption(), Qt::ElideRight, std::max(0, lText.width()));
  const int lFlags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
  if (isEnabled()) {
    aPainter.setPen(palette().color(QPalette::Active, QPalette::WindowText));
    aPainter.drawText(lText, lFlags, lElided);
  } else {
    aPainter.setPen(palette().color(QPalette::Light));
    aPainter.drawText(lText.translated(1, 1), lFlags, lElided);
    aPainter.setPen(palette().color(QPalette::Dark));
    aPainter.drawText(lText, lFlags, lElided);
  }
  aPainter.restore();
}

void TwinctrlCustomMdiWindow::DrawIcon(QPainter &aPainter)
{
  if (!fImages)
    return;
  const QRect lCaption = GetCaptionRect();
  const QRect lSlot = fCaptionPosition == cpTop
                          ? QRect(lCaption.left() + 2, lCaption.top() + 1, cIconSlot + 2, cIconSize)
                          : QRect(lCaption.left() + 1, lCaption.bottom() + 2 - cCaptionSize,
                                  cIconSize, cCaptionSize);
  const bool lValid = fIconIndex >= 0 && fIconIndex < fImages->size();
  const QIcon lIcon = lValid ? fImages->at(fIconIndex) : QIcon();
  if (lIcon.isNull())
    aPainter.fillRect(lSlot, GetStateColor());
  else
    lIcon.paint(&aPainter, QRect(lSlot.topLeft(), QSize(cIconSize, cIconSize)));
}
