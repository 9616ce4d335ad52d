// Market data for 3,000 symbols: the worker's parse and the GUI thread's output of the
// all-symbol price answer and of the 24-hour answer, and the merge of a kline page.

#include "kline.h"
#include "market_data.h"
#include "symbol_show_list.h"

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int cSymbols = 3000;
constexpr std::int64_t cMinute = 60000;

QString SymbolName(int aIndex)
{
  static const char *const cQuotes[] = {"BTC", "USDT", "ETH", "BNB", "FDUSD"};
  return QStringLiteral("C%1X%2").arg(aIndex * 7919 % 100000).arg(aIndex) +
         QString::fromLatin1(cQuotes[aIndex % 5]);
}

QByteArray PriceAnswer(double aFactor)
{
  QJsonArray lAnswer;
  for (int i = 0; i < cSymbols; ++i)
    lAnswer.append(QJsonObject{{"symbol", SymbolName(i)},
                               {"price", QString::number((i + 1) * 0.013 * aFactor, 'f', 8)}});
  return QJsonDocument(lAnswer).toJson(QJsonDocument::Compact);
}

QByteArray Ticker24hrAnswer()
{
  QJsonArray lAnswer;
  for (int i = 0; i < cSymbols; ++i) {
    const double lPrice = (i + 1) * 0.013;
    lAnswer.append(QJsonObject{{"symbol", SymbolName(i)},
                               {"priceChange", "-0.00100000"},
                               {"priceChangePercent", "-3.003"},
                               {"weightedAvgPrice", QString::number(lPrice, 'f', 8)},
                               {"prevClosePrice", QString::number(lPrice, 'f', 8)},
                               {"lastPrice", QString::number(lPrice, 'f', 8)},
                               {"lastQty", "0.20083000"},
                               {"bidPrice", QString::number(lPrice * 0.999, 'f', 8)},
                               {"bidQty", "0.34024000"},
                               {"askPrice", QString::number(lPrice * 1.001, 'f', 8)},
                               {"askQty", "0.64537000"},
                               {"openPrice", QString::number(lPrice, 'f', 8)},
                               {"highPrice", QString::number(lPrice * 1.05, 'f', 8)},
                               {"lowPrice", QString::number(lPrice * 0.95, 'f', 8)},
                               {"volume", "53076.84650000"},
                               {"quoteVolume", "3289695271.67717710"},
                               {"openTime", qint64(1634858001452)},
                               {"closeTime", qint64(1634944401452)},
                               {"firstId", qint64(1109901940)},
                               {"lastId", qint64(1111482582)},
                               {"count", 1580643}});
  }
  return QJsonDocument(lAnswer).toJson(QJsonDocument::Compact);
}

// The worker's share: the answer's text (as the thread holds it) to the values the output copies.
void BM_TickerPriceParse(benchmark::State &aState)
{
  const QString lText = QString::fromUtf8(PriceAnswer(1.0));
  for (auto _ : aState) {
    auto lTicks = ParseTickerPrices(lText.toUtf8());
    benchmark::DoNotOptimize(lTicks.data());
  }
}

// The yardstick of the worker's parse: the JSON library alone on the same bytes.
void BareParse(benchmark::State &aState, const QByteArray &aBytes)
{
  for (auto _ : aState) {
    const QJsonDocument lDocument = QJsonDocument::fromJson(aBytes);
    benchmark::DoNotOptimize(lDocument.isArray());
  }
}

void BM_TickerPriceBare(benchmark::State &aState)
{
  BareParse(aState, PriceAnswer(1.0));
}

void BM_Ticker24hrBare(benchmark::State &aState)
{
  BareParse(aState, Ticker24hrAnswer());
}

// The GUI thread's share, once every symbol is known: lookups, colours, prices.
void BM_TickerPriceMain(benchmark::State &aState)
{
  TSymbolShowList lShowList;
  const auto lUp = ParseTickerPrices(PriceAnswer(1.01));
  const auto lDown = ParseTickerPrices(PriceAnswer(0.99));
  OutputTicker24hr(lShowList, ParseTicker24hr(Ticker24hrAnswer()));
  bool lRise = true;
  for (auto _ : aState) {
    OutputTickerPrices(lShowList, lRise ? lUp : lDown);
    lRise = !lRise;
  }
  aState.counters["symbols"] = lShowList.SymbolList().Count();
}

