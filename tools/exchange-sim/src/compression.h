#pragma once

#include <string>
#include <string_view>

namespace vexa::sim {

// Whether an Accept-Encoding value takes gzip (a q of 0 refuses it; "*" stands for it).
bool AcceptsGzip(std::string_view aAcceptEncoding);

// aData as one gzip member (RFC 1952).
std::string Gzip(std::string_view aData);

} // namespace vexa::sim
