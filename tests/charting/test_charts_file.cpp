// charts.json: the keys of each chart, the settings beside them, the indicators, and files
// with parts missing.

#include "chart_settings.h"
#include "charts_file.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class ChartsFile : public ::testing::Test
{
protected:
  QString Write(const QByteArray &aText)
  {
    QFile lFile(FileName());
    EXPECT_TRUE(lFile.open(QIODevice::WriteOnly));
    lFile.write(aText);
    return FileName();
  }
  QString FileName() const { return fDir.filePath("charts.json"); }
  QTemporaryDir fDir;
};

} // namespace

TEST_F(ChartsFile, RoundTripKeepsEveryChartInOrder)
{
  TChartsFile lFile;
  lFile.Full = true;
  for (int i = 0; i < 3; ++i) {
    TChartRecord &lRecord = lFile.Charts.emplace_back();
    lRecord.Symbol = QStringLiteral("SYM%1USDT").arg(i);
    lRecord.Interval = static_cast<TChartInterval>(i * 7);
    lRecord.Bounds = QRect(8 * i, 16, 496, 296 - i * 8);
    lRecord.State = i;
    lRecord.Settings.Reset();
    lRecord.Settings.Zoom = static_cast<TZoom>(i + 2);
    lRecord.Settings.Left = 46000.25 + i;
    lRecord.Settings.ShowVolume = i == 1;
    lRecord.Indicators = QJsonArray{QJsonObject{{"kind", i}}};
  }
  lFile.Write(FileName());

  const QJsonObject lRoot = QJsonDocument::fromJson([&] {
                              QFile f(FileName());
                              f.open(QIODevice::ReadOnly);
                              return f.readAll();
                            }())
                                .object();
  const QJsonObject lFirst = lRoot.value("charts").toArray().at(0).toObject();
  for (const char *lKey : {"symbol", "interval", "left", "top", "width", "height", "state",
                           "background", "zoom", "left_bar", "indicators"})
    EXPECT_TRUE(lFirst.contains(lKey)) << lKey;
  EXPECT_TRUE(lRoot.value("full").toBool());

  const TChartsFile lRead = TChartsFile::Read(FileName());
  EXPECT_TRUE(lRead.Full);
  ASSERT_EQ(lRead.Charts.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    const TChartRecord &a = lFile.Charts[i];
    const TChartRecord &b = lRead.Charts[i];
    EXPECT_EQ(b.Symbol, a.Symbol);
    EXPECT_EQ(b.Interval, a.Interval);
    EXPECT_EQ(b.Bounds, a.Bounds);
    EXPECT_EQ(b.State, a.State);
    EXPECT_EQ(b.Settings.Zoom, a.Settings.Zoom);
    EXPECT_EQ(b.Settings.Left, a.Settings.Left);
    EXPECT_EQ(b.Settings.ShowVolume, a.Settings.ShowVolume);
    EXPECT_EQ(b.Settings.Buy, clLtGreen);
    EXPECT_TRUE(b.HasIndicators);
    EXPECT_EQ(b.Indicators, a.Indicators);
  }
}

TEST_F(ChartsFile, PartsMissing)
{
  // An empty "charts": no chart, the mode from "full".
  TChartsFile lEmpty = TChartsFile::Read(Write(R"({"charts":[],"full":true})"));
  EXPECT_TRUE(lEmpty.HasCharts);
  EXPECT_TRUE(lEmpty.Full);
  EXPECT_TRUE(lEmpty.Charts.empty());
  // No "charts" at all: nothing more is read.
  TChartsFile lNone = TChartsFile::Read(Write(R"({"full":true})"));
  EXPECT_FALSE(lNone.HasCharts);
  EXPECT_FALSE(lNone.Full);
  // A chart without "interval" or "indicators"; out-of-range values are brought into range.
  TChartsFile lBare = TChartsFile::Read(
      Write(R"({"charts":[{"symbol":"ETHBTC","state":2},{"interval":99,"state":-4}]})"));
  ASSERT_EQ(lBare.Charts.size(), 2u);
  EXPECT_EQ(lBare.Charts[0].Interval, m1);
  EXPECT_EQ(lBare.Charts[0].State, 2);
  EXPECT_FALSE(lBare.Charts[0].HasIndicators);
  EXPECT_EQ(lBare.Charts[1].Interval, Month1);
  EXPECT_EQ(lBare.Charts[1].State, 0);
}

TEST_F(ChartsFile, UnreadableFileNamesItself)
{
  Write("{not json");
  try {
    TChartsFile::Read(FileName());
    FAIL() << "no error";
  } catch (const std::runtime_error &e) {
    EXPECT_STREQ(e.what(), "error reading charts.json");
  }
}
