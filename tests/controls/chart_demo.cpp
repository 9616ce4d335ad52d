// Chart windows of generated candles inside a client area, for looking at the controls under a
// virtual display: chart_demo [seconds-until-quit]
#include "chart.h"
#include "utils.h"
#include "winctrl_mdi_window.h"

#include <QApplication>
#include <QPainter>
#include <QRandomGenerator>
#include <QTimer>

#include <cmath>

namespace {

QColor FromBgr(unsigned aColor)
{
  return QColor(aColor & 0xFF, (aColor >> 8) & 0xFF, (aColor >> 16) & 0xFF);
}

// The look a trading chart gives the component.
void StyleChart(TChart &aChart)
{
  TChartScene &lScene = aChart.Scene();
  lScene.SetColor(Qt::white);
  lScene.SetBackWallColor(Qt::white);
  lScene.SetMargins(QMargins(4, 3, 4, 3));
  QFont lFont(QStringLiteral("Microsoft JhengHei"));
  lFont.setPointSize(8);
  for (TChartAxis *lAxis : {&aChart.BottomAxis(), &aChart.RightAxis()}) {
    lAxis->SetAutomatic(false);
    lAxis->SetLabelFont(lFont);
    lAxis->SetGridColor(FromBgr(0xC4C4C4));
    lAxis->SetMinorTickLength(-3);
    lAxis->SetTickLength(0);
    lAxis->SetInnerTickLength(6);
  }
  aChart.BottomAxis().SetDateTimeFormat(QStringLiteral("hh:mm dd.MM.yyyy"));
  aChart.BottomAxis().SetMinorGridVisible(true);
  aChart.BottomAxis().SetMinorGridColor(FromBgr(0xC0C0C0));
  aChart.BottomAxis().SetDesiredIncrement(1.0 / 1440);
  aChart.RightAxis().SetValueFormat(QStringLiteral("#,####0.#####"));
  lScene.OnGetAxisLabel = [&aChart](const TChartAxis &aAxis, double aValue, QString &aText) {
    if (&aAxis == &aChart.BottomAxis())
      aText = ChartDateToTradeDate(aText);
    else if (&aAxis == &aChart.RightAxis())
      aText = QString::asprintf("%8.5f", aValue);
  };
}

void FillChart(TChart &aChart, int aCandles, double aStart, double aPrice, quint32 aSeed)
{
  QRandomGenerator lRandom(aSeed);
  TCandleSeries *lCandles = aChart.Scene().AddCandleSeries();
  lCandles->SetUpColor(FromBgr(0xC0F1D8));
  lCandles->SetDownColor(FromBgr(0xD8C0F1));
  lCandles->SetPenColor(Qt::black);
  TLineSeries *lMa = aChart.Scene().AddLineSeries();
  lMa->SetColor(FromBgr(0x0000FF));
  TPointSeries *lBuy = aChart.Scene().AddPointSeries();
  lBuy->SetColor(FromBgr(0xC0F1D8));
  lBuy->SetPointerStyle(psTriangle);
  lBuy->SetPointerSize(8, 8);
  TPointSeries *lSell = aChart.Scene().AddPointSeries();
  lSell->SetColor(FromBgr(0xD8C0F1));
  lSell->SetPointerStyle(psDownTriangle);
  lSell->SetPointerSize(13, 13);
  TLineSeries *lPrice = aChart.Scene().AddLineSeries();
  lPrice->SetColor(Qt::black);

  const double lStep = 5.0 / 1440;
  double lClose = aPrice;
  double lSum = 0;
  std::vector<double> lCloses;
  lCandles->BeginUpdate();
  for (int lIndex = 0; lIndex < aCandles; ++lIndex) {
    const double lOpen = lClose;
    lClose = lOpen * (1 + (lRandom.generateDouble() - 0.5) * 0.006);
    const double lHigh = std::max(lOpen, lClose) * (1 + lRandom.generateDouble() * 0.002);
    const double lLow = std::min(lOpen, lClose) * (1 - lRandom.generateDouble() * 0.002);
    const double lX = aStart + lIndex * lStep;
    lCandles->AddOHLC(lX, lOpen, lHigh, lLow, lClose);
    lCloses.push_back(lClose);
    lSum += lClose;
    if (lIndex >= 14) {
      lSum -= lCloses[static_cast<size_t>(lIndex - 14)];
      lMa->AddXY(lX, lSum / 14);
    }
  }
  lCandles->EndUpdate();
  const int lLast = aCandles - 1;
  lBuy->AddXY(lCandles->XValue(lLast - 20), lCandles->LowValue(lLast - 20) * 0.999);
  lSell->AddXY(lCandles->XValue(lLast - 8), lCandles->HighValue(lLast - 8) * 1.001);
  lPrice->AddXY(lCandles->XValue(0), lClose);
  lPrice->AddXY(lCandles->XValue(lLast), lClose);

  const int lVisible = 70;
  aChart.BottomAxis().SetMinMax(lCandles->XValue(lLast - lVisible) - lStep / 2,
                                lCandles->XValue(lLast) + 3 * lStep);
  double lMin = 0, lMax = 0;
  lCandles->YRange(lMin, lMax, lCandles->FirstVisibleIndex(), lCandles->LastVisibleIndex());
  aChart.RightAxis().SetMinMax(lMin, lMax);
  lCandles->SetCandleWidth(5);
}

TwinctrlMdiWindow *AddWindow(QWidget *aClient, const QRect &aBounds, const QString &aCaption)
{
  auto *lWindow = new TwinctrlMdiWindow(aClient);
  lWindow->SetGroupIndex(1);
  lWindow->SetActiveColor(FromBgr(0xE9E1AB));
  lWindow->SetHeightConstraint(5);
  lWindow->SetDestroyOnClose(false);
  lWindow->SetCaption(aCaption);
  lWindow->SetBounds(aBounds);
  auto *lChart = new TChart(lWindow);
  lWindow->SetFocusControl(lChart);
  StyleChart(*lChart);
  return lWindow;
}

} // namespace

