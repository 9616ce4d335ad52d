#include "winctrl_mdi_window.h"
#include "winctrl_mdi_window_button.h"

#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace {

// An 800 x 600 client area holding windows, as the chart area does.
struct TArea
{
  TArea()
  {
    Client.resize(800, 600);
    Client.show();
  }
  TwinctrlMdiWindow *Add(const QRect &aBounds, int aGroup = 1)
  {
    auto *lWindow = new TwinctrlMdiWindow(&Client);
    lWindow->SetGroupIndex(aGroup);
    lWindow->SetBounds(aBounds);
    lWindow->show();
    return lWindow;
  }
  QWidget Client;
};

void SendMove(QWidget *aWidget, QPoint aLocal, QPoint aGlobal)
{
  QMouseEvent lMove(QEvent::MouseMove, QPointF(aLocal), QPointF(aGlobal), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(aWidget, &lMove);
}

// Presses at aFrom (window coordinates) and drags by aDelta, as a user does with the mouse.
void Drag(TwinctrlCustomMdiWindow *aWindow, QPoint aFrom, QPoint aDelta)
{
  const QPoint lGlobal = aWindow->mapToGlobal(aFrom);
  QMouseEvent lPress(QEvent::MouseButtonPress, QPointF(aFrom), QPointF(lGlobal), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(aWindow, &lPress);
  SendMove(aWindow, aFrom + aDelta / 2, lGlobal + aDelta / 2);
  SendMove(aWindow, aFrom + aDelta, lGlobal + aDelta);
  QMouseEvent lRelease(QEvent::MouseButtonRelease, QPointF(aFrom + aDelta),
                       QPointF(lGlobal + aDelta), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(aWindow, &lRelease);
}

const QPoint cCaptionPoint(60, 12);

} // namespace

TEST(MdiWindow, DraggingByTheCaptionStopsAtEveryEdgeOfTheArea)
{
  const struct
  {
    QPoint Delta;
    QPoint TopLeft;
  } lCases[] = {
      {{-500, 0}, {0, 200}},   // past the left edge
      {{0, -500}, {200, 0}},   // past the top edge
      {{1000, 0}, {640, 200}}, // past the right edge: the right edge on the area's
      {{0, 1000}, {200, 480}}, // past the bottom edge
      {{37, 21}, {232, 216}},  // inside: snapped down to the grid
  };
  for (const auto &lCase : lCases) {
    TArea lArea;
    TwinctrlMdiWindow *lWindow = lArea.Add(QRect(200, 200, 160, 120));
    int lMoves = 0;
    lWindow->OnPosChanged = [&](TwinctrlCustomMdiWindow *) { ++lMoves; };
    Drag(lWindow, cCaptionPoint, lCase.Delta);
    EXPECT_EQ(lWindow->geometry(), QRect(lCase.TopLeft, QSize(160, 120))) << lCase.Delta.x();
    EXPECT_GE(lMoves, 1);
  }
}

TEST(MdiWindow, BoundsSnapToTheGridAndKeepTheMinimumHeight)
{
  TArea lArea;
  TwinctrlMdiWindow *lWindow = lArea.Add(QRect(8, 8, 160, 120));
  lWindow->SetBounds(QRect(13, 21, 203, 97));
  EXPECT_EQ(lWindow->geometry(), QRect(8, 16, 200, 96));
  // A chart window: five grid steps of 8 are the least height in the normal state.
  lWindow->SetHeightConstraint(5);
  lWindow->SetBounds(QRect(16, 16, 200, 20));
  EXPECT_EQ(lWindow->height(), 40);
  lWindow->SetHeightConstraint(-1); // ignored
  EXPECT_EQ(lWindow->HeightConstraint(), 5);
  // Resizing by the bottom border cannot go below it either, and a plain setGeometry obeys.
  Drag(lWindow, QPoint(100, lWindow->height() - 2), QPoint(0, -30));
  EXPECT_EQ(lWindow->height(), 40);
  lWindow->setGeometry(QRect(19, 27, 305, 201));
  EXPECT_EQ(lWindow->geometry(), QRect(16, 24, 304, 200));
}

TEST(MdiWindow, MinimiseMaximiseRestoreBringsBackTheFirstBounds)
{
  TArea lArea;
  TwinctrlMdiWindow *lWindow = lArea.Add(QRect(16, 24, 200, 160));
  int lMaximized = 0, lMinimized = 0;
  lWindow->OnMaximize = [&](TwinctrlCustomMdiWindow *) { ++lMaximized; };
  lWindow->OnMinimize = [&](TwinctrlCustomMdiWindow *) { ++lMinimized; };
  auto lGlyphs = [lWindow] {
    return std::pair(lWindow->Button(btMaximize)->Glyph(), lWindow->Button(btMinimize)->Glyph());
  };

  lWindow->DoClickButton(btMinimize);
  EXPECT_EQ(lWindow->State(), wsMinimized);
  EXPECT_EQ(lWindow->geometry(), QRect(16, 24, 200, TwinctrlCustomMdiWindow::cMinimizedSize));
  EXPECT_EQ(lGlyphs(), std::pair(bgMaximize, bgNormal));

  lWindow->DoClickButton(btMaximize);
  EXPECT_EQ(lWindow->State(), wsMaximized);
  EXPECT_EQ(lWindow->geometry(), lArea.Client.rect());
  EXPECT_EQ(lGlyphs(), std::pair(bgNormal, bgMinimize));
  lArea.Client.resize(700, 500); // a maximised window follows its area
  EXPECT_EQ(lWindow->geometry(), QRect(0, 0, 700, 500));

  lWindow->DoClickButton(btMaximize);
  EXPECT_EQ(lWindow->State(), wsNormal);
  EXPECT_EQ(lWindow->geometry(), QRect(16, 24, 200, 160));
  EXPECT_EQ(lGlyphs(), std::pair(bgMaximize, bgMinimize));
  EXPECT_EQ(lMaximized, 2);
  EXPECT_EQ(lMinimized, 1);
}

TEST(MdiWindow, ActivationDeactivatesTheGroupAndGroupZeroAnswersEveryNotice)
{
  TArea lArea;
  TwinctrlMdiWindow *lA = lArea.Add(QRect(0, 0, 160, 120), 1);
  TwinctrlMdiWindow *lB = lArea.Add(QRect(160, 0, 160, 120), 1);
  TwinctrlMdiWindow *lOther = lArea.Add(QRect(320, 0, 160, 120), 2);
  TwinctrlMdiWindow *lFree = lArea.Add(QRect(480, 0, 160, 120), 0);
  int lDeactivations = 0;
  lB->OnDeactivate = [&](TwinctrlCustomMdiWindow *) { ++lDeactivations; };
  TwinctrlCustomMdiWindow *lActivated = nullptr;
  lA->OnActivate = [&](TwinctrlCustomMdiWindow *aSender) { lActivated = aSender; };

  lB->Activate();
  lOther->Activate();
  EXPECT_TRUE(lB->Active()); // another group leaves it
  EXPECT_FALSE(lFree->Active());

  lA->Activate();
  EXPECT_EQ(lActivated, lA);
  EXPECT_FALSE(lB->Active());
  EXPECT_EQ(lDeactivations, 1);
  EXPECT_TRUE(lOther->Active());

  lFree->Activate(); // group 0 notices reach no positive group
  EXPECT_TRUE(lA->Active());
  EXPECT_TRUE(lFree->Active());
  lB->Activate();
  EXPECT_FALSE(lFree->Active());
  EXPECT_FALSE(lA->Active());

  // A press on a child inside the window activates it too.
  auto *lChild = new QWidget(lA);
  QTest::mousePress(lChild, Qt::LeftButton);
  EXPECT_TRUE(lA->Active());
  EXPECT_FALSE(lB->Active());
}

TEST(MdiWindow, ButtonsActOnPressAndNotWhenDisabled)
{
  TArea lArea;
  TwinctrlMdiWindow *lWindow = lArea.Add(QRect(16, 16, 240, 160));
  lWindow->SetDestroyOnClose(false);
  int lCloses = 0;
  lWindow->OnClose = [&](TwinctrlCustomMdiWindow *) { ++lCloses; };

  QTest::mousePress(lWindow->Button(btClose), Qt::LeftButton);
  EXPECT_EQ(lCloses, 1); // before any release
  EXPECT_TRUE(lWindow->isVisible());
  QTest::mouseRelease(lWindow->Button(btClose), Qt::LeftButton);
  EXPECT_EQ(lCloses, 1);
  QTest::mousePress(lWindow->Button(btMaximize), Qt::LeftButton);
  EXPECT_EQ(lWindow->State(), wsMaximized);
  QTest::mouseRelease(lWindow->Button(btMaximize), Qt::LeftButton);

  lWindow->setEnabled(false);
  QTest::mousePress(lWindow->Button(btClose), Qt::LeftButton);
  QTest::mousePress(lWindow->Button(btMaximize), Qt::LeftButton);
  EXPECT_EQ(lCloses, 1);
  EXPECT_EQ(lWindow->State(), wsMaximized);

  // A window that destroys itself on close is hidden, told, and gone after the event loop.
  QPointer<TwinctrlMdiWindow> lSelf = lArea.Add(QRect(16, 16, 240, 160));
  bool lHiddenWhenTold = false;
  lSelf->OnClose = [&](TwinctrlCustomMdiWindow *aSender) { lHiddenWhenTold = aSender->isHidden(); };
  QTest::mousePress(lSelf->Button(btClose), Qt::LeftButton);
  EXPECT_TRUE(lHiddenWhenTold);
  EXPECT_TRUE(lSelf->DestroyPending());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(lSelf.isNull());
}

TEST(MdiWindow, CaptionPlacesButtonsAndHidingItGivesChildrenTheWholeClientArea)
{
  TArea lArea;
  TwinctrlMdiWindow *lWindow = lArea.Add(QRect(16, 16, 240, 160));
  auto *lChild = new QWidget(lWindow);
  const int lFrame = TwinctrlCustomMdiWindow::cSizingFrame;
  const int lCaption = TwinctrlCustomMdiWindow::cCaptionSize;
  const QRect lClient = lWindow->rect().adjusted(lFrame, lFrame, -lFrame, -lFrame);

  EXPECT_EQ(lChild->geometry(), lClient.adjusted(0, lCaption, 0, 0));
  // Close rightmost, then maximise, then minimise, 13 x 13 each.
  const QRect lClose = lWindow->Button(btClose)->geometry();
  EXPECT_EQ(lClose, QRect(lClient.x() + lClient.width() - 15, lClient.top() + 2, 13, 13));
  EXPECT_EQ(lWindow->Button(btMaximize)->x(), lClose.x() - 16);
  EXPECT_EQ(lWindow->Button(btMinimize)->x(), lClose.x() - 32);

  lWindow->SetCaptionPosition(cpLeft); // close topmost along the left band
  EXPECT_EQ(lWindow->Button(btClose)->pos(), QPoint(lClient.left() + 2, lClient.top() + 2));
  EXPECT_EQ(lWindow->Button(btMinimize)->y(), lClient.top() + 34);
  EXPECT_EQ(lChild->geometry(), lClient.adjusted(lCaption, 0, 0, 0));

  lWindow->SetCaptionVisible(false);
  for (auto lType : {btClose, btMaximize, btMinimize})
    EXPECT_TRUE(lWindow->Button(lType)->isHidden());
  EXPECT_EQ(lChild->geometry(), lClient);
  EXPECT_EQ(lWindow->GetCaptionRect(), lClient);
}

TEST(MdiWindow, FocusFollowsActivationAndLeavingDeactivatesOnlyGroupZero)
{
  TArea lArea;
  lArea.Client.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&lArea.Client));
  TwinctrlMdiWindow *lGrouped = lArea.Add(QRect(0, 0, 160, 120), 1);
  TwinctrlMdiWindow *lFree = lArea.Add(QRect(160, 0, 160, 120), 0);
  auto *lInside = new QLineEdit(lGrouped);
  lInside->show();
  lGrouped->SetFocusControl(lInside);
  auto *lOutside = new QLineEdit(&lArea.Client);
  lOutside->setGeometry(0, 400, 100, 20);
  lOutside->show();

  lGrouped->Activate();
  EXPECT_EQ(QApplication::focusWidget(), lInside);
  // Focus moving into a window activates it, as a click would.
  auto *lFreeEdit = new QLineEdit(lFree);
  lFreeEdit->show();
  lFreeEdit->setFocus();
  EXPECT_TRUE(lFree->Active());
  lOutside->setFocus();
  EXPECT_FALSE(lFree->Active());
  EXPECT_TRUE(lGrouped->Active());
}
