#pragma once

#include "winctrl_base.h"

#include <QColor>
#include <QIcon>
#include <QList>
#include <QPixmap>
#include <QPoint>
#include <QPointer>

#include <array>
#include <functional>

class TwinctrlMdiWindowButton;
class TwinctrlCustomMdiWindow;

enum TWindowState { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };
enum TwinctrlCaptionPosition { cpTop = 0, cpLeft = 1 };
enum TwinctrlMdiWindowButtonType { btClose = 0, btMaximize = 1, btMinimize = 2 };
enum TwinctrlMdiWindowButtonGlyph { bgClose = 0, bgMaximize = 1, bgMinimize = 2, bgNormal = 3 };

using TwinctrlWindowEvent = std::function<void(TwinctrlCustomMdiWindow *aSender)>;

// A window inside a parent's client area: caption band with three buttons acting on press,
// a border in the state colour, dragging by the caption, resizing by the border, confinement to
// the parent, snapping to a grid, minimise/maximise/restore, and one active window per group.
// Every geometry change goes through SetBounds, which confines and snaps before applying.
class TwinctrlCustomMdiWindow : public TwinctrlCustomPanel
{
  Q_OBJECT
public:
  static constexpr int cCaptionSize = 19;
  static constexpr int cButtonSize = 13;
  static constexpr int cMinimizedSize = 24;
  static constexpr int cIconSlot = 17;
  static constexpr int cButtonOffsets[3] = {15, 31, 47}; // close, maximise, minimise
  // Frame band: resizable in the normal state, fixed otherwise.
  static constexpr int cSizingFrame = 4;
  static constexpr int cFixedFrame = 2;

  explicit TwinctrlCustomMdiWindow(QWidget *aParent = nullptr);
  ~TwinctrlCustomMdiWindow() override;

  TWindowState State() const { return fState; }
  void SetState(TWindowState aValue);
  // The bounds in the normal state, kept while minimised or maximised.
  QRect NormalBounds() const { return fNormalBounds; }

  bool Active() const { return fActive; }
  void SetActive(bool aValue);
  // Makes this the active window of its group.
  void Activate();

  QWidget *FocusControl() const { return fFocusControl; }
  void SetFocusControl(QWidget *aValue) { fFocusControl = aValue; }
  TwinctrlCaptionPosition CaptionPosition() const { return fCaptionPosition; }
  void SetCaptionPosition(TwinctrlCaptionPosition aValue);
  bool CaptionVisible() const { return fCaptionVisible; }
  void SetCaptionVisible(bool aValue);
  QColor ActiveColor() const { return fActiveColor; }
  void SetActiveColor(const QColor &aValue);
  QColor InactiveColor() const { return fInactiveColor; }
  void SetInactiveColor(const QColor &aValue);
  // The image list is not owned; the caption icon is Images[IconIndex].
  const QList<QIcon> *Images() const { return fImages; }
  void SetImages(const QList<QIcon> *aValue);
  int IconIndex() const { return fIconIndex; }
  void SetIconIndex(int aValue);
  const QIcon &Icon() const { return fIcon; }
  // Taken only while no image list is set.
  void SetIcon(const QIcon &aValue);
  // With PosDiscrete, the minimum height in the normal state in grid steps.
  int HeightConstraint() const { return fHeightConstraint; }
  void SetHeightConstraint(int aValue);
  int PosDiscrete() const { return fPosDiscrete; }
  void SetPosDiscrete(int aValue) { fPosDiscrete = aValue; }
  // When set the close button hides the window and deletes it.
  bool DestroyOnClose() const { return fDestroyOnClose; }
  void SetDestroyOnClose(bool aValue) { fDestroyOnClose = aValue; }
  bool DestroyPending() const { return fDestroyPending; }
  // Windows of one positive group index activate one at a time; 0 or less reacts to every one.
  int GroupIndex() const { return fGroupIndex; }
  void SetGroupIndex(int aValue) { fGroupIndex = aValue; }

  // Raised from inside the button press: a handler that ends the window uses deleteLater.
  TwinctrlWindowEvent OnClose, OnMaximize, OnMinimize, OnActivate, OnDeactivate, OnPosChanged;

  // Confines to the parent, applies the minimum height and snaps, then applies and reports.
  void SetBounds(const QRect &aBounds);
  // The proposed bounds after confinement and snapping, without applying them.
  QRect CalcDiscretePos(const QRect &aBounds) const;
  QRect GetCaptionRect() const;
  QColor GetStateColor() const { return fActive ? fActiveColor : fInactiveColor; }
  TwinctrlMdiWindowButton *Button(TwinctrlMdiWindowButtonType aType) const;
  const QPixmap &Glyph(TwinctrlMdiWindowButtonGlyph aGlyph) const;

  void DoClickButton(TwinctrlMdiWindowButtonType aType);
  // Tells every window of the parent that this one became active.
  void NotifyActivation();
  // One window's notice reaching this one.
  void ReceiveActivation(TwinctrlCustomMdiWindow *aWindow, int aGroupIndex);

protected:
  QRect ClientArea() const override;
  bool TakesPart(QWidget *aChild) const override;
  void CaptionChanged() override;
  void CloseAndFree();
  void RealignButtons();
  int FrameWidth() const;

  void paintEvent(QPaintEvent *aEvent) override;
  void resizeEvent(QResizeEvent *aEvent) override;
  void moveEvent(QMoveEvent *aEvent) override;
  void mousePressEvent(QMouseEvent *aEvent) override;
  void mouseMoveEvent(QMouseEvent *aEvent) override;
  void mouseReleaseEvent(QMouseEvent *aEvent) override;
  void changeEvent(QEvent *aEvent) override;
  void childEvent(QChildEvent *aEvent) override;
  bool eventFilter(QObject *aWatched, QEvent *aEvent) override;

private:
  void DrawBorder(QPainter &aPainter);
  void DrawCaption(QPainter &aPainter);
  void DrawIcon(QPainter &aPainter);
  bool HasIcon() const;
  void FollowParent();
  void WatchChild(QObject *aChild);
  void OnFocusChanged(QWidget *aOld, QWidget *aNew);
  // Edges of the frame under aPos (Qt::Edges), none outside the normal state.
  Qt::Edges SizingEdges(QPoint aPos) const;
  void UpdateGlyphs();

  TWindowState fState = wsNormal;
  QRect fNormalBounds;
  bool fActive = false;
  QPointer<QWidget> fFocusControl;
  TwinctrlCaptionPosition fCaptionPosition = cpTop;
  bool fCaptionVisible = true;
  QColor fActiveColor;
  QColor fInactiveColor;
  const QList<QIcon> *fImages = nullptr;
  QIcon fIcon;
  int fIconIndex = -1;
  int fHeightConstraint = 0;
  int fPosDiscrete = 8;
  bool fDestroyOnClose = true;
  bool fDestroyPending = false;
  int fGroupIndex = 0;
  std::array<QPixmap, 4> fGlyphs;
  std::array<TwinctrlMdiWindowButton *, 3> fButtons{};
  QPointer<QWidget> fWatchedParent;
  // Mouse drag: by the caption (no edges) or by the frame (the edges held).
  bool fDragging = false;
  Qt::Edges fDragEdges;
  QPoint fDragStart;
  QRect fDragBounds;
  bool fInSetBounds = false;
};

// The published form of the window.
class TwinctrlMdiWindow : public TwinctrlCustomMdiWindow
{
  Q_OBJECT
public:
  using TwinctrlCustomMdiWindow::TwinctrlCustomMdiWindow;
};
