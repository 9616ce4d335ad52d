// The scripted trader inside the real terminal program: this file is linked beside the
// terminal's own main(), hooks in when the application object is built, and from then on
// acts only through the window's widgets. Message boxes are answered through the presenter.
//
// The test that starts the process gives it (environment):
//   VEXA_E2E_ACCOUNT   the exchange's demo-account.json, whose keys the trader types in
//   VEXA_E2E_SYMBOLS   how many symbols the exchange lists
//   VEXA_E2E_DEADLINE  seconds for the whole session (default 150)
//   VEXA_E2E_SHOT      optional: a PNG of the window before it closes
#include "chart.h"
#include "chart_candle_series.h"
#include "market_watch.h"
#include "script.h"
#include "session_presenter.h"
#include "trader_hands.h"
#include "utils.h"
#include "winctrl_mdi_window.h"

#include <QAction>
#include <QApplication>
#include <QDockWidget>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

const QString cSymbol = QStringLiteral("BTCUSDT");
const QString cAmount = QStringLiteral("0.01");
const QString cDeleteQuestion = QStringLiteral("Уверены что хотите удалит ордер?");
const QString cOrderDeleted = QStringLiteral("Ордер удален");
const QString cOrderCreated = QStringLiteral("Создан ордер BTCUSDT BUY LIMIT ");

// Columns of the open orders grid.
enum { ocOrder = 0, ocType = 2, ocQuantity = 3, ocSymbol = 4, ocPrice = 5, ocSide = 7 };

struct TAccountKeys
{
  QString ApiKey;
  QString SecretKey;
};

TAccountKeys ReadAccount()
{
  QFile lFile(qEnvironmentVariable("VEXA_E2E_ACCOUNT"));
  if (!lFile.open(QIODevice::ReadOnly))
    TScript::Fail(QStringLiteral("VEXA_E2E_ACCOUNT does not name a readable account file"));
  const QJsonObject lObject = QJsonDocument::fromJson(lFile.readAll()).object();
  TAccountKeys lKeys{lObject.value(QStringLiteral("apiKey")).toString(),
                     lObject.value(QStringLiteral("secretKey")).toString()};
  if (lKeys.ApiKey.isEmpty() || lKeys.SecretKey.isEmpty())
    TScript::Fail(QStringLiteral("the account file holds no keys"));
  return lKeys;
}

QWidget *MainWindow()
{
  return TopLevel(QStringLiteral("fmMain"));
}

QWidget *Main()
{
  QWidget *lWindow = MainWindow();
  if (!lWindow)
    TScript::Fail(QStringLiteral("the main window is gone"));
  return lWindow;
}

QAction *Command(const char *aName)
{
  return Need<QAction>(Need<QObject>(Main(), QStringLiteral("ActionList")),
                       QString::fromLatin1(aName));
}

void ChooseMainMenu(const char *aMenu, const char *aCommand)
{
  ChooseFromMenuBar(Need<QMenuBar>(Main(), QStringLiteral("MainMenu")),
                    Need<QMenu>(Main(), QString::fromLatin1(aMenu)), Command(aCommand));
}

QTableView *Grid(const char *aName)
{
  return Need<QTableView>(Main(), QString::fromLatin1(aName));
}

double LocaleNumber(const QString &aText)
{
  bool lOk = false;
  const double lValue = QLocale().toDouble(aText, &lOk);
  return lOk ? lValue : std::nan("");
}

// The chart of the symbol once its history is in (a chart is disabled while it loads), or none.
TChart *LoadedChart(QString *aCaption)
{
  for (const auto *lWindow :
       Need<QWidget>(Main(), QStringLiteral("pnlClient"))->findChildren<TwinctrlMdiWindow *>()) {
    if (!lWindow->Caption().startsWith(cSymbol + QLatin1Char(' ')))
      continue;
    auto *lChart = lWindow->findChild<TChart *>();
    if (!lChart || !lChart->isVisible() || !lChart->isEnabled())
      return nullptr;
    *aCaption = lWindow->Caption();
    return lChart;
  }
  return nullptr;
}

