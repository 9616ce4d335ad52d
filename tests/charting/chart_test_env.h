#pragma once

// A chart list on a visible host panel, with charts.json in a private folder and helpers that
// feed klines the way the kline threads do.

#include "chart_item.h"
#include "chart_list.h"
#include "event_pump.h"
#include "events.h"
#include "kline.h"

#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace chart_test {

constexpr std::int64_t cMinute = 60000;

struct TBar
{
  std::int64_t OpenTime;
  double Open, High, Low, Close, Volume = 1;
};

class TChartListTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fHost.resize(1000, 600);
    fHost.show();
    fList = std::make_unique<TChartList>();
    fList->SetWinControl(&fHost);
    fList->SetFileName(fDir.filePath(QStringLiteral("charts.json")));
    fList->Publisher().Subscribe(&fPublished, 0);
  }
  void TearDown() override
  {
    fList.reset();
    PumpFor(10); // windows deleted later
  }

  TChartItem *NewChart(const QString &aSymbol = QStringLiteral("BTCUSDT"))
  {
    TChartItem *lItem = fList->Add();
    lItem->SetSymbol(aSymbol);
    return lItem;
  }
  // Merges a page as the kline thread does and notifies the chart.
  static void Feed(TChartItem &aItem, const std::vector<TBar> &aBars)
  {
    for (const TBar &lBar : aBars) {
      TKlineValues lValues;
      lValues.OpenTime = lBar.OpenTime;
      lValues.Open = lBar.Open;
      lValues.High = lBar.High;
      lValues.Low = lBar.Low;
      lValues.Close = lBar.Close;
      lValues.Volume = lBar.Volume;
      aItem.KlineList().Merge(lValues);
    }
    aItem.OnNotify(BASE_MAIN_KLINES, 0);
  }
  // aCount one-minute klines ending at aLast, rising by 1 each, volume i + 1.
  static std::vector<TBar> Minutes(std::int64_t aLast, int aCount)
  {
    std::vector<TBar> lBars;
    for (int i = 0; i < aCount; ++i) {
      const double lBase = 100 + i;
      lBars.push_back({aLast - (aCount - 1 - i) * cMinute, lBase, lBase + 2, lBase - 2, lBase + 1,
                       double(i + 1)});
    }
    return lBars;
  }

  QWidget fHost;
  QTemporaryDir fDir;
  std::unique_ptr<TChartList> fList;
  TEventRecorder fPublished;
};

} // namespace chart_test
