// The two largest answers, read straight from their text. A general JSON tree costs several
// times the parse itself here (string copies, key searches, number conversions through QString),
// and the all-symbol prices arrive every second.
#include "market_data.h"

#include "symbol.h"

#include <QHash>

#include <simdjson.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace {

namespace dom = simdjson::dom;

// A parser's buffers take some ten times the text, and fresh memory costs more to fault in than
// the parse itself: one parser with its padded copy of the text is kept for the next answer,
// unless an answer far larger than the exchange's all-symbol lists made it grow.
constexpr size_t cKeptCapacity = size_t{16} << 20;

struct TParserKit
{
  dom::parser Parser;
  std::vector<char> Text; // the answer and the padding the parser reads past its end
};

class TParserLease
{
public:
  TParserLease()
  {
    std::lock_guard lLock(sLock);
    fKit = std::move(sKept);
    if (!fKit)
      fKit = std::make_unique<TParserKit>();
  }
  ~TParserLease()
  {
    if (fKit->Parser.capacity() > cKeptCapacity)
      return;
    std::lock_guard lLock(sLock);
    sKept = std::move(fKit);
  }
  TParserLease(const TParserLease &) = delete;
  TParserLease &operator=(const TParserLease &) = delete;

  // The whole text is validated before anything is read, as a JSON tree would be: a damaged
  // answer yields nothing rather than part of its elements.
  dom::element Parse(QByteArrayView aText)
  {
    const auto lSize = static_cast<size_t>(aText.size());
    fKit->Text.resize(lSize + simdjson::SIMDJSON_PADDING);
    std::memcpy(fKit->Text.data(), aText.data(), lSize);
    dom::element lRoot;
    if (fKit->Parser.parse(fKit->Text.data(), lSize, false).get(lRoot))
      throw TJsonTextError();
    return lRoot;
  }

private:
  std::unique_ptr<TParserKit> fKit;
  static inline std::mutex sLock;
  static inline std::unique_ptr<TParserKit> sKept;
};

// As JsonNumber: a number, or a decimal string with "."; anything else, unreadable or not
// finite reads as 0.
double TextNumber(std::string_view aText)
{
  double lValue = 0;
  const auto [lEnd, lError] = std::from_chars(aText.data(), aText.data() + aText.size(), lValue);
  if (lError == std::errc() && lEnd == aText.data() + aText.size())
    return std::isfinite(lValue) ? lValue : 0;
  // What the fast reader refuses (spaces, a leading "+") is read as the JSON tree reads it.
  bool lOk = false;
  lValue = QString::fromUtf8(aText.data(), static_cast<qsizetype>(aText.size())).toDouble(&lOk);
  return lOk && std::isfinite(lValue) ? lValue : 0;
}

double Number(dom::element aValue)
{
  switch (aValue.type()) {
  case dom::element_type::DOUBLE:
  case dom::element_type::INT64:
  case dom::element_type::UINT64: {
    const double lValue = aValue.get_double().value_unsafe();
    return std::isfinite(lValue) ? lValue : 0;
  }
  case dom::element_type::STRING:
    return TextNumber(aValue.get_string().value_unsafe());
  default:
    return 0;
  }
}

// The name and its index key (TSymbolList::Key) in one pass for the usual ASCII names.
bool ReadSymbol(dom::element aValue, QString &aSymbol, QString &aKey)
{
  std::string_view lText;
  if (aValue.get_string().get(lText) || lText.empty())
    return false;
  const auto lSize = static_cast<qsizetype>(lText.size());
  bool lAscii = true;
  for (const char lChar : lText)
    lAscii = lAscii && static_cast<unsigned char>(lChar) < 0x80;
  if (!lAscii) {
    aSymbol = QString::fromUtf8(lText.data(), lSize);
    aKey = TSymbolList::Key(aSymbol);
    return !aSymbol.isEmpty();
  }
  aSymbol = QString(lSize, Qt::Uninitialized);
  aKey = QString(lSize, Qt::Uninitialized);
  QChar *lName = aSymbol.data();
  QChar *lKey = aKey.data();
  for (qsizetype i = 0; i < lSize; ++i) {
    const char lChar = lText[static_cast<size_t>(i)];
    lName[i] = QLatin1Char(lChar);
    lKey[i] = QLatin1Char(lChar >= 'A' && lChar <= 'Z' ? static_cast<char>(lChar + 32) : lChar);
  }
  return true;
}

} // namespace

std::vector<TPriceTick> ParseTickerPrices(QByteArrayView aText)
{
  TParserLease lLease;
  const dom::element lRoot = lLease.Parse(aText);
  std::vector<TPriceTick> lResult;
  dom::array lAnswer;
  if (lRoot.get_array().get(lAnswer))
    return lResult;
  lResult.reserve(lAnswer.size());
  for (const dom::element lValue : lAnswer) {
    dom::object lElement;
    if (lValue.get_object().get(lElement))
      continue;
    TPriceTick lTick;
    bool lNamed = false;
    for (const dom::key_value_pair lField : lElement) {
      if (lField.key == "symbol")
        lNamed = ReadSymbol(lField.value, lTick.Symbol, lTick.Key);
      else if (lField.key == "price")
        lTick.Price = Number(lField.value);
    }
    if (lNamed)
      lResult.push_back(std::move(lTick));
  }
  return lResult;
}

std::vector<TTicker24hr> ParseTicker24hr(QByteArrayView aText)
{
  TParserLease lLease;
  const dom::element lRoot = lLease.Parse(aText);
  std::vector<TTicker24hr> lResult;
  dom::array lAnswer;
  if (lRoot.get_array().get(lAnswer))
    return lResult;
  lResult.reserve(lAnswer.size());
  // Repeated names are found here, off the GUI thread, so the rebuild needs no lookups.
  QHash<QString, int> lSeen;
  lSeen.reserve(static_cast<qsizetype>(lAnswer.size()));
  for (const dom::element lValue : lAnswer) {
    dom::object lElement;
    if (lValue.get_object().get(lElement))
      continue;
    TTicker24hr lTick;
    bool lNamed = false;
    // One pass over the fields; the answer has some twenty of which seven are read.
    for (const dom::key_value_pair lField : lElement) {
      const std::string_view lKey = lField.key;
      if (lKey == "symbol")
        lNamed = ReadSymbol(lField.value, lTick.Symbol, lTick.Key);
      else if (lKey == "priceChangePercent")
        lTick.PriceChangePercent = Number(lField.value);
      else if (lKey == "lastPrice")
        lTick.LastPrice = Number(lField.value);
      else if (lKey == "bidPrice")
        lTick.BidPrice = Number(lField.value);
      else if (lKey == "askPrice")
        lTick.AskPrice = Number(lField.value);
      else if (lKey == "highPrice")
        lTick.HighPrice = Number(lField.value);
      else if (lKey == "lowPrice")
        lTick.LowPrice = Number(lField.value);
      else if (lKey == "quoteVolume")
        lTick.QuoteVolume = Number(lField.value);
    }
    if (!lNamed)
      continue;
    const auto lSeenAt = lSeen.constFind(lTick.Key);
    if (lSeenAt != lSeen.constEnd())
      lTick.First = *lSeenAt;
    else
      lSeen.insert(lTick.Key, static_cast<int>(lResult.size()));
    lResult.push_back(std::move(lTick));
  }
  return lResult;
}
