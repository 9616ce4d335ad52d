#include "params.h"

#include "api_error.h"
#include "decimal.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace vexa::sim {

namespace {

constexpr std::string_view cSymbolPattern = "^[A-Z0-9-_.]{1,20}$";
constexpr std::string_view cSymbolsPattern =
    "^\\[(\"[A-Z0-9-_.]{1,20}\"(,\"[A-Z0-9-_.]{1,20}\"){0,}){0,1}\\]$";

int HexValue(char aChar)
{
  if (aChar >= '0' && aChar <= '9') {
    return aChar - '0';
  }
  if (aChar >= 'a' && aChar <= 'f') {
    return aChar - 'a' + 10;
  }
  if (aChar >= 'A' && aChar <= 'F') {
    return aChar - 'A' + 10;
  }
  return -1;
}

bool IsSymbolName(std::string_view aText)
{
  if (aText.empty() || aText.size() > 20) {
    return false;
  }
  return std::all_of(aText.begin(), aText.end(), [](char aChar) {
    return (aChar >= 'A' && aChar <= 'Z') || (aChar >= '0' && aChar <= '9') || aChar == '-' ||
           aChar == '_' || aChar == '.';
  });
}

} // namespace

std::string PercentDecode(std::string_view aText, bool aPlusIsSpace)
{
  std::string lOut;
  lOut.reserve(aText.size());
  for (size_t i = 0; i < aText.size(); ++i) {
    const char lChar = aText[i];
    if (lChar == '%' && i + 2 < aText.size()) {
      const int lHigh = HexValue(aText[i + 1]);
      const int lLow = HexValue(aText[i + 2]);
      if (lHigh >= 0 && lLow >= 0) {
        lOut.push_back(static_cast<char>(lHigh * 16 + lLow));
        i += 2;
        continue;
      }
    }
    lOut.push_back(aPlusIsSpace && lChar == '+' ? ' ' : lChar);
  }
  return lOut;
}

std::vector<TRequestParams::TValue> TRequestParams::Split(std::string_view aText, bool aPlusIsSpace)
{
  std::vector<TValue> lValues;
  size_t lPos = 0;
  while (lPos < aText.size()) {
    size_t lEnd = aText.find('&', lPos);
    if (lEnd == std::string_view::npos) {
      lEnd = aText.size();
    }
    const std::string_view lPart = aText.substr(lPos, lEnd - lPos);
    if (!lPart.empty()) {
      const size_t lEq = lPart.find('=');
      TValue lValue;
      lValue.fName = PercentDecode(lPart.substr(0, lEq), aPlusIsSpace);
      lValue.fValue = lEq == std::string_view::npos
                          ? std::string()
                          : PercentDecode(lPart.substr(lEq + 1), aPlusIsSpace);
      for (const TValue &lOther : lValues) {
        if (lOther.fName == lValue.fName) {
          throw TApiError::Bad(-1101, "Duplicate values for a parameter detected.");
        }
      }
      lValues.push_back(std::move(lValue));
    }
    lPos = lEnd + 1;
  }
  return lValues;
}

std::string TRequestParams::StripSignature(std::string_view aText)
{
  std::string lOut;
  size_t lPos = 0;
  while (lPos < aText.size()) {
    size_t lEnd = aText.find('&', lPos);
    if (lEnd == std::string_view::npos) {
      lEnd = aText.size();
    }
    const std::string_view lPart = aText.substr(lPos, lEnd - lPos);
    const std::string_view lName = lPart.substr(0, lPart.find('='));
    if (lName != "signature") {
      if (!lOut.empty()) {
        lOut.push_back('&');
      }
      lOut.append(lPart);
    }
    lPos = lEnd + 1;
  }
  return lOut;
}

TRequestParams::TRequestParams(std::string_view aRawQuery, std::string_view aRawBody,
                               bool aBodyIsForm)
{
  fValues = Split(aRawQuery, false);
  fPayload = StripSignature(aRawQuery);
  if (aBodyIsForm) {
    for (TValue &lValue : Split(aRawBody, true)) {
      if (Find(lValue.fName) == nullptr) {
        fValues.push_back(std::move(lValue));
      }
    }
    fPayload += StripSignature(aRawBody);
  }
}

const TRequestParams::TValue *TRequestParams::Find(const std::string &aName) const
{
  for (const TValue &lValue : fValues) {
    if (lValue.fName == aName) {
      return &lValue;
    }
  }
  return nullptr;
}

bool TRequestParams::Has(const std::string &aName) const
{
  const TValue *lValue = Find(aName);
  return lValue != nullptr && !lValue->fValue.empty();
}

std::optional<std::string> TRequestParams::Peek(const std::string &aName) const
{
  const TValue *lValue = Find(aName);
  if (lValue == nullptr) {
    return std::nullopt;
  }
  return lValue->fValue;
}

