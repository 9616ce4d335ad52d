#pragma once

#include <QString>

#include <array>
#include <cstdint>

// Days since 30 Dec 1899 00:00, the fraction being the time of day.
using TDateTime = double;

enum class TMessageType { mtAlert = 0, mtInfo = 1, mtConfirm = 2, mtYesNoCancel = 3 };
using enum TMessageType;

// Level names as they appear in Debug.log.
extern const std::array<const char *, 4> cMessageType;

enum class TUserAuth { uaUndefined = 0, uaAuth = 1, uaUnauth = 2 };
using enum TUserAuth;

enum class TChartInterval { m1 = 0, m3, m5, m15, m30, h1, h2, h4, h6, h8, h12, d1, d3, w1, Month1 };
using enum TChartInterval;
inline constexpr int cChartIntervalCount = 15;

// Codes sent to the exchange and shown in chart captions.
extern const std::array<const char *, cChartIntervalCount> TChartIntervalStr;
// Codes shown to the user on chart tabs.
extern const std::array<const char *, cChartIntervalCount> TChartIntervalStrEx;

inline const char *IntervalStr(TChartInterval aInterval)
{
  return TChartIntervalStr[static_cast<int>(aInterval)];
}
inline const char *IntervalStrEx(TChartInterval aInterval)
{
  return TChartIntervalStrEx[static_cast<int>(aInterval)];
}

enum class TZoom { z0 = 0, z1, z2, z3, z4, z5 };
using enum TZoom;
inline constexpr int cZoomCount = 6;

// Candles across a full screen width, and the zoom shown to the user in percent.
inline constexpr std::array<int, cZoomCount> cZoomCandles = {31, 62, 125, 250, 500, 1000};
inline constexpr std::array<int, cZoomCount> cZoom = {800, 400, 200, 100, 50, 25};

// Colours are $00BBGGRR values.
using TColor = std::uint32_t;
inline constexpr TColor clLtRed = 0x00D8C0F1;   // 14205169
inline constexpr TColor clLtGreen = 0x00C0F1D8; // 12644824
inline constexpr TColor clWhite = 0x00FFFFFF;

inline const QString cAppTitle = QStringLiteral("Vexa");
inline const QString cDefaultServerURL = QStringLiteral("https://api.binance.com");
