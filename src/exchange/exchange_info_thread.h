#pragma once

#include "base_thread.h"
#include "lot_size.h"
#include "methods.h"

#include <QHash>

// Reads the symbols' lot rules from the exchange information into User's lot list.
class TExchangeInfoThread : public TBaseThread
{
public:
  void SetClaim(std::shared_ptr<void> aClaim) { fClaim = std::move(aClaim); }

protected:
  void DoExtract() override;
  void DoOutput() override;
  const TThreadTexts *Texts() const override;
  std::unique_ptr<TDBaseMethod> NewMethod() const override;

private:
  QHash<QString, TLotSize> fSizes;
  std::shared_ptr<void> fClaim;
};