const TCandleSeries *Candles(TChart *aChart)
{
  for (int i = 0; i < aChart->Scene().SeriesCount(); ++i)
    if (const auto *lCandles = dynamic_cast<const TCandleSeries *>(aChart->Scene().Series(i)))
      return lCandles;
  return nullptr;
}

// From "Выход" to the end of main(): the shut-down's length, for the record.
QElapsedTimer gQuitClock;

void LogShutDown()
{
  if (gQuitClock.isValid())
    TScript::Log(QStringLiteral("main() returned %1 ms after \"Выход\"").arg(gQuitClock.elapsed()));
}

// The price of the chart's current-price line (the first line over the candles); 0 while
// the chart has no price yet.
double PriceLine(TChart *aChart)
{
  for (int i = 0; i < aChart->Scene().SeriesCount(); ++i)
    if (const auto *lLine = dynamic_cast<const TLineSeries *>(aChart->Scene().Series(i))) {
      double lMin = 0;
      double lMax = 0;
      return lLine->Count() > 0 && lLine->YRange(lMin, lMax) && lMin == lMax ? lMin : 0;
    }
  return 0;
}

class TTraderSession
{
public:
  explicit TTraderSession(TScript &aScript) : fScript(aScript), fKeys(ReadAccount())
  {
    fPresenter = std::make_shared<TSessionPresenter>();
    SetMessagePresenter(fPresenter);
    fSymbols = qEnvironmentVariableIntValue("VEXA_E2E_SYMBOLS");
    Plan();
  }

private:
  void Plan();
  void PlanMarket();
  void PlanLogin();
  void PlanOrder();

  TScript &fScript;
  TAccountKeys fKeys;
  std::shared_ptr<TSessionPresenter> fPresenter;
  int fSymbols = 0;
  double fPrice = 0;
  QString fOrderId;
};

void TTraderSession::Plan()
{
  PlanMarket();
  PlanLogin();
  PlanOrder();
  fScript.Act(QStringLiteral("Файл → Выход"), [] {
    if (const QString lShot = qEnvironmentVariable("VEXA_E2E_SHOT"); !lShot.isEmpty())
      Main()->grab().save(lShot);
    gQuitClock.start();
    ChooseMainMenu("miFile", "acQuit");
  });
}

void TTraderSession::PlanMarket()
{
  fScript.WaitFor(
      QStringLiteral("the window is up and online"),
      [] {
        QWidget *lWindow = MainWindow();
        return lWindow &&
               Need<QLabel>(lWindow, QStringLiteral("StatusText"))->text() ==
                   QStringLiteral("Подключено") &&
               !Need<QLabel>(lWindow, QStringLiteral("SysTimePanel"))->text().isEmpty();
      },
      60000);
  fScript.WaitFor(
      QStringLiteral("the market watch lists every symbol with its price"),
      [this] {
        const QAbstractItemModel *lModel = Grid("vstSymbols")->model();
        const int lRow = FindRow(lModel, TMarketWatchModel::colSymbol, cSymbol);
        return lModel->rowCount() == fSymbols && lRow >= 0 &&
               LocaleNumber(CellText(lModel, lRow, TMarketWatchModel::colPrice)) > 0;
      },
      30000);
  fScript.Act(
      QStringLiteral("right-click ") + cSymbol + QStringLiteral(" in the market watch"), [] {
        QTableView *lSymbols = Grid("vstSymbols");
        ClickRow(lSymbols, FindRow(lSymbols->model(), TMarketWatchModel::colSymbol, cSymbol),
                 Qt::RightButton);
      });
  fScript.WaitFor(
      QStringLiteral("the market watch menu is open"),
      [] { return Need<QMenu>(Main(), QStringLiteral("ppmSymbols"))->isVisible(); }, 5000);
  fScript.Act(QStringLiteral("choose \"Новый график\""), [] {
    QWidget *lSymbols = Grid("vstSymbols");
    ChooseFromPopup(Need<QMenu>(lSymbols, QStringLiteral("ppmSymbols")),
                    Need<QAction>(lSymbols, QStringLiteral("acNewChart")));
  });
  fScript.WaitFor(
      QStringLiteral("the chart opens and shows its history and the current price"),
      [] {
        QString lCaption;
        TChart *lChart = LoadedChart(&lCaption);
        const TCandleSeries *lCandles = lChart ? Candles(lChart) : nullptr;
        if (!lCandles || lCandles->Count() < 100)
          return false;
        // Shown: the time axis has moved to the newest candle.
        const TChartAxis &lTime = lChart->BottomAxis();
        const double lNewest = lCandles->XValue(lCandles->Count() - 1);
        const double lPrice = PriceLine(lChart);
        if (lNewest < lTime.Minimum() || lNewest > lTime.Maximum() || lPrice <= 0)
          return false;
        TScript::Log(QStringLiteral("chart \"%1\" with %2 candles, showing %3 to %4, price %5")
                         .arg(lCaption)
                         .arg(lCandles->Count())
                         .arg(lTime.Minimum(), 0, 'f', 4)
                         .arg(lTime.Maximum(), 0, 'f', 4)
                         .arg(lPrice));
        return true;
      },
      30000);
}

