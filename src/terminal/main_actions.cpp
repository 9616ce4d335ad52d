#include "main_actions.h"

#include "consts.h"
#include "svg_icon_engine.h"

#include <QAction>
#include <QActionGroup>
#include <QIcon>

namespace {

struct TIntervalCommand
{
  const char *Name;
  const char *Caption;
  TChartInterval Interval;
};

constexpr std::array<TIntervalCommand, TMainActions::cBarCount> cIntervalCommands = {{
    {"acM1", "M1", m1},
    {"acM5", "M5", m5},
    {"acM15", "M15", m15},
    {"acM30", "M30", m30},
    {"acH1", "H1", h1},
    {"acH4", "H4", h4},
    {"acH6", "H6", h6},
    {"acD1", "D1", d1},
    {"acW1", "W1", w1},
    {"acMN", "MN", Month1},
}};

} // namespace

QIcon TMainActions::Icon(const char *aName)
{
  return QIcon(new TSvgIconEngine(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(aName))));
}

QAction *TMainActions::Make(const char *aName, const QString &aCaption, const char *aIcon,
                            const QString &aHint)
{
  auto *lAction = new QAction(aCaption, this);
  lAction->setObjectName(QLatin1String(aName));
  lAction->setToolTip(aHint.isEmpty() ? aCaption : aHint);
  lAction->setStatusTip(lAction->toolTip());
  if (aIcon)
    lAction->setIcon(Icon(aIcon));
  return lAction;
}

QAction *TMainActions::Toggle(const char *aName, const QString &aCaption, const char *aIcon,
                              const QString &aHint)
{
  QAction *lAction = Make(aName, aCaption, aIcon, aHint);
  lAction->setCheckable(true);
  return lAction;
}

