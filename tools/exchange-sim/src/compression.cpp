#include "compression.h"

#include <zlib.h>

#include <cctype>
#include <cstdlib>
#include <stdexcept>

namespace vexa::sim {

namespace {

std::string_view Trim(std::string_view aText)
{
  while (!aText.empty() && std::isspace(static_cast<unsigned char>(aText.front()))) {
    aText.remove_prefix(1);
  }
  while (!aText.empty() && std::isspace(static_cast<unsigned char>(aText.back()))) {
    aText.remove_suffix(1);
  }
  return aText;
}

bool SameText(std::string_view aA, std::string_view aB)
{
  if (aA.size() != aB.size()) {
    return false;
  }
  for (size_t i = 0; i < aA.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(aA[i])) !=
        std::tolower(static_cast<unsigned char>(aB[i]))) {
      return false;
    }
  }
  return true;
}

// The q of one coding's parameters ("q=0.5"); 1 when absent.
double Quality(std::string_view aParameters)
{
  while (!aParameters.empty()) {
    const size_t lSemicolon = aParameters.find(';');
    const std::string_view lParameter = Trim(aParameters.substr(0, lSemicolon));
    if (lParameter.size() > 2 && (lParameter[0] == 'q' || lParameter[0] == 'Q') &&
        lParameter[1] == '=') {
      return std::strtod(std::string(lParameter.substr(2)).c_str(), nullptr);
    }
    aParameters = lSemicolon == std::string_view::npos ? std::string_view()
                                                       : aParameters.substr(lSemicolon + 1);
  }
  return 1.0;
}

} // namespace

bool AcceptsGzip(std::string_view aAcceptEncoding)
{
  double lGzip = -1;
  double lAny = -1;
  while (!aAcceptEncoding.empty()) {
    const size_t lComma = aAcceptEncoding.find(',');
    const std::string_view lCoding = aAcceptEncoding.substr(0, lComma);
    const size_t lSemicolon = lCoding.find(';');
    const std::string_view lName = Trim(lCoding.substr(0, lSemicolon));
    const double lQuality =
        lSemicolon == std::string_view::npos ? 1.0 : Quality(lCoding.substr(lSemicolon + 1));
    if (SameText(lName, "gzip") || SameText(lName, "x-gzip")) {
      lGzip = lQuality;
    } else if (lName == "*") {
      lAny = lQuality;
    }
    aAcceptEncoding =
        lComma == std::string_view::npos ? std::string_view() : aAcceptEncoding.substr(lComma + 1);
  }
  return lGzip >= 0 ? lGzip > 0 : lAny > 0;
}

std::string Gzip(std::string_view aData)
{
  z_stream lStream{};
  // 15 window bits plus 16: a gzip header and trailer instead of zlib's.
  if (deflateInit2(&lStream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) !=
      Z_OK) {
    throw std::runtime_error("gzip: deflateInit2 failed");
  }
  std::string lOut(deflateBound(&lStream, static_cast<uLong>(aData.size())), '\0');
  lStream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(aData.data()));
  lStream.avail_in = static_cast<uInt>(aData.size());
  lStream.next_out = reinterpret_cast<Bytef *>(lOut.data());
  lStream.avail_out = static_cast<uInt>(lOut.size());
  const int lResult = deflate(&lStream, Z_FINISH);
  const size_t lSize = lStream.total_out;
  deflateEnd(&lStream);
  if (lResult != Z_STREAM_END) {
    throw std::runtime_error("gzip: deflate failed");
  }
  lOut.resize(lSize);
  return lOut;
}

} // namespace vexa::sim
