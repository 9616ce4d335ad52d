#pragma once

// What the scripted trader does with the window: find widgets by their object names, click,
// type and choose from menus, as mouse and key events. A widget that is missing, hidden or
// disabled where the trader needs it fails the session.

#include "script.h"

#include <QObject>
#include <QPoint>
#include <QString>

class QAbstractItemModel;
class QAction;
class QLineEdit;
class QMenu;
class QMenuBar;
class QTabWidget;
class QTableView;
class QWidget;

template <class T> T *Need(const QObject *aRoot, const QString &aName)
{
  T *lFound = aRoot ? aRoot->findChild<T *>(aName) : nullptr;
  if (!lFound)
    TScript::Fail(QStringLiteral("no widget named %1").arg(aName));
  return lFound;
}

// The visible top-level window of that name, or none.
QWidget *TopLevel(const QString &aName);

// A left click (or aButton) at aPos, the widget's centre by default.
void Click(QWidget *aWidget, Qt::MouseButton aButton = Qt::LeftButton, QPoint aPos = QPoint());
// Replaces the field's text by typing, through the field's key filter.
void TypeInto(QLineEdit *aEdit, const QString &aText);
// Opens aMenu from the menu bar and clicks aAction in it.
void ChooseFromMenuBar(QMenuBar *aBar, QMenu *aMenu, QAction *aAction);
// Clicks aAction in an open popup menu.
void ChooseFromPopup(QMenu *aMenu, QAction *aAction);
// Brings up the page with that tab caption by clicking its tab.
void ShowPage(QTabWidget *aPages, const QString &aCaption);

// The first row whose aColumn shows aText; -1 when none.
int FindRow(const QAbstractItemModel *aModel, int aColumn, const QString &aText);
QString CellText(const QAbstractItemModel *aModel, int aRow, int aColumn);
// Clicks a row of a grid; a right click asks for the grid's context menu, as the window
// system does for the right button.
void ClickRow(QTableView *aView, int aRow, Qt::MouseButton aButton);
