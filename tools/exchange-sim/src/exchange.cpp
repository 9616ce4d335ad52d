#include "exchange.h"

#include "intervals.h"

#include <stdexcept>

namespace vexa::sim {

namespace {

int64_t MinuteStart(int64_t aMs)
{
  return FloorDiv(aMs, cMinuteMs) * cMinuteMs;
}

TFaultSettings FaultsFrom(const TOptions &aOptions)
{
  TFaultSettings lSettings;
  lSettings.fLatencyMs = aOptions.fLatencyMs;
  lSettings.fFailRate = aOptions.fFailRate;
  lSettings.fResetRate = aOptions.fResetRate;
  lSettings.fGarbageRate = aOptions.fGarbageRate;
  return lSettings;
}

} // namespace

TExchange::TExchange(const TOptions &aOptions, const std::filesystem::path &aStateDir)
    : fOptions(aOptions), fClock(aOptions.fClockOffsetMs),
      fCatalogue(aOptions.fSeed, aOptions.fSymbols, fClock.NowMs()),
      fMarket(fCatalogue, fClock, MinuteStart(fClock.NowMs())), fEngine(fMarket, fClock),
      fKlines(fMarket), fBook(fMarket), fLimiter(aOptions.fWeightLimit, aOptions.fBanSeconds),
      fFaults(FaultsFrom(aOptions), aOptions.fSeed), fWalk(fMarket, aOptions.fSeed)
{
  if (aOptions.fAccountsFile.empty()) {
    fAccounts.AddDemo(aStateDir, fCatalogue.Assets());
  } else {
    fAccounts.LoadFile(aOptions.fAccountsFile, fCatalogue.Assets());
  }
  if (!aOptions.fRequestLog.empty()) {
    fLog = std::make_unique<TRequestLog>(aOptions.fRequestLog);
    if (!fLog->IsOpen()) {
      throw std::runtime_error("cannot open request log " + aOptions.fRequestLog);
    }
  }
  fMarket.SetPriceListener(
      [this](int aSymbol, int64_t aPrice) { fEngine.OnPrice(aSymbol, aPrice); });
  fEngine.SetFirstFillListener([this](const TAccount &aAccount) {
    fOrderCounter.OnFirstFill(aAccount.fApiKey, fClock.NowMs());
  });
}

void TExchange::Start()
{
  fWalk.Start();
}

void TExchange::Stop()
{
  fWalk.Stop();
}

} // namespace vexa::sim
