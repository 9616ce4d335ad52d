// The four indicators over a full chart history (3000 klines), with their default parameters:
// the whole recomputation a chart refresh, a new kline or an edit costs.

#include "chart.h"
#include "indicators.h"
#include "kline.h"


#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {

constexpr int cKlines = 3000;

// A wavy market in arrival order as the history pages bring it: newest page first.
void FillKlines(TKlineList &aKlines)
{
  for (int lPage = 2; lPage >= 0; --lPage)
    for (int i = lPage * 1000; i < (lPage + 1) * 1000; ++i) {
      TKline *lKline = aKlines.Add(1'700'000'000'000 + std::int64_t(i) * 60'000);
      const double lMid = 100 + 10 * std::sin(i / 40.0) + 3 * std::sin(i / 7.0);
      lKline->Open = lMid - 0.5;
      lKline->Close = lMid + 0.5 * std::sin(i * 1.3);
      lKline->High = lMid + 1 + std::fabs(std::sin(i * 0.7));
      lKline->Low = lMid - 1 - std::fabs(std::cos(i * 0.9));
    }
}

void AddAll(TIndicatorList &aList, const TKlineList &aKlines)
{
  aList.Add(std::make_unique<TMaIndicatorInfo>())->FillSeries(&aKlines);
  aList.Add(std::make_unique<TBollingerIndicatorInfo>())->FillSeries(&aKlines);
  aList.Add(std::make_unique<TZigZagIndicatorInfo>())->FillSeries(&aKlines);
  aList.Add(std::make_unique<TFractalIndicatorInfo>())->FillSeries(&aKlines);
}

// What a refresh does: sort the klines once, compute and refill every series.
void BM_AllIndicators(benchmark::State &aState)
{
  TKlineList lKlines;
  FillKlines(lKlines);
  TChart lChart;
  TIndicatorList lList;
  lList.SetChart(&lChart);
  AddAll(lList, lKlines);
  for (auto _ : aState)
    lList.Refresh();
  int lPoints = 0;
  for (int i = 0; i < lList.Count(); ++i)
    for (int s = 0; s < lList.GetItem(i)->GetSeriesCount(); ++s)
      lPoints += lList.GetItem(i)->GetSeries(s)->Count();
  aState.counters["points"] = lPoints;
}
BENCHMARK(BM_AllIndicators)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The computations alone, on klines already in time order.
void BM_AllIndicatorsCalc(benchmark::State &aState)
{
  TKlineList lKlines;
  FillKlines(lKlines);
  const TIndicatorBars lBars = SortedBars(lKlines);
  const TMaIndicatorInfo lMa;
  const TBollingerIndicatorInfo lBands;
  const TZigZagIndicatorInfo lZigZag;
  const TFractalIndicatorInfo lFractals;
  std::vector<TIndicatorPoints> lPoints;
  for (auto _ : aState) {
    for (const TBaseIndicatorInfo *lInfo : {static_cast<const TBaseIndicatorInfo *>(&lMa),
                                            static_cast<const TBaseIndicatorInfo *>(&lBands),
                                            static_cast<const TBaseIndicatorInfo *>(&lZigZag),
                                            static_cast<const TBaseIndicatorInfo *>(&lFractals)}) {
      lPoints.resize(lInfo->SeriesClass().size());
      for (TIndicatorPoints &lSeries : lPoints)
        lSeries.clear();
      lInfo->DoCalculate(lBars, lPoints);
      benchmark::DoNotOptimize(lPoints.data());
    }
  }
}
BENCHMARK(BM_AllIndicatorsCalc)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
