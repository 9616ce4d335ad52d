#include "main_bars.h"

#include "main_actions.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QToolButton>

namespace {

QMenu *AddMenu(QMenuBar *aBar, const char *aName, const QString &aTitle)
{
  QMenu *lMenu = aBar->addMenu(aTitle);
  lMenu->setObjectName(QLatin1String(aName));
  return lMenu;
}

QMenu *SubMenu(QWidget *aParent, const char *aName, const QString &aTitle,
               const char *aIcon = nullptr)
{
  auto *lMenu = new QMenu(aTitle, aParent);
  lMenu->setObjectName(QLatin1String(aName));
  if (aIcon)
    lMenu->setIcon(TMainActions::Icon(aIcon));
  return lMenu;
}

void AddIntervals(QMenu *aMenu, const TMainActions &aActions)
{
  for (QAction *lAction : aActions.Intervals)
    aMenu->addAction(lAction);
}

// Save entry, delete submenu, separator; the template entries follow once templates exist.
QMenu *TemplateMenu(QWidget *aParent, const char *aName, const char *aDeleteName,
                    const QString &aTitle, TMainActions &aActions)
{
  QMenu *lMenu = SubMenu(aParent, aName, aTitle, "template");
  lMenu->addAction(aActions.acTemplateSave);
  lMenu->addMenu(SubMenu(lMenu, aDeleteName, QStringLiteral("Удалить шаблон")));
  lMenu->addSeparator();
  return lMenu;
}

QToolBar *AddToolBar(QMainWindow &aWindow, const char *aName, const QString &aTitle)
{
  auto *lBar = new QToolBar(aTitle, &aWindow);
  lBar->setObjectName(QLatin1String(aName));
  lBar->setIconSize(QSize(16, 16));
  aWindow.addToolBar(Qt::TopToolBarArea, lBar);
  return lBar;
}

QToolButton *MenuButton(QToolBar *aBar, QMenu *aMenu, const QString &aHint)
{
  auto *lButton = new QToolButton(aBar);
  lButton->setMenu(aMenu);
  lButton->setIcon(aMenu->icon());
  lButton->setToolTip(aHint);
  lButton->setPopupMode(QToolButton::InstantPopup);
  aBar->addWidget(lButton);
  return lButton;
}

void BuildMainMenu(QMainWindow &aWindow, TMainActions &a, TMainBars &aBars)
{
  QMenuBar *lBar = aWindow.menuBar();
  lBar->setObjectName(QStringLiteral("MainMenu"));
  aBars.MainMenu = lBar;

  QMenu *lFile = AddMenu(lBar, "miFile", QStringLiteral("Файл"));
  lFile->addActions({a.acNewChart, a.acCloseChart});
  lFile->addSeparator();
  lFile->addAction(a.acLogin);
  lFile->addSeparator();
  lFile->addActions({a.acMultiAdd, a.acMultiDel});
  lFile->addSeparator();
  lFile->addAction(a.acQuit);

  QMenu *lView = AddMenu(lBar, "miView", QStringLiteral("Вид"));
  QMenu *lToolBars =
      SubMenu(lView, "miToolBars", QStringLiteral("Панель инструментов"), "toolbars");
  lToolBars->addActions({a.acChartInterval, a.acCharts, a.acStandart, a.acInstruments});
  lView->addMenu(lToolBars);
  lView->addActions({a.acStatusBar, a.acChartPages});
  lView->addSeparator();
  lView->addAction(a.acNoZeroBalance);

  QMenu *lInsert = AddMenu(lBar, "miInsert", QStringLiteral("Вставка"));
  QMenu *lIndicators = SubMenu(lInsert, "miIndicators", QStringLiteral("Индикаторы"), "indicators");
  lIndicators->addActions(
      {a.acIndicatorMA, a.acIndicatorBollinger, a.acIndicatorFractal, a.acIndicatorZigZag});
  lInsert->addMenu(lIndicators);
  lInsert->addSeparator();
  lInsert->addActions({a.acCursor, a.acCross, a.acVertLine, a.acHorisontLine, a.acTrendLine,
                       a.acDrawText, a.acSigns});

  QMenu *lCharts = AddMenu(lBar, "miCharts", QStringLiteral("Графики"));
  lCharts->addActions({a.acStick, a.acBar, a.acLine});
  lCharts->addSeparator();
  QMenu *lPeriods = SubMenu(lCharts, "miPeriods", QStringLiteral("Период графика"), "periods");
  AddIntervals(lPeriods, a);
  lCharts->addMenu(lPeriods);
  aBars.mmiTemplate =
      TemplateMenu(lCharts, "mmiTemplate", "mmiTemplateDelete", QStringLiteral("Шаблоны"), a);
  lCharts->addMenu(aBars.mmiTemplate);
  lCharts->addSeparator();
  lCharts->addActions({a.acZoomIn, a.acZoomOut});

  QMenu *lService = AddMenu(lBar, "miService", QStringLiteral("Сервис"));
  lService->addActions({a.acNewOrder, a.acOrderDelete});
  lService->addSeparator();
  lService->addAction(a.acMulti);

  QMenu *lWindow = AddMenu(lBar, "miWindow", QStringLiteral("Окно"));
  lWindow->addActions(
      {a.acMarketView, a.acNavigate, a.acTerminal, a.acMarketDepth, a.acVolumeMonitor});
  lWindow->addSeparator();
  lWindow->addActions({a.acBuy, a.acSell});

  QMenu *lHelp = AddMenu(lBar, "miHelp", QStringLiteral("Справка"));
  lHelp->addAction(a.acAbout);
}

void BuildToolBars(QMainWindow &aWindow, TMainActions &a, TMainBars &aBars)
{
  aBars.tbIntervals = AddToolBar(aWindow, "tbIntervals", QStringLiteral("Период графика"));
  aBars.tbIntervals->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (QAction *lAction : a.Intervals)
    aBars.tbIntervals->addAction(lAction);

  QToolBar *lCharts = AddToolBar(aWindow, "tbCharts", QStringLiteral("Стили"));
  aBars.tbCharts = lCharts;
  lCharts->addActions({a.acStick, a.acBar, a.acLine});
  lCharts->addSeparator();
  lCharts->addActions({a.acZoomIn, a.acZoomOut});
  lCharts->addSeparator();
  lCharts->addActions({a.acMozaic, a.acAutoScroll, a.acShiftToEnd});
  QMenu *lIndicators =
      SubMenu(lCharts, "tbiIndicators", QStringLiteral("Список индикаторов"), "indicators");
  lIndicators->addActions(
      {a.acIndicatorMA, a.acIndicatorBollinger, a.acIndicatorFractal, a.acIndicatorZigZag});
  MenuButton(lCharts, lIndicators, lIndicators->title());
  QMenu *lPeriods = SubMenu(lCharts, "tbiPeriods", QStringLiteral("Периоды"), "periods");
  AddIntervals(lPeriods, a);
  MenuButton(lCharts, lPeriods, lPeriods->title());
  aBars.tbiTemplate =
      TemplateMenu(lCharts, "tbiTemplate", "tbiTemplateDelete", QStringLiteral("Шаблоны"), a);
  MenuButton(lCharts, aBars.tbiTemplate, aBars.tbiTemplate->title());

  QToolBar *lStandart = AddToolBar(aWindow, "tbStandart", QStringLiteral("Стандартная"));
  aBars.tbStandart = lStandart;
  QMenu *lSymbols = SubMenu(lStandart, "pmNewChart", QStringLiteral("Новый график"));
  aBars.pmNewChart = lSymbols;
  aBars.tbiNewChart = new QToolButton(lStandart);
  aBars.tbiNewChart->setObjectName(QStringLiteral("tbiNewChart"));
  aBars.tbiNewChart->setDefaultAction(a.acNewChart);
  aBars.tbiNewChart->setMenu(lSymbols);
  aBars.tbiNewChart->setPopupMode(QToolButton::MenuButtonPopup);
  lStandart->addWidget(aBars.tbiNewChart);
  lStandart->addSeparator();
  lStandart->addActions({a.acNewOrder, a.acOrderDelete});
  lStandart->addSeparator();
  lStandart->addAction(a.acTerminal);

  aBars.tbInstruments =
      AddToolBar(aWindow, "tbInstruments", QStringLiteral("Графические инструменты"));
  aBars.tbInstruments->addActions({a.acCursor, a.acCross, a.acVertLine, a.acHorisontLine,
                                   a.acTrendLine, a.acDrawText, a.acSigns});
}

void BuildPopups(QMainWindow &aWindow, TMainActions &a, TMainBars &aBars)
{
  aBars.ppmOrders = SubMenu(&aWindow, "ppmOrders", QString());
  aBars.ppmOrders->addActions({a.acNewOrder, a.acOrderDelete});
  aBars.ppmBalance = SubMenu(&aWindow, "ppmBalance", QString());
  aBars.ppmBalance->addAction(a.acNoZeroBalance);
  aBars.ppmMultiAccount = SubMenu(&aWindow, "ppmMultiAccount", QString());
  aBars.ppmMultiAccount->addActions({a.acMultiAdd, a.acMultiDel});

  QMenu *lChart = SubMenu(&aWindow, "ppmChart", QString());
  aBars.ppmChart = lChart;
  lChart->addAction(a.acNewOrder);
  lChart->addSeparator();
  QMenu *lPeriods = SubMenu(lChart, "pmiPeriods", QStringLiteral("Период графика"), "periods");
  AddIntervals(lPeriods, a);
  lChart->addMenu(lPeriods);
  aBars.pmiTemplate =
      TemplateMenu(lChart, "pmiTemplate", "pmiTemplateDelete", QStringLiteral("Шаблон"), a);
  lChart->addMenu(aBars.pmiTemplate);
  lChart->addSeparator();
  lChart->addActions({a.acZoomIn, a.acZoomOut});
  lChart->addSeparator();
  lChart->addActions({a.acStick, a.acBar, a.acLine});
  lChart->addSeparator();
  lChart->addAction(a.acChartSettings);

  aBars.ppIndicator = SubMenu(&aWindow, "ppIndicator", QString());
  aBars.ppIndicator->addActions({a.acIndicatorSettings, a.acIndicatorDelete});

  aBars.ppTab = SubMenu(&aWindow, "ppTab", QString());
  aBars.ppTab->addAction(a.acChartClose);
  aBars.ppTab->addSeparator();
  aBars.ppTab->addActions({a.acChartMaximize, a.acChartMinimize, a.acChartRestore});
  aBars.ppTab->addSeparator();
  aBars.ppTab->addAction(a.acMozaic);
}

} // namespace

TMainBars BuildMainBars(QMainWindow &aWindow, TMainActions &aActions)
{
  TMainBars lBars;
  BuildMainMenu(aWindow, aActions, lBars);
  BuildToolBars(aWindow, aActions, lBars);
  BuildPopups(aWindow, aActions, lBars);
  return lBars;
}
