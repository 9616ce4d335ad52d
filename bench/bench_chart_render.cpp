// Paints a 1280 x 720 chart of 3,000 candles (1,000 visible), three line series and two point
// series into a QImage: a full repaint and a one-step pan with our chart component, and a full
// repaint of the same data with Qt Charts for comparison. Prints the median of each and the ratio.
#include "chart_scene.h"

#include <QApplication>
#include <QCandlestickSeries>
#include <QCandlestickSet>
#include <QChart>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QElapsedTimer>
#include <QGraphicsScene>
#include <QImage>
#include <QLineSeries>
#include <QPainter>
#include <QRandomGenerator>
#include <QScatterSeries>
#include <QValueAxis>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int cWidth = 1280;
constexpr int cHeight = 720;
constexpr int cCandles = 3000;
constexpr int cVisible = 1000;
constexpr double cStep = 1.0 / 1440; // one-minute candles
constexpr double cStart = 46000;     // days since 30 Dec 1899

struct TCandle
{
  double X, Open, High, Low, Close;
};

struct TData
{
  std::vector<TCandle> Candles;
  std::vector<std::pair<double, double>> Lines[3];  // average and two bands
  std::vector<std::pair<double, double>> Points[2]; // up and down fractals
};

const TData &Data()
{
  static const TData lData = [] {
    TData lResult;
    QRandomGenerator lRandom(42);
    double lClose = 100;
    for (int lIndex = 0; lIndex < cCandles; ++lIndex) {
      const double lOpen = lClose;
      lClose = lOpen * (1 + (lRandom.generateDouble() - 0.5) * 0.004);
      const double lHigh = std::max(lOpen, lClose) * (1 + lRandom.generateDouble() * 0.002);
      const double lLow = std::min(lOpen, lClose) * (1 - lRandom.generateDouble() * 0.002);
      lResult.Candles.push_back({cStart + lIndex * cStep, lOpen, lHigh, lLow, lClose});
    }
    constexpr int cPeriod = 20;
    for (int lIndex = cPeriod; lIndex < cCandles; ++lIndex) {
      double lSum = 0, lSquares = 0;
      for (int lBack = 0; lBack < cPeriod; ++lBack) {
        const double lValue = lResult.Candles[static_cast<size_t>(lIndex - lBack)].Close;
        lSum += lValue;
        lSquares += lValue * lValue;
      }
      const double lMean = lSum / cPeriod;
      const double lDev = std::sqrt(std::max(0.0, lSquares / cPeriod - lMean * lMean));
      const double lX = lResult.Candles[static_cast<size_t>(lIndex)].X;
      lResult.Lines[0].emplace_back(lX, lMean);
      lResult.Lines[1].emplace_back(lX, lMean + 2 * lDev);
      lResult.Lines[2].emplace_back(lX, lMean - 2 * lDev);
    }
    for (size_t lIndex = 2; lIndex + 2 < lResult.Candles.size(); ++lIndex) {
      const auto &lC = lResult.Candles;
      if (lC[lIndex].High > std::max({lC[lIndex - 2].High, lC[lIndex - 1].High, lC[lIndex + 1].High,
                                      lC[lIndex + 2].High}))
        lResult.Points[0].emplace_back(lC[lIndex].X, lC[lIndex].High);
      if (lC[lIndex].Low < std::min({lC[lIndex - 2].Low, lC[lIndex - 1].Low, lC[lIndex + 1].Low,
                                     lC[lIndex + 2].Low}))
        lResult.Points[1].emplace_back(lC[lIndex].X, lC[lIndex].Low);
    }
    return lResult;
  }();
  return lData;
}

double VisibleMin()
{
  return Data().Candles[cCandles - cVisible].X - cStep / 2;
}
double VisibleMax()
{
  return Data().Candles.back().X + cStep / 2;
}

