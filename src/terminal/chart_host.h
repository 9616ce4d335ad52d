#pragma once

#include <QIcon>
#include <QList>

class TfrmBasic;
class QMenu;
class QObject;
class QWidget;

// The main window's side of the chart list: the hand-over of its chart area and menus, the
// deferred refresh after a history load, and the close steps.

// Hands the chart area, the chart and indicator menus and the images to the chart list and
// subscribes aWindow to its notifications.
void AttachChartList(TfrmBasic *aWindow, QWidget *aClient, QMenu *aChartMenu, QMenu *aIndicatorMenu,
                     const QList<QIcon> *aImages);
// Reopens the charts of charts.json; call once the chart area has its size, so that the
// windows come back in their places.
void LoadCharts();
// A one-shot 50 ms timer owned by aOwner that runs the full refresh of the chart aItem twice,
// when that chart is still open.
void TimerChartRefresh(QObject *aOwner, void *aItem);
// Saves charts.json, closes every chart and leaves the chart list's notifications.
void DetachChartList(TfrmBasic *aWindow);
