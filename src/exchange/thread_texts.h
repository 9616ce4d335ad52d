#pragma once

#include <QString>

// When the standard template checks that the workflow is working.
enum class TRunStateCheck {
  rcNone = 0,      // never
  rcStart = 1,     // before building the query
  rcThroughout = 2 // before the query, before parsing and before notifying
};
using enum TRunStateCheck;

// When the standard template runs DoNotify after parsing.
enum class TNotifyWhen {
  nwNever = 0,
  nwAlways = 1,   // also after an empty answer: the views redraw unchanged data
  nwAnswered = 2, // the answer was not empty and the workflow is still working
  nwChartOpen = 3 // the chart is still open and the thread not terminated
};
using enum TNotifyWhen;

// One request class's row of the template's table of differences. The texts are this
// system's log texts; several classes share the ticker-price or order-post texts.
struct TThreadTexts
{
  TRunStateCheck RunState;
  TNotifyWhen Notify;
  QString CommandError;    // prefix of the transport's error text
  QString MissingDocument; // raised when the answer is no JSON document; empty: not raised
  QString EmptyResponse;   // logged when the answer is empty
};

extern const TThreadTexts cPingThreadTexts;
extern const TThreadTexts cTickerPriceThreadTexts;
extern const TThreadTexts cTicker24hrThreadTexts;
extern const TThreadTexts cTicker24hrVolumeThreadTexts;
extern const TThreadTexts cTickerBookTickerThreadTexts;
extern const TThreadTexts cDepthThreadTexts;
extern const TThreadTexts cKlinesThreadTexts;
extern const TThreadTexts cOpenOrdersThreadTexts;
extern const TThreadTexts cAllOrdersThreadTexts;
extern const TThreadTexts cAccountThreadTexts;
extern const TThreadTexts cOrderPostThreadTexts;
extern const TThreadTexts cOrderDeleteThreadTexts;

// The account answer without its "balances" member.
inline const QString cAccountBalanceNodeMissing =
    QStringLiteral("TUser.Account: lBalanceNode not assigned");
