#include "consts.h"

const std::array<const char *, 4> cMessageType = {"ALERT", "INFO", "", ""};

const std::array<const char *, cChartIntervalCount> TChartIntervalStr = {
    "1m", "3m", "5m", "15m", "30m", "1h", "2h", "4h", "6h", "8h", "12h", "1d", "3d", "1w", "1M"};

const std::array<const char *, cChartIntervalCount> TChartIntervalStrEx = {
    "M1", "M3", "M5", "M15", "M30", "H1", "H2", "H4", "H6", "H8", "H12", "D1", "D3", "W1", "Month"};
