#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace vexa::sim {

// The parameters of one request, read as the exchange reads them: from the raw query string
// and, for a form-urlencoded body, from the body; the query wins when a name is in both.
// Every getter marks its parameter as read; CheckAllRead() then refuses anything unread.
class TRequestParams
{
public:
  // Throws TApiError -1101 when a name repeats within the query or within the body.
  TRequestParams(std::string_view aRawQuery, std::string_view aRawBody, bool aBodyIsForm);

  bool Has(const std::string &aName) const;
  // The value without marking it read (for weights, which are known before any check).
  std::optional<std::string> Peek(const std::string &aName) const;
  // Optional parameter; an empty value counts as absent for Has() but is refused by getters.
  std::optional<std::string> Text(const std::string &aName);
  std::string RequiredText(const std::string &aName);

  // DECIMAL parameters: -1100 when the pattern fails, -1111 beyond 8 decimals.
  std::optional<int64_t> Decimal(const std::string &aName);
  int64_t RequiredDecimal(const std::string &aName);
  // Integer parameters (ids, limits, times).
  std::optional<int64_t> Integer(const std::string &aName);
  // Times in ms; values of 16 digits or more are taken as microseconds.
  std::optional<int64_t> Time(const std::string &aName);
  // A symbol name, checked against the exchange's pattern (-1100).
  std::optional<std::string> Symbol(const std::string &aName = "symbol");
  std::string RequiredSymbol();
  // A JSON array of symbol names, as in symbols=["BTCUSDT","ETHUSDT"].
  std::optional<std::vector<std::string>> SymbolList(const std::string &aName = "symbols");

  // Marks a parameter read without interpreting it (signature, timestamp...).
  void MarkRead(const std::string &aName);
  // -1104 when a sent parameter was never read.
  void CheckAllRead() const;
  size_t Count() const { return fValues.size(); }
  // The raw text of the query and body as signed: the signature parameter removed.
  const std::string &SignedPayload() const { return fPayload; }

private:
  struct TValue
  {
    std::string fName;
    std::string fValue;
  };

  const TValue *Find(const std::string &aName) const;
  static std::vector<TValue> Split(std::string_view aText, bool aPlusIsSpace);
  static std::string StripSignature(std::string_view aText);

  std::vector<TValue> fValues;
  std::set<std::string> fRead;
  std::string fPayload;
};

std::string PercentDecode(std::string_view aText, bool aPlusIsSpace);

} // namespace vexa::sim