void FillScene(TChartScene &aScene)
{
  const TData &lData = Data();
  aScene.SetSize(QSize(cWidth, cHeight));
  TCandleSeries *lCandles = aScene.AddCandleSeries();
  lCandles->SetUpColor(QColor(0xD8, 0xF1, 0xC0));
  lCandles->SetDownColor(QColor(0xF1, 0xC0, 0xD8));
  lCandles->BeginUpdate();
  for (const TCandle &lC : lData.Candles)
    lCandles->AddOHLC(lC.X, lC.Open, lC.High, lC.Low, lC.Close);
  lCandles->EndUpdate();
  const QColor lLineColors[3] = {Qt::red, Qt::blue, Qt::blue};
  for (int lLine = 0; lLine < 3; ++lLine) {
    TLineSeries *lSeries = aScene.AddLineSeries();
    lSeries->SetColor(lLineColors[lLine]);
    for (const auto &[lX, lY] : lData.Lines[lLine])
      lSeries->AddXY(lX, lY);
  }
  for (int lKind = 0; lKind < 2; ++lKind) {
    TPointSeries *lSeries = aScene.AddPointSeries();
    lSeries->SetPointerStyle(lKind == 0 ? psTriangle : psDownTriangle);
    lSeries->SetColor(Qt::darkBlue);
    for (const auto &[lX, lY] : lData.Points[lKind])
      lSeries->AddXY(lX, lY, 0.1);
  }
  aScene.BottomAxis().SetAutomatic(false);
  aScene.RightAxis().SetAutomatic(false);
  aScene.BottomAxis().SetMinorGridVisible(true);
  aScene.BottomAxis().SetDateTimeFormat(QStringLiteral("hh:mm dd.MM.yyyy"));
  aScene.BottomAxis().SetMinMax(VisibleMin(), VisibleMax());
  double lMin = 0, lMax = 0;
  lCandles->YRange(lMin, lMax, lCandles->FirstVisibleIndex(), lCandles->LastVisibleIndex());
  aScene.RightAxis().SetMinMax(lMin, lMax);
  lCandles->SetCandleWidth(1);
}

struct TMedians
{
  double Wall = 0, Cpu = 0;
};

// Medians per case in milliseconds, for the closing summary.
std::map<std::string, TMedians> &Medians()
{
  static std::map<std::string, TMedians> lMedians;
  return lMedians;
}

double ProcessCpuMs()
{
  timespec lTime{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &lTime);
  return static_cast<double>(lTime.tv_sec) * 1e3 + static_cast<double>(lTime.tv_nsec) / 1e6;
}

double Median(std::vector<double> &aValues)
{
  std::nth_element(aValues.begin(), aValues.begin() + static_cast<long>(aValues.size() / 2),
                   aValues.end());
  return aValues[aValues.size() / 2];
}

// Times every iteration itself and reports the median, which one slow frame cannot move; the
// process CPU time too, which other load on the machine moves less than the wall clock.
template <class TFrame> void RunTimed(benchmark::State &aState, const char *aName, TFrame &&aFrame)
{
  std::vector<double> lTimes, lCpu;
  QElapsedTimer lTimer;
  for (auto _ : aState) {
    const double lCpuStart = ProcessCpuMs();
    lTimer.start();
    aFrame();
    const double lSeconds = static_cast<double>(lTimer.nsecsElapsed()) / 1e9;
    lCpu.push_back(ProcessCpuMs() - lCpuStart);
    aState.SetIterationTime(lSeconds);
    lTimes.push_back(lSeconds * 1000);
  }
  const TMedians lMedians{Median(lTimes), Median(lCpu)};
  aState.counters["median_ms"] = lMedians.Wall;
  aState.counters["median_cpu_ms"] = lMedians.Cpu;
  Medians()[aName] = lMedians;
}