void TTraderSession::PlanLogin()
{
  fScript.Act(QStringLiteral("Файл → Авторизация"), [] { ChooseMainMenu("miFile", "acLogin"); });
  fScript.WaitFor(
      QStringLiteral("the login dialog is open"),
      [] { return TopLevel(QStringLiteral("dlgBaseLogon")) == QApplication::activeModalWidget(); },
      10000);
  fScript.Act(QStringLiteral("type the demo account's keys, press \"Тест\""), [this] {
    QWidget *lDialog = TopLevel(QStringLiteral("dlgBaseLogon"));
    TypeInto(Need<QLineEdit>(lDialog, QStringLiteral("edAPI")), fKeys.ApiKey);
    TypeInto(Need<QLineEdit>(lDialog, QStringLiteral("edSecret")), fKeys.SecretKey);
    // The test asks the exchange and waits for it, serving events meanwhile.
    Click(Need<QPushButton>(lDialog, QStringLiteral("btnTest")));
  });
  fScript.WaitFor(
      QStringLiteral("the exchange accepts the keys: \"Сохранить\" is enabled"),
      [] {
        QWidget *lDialog = TopLevel(QStringLiteral("dlgBaseLogon"));
        return lDialog && Need<QPushButton>(lDialog, QStringLiteral("btnSave"))->isEnabled();
      },
      20000);
  fScript.Act(QStringLiteral("press \"Сохранить\""), [] {
    Click(Need<QPushButton>(TopLevel(QStringLiteral("dlgBaseLogon")), QStringLiteral("btnSave")));
  });
  fScript.WaitFor(
      QStringLiteral("logged in: the dialog is gone and the terminal panel is shown"),
      [] {
        return !TopLevel(QStringLiteral("dlgBaseLogon")) &&
               Need<QDockWidget>(Main(), QStringLiteral("dpTerminal"))->isVisible();
      },
      10000);
}

