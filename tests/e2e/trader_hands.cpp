#include "trader_hands.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QtTest/QTest>

namespace {

QString NameOf(const QObject *aObject)
{
  return aObject->objectName().isEmpty() ? QString::fromLatin1(aObject->metaObject()->className())
                                         : aObject->objectName();
}

} // namespace

QWidget *TopLevel(const QString &aName)
{
  for (QWidget *lWidget : QApplication::topLevelWidgets())
    if (lWidget->objectName() == aName && lWidget->isVisible())
      return lWidget;
  return nullptr;
}

void Click(QWidget *aWidget, Qt::MouseButton aButton, QPoint aPos)
{
  if (!aWidget->isVisible() || !aWidget->isEnabled())
    TScript::Fail(QStringLiteral("%1 cannot be clicked: %2")
                      .arg(NameOf(aWidget), aWidget->isVisible() ? "disabled" : "hidden"));
  QTest::mouseClick(aWidget, aButton, Qt::NoModifier,
                    aPos.isNull() ? aWidget->rect().center() : aPos);
}

void TypeInto(QLineEdit *aEdit, const QString &aText)
{
  Click(aEdit);
  // Home, Shift+End: a synthetic Ctrl+A carries the text "a", which number fields refuse.
  QTest::keyClick(aEdit, Qt::Key_Home);
  QTest::keyClick(aEdit, Qt::Key_End, Qt::ShiftModifier);
  QTest::keyClick(aEdit, Qt::Key_Backspace);
  if (!aEdit->text().isEmpty())
    TScript::Fail(QStringLiteral("%1 kept \"%2\"").arg(NameOf(aEdit), aEdit->text()));
  QTest::keyClicks(aEdit, aText);
}

void ChooseFromMenuBar(QMenuBar *aBar, QMenu *aMenu, QAction *aAction)
{
  Click(aBar, Qt::LeftButton, aBar->actionGeometry(aMenu->menuAction()).center());
  if (!aMenu->isVisible())
    TScript::Fail(QStringLiteral("the menu %1 did not open").arg(aMenu->title()));
  ChooseFromPopup(aMenu, aAction);
}

void ChooseFromPopup(QMenu *aMenu, QAction *aAction)
{
  if (!aMenu->isVisible())
    TScript::Fail(QStringLiteral("the menu %1 is not open").arg(NameOf(aMenu)));
  const QRect lItem = aMenu->actionGeometry(aAction);
  if (lItem.isEmpty() || !aAction->isEnabled() || !aAction->isVisible())
    TScript::Fail(
        QStringLiteral("\"%1\" cannot be chosen in %2").arg(aAction->text(), NameOf(aMenu)));
  Click(aMenu, Qt::LeftButton, lItem.center());
}

void ShowPage(QTabWidget *aPages, const QString &aCaption)
{
  QTabBar *lTabs = aPages->tabBar();
  for (int i = 0; i < lTabs->count(); ++i)
    if (lTabs->tabText(i) == aCaption) {
      if (aPages->currentIndex() != i)
        Click(lTabs, Qt::LeftButton, lTabs->tabRect(i).center());
      if (aPages->currentIndex() != i)
        TScript::Fail(QStringLiteral("the page \"%1\" did not come up").arg(aCaption));
      return;
    }
  TScript::Fail(QStringLiteral("%1 has no page \"%2\"").arg(NameOf(aPages), aCaption));
}

int FindRow(const QAbstractItemModel *aModel, int aColumn, const QString &aText)
{
  for (int lRow = 0; lRow < aModel->rowCount(); ++lRow)
    if (CellText(aModel, lRow, aColumn) == aText)
      return lRow;
  return -1;
}

QString CellText(const QAbstractItemModel *aModel, int aRow, int aColumn)
{
  return aModel->index(aRow, aColumn).data(Qt::DisplayRole).toString();
}

void ClickRow(QTableView *aView, int aRow, Qt::MouseButton aButton)
{
  const QModelIndex lIndex = aView->model()->index(aRow, 0);
  aView->scrollTo(lIndex);
  const QPoint lPos = aView->visualRect(lIndex).center();
  if (!aView->viewport()->rect().contains(lPos))
    TScript::Fail(QStringLiteral("row %1 of %2 is not on screen").arg(aRow).arg(NameOf(aView)));
  if (aButton != Qt::RightButton) {
    Click(aView->viewport(), aButton, lPos);
    return;
  }
  QContextMenuEvent lEvent(QContextMenuEvent::Mouse, lPos, aView->viewport()->mapToGlobal(lPos));
  QApplication::sendEvent(aView->viewport(), &lEvent);
}