int main(int argc, char **argv)
{
  QApplication lApp(argc, argv);
  QWidget lClient;
  lClient.setWindowTitle(QStringLiteral("Vexa"));
  lClient.resize(1200, 760);
  lClient.setAutoFillBackground(true);
  lClient.setPalette(QPalette(QColor(0xAB, 0xAB, 0xAB)));

  const double lStart = EncodeDateTime(2026, 12, 8, 9, 0);
  TwinctrlMdiWindow *lMain = AddWindow(&lClient, QRect(16, 16, 760, 460), "BTCUSDT 5m (100%)");
  FillChart(*lMain->findChild<TChart *>(), 400, lStart, 97250.5, 7);
  TwinctrlMdiWindow *lSecond = AddWindow(&lClient, QRect(792, 16, 392, 300), "ETHUSDT 5m (100%)");
  FillChart(*lSecond->findChild<TChart *>(), 300, lStart + 0.3, 3650.25, 11);
  {
    // The "Yellow On Black" look with bars, to judge contrast and the bar style.
    TChart &lChart = *lSecond->findChild<TChart *>();
    lChart.Scene().SetColor(Qt::black);
    lChart.Scene().SetBackWallColor(Qt::black);
    for (TChartAxis *lAxis : {&lChart.BottomAxis(), &lChart.RightAxis()}) {
      lAxis->SetLabelColor(Qt::white);
      lAxis->SetLineColor(Qt::white);
      lAxis->SetGridColor(FromBgr(0x808080));
      lAxis->SetMinorGridColor(FromBgr(0x808080));
      lAxis->SetInnerTickColor(FromBgr(0x808080));
      lAxis->SetMinorTickColor(FromBgr(0x808080));
    }
    auto *lCandles = static_cast<TCandleSeries *>(lChart.Scene().Series(0));
    lCandles->SetCandleStyle(csCandleBar);
    lCandles->SetUpColor(FromBgr(0x00FFFF));
    lCandles->SetDownColor(FromBgr(0x00FFFF));
    static_cast<TLineSeries *>(lChart.Scene().Series(4))->SetColor(Qt::white);
  }
  TwinctrlMdiWindow *lThird = AddWindow(&lClient, QRect(792, 336, 392, 300), "BNBUSDT 5m (50%)");
  FillChart(*lThird->findChild<TChart *>(), 300, lStart + 0.3, 712.8, 13);
  lThird->SetState(wsMinimized);
  // Caption along the left edge with an icon from an image list.
  QPixmap lIconPixmap(16, 16);
  lIconPixmap.fill(Qt::transparent);
  {
    QPainter lPainter(&lIconPixmap);
    lPainter.setBrush(QColor(0xF0, 0xB9, 0x0B));
    lPainter.setPen(Qt::black);
    lPainter.drawEllipse(1, 1, 13, 13);
  }
  const QList<QIcon> lImages = {QIcon(lIconPixmap)};
  TwinctrlMdiWindow *lFourth = AddWindow(&lClient, QRect(792, 376, 392, 264), "SOLUSDT 5m (100%)");
  FillChart(*lFourth->findChild<TChart *>(), 300, lStart + 0.2, 182.35, 17);
  lFourth->SetCaptionPosition(cpLeft);
  lFourth->SetImages(&lImages);
  lFourth->SetIconIndex(0);
  lClient.show();
  lMain->Activate();

  if (argc > 1)
    QTimer::singleShot(QString::fromLocal8Bit(argv[1]).toInt() * 1000, &lApp, &QApplication::quit);
  return QApplication::exec();
}
