#pragma once

#include <QObject>

#include <array>

class QAction;
class QActionGroup;
class QIcon;

// The main window's commands: one QAction each, named as the window's commands, with caption,
// hint, icon, radio group and start state. Menus, toolbars and popups share these objects.
class TMainActions : public QObject
{
  Q_OBJECT
public:
  explicit TMainActions(QObject *aParent);

  static QIcon Icon(const char *aName);

  // "Файл"
  QAction *acNewChart, *acCloseChart, *acLogin, *acMultiAdd, *acMultiDel, *acQuit;
  // "Вид"
  QAction *acChartInterval, *acCharts, *acStandart, *acInstruments, *acStatusBar, *acChartPages,
      *acNoZeroBalance;
  // "Вставка"
  QAction *acIndicatorMA, *acIndicatorBollinger, *acIndicatorFractal, *acIndicatorZigZag;
  QAction *acCursor, *acCross, *acVertLine, *acHorisontLine, *acTrendLine, *acDrawText, *acSigns;
  // "Графики"
  QAction *acStick, *acBar, *acLine, *acZoomIn, *acZoomOut, *acTemplateSave;
  static constexpr int cBarCount = 10;
  // acM1, acM5, acM15, acM30, acH1, acH4, acH6, acD1, acW1, acMN
  std::array<QAction *, cBarCount> Intervals{};
  QAction *acMozaic, *acAutoScroll, *acShiftToEnd;
  // "Сервис"
  QAction *acNewOrder, *acOrderDelete, *acMulti;
  // "Окно"
  QAction *acMarketView, *acNavigate, *acTerminal, *acMarketDepth, *acVolumeMonitor, *acBuy,
      *acSell;
  // "Справка"
  QAction *acAbout;
  // Chart, indicator and tab menus
  QAction *acChartSettings, *acIndicatorSettings, *acIndicatorDelete, *acChartClose,
      *acChartMaximize, *acChartMinimize, *acChartRestore;

  QActionGroup *IntervalGroup;
  QActionGroup *ChartTypeGroup;

  // The chart commands that start disabled: those that need a chart (enabled by the chart
  // commands' refreshers) and those without behaviour.
  QList<QAction *> ChartCommands() const;
  QList<QAction *> All() const;

private:
  QAction *Make(const char *aName, const QString &aCaption, const char *aIcon = nullptr,
                const QString &aHint = QString());
  QAction *Toggle(const char *aName, const QString &aCaption, const char *aIcon = nullptr,
                  const QString &aHint = QString());
};
