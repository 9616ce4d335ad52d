#pragma once

#include "workflow.h"

// Which toolbars and panels this installation offers; set from the workflow mode, not stored.
class TUIVisible
{
public:
  explicit TUIVisible(TWorkflowMode aMode = wfmTrade)
      : tbStandarts(aMode != wfmVolume), dpMarketView(aMode != wfmVolume),
        dpMarketDepth(aMode != wfmVolume), dpVolumeMonitor(aMode != wfmTrade),
        dpTerminal(aMode != wfmVolume)
  {
  }

  bool tbIntervals = true;
  bool tbCharts = true;
  bool tbStandarts;
  bool tbInstruments = true;
  bool dpMarketView;
  bool dpMarketDepth;
  bool dpNavigate = false;
  bool dpVolumeMonitor;
  bool dpTerminal;
};
