#pragma once

#include "accounts.h"
#include "clock.h"
#include "faults.h"
#include "klines_service.h"
#include "market.h"
#include "matching_engine.h"
#include "options.h"
#include "order_book.h"
#include "price_walk.h"
#include "rate_limiter.h"
#include "request_log.h"
#include "symbols.h"

#include <filesystem>
#include <memory>

namespace vexa::sim {

// Everything the routes work with, built in dependency order from the options.
struct TExchange
{
  TExchange(const TOptions &aOptions, const std::filesystem::path &aStateDir);

  // Starts the price walk; matching follows every move.
  void Start();
  void Stop();

  TOptions fOptions;
  TClock fClock;
  TSymbolCatalogue fCatalogue;
  TMarket fMarket;
  TMatchingEngine fEngine;
  TKlinesService fKlines;
  TOrderBook fBook;
  TAccountStore fAccounts;
  TRateLimiter fLimiter;
  TOrderCounter fOrderCounter;
  TFaults fFaults;
  TPriceWalk fWalk;
  std::unique_ptr<TRequestLog> fLog;
};

} // namespace vexa::sim
