#pragma once

// Notification event IDs; Data meaning per event is noted where it is not empty.
inline constexpr int BASE_MAIN_SYSTIME = 100; // TDateTime* server time
inline constexpr int BASE_MAIN_SYMBOLS = 110;
inline constexpr int BASE_MAIN_VOLUMES = 115;
inline constexpr int BASE_MAIN_KLINES = 120;
inline constexpr int BASE_MAIN_TICKERPRICE = 130;
inline constexpr int BASE_MAIN_USERORDERS = 140;
inline constexpr int BASE_MAIN_USERORDERSHISTORY = 145;
inline constexpr int BASE_MAIN_BALANCES = 150;
inline constexpr int BASE_MAIN_DEPTH = 160;
// const QString* status text after an order request: the refusal text, or empty once an
// order succeeded again
inline constexpr int BASE_MAIN_ORDER_RESULT = 190;
inline constexpr int BASE_MAIN_CHART_TYPE = 260; // 0 candles, 1 bars, 2 line
inline constexpr int BASE_MAIN_REFRESH_ACTIVE_WINDOW = 270;
inline constexpr int BASE_MAIN_ZOOM_REFRESH = 271;
inline constexpr int BASE_MAIN_INTERVALS_REFRESH = 276;
inline constexpr int BASE_MAIN_INDICATOR_REFRESH = 278;
inline constexpr int BASE_MAIN_TABS_REFRESH = 279;
inline constexpr int ORDER_BOOK_TICKER = 300;
inline constexpr int MAIN_FORM_CHART_REFRESH = 310; // the chart item
