#pragma once

#include <QIcon>
#include <QList>
#include <QString>

#include <optional>

class TfrmBasic;
class QMenu;
class QWidget;

// The main window's side of the chart list: the hand-over of its chart area and menus, the
// loading of the saved charts, the chart price for the order panels, and the close steps.

// Hands the chart area, the chart and indicator menus and the images to the chart list and
// subscribes aWindow to its notifications.
void AttachChartList(TfrmBasic *aWindow, QWidget *aClient, QMenu *aChartMenu, QMenu *aIndicatorMenu,
                     const QList<QIcon> *aImages);
// Reopens the charts of charts.json; call once the chart area has its size, so that the
// windows come back in their places.
void LoadCharts();
// The last price of the selected chart, none without one (the order panels' chart price).
std::optional<double> SelectedChartPrice();
// The place of a chart in the list (-1 when it has gone) and the full refresh of the chart at
// a place (false when there is none): the main window's deferred refresh.
int ChartIndexOf(void *aItem);
bool ChartFullRefresh(int aIndex);
// Opens a chart of aSymbol.
void NewChart(const QString &aSymbol);
// Saves charts.json, closes every chart and leaves the chart list's notifications.
void DetachChartList(TfrmBasic *aWindow);