void TRequestParams::MarkRead(const std::string &aName)
{
  fRead.insert(aName);
}

std::optional<std::string> TRequestParams::Text(const std::string &aName)
{
  const TValue *lValue = Find(aName);
  if (lValue == nullptr) {
    return std::nullopt;
  }
  fRead.insert(aName);
  if (lValue->fValue.empty()) {
    throw TApiError::Bad(-1105, "Parameter '" + aName + "' was empty.");
  }
  return lValue->fValue;
}

std::string TRequestParams::RequiredText(const std::string &aName)
{
  const TValue *lValue = Find(aName);
  fRead.insert(aName);
  if (lValue == nullptr || lValue->fValue.empty()) {
    throw TApiError::Mandatory(aName);
  }
  return lValue->fValue;
}

std::optional<int64_t> TRequestParams::Decimal(const std::string &aName)
{
  const std::optional<std::string> lText = Text(aName);
  if (!lText) {
    return std::nullopt;
  }
  int64_t lUnits = 0;
  switch (ParseDecimal(*lText, lUnits)) {
  case TDecimalParse::Ok:
    return lUnits;
  case TDecimalParse::TooPrecise:
    throw TApiError::Bad(-1111, "Parameter '" + aName + "' has too much precision.");
  case TDecimalParse::Overflow:
    throw TApiError::Bad(-1108, "Parameter '" + aName + "' overflowed.");
  case TDecimalParse::Malformed:
    break;
  }
  throw TApiError::IllegalChars(aName, std::string(cDecimalPattern));
}

int64_t TRequestParams::RequiredDecimal(const std::string &aName)
{
  if (!Has(aName)) {
    fRead.insert(aName);
    throw TApiError::Mandatory(aName);
  }
  return *Decimal(aName);
}

std::optional<int64_t> TRequestParams::Integer(const std::string &aName)
{
  const std::optional<std::string> lText = Text(aName);
  if (!lText) {
    return std::nullopt;
  }
  int64_t lValue = 0;
  switch (ParseInteger(*lText, lValue)) {
  case TDecimalParse::Ok:
    return lValue;
  case TDecimalParse::Overflow:
    throw TApiError::Bad(-1108, "Parameter '" + aName + "' overflowed.");
  default:
    break;
  }
  throw TApiError::IllegalChars(aName, std::string(cIntegerPattern));
}

std::optional<int64_t> TRequestParams::Time(const std::string &aName)
{
  std::optional<int64_t> lValue = Integer(aName);
  if (lValue && *lValue >= 1'000'000'000'000'000) {
    *lValue /= 1000;
  }
  return lValue;
}

std::optional<std::string> TRequestParams::Symbol(const std::string &aName)
{
  std::optional<std::string> lText = Text(aName);
  if (lText && !IsSymbolName(*lText)) {
    throw TApiError::IllegalChars(aName, std::string(cSymbolPattern));
  }
  return lText;
}

std::string TRequestParams::RequiredSymbol()
{
  if (!Has("symbol")) {
    fRead.insert("symbol");
    throw TApiError::Mandatory("symbol");
  }
  return *Symbol("symbol");
}

std::optional<std::vector<std::string>> TRequestParams::SymbolList(const std::string &aName)
{
  const std::optional<std::string> lText = Text(aName);
  if (!lText) {
    return std::nullopt;
  }
  nlohmann::json lArray = nlohmann::json::parse(*lText, nullptr, false);
  std::vector<std::string> lNames;
  bool lOk = lArray.is_array() && !lArray.empty();
  if (lOk) {
    for (const nlohmann::json &lItem : lArray) {
      if (!lItem.is_string() || !IsSymbolName(lItem.get<std::string>())) {
        lOk = false;
        break;
      }
      lNames.push_back(lItem.get<std::string>());
    }
  }
  if (!lOk) {
    throw TApiError::IllegalChars(aName, std::string(cSymbolsPattern));
  }
  std::vector<std::string> lSorted = lNames;
  std::sort(lSorted.begin(), lSorted.end());
  if (std::adjacent_find(lSorted.begin(), lSorted.end()) != lSorted.end()) {
    throw TApiError::Bad(-1151, "Symbol is present multiple times in the list.");
  }
  return lNames;
}

void TRequestParams::CheckAllRead() const
{
  size_t lRead = 0;
  for (const TValue &lValue : fValues) {
    if (fRead.count(lValue.fName) != 0) {
      ++lRead;
    }
  }
  if (lRead != fValues.size()) {
    throw TApiError::Bad(-1104, "Not all sent parameters were read; read '" +
                                    std::to_string(lRead) + "' parameter(s) but was sent '" +
                                    std::to_string(fValues.size()) + "'.");
  }
}

} // namespace vexa::sim
