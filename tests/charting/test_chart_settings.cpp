// Chart settings: defaults, copying, the JSON keys, and "now" in the charts' own clock.

#include "chart_settings.h"
#include "sys_time.h"
#include "utils.h"

#include <QDateTime>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <ctime>

namespace {

constexpr double cOneSecond = 1.0 / 86400;

TChartSettingsInfo Sample()
{
  TChartSettingsInfo lInfo;
  lInfo.Background = 0x00010203;
  lInfo.Text = 0x00040506;
  lInfo.Buy = 0x00070809;
  lInfo.Sell = 0x000A0B0C;
  lInfo.Series = 0x000D0E0F;
  lInfo.Grid = 0x00101112;
  lInfo.Bar = 0x00FFFFFF;
  lInfo.Autonomic = true;
  lInfo.ChartOnTop = true;
  lInfo.ChartShift = true;
  lInfo.ChartAutoMove = true;
  lInfo.FixedZoom11 = true;
  lInfo.FixedZoom = true;
  lInfo.PinMin = 0.00012345;
  lInfo.PinMax = 65432.1;
  lInfo.ChartType = ctLine;
  lInfo.ShowOHLC = true;
  lInfo.ShowAsk = true;
  lInfo.ShowPeriods = true;
  lInfo.ShowGrid = true;
  lInfo.ShowVolume = true;
  lInfo.ShowTips = true;
  lInfo.Zoom = z4;
  lInfo.Left = 46000.123456789;
  return lInfo;
}

bool SameFields(const TChartSettingsInfo &a, const TChartSettingsInfo &b)
{
  QJsonObject lA, lB;
  a.Save(lA);
  b.Save(lB);
  return lA == lB;
}

// Sets the process's zone for the C library and Qt alike; restores it when it goes.
class TZoneGuard
{
public:
  explicit TZoneGuard(const char *aZone)
      : fOld(qgetenv("TZ")), fHad(qEnvironmentVariableIsSet("TZ"))
  {
    qputenv("TZ", aZone);
    tzset();
  }
  ~TZoneGuard()
  {
    if (fHad)
      qputenv("TZ", fOld);
    else
      qunsetenv("TZ");
    tzset();
  }

private:
  QByteArray fOld;
  bool fHad;
};

TDateTime UtcPlus3()
{
  const QDateTime lUtc = QDateTime::currentDateTimeUtc();
  const QDate lDate = lUtc.date();
  const QTime lTime = lUtc.time();
  return EncodeDateTime(lDate.year(), lDate.month(), lDate.day(), lTime.hour(), lTime.minute(),
                        lTime.second(), lTime.msec()) +
         3.0 / 24;
}

} // namespace

TEST(ChartSettings, ResetAndAssignLeaveZoomAndLeftEdge)
{
  TChartSettingsInfo lInfo = Sample();
  lInfo.Reset();
  EXPECT_EQ(lInfo.Background, 0x00FFFFFFu);
  EXPECT_EQ(lInfo.Text, 0u);
  EXPECT_EQ(lInfo.Buy, clLtGreen);
  EXPECT_EQ(lInfo.Sell, clLtRed);
  EXPECT_EQ(lInfo.Grid, 0x00808080u);
  EXPECT_EQ(lInfo.Bar, 0u);
  EXPECT_EQ(lInfo.ChartType, ctCandle);
  EXPECT_FALSE(lInfo.ShowGrid || lInfo.FixedZoom || lInfo.ChartShift || lInfo.Autonomic);
  EXPECT_EQ(lInfo.PinMax, 0);
  EXPECT_EQ(lInfo.Zoom, z4);
  EXPECT_EQ(lInfo.Left, 46000.123456789);

  TChartSettingsInfo lCopy;
  lCopy.Zoom = z1;
  lCopy.Left = 7;
  lCopy.Assign(Sample());
  EXPECT_EQ(lCopy.Zoom, z1);
  EXPECT_EQ(lCopy.Left, 7);
  lCopy.Zoom = z4;
  lCopy.Left = Sample().Left;
  EXPECT_TRUE(SameFields(lCopy, Sample()));
}

TEST(ChartSettings, SaveAndLoadKeepEveryFieldUnderItsKey)
{
  QJsonObject lJson{{"symbol", "BTCUSDT"}};
  Sample().Save(lJson);
  EXPECT_EQ(lJson.value("symbol").toString(), "BTCUSDT"); // other keys stay
  for (const char *lKey :
       {"background",  "text",      "buy",        "sell",       "series",        "grid",
        "bar",         "autonomic", "chartOnTop", "chartShift", "chartAutoMove", "fixedZoom11",
        "fixedZoom",   "pinMin",    "pinMax",     "chartType",  "showOHLC",      "showAsk",
        "showPeriods", "showGrid",  "showVolume", "showTips",   "zoom",          "left_bar"})
    EXPECT_TRUE(lJson.contains(lKey)) << lKey;
  EXPECT_EQ(lJson.size(), 25);
  EXPECT_EQ(lJson.value("bar").toInteger(), 16777215);
  EXPECT_EQ(lJson.value("chartType").toInt(), 2);

  TChartSettingsInfo lLoaded;
  lLoaded.Load(lJson);
  EXPECT_TRUE(SameFields(lLoaded, Sample()));
  EXPECT_EQ(lLoaded.Left, Sample().Left);
}

TEST(ChartSettings, MissingKeysGiveZeroAndALeftEdgeOfOneDayBeforeNow)
{
  TChartSettingsInfo lInfo = Sample();
  lInfo.Load(QJsonObject{{"zoom", 42}});
  EXPECT_EQ(lInfo.Background, 0u);
  EXPECT_FALSE(lInfo.ShowVolume);
  EXPECT_EQ(lInfo.ChartType, ctBar);
  EXPECT_EQ(lInfo.Zoom, z5); // an impossible level is brought into the table
  EXPECT_NEAR(lInfo.Left, ChartNow() - 1, 5 * cOneSecond);
}

// The right edge and a fresh left edge come from "now": on the exchange's UTC+3 clock in every
// zone, so that the newest candles are on screen wherever the terminal runs.
TEST(ChartSettings, NowIsUtcPlus3InEveryZone)
{
  for (const char *lZone : {"UTC", "America/New_York", "Asia/Tokyo", "Pacific/Kiritimati",
                            "Europe/Moscow", "America/St_Johns"}) {
    TZoneGuard lGuard(lZone);
    EXPECT_NEAR(ChartNow(), UtcPlus3(), 2 * cOneSecond) << lZone;
    TChartSettingsInfo lInfo;
    lInfo.Load(QJsonObject{});
    EXPECT_NEAR(lInfo.Left, UtcPlus3() - 1, 2 * cOneSecond) << lZone;
  }
}

TEST(ChartSettings, NowFollowsTheExchangeClockOnceSet)
{
  SysTime = std::make_unique<TSysTime>();
  EXPECT_NEAR(ChartNow(), UtcPlus3(), 2 * cOneSecond); // not set yet
  SysTime->SetTime(45000.5);
  EXPECT_EQ(ChartNow(), 45000.5);
  SysTime.reset();
}
