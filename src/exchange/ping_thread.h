#pragma once

#include "base_thread.h"

#include <atomic>

// The connectivity check: PingOk tells whether the exchange answered with any JSON document.
// Its creator waits for it and reads PingOk.
class TPingThread : public TBaseThread
{
public:
  bool PingOk() const { return fPingOk; }

protected:
  void DoBeforeExecute() override { fPingOk = false; }
  void DoParseResponse() override;
  const TThreadTexts *Texts() const override { return &cPingThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override;

private:
  std::atomic<bool> fPingOk = false;
};
