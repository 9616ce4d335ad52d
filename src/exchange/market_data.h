#pragma once

// The market-data answers read into plain values on the request's worker, and their output
// into the model on the GUI thread. Kept apart from the threads so that tests and benchmarks
// drive them without a network.

#include "consts.h"
#include "market_json.h"

#include <QByteArrayView>
#include <QString>

#include <utility>
#include <vector>

class QJsonArray;
class QJsonValue;
class TDepthList;
class TSymbolList;
class TSymbolShowList;
class TVolumeList;

// One element of the all-symbol price answer.
struct TPriceTick
{
  QString Symbol;
  QString Key; // the symbol list's index key of Symbol
  double Price = 0;
};

// One element of the 24-hour statistics answer.
struct TTicker24hr
{
  QString Symbol;
  QString Key;
  double PriceChangePercent = 0;
  double LastPrice = 0;
  double BidPrice = 0;
  double AskPrice = 0;
  double HighPrice = 0;
  double LowPrice = 0;
  double QuoteVolume = 0;
  // The position of an earlier element of the same answer with the same Key, or -1.
  int First = -1;
};

// The order book answer; a side that is missing is flagged, not invented.
struct TDepthAnswer
{
  bool HasAsks = false;
  bool HasBids = false;
  std::vector<std::pair<double, double>> Asks; // price, quantity in reply order
  std::vector<std::pair<double, double>> Bids;
};

// The answers' UTF-8 text read into values; TJsonTextError when it is no JSON document. Elements
// without a symbol name are left out: they name nothing to write to. A document that is not an
// array yields no elements.
std::vector<TPriceTick> ParseTickerPrices(QByteArrayView aText);
std::vector<TTicker24hr> ParseTicker24hr(QByteArrayView aText);
TDepthAnswer ParseDepth(const QJsonValue &aAnswer);

// The colour of a price move: white unchanged, light green up, light red down.
TColor PriceMoveColor(double aOldPrice, double aNewPrice);

// Writes last prices and colours, adding unknown symbols; fills an empty show list.
void OutputTickerPrices(TSymbolShowList &aShowList, const std::vector<TPriceTick> &aTicks);
// One symbol's price (a request without a chart): only a known symbol is updated.
// Answers whether it was.
bool OutputSymbolPrice(TSymbolShowList &aShowList, const QString &aSymbol, double aPrice);
// Rebuilds the symbol list from the answer in one bulk update, re-links the show list to the
// rebuilt symbols (or fills it when empty). The volume monitor's figures of a symbol survive
// the rebuild. An answer that names no symbol leaves the list as it was. aTicks as
// ParseTicker24hr reads them: First marks the repeats.
void OutputTicker24hr(TSymbolShowList &aShowList, const std::vector<TTicker24hr> &aTicks);
// The volume monitor rule for one answer; aNow is the local time of the signals.
void OutputVolumes(TSymbolList &aSymbols, TVolumeList &aVolumes,
                   const std::vector<TTicker24hr> &aTicks, TDateTime aNow);
// Whether the volume monitor watches a symbol: a coin quoted in BTC ("BTC" only at the end).
bool IsBtcQuoted(const QString &aSymbol);
// Replaces the book: asks reversed on top, bids below, MaxQuantity the largest quantity.
// Raises "TUser.Depth: lSideNode not assigned" without touching the book when a side is
// missing.
void OutputDepth(TDepthList &aDepth, const TDepthAnswer &aAnswer);

inline const QString cDepthSideMissing = QStringLiteral("TUser.Depth: lSideNode not assigned");