void BM_Ticker24hrParse(benchmark::State &aState)
{
  const QString lText = QString::fromUtf8(Ticker24hrAnswer());
  for (auto _ : aState) {
    auto lTicks = ParseTicker24hr(lText.toUtf8());
    benchmark::DoNotOptimize(lTicks.data());
  }
}

// The rebuild of the whole symbol list with a full show list to re-link.
void BM_Ticker24hrMain(benchmark::State &aState)
{
  TSymbolShowList lShowList;
  const auto lTicks = ParseTicker24hr(Ticker24hrAnswer());
  OutputTicker24hr(lShowList, lTicks);
  for (auto _ : aState)
    OutputTicker24hr(lShowList, lTicks);
  aState.counters["shown"] = lShowList.Count();
}

std::vector<TKlineValues> Page(std::int64_t aLastOpen, int aCount)
{
  std::vector<TKlineValues> lPage;
  for (std::int64_t t = aLastOpen - (aCount - 1) * cMinute; t <= aLastOpen; t += cMinute) {
    TKlineValues &lValues = lPage.emplace_back();
    lValues.OpenTime = t;
    lValues.Open = lValues.High = lValues.Low = lValues.Close = 1.5;
    lValues.CloseTime = t + cMinute - 1;
  }
  return lPage;
}

// A 3,000-kline list as a history load leaves it: newest page first, older pages after.
void FillHistory(TKlineList &aList, std::int64_t aNewest)
{
  std::int64_t lEnd = aNewest;
  while (aList.Count() < 3000) {
    for (const TKlineValues &lValues : Page(lEnd, 500))
      aList.Merge(lValues);
    lEnd = aList.MinDate();
  }
}

// A page that is already held: every kline is found and overwritten in place.
void BM_KlinePageMergeHeld(benchmark::State &aState)
{
  const std::int64_t lNewest = 1'700'000'000'000 - 1'700'000'000'000 % cMinute;
  TKlineList lList;
  FillHistory(lList, lNewest);
  const auto lPage = Page(lNewest, 500);
  for (auto _ : aState) {
    lList.BeginUpdate();
    for (const TKlineValues &lValues : lPage)
      lList.Merge(lValues);
    lList.EndUpdate();
  }
  aState.counters["klines"] = lList.Count();
}

// The next older history page: one kline found, 499 appended (the list is rebuilt untimed).
void BM_KlinePageMergeOlder(benchmark::State &aState)
{
  const std::int64_t lNewest = 1'700'000'000'000 - 1'700'000'000'000 % cMinute;
  for (auto _ : aState) {
    aState.PauseTiming();
    auto lList = std::make_unique<TKlineList>();
    FillHistory(*lList, lNewest);
    const auto lPage = Page(lList->MinDate(), 500);
    aState.ResumeTiming();
    lList->BeginUpdate();
    for (const TKlineValues &lValues : lPage)
      lList->Merge(lValues);
    lList->EndUpdate();
    aState.PauseTiming();
    lList.reset();
    aState.ResumeTiming();
  }
}

} // namespace

#define VEXA_BENCH(aFunction, aName)                                                               \
  BENCHMARK(aFunction)->Name(aName)->Unit(benchmark::kMicrosecond)

VEXA_BENCH(BM_TickerPriceBare, "BM_TickerPriceOutput/bare_parse");
VEXA_BENCH(BM_TickerPriceParse, "BM_TickerPriceOutput/worker_parse");
VEXA_BENCH(BM_TickerPriceMain, "BM_TickerPriceOutput/main_output");
VEXA_BENCH(BM_Ticker24hrBare, "BM_Ticker24hrOutput/bare_parse");
VEXA_BENCH(BM_Ticker24hrParse, "BM_Ticker24hrOutput/worker_parse");
VEXA_BENCH(BM_Ticker24hrMain, "BM_Ticker24hrOutput/main_output");
VEXA_BENCH(BM_KlinePageMergeHeld, "BM_KlinePageMerge/held_page");
VEXA_BENCH(BM_KlinePageMergeOlder, "BM_KlinePageMerge/older_page");

BENCHMARK_MAIN();