void BM_FullRepaint(benchmark::State &aState)
{
  TChartScene lScene;
  FillScene(lScene);
  QImage lImage(cWidth, cHeight, QImage::Format_ARGB32_Premultiplied);
  RunTimed(aState, "BM_FullRepaint", [&] {
    // A full repaint re-lays out as well, as after any change of range or look.
    lScene.Invalidate();
    QPainter lPainter(&lImage);
    lScene.Paint(lPainter);
  });
  lImage.save(QStringLiteral("/tmp/bench_chart_render_ours.png"));
}
BENCHMARK(BM_FullRepaint)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_PanStep(benchmark::State &aState)
{
  TChartScene lScene;
  FillScene(lScene);
  QImage lImage(cWidth, cHeight, QImage::Format_ARGB32_Premultiplied);
  {
    QPainter lPainter(&lImage);
    lScene.Paint(lPainter);
  }
  int lDirection = 1;
  int lStep = 0;
  RunTimed(aState, "BM_PanStep", [&] {
    // One mouse step of 10 pixels, back and forth so the range stays over the data.
    if (++lStep % 20 == 0)
      lDirection = -lDirection;
    lScene.BottomAxis().ScrollPixels(10 * lDirection);
    QPainter lPainter(&lImage);
    lScene.Paint(lPainter);
  });
}
BENCHMARK(BM_PanStep)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_QtChartsFullRepaint(benchmark::State &aState)
{
  const TData &lData = Data();
  auto *lChart = new QChart;
  lChart->legend()->hide();
  auto *lCandles = new QCandlestickSeries;
  lCandles->setIncreasingColor(QColor(0xD8, 0xF1, 0xC0));
  lCandles->setDecreasingColor(QColor(0xF1, 0xC0, 0xD8));
  const auto lMsec = [](double aDays) { return (aDays - 25569.0) * 86400000.0; };
  QList<QCandlestickSet *> lSets;
  for (const TCandle &lC : lData.Candles)
    lSets.append(new QCandlestickSet(lC.Open, lC.High, lC.Low, lC.Close, lMsec(lC.X)));
  lCandles->append(lSets);
  lChart->addSeries(lCandles);
  QList<QAbstractSeries *> lAll = {lCandles};
  for (const auto &lLine : lData.Lines) {
    auto *lSeries = new QLineSeries;
    QList<QPointF> lPoints;
    for (const auto &[lX, lY] : lLine)
      lPoints.append(QPointF(lMsec(lX), lY));
    lSeries->replace(lPoints);
    lChart->addSeries(lSeries);
    lAll.append(lSeries);
  }
  for (const auto &lKind : lData.Points) {
    auto *lSeries = new QScatterSeries;
    lSeries->setMarkerSize(8);
    for (const auto &[lX, lY] : lKind)
      lSeries->append(lMsec(lX), lY);
    lChart->addSeries(lSeries);
    lAll.append(lSeries);
  }
  auto *lTime = new QDateTimeAxis;
  lTime->setFormat(QStringLiteral("hh:mm dd.MM.yyyy"));
  auto *lPrice = new QValueAxis;
  lChart->addAxis(lTime, Qt::AlignBottom);
  lChart->addAxis(lPrice, Qt::AlignRight);
  for (QAbstractSeries *lSeries : lAll) {
    lSeries->attachAxis(lTime);
    lSeries->attachAxis(lPrice);
  }
  double lMin = 1e300, lMax = -1e300;
  for (int lIndex = cCandles - cVisible; lIndex < cCandles; ++lIndex) {
    lMin = std::min(lMin, lData.Candles[static_cast<size_t>(lIndex)].Low);
    lMax = std::max(lMax, lData.Candles[static_cast<size_t>(lIndex)].High);
  }
  lTime->setRange(
      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(lMsec(VisibleMin())), Qt::UTC),
      QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(lMsec(VisibleMax())), Qt::UTC));
  lPrice->setRange(lMin, lMax);

  QGraphicsScene lScene;
  lScene.addItem(lChart);
  lChart->setGeometry(0, 0, cWidth, cHeight);
  lScene.setSceneRect(0, 0, cWidth, cHeight);
  QImage lImage(cWidth, cHeight, QImage::Format_ARGB32_Premultiplied);
  const QRectF lArea(0, 0, cWidth, cHeight);
  {
    // Lets Qt Charts finish its deferred layout before timing starts.
    QPainter lPainter(&lImage);
    lScene.render(&lPainter, lArea, lArea);
  }
  QCoreApplication::processEvents();
  RunTimed(aState, "BM_QtChartsFullRepaint", [&] {
    QPainter lPainter(&lImage);
    lScene.render(&lPainter, lArea, lArea);
  });
  lImage.save(QStringLiteral("/tmp/bench_chart_render_qtcharts.png"));
}
BENCHMARK(BM_QtChartsFullRepaint)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(1.0);

} // namespace

int main(int argc, char **argv)
{
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication lApp(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  const auto &lMedians = Medians();
  for (const auto &[lName, lMs] : lMedians)
    std::printf("median %-24s %8.3f ms wall %8.3f ms cpu\n", lName.c_str(), lMs.Wall, lMs.Cpu);
  const auto lOurs = lMedians.find("BM_FullRepaint");
  const auto lTheirs = lMedians.find("BM_QtChartsFullRepaint");
  if (lOurs != lMedians.end() && lTheirs != lMedians.end() && lOurs->second.Wall > 0 &&
      lOurs->second.Cpu > 0)
    std::printf("Qt Charts full repaint / ours: %.1f times (wall), %.1f times (cpu)\n",
                lTheirs->second.Wall / lOurs->second.Wall, lTheirs->second.Cpu / lOurs->second.Cpu);
  return 0;
}