void TTraderSession::PlanOrder()
{
  fScript.Act(QStringLiteral("Окно → Ордер Buy"), [] { ChooseMainMenu("miWindow", "acBuy"); });
  fScript.WaitFor(
      QStringLiteral("the Buy panel is shown"),
      [] {
        return Need<QDockWidget>(Main(), QStringLiteral("dpBuy"))->isVisible() &&
               Need<QPushButton>(Main(), QStringLiteral("btnBuyLimit"))->isVisible();
      },
      5000);
  // Focus elsewhere (the login dialog's fields) has left the chart inactive; a click on it
  // makes it the chart whose price the order pages take.
  fScript.Act(QStringLiteral("click the chart, then tabs \"Market\" and \"Limit\" of Buy"), [] {
    QString lCaption;
    TChart *lChart = LoadedChart(&lCaption);
    if (!lChart)
      TScript::Fail(QStringLiteral("the chart has gone"));
    Click(lChart, Qt::LeftButton, QPoint(lChart->width() / 4, lChart->height() / 2));
    auto *lPages = Need<QTabWidget>(Main(), QStringLiteral("pcBuy"));
    ShowPage(lPages, QStringLiteral("Market"));
    ShowPage(lPages, QStringLiteral("Limit"));
  });
  fScript.WaitFor(
      QStringLiteral("the Limit page takes the chart's price"),
      [this] {
        fPrice = LocaleNumber(Need<QLineEdit>(Main(), QStringLiteral("edBuyLimitPrice"))->text());
        return fPrice > 0;
      },
      5000);
  fScript.Act(
      QStringLiteral("type a limit price below the market and an amount, press \"Buy\""), [this] {
        QWidget *lWindow = Main();
        // Far enough below the last price that the order rests; a half unit proves
        // the decimal separator on its way to the exchange.
        fPrice = std::floor(fPrice * 0.9) + 0.5;
        const QString lPrice = QString::number(fPrice, 'f', 1);
        TypeInto(Need<QLineEdit>(lWindow, QStringLiteral("edBuyLimitPrice")), lPrice);
        TypeInto(Need<QLineEdit>(lWindow, QStringLiteral("edBuyLimitAmount")), cAmount);
        TScript::Log(QStringLiteral("placing BUY LIMIT %1 %2 at %3").arg(cSymbol, cAmount, lPrice));
        fPresenter->Expect(cOrderCreated, mtInfo, mrOk);
        Click(Need<QPushButton>(lWindow, QStringLiteral("btnBuyLimit")));
        ShowPage(Need<QTabWidget>(lWindow, QStringLiteral("pcTerminal")),
                 QStringLiteral("Торговля"));
      });
  fScript.WaitFor(
      QStringLiteral("the exchange's answer is shown and the order listed in \"Торговля\""),
      [this] {
        const QAbstractItemModel *lOrders = Grid("vstOrders")->model();
        if (fPresenter->Answered() != 1 || lOrders->rowCount() != 1)
          return false;
        if (CellText(lOrders, 0, ocSymbol) != cSymbol || CellText(lOrders, 0, ocSide) != "BUY" ||
            CellText(lOrders, 0, ocType) != "LIMIT" ||
            LocaleNumber(CellText(lOrders, 0, ocPrice)) != fPrice ||
            LocaleNumber(CellText(lOrders, 0, ocQuantity)) != cAmount.toDouble())
          TScript::Fail(QStringLiteral("\"Торговля\" lists another order: %1 %2 %3 %4 at %5")
                            .arg(CellText(lOrders, 0, ocSide), CellText(lOrders, 0, ocType),
                                 CellText(lOrders, 0, ocSymbol), CellText(lOrders, 0, ocQuantity),
                                 CellText(lOrders, 0, ocPrice)));
        fOrderId = CellText(lOrders, 0, ocOrder);
        TScript::Log(QStringLiteral("order %1 listed").arg(fOrderId));
        return true;
      },
      20000);
  fScript.Act(QStringLiteral("right-click the order"),
              [] { ClickRow(Grid("vstOrders"), 0, Qt::RightButton); });
  fScript.WaitFor(
      QStringLiteral("the orders menu is open"),
      [] { return Need<QMenu>(Main(), QStringLiteral("ppmOrders"))->isVisible(); }, 5000);
  fScript.Act(QStringLiteral("choose \"Удалить ордер\" and answer yes"), [this] {
    fPresenter->Expect(cDeleteQuestion, mtConfirm, mrYes);
    fPresenter->Expect(cOrderDeleted, mtInfo, mrOk);
    ChooseFromPopup(Need<QMenu>(Main(), QStringLiteral("ppmOrders")), Command("acOrderDelete"));
  });
  fScript.WaitFor(
      QStringLiteral("the exchange's answer is shown and the order leaves \"Торговля\""),
      [this] { return fPresenter->Answered() == 3 && Grid("vstOrders")->model()->rowCount() == 0; },
      20000);
}

// Runs once the application object exists, after main() installed its own presenter: the
// first event the program serves starts the session.
void StartSession()
{
  const int lDeadline = qEnvironmentVariableIsSet("VEXA_E2E_DEADLINE")
                            ? qEnvironmentVariableIntValue("VEXA_E2E_DEADLINE")
                            : 150;
  TScript::ArmDeadline(static_cast<unsigned>(lDeadline));
  std::atexit(LogShutDown);
  QTimer::singleShot(0, qApp, [] {
    auto *lScript = new TScript(qApp);
    static std::unique_ptr<TTraderSession> sSession;
    sSession = std::make_unique<TTraderSession>(*lScript);
    lScript->Start();
  });
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(StartSession)
