#pragma once

#include "workflow.h"

// What the workflow runs: opening the main window, the timed requests and the close steps.
class TPeriodicWork : public IWorkflowHost
{
public:
  bool ShowMainForm() override;
  void EverySecond(TWorkflowMode aMode) override;
  void Every5Second(TWorkflowMode aMode) override;
  void EveryMinute(TWorkflowMode aMode) override;
  void Once(TWorkflowMode aMode) override;
  void Close() override;

private:
  // Whether the main keys have been put to the exchange with a server time. The start-up
  // check cannot be when the clock is late; the keys are then checked once the time is in.
  bool fAuthChecked = false;
};
