#pragma once

#include "accounts.h"
#include "params.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vexa::sim {

std::string HmacSha256Hex(std::string_view aKey, std::string_view aData);

// The checks of a signed request, in the exchange's order: API key (-2014/-2015, HTTP 401),
// timestamp and recvWindow (-1102, -1021), then the HMAC over the raw query and body (-1022).
// Returns the account; throws TApiError.
TAccount &Authenticate(const TAccountStore &aAccounts, const std::optional<std::string> &aApiKey,
                       TRequestParams &aParams, int64_t aNowMs);

} // namespace vexa::sim