TMainActions::TMainActions(QObject *aParent) : QObject(aParent)
{
  setObjectName(QStringLiteral("ActionList"));
  acNewChart = Make("acNewChart", QStringLiteral("Новый график"), "new_chart");
  acCloseChart = Make("acCloseChart", QStringLiteral("Закрыть график"), "close_chart");
  acLogin = Make("acLogin", QStringLiteral("Авторизация"), "login");
  acMultiAdd = Make("acMultiAdd", QStringLiteral("Добавить  аккаунт"), "account_add");
  acMultiDel = Make("acMultiDel", QStringLiteral("Удалить аккаунт"), "account_del");
  acQuit = Make("acQuit", QStringLiteral("Выход"), "quit");
  acQuit->setShortcut(QKeySequence(Qt::ALT | Qt::Key_F4));

  acChartInterval = Toggle("acChartInterval", QStringLiteral("Период графика"));
  acCharts = Toggle("acCharts", QStringLiteral("Графики"));
  acStandart = Toggle("acStandart", QStringLiteral("Стандартная"));
  acInstruments = Toggle("acInstruments", QStringLiteral("Инструменты"));
  acStatusBar = Toggle("acStatusBar", QStringLiteral("Статусная строка"), "status_bar");
  acChartPages =
      Toggle("acChartPages", QStringLiteral("Панель переключения графиков"), "chart_pages");
  acNoZeroBalance =
      Toggle("acNoZeroBalance", QStringLiteral("Без нулевого баланса"), "no_zero_balance");

  acIndicatorMA = Make("acIndicatorMA", QStringLiteral("MA"), "ind_ma");
  acIndicatorBollinger = Make("acIndicatorBollinger", QStringLiteral("Bollinger"), "ind_bollinger");
  acIndicatorFractal = Make("acIndicatorFractal", QStringLiteral("Fractal"), "ind_fractal");
  acIndicatorZigZag = Make("acIndicatorZigZag", QStringLiteral("ZigZag"), "ind_zigzag");
  acCursor = Make("acCursor", QStringLiteral("Курсор"), "cursor");
  acCross = Make("acCross", QStringLiteral("Перекрестие"), "cross");
  acVertLine = Make("acVertLine", QStringLiteral("Рисование вертикальной линии"), "vline");
  acHorisontLine = Make("acHorisontLine", QStringLiteral("Горизонтальная линия"), "hline",
                        QStringLiteral("Рисование горизонтальной линии"));
  acTrendLine = Make("acTrendLine", QStringLiteral("Трендовая линия"), "trendline");
  acDrawText = Make("acDrawText", QStringLiteral("Рисование текста"), "text");
  acSigns = Make("acSigns", QStringLiteral("Знаки"), "signs");

  ChartTypeGroup = new QActionGroup(this);
  ChartTypeGroup->setObjectName(QStringLiteral("ChartType"));
  acStick = Toggle("acStick", QStringLiteral("Японские свечи"), "candles");
  acBar = Toggle("acBar", QStringLiteral("График Бар"), "bars");
  acLine = Toggle("acLine", QStringLiteral("Линии"), "line");
  for (QAction *lAction : {acStick, acBar, acLine})
    ChartTypeGroup->addAction(lAction);

  IntervalGroup = new QActionGroup(this);
  IntervalGroup->setObjectName(QStringLiteral("Intervals"));
  for (std::size_t i = 0; i < cIntervalCommands.size(); ++i) {
    const TIntervalCommand &lCommand = cIntervalCommands[i];
    QAction *lAction = Toggle(lCommand.Name, QLatin1String(lCommand.Caption));
    lAction->setData(static_cast<int>(lCommand.Interval));
    IntervalGroup->addAction(lAction);
    Intervals[i] = lAction;
  }

  acZoomIn = Make("acZoomIn", QStringLiteral("Увеличение"), "zoom_in");
  acZoomOut = Make("acZoomOut", QStringLiteral("Уменьшение"), "zoom_out");
  acTemplateSave = Make("acTemplateSave", QStringLiteral("Сохранить шаблон..."), "template_save");
  acMozaic = Make("acMozaic", QStringLiteral("Графики мозаикой"), "mozaic");
  acAutoScroll = Toggle("acAutoScroll", QStringLiteral("Автопрокрутка"), "autoscroll");
  acShiftToEnd = Toggle("acShiftToEnd", QStringLiteral("Смещение к концу"), "shift_end");

  acNewOrder = Make("acNewOrder", QStringLiteral("Новый ордер"), "new_order");
  acNewOrder->setShortcut(QKeySequence(Qt::Key_F9));
  acOrderDelete = Make("acOrderDelete", QStringLiteral("Удалить ордер"), "order_delete");
  acMulti = Toggle("acMulti", QStringLiteral("Мульти-торговля"), "multi");

  acMarketView = Toggle("acMarketView", QStringLiteral("Обзор рынка"), "market_view");
  acNavigate = Toggle("acNavigate", QStringLiteral("Навигатор"), "navigator");
  acTerminal = Toggle("acTerminal", QStringLiteral("Терминал"), "terminal");
  acMarketDepth = Toggle("acMarketDepth", QStringLiteral("Стакан цен"), "depth");
  acVolumeMonitor = Toggle("acVolumeMonitor", QStringLiteral("Монитор объемов"), "volume");
  acBuy = Toggle("acBuy", QStringLiteral("Ордер Buy"), "buy");
  acSell = Toggle("acSell", QStringLiteral("Ордер Sell"), "sell");

  acAbout = Make("acAbout", QStringLiteral("О программе"), "about");

  acChartSettings = Make("acChartSettings", QStringLiteral("Свойства"), "chart_settings");
  acIndicatorSettings =
      Make("acIndicatorSettings", QStringLiteral("Настройка"), "indicator_settings");
  acIndicatorDelete = Make("acIndicatorDelete", QStringLiteral("Удалить"), "indicator_delete");
  acChartClose = Make("acChartClose", QStringLiteral("Закрыть"), "chart_close");
  acChartMaximize = Make("acChartMaximize", QStringLiteral("Развернуть"), "chart_maximize");
  acChartMinimize = Make("acChartMinimize", QStringLiteral("Свернуть"), "chart_minimize");
  acChartRestore = Make("acChartRestore", QStringLiteral("Восстановить"), "chart_restore");

  // Until a chart is active; the drawing tools, acCloseChart and acChartRestore have no
  // behaviour and stay so.
  for (QAction *lAction : ChartCommands())
    lAction->setEnabled(false);
}

QList<QAction *> TMainActions::ChartCommands() const
{
  QList<QAction *> lList = {acCloseChart,
                            acIndicatorMA,
                            acIndicatorBollinger,
                            acIndicatorFractal,
                            acIndicatorZigZag,
                            acVertLine,
                            acHorisontLine,
                            acTrendLine,
                            acDrawText,
                            acSigns,
                            acStick,
                            acBar,
                            acLine,
                            acZoomIn,
                            acZoomOut,
                            acTemplateSave,
                            acMozaic,
                            acAutoScroll,
                            acShiftToEnd,
                            acChartSettings,
                            acIndicatorSettings,
                            acIndicatorDelete,
                            acChartClose,
                            acChartMaximize,
                            acChartMinimize,
                            acChartRestore};
  for (QAction *lAction : Intervals)
    lList.append(lAction);
  return lList;
}

QList<QAction *> TMainActions::All() const
{
  return findChildren<QAction *>(QString(), Qt::FindDirectChildrenOnly);
}
