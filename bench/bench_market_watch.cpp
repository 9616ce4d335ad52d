// Main-thread time of one grid refresh after a price answer: the row count check, the change
// notice for the rows on screen and the repaint that formats them. The answer's own output runs
// outside the timing.
#include "core_test_env.h"
#include "depth.h"
#include "market_data.h"
#include "market_watch.h"
#include "order_book.h"
#include "symbol_show_list.h"
#include "user.h"
#include "workflow.h"

#include <QApplication>
#include <QHeaderView>

#include <benchmark/benchmark.h>

namespace {

constexpr int cSymbols = 3000;
constexpr int cVisibleRows = 40;

// The singletons the views read, on a private application folder.
class TModelEnv
{
public:
  TModelEnv()
  {
    Workflow = std::make_unique<TWorkflow>();
    User = std::make_unique<TUser>();
  }
  ~TModelEnv()
  {
    User.reset();
    Workflow.reset();
  }

private:
  TCoreTestEnv fCore;
};

std::vector<TTicker24hr> Answer24hr()
{
  std::vector<TTicker24hr> lTicks;
  for (int i = 0; i < cSymbols; ++i) {
    TTicker24hr lTick;
    lTick.Symbol = QStringLiteral("C%1USDT").arg(i, 4, 10, QLatin1Char('0'));
    lTick.Key = TSymbolList::Key(lTick.Symbol);
    lTick.LastPrice = 1000.0 / (i + 1);
    lTick.PriceChangePercent = (i % 200) / 10.0 - 10;
    lTick.HighPrice = lTick.LastPrice * 1.05;
    lTick.LowPrice = lTick.LastPrice * 0.95;
    lTicks.push_back(lTick);
  }
  return lTicks;
}

void BM_SymbolListRefresh(benchmark::State &aState)
{
  TModelEnv lEnv;
  const std::vector<TTicker24hr> l24hr = Answer24hr();
  OutputTicker24hr(*User->SymbolShowList(), l24hr);
  std::vector<TPriceTick> lTicks;
  for (const TTicker24hr &lTick : l24hr)
    lTicks.push_back({lTick.Symbol, lTick.Key, lTick.LastPrice});

  // Arg 0: the columns shown at start; arg 1: every column, the last price among them.
  TMarketWatchView lView;
  const bool lAllColumns = aState.range(0) == 1;
  for (int i = 0; lAllColumns && i < TMarketWatchModel::ColumnCount; ++i)
    lView.setColumnHidden(i, false);
  lView.resize(lAllColumns ? 700 : 216,
               lView.horizontalHeader()->height() +
                   cVisibleRows * lView.verticalHeader()->defaultSectionSize() +
                   2 * lView.frameWidth());
  lView.show();
  lView.RefreshSymbolList();
  QApplication::processEvents();

  int lTick = 0;
  for (auto _ : aState) {
    aState.PauseTiming();
    // Every price moves, up and down in turn, as on a busy market.
    const double lFactor = (++lTick % 2) ? 1.001 : 1 / 1.001;
    for (TPriceTick &lPrice : lTicks)
      lPrice.Price *= lFactor;
    OutputTickerPrices(*User->SymbolShowList(), lTicks);
    aState.ResumeTiming();

    lView.RefreshSymbolList();
    lView.viewport()->repaint();
  }
  aState.counters["visible_rows"] =
      lView.rowAt(lView.viewport()->height() - 1) - lView.rowAt(0) + 1;
}
BENCHMARK(BM_SymbolListRefresh)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

void BM_OrderBookRefresh(benchmark::State &aState)
{
  TModelEnv lEnv;
  TOrderBookView lView;
  lView.resize(216, 300);
  lView.show();
  TDepthAnswer lAnswer;
  lAnswer.HasAsks = lAnswer.HasBids = true;
  for (int i = 0; i < 5; ++i) {
    lAnswer.Asks.push_back({101.0 + i, 1.0 + i});
    lAnswer.Bids.push_back({100.0 - i, 2.0 + i});
  }
  OutputDepth(*User->DepthList(), lAnswer);
  lView.RefreshDepth();
  QApplication::processEvents();

  int lTick = 0;
  for (auto _ : aState) {
    aState.PauseTiming();
    for (auto &lLevel : lAnswer.Asks)
      lLevel.second = 1 + (++lTick % 7);
    OutputDepth(*User->DepthList(), lAnswer);
    aState.ResumeTiming();

    lView.RefreshDepth();
    lView.viewport()->repaint();
  }
}
BENCHMARK(BM_OrderBookRefresh)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

} // namespace
