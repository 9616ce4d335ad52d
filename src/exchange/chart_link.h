#pragma once

#include <cstdint>

class TThreadList;

// What a request thread may reach of the chart it works for; the charting layer implements
// it, so the exchange layer does not depend on charts. Threads hold the link by shared_ptr,
// so the link must stay usable after its chart is gone: IsClosing then answers true and
// OnNotify does nothing. ThreadList must stay valid as long as the link lives.
class IChartLink
{
public:
  virtual ~IChartLink() = default;

  virtual TThreadList &ThreadList() = 0;
  // Any thread may ask.
  virtual bool IsClosing() const = 0;
  // Called on the GUI thread only, inside a request thread's hand-over.
  virtual void OnNotify(int aEventID, std::intptr_t aData) = 0;
};
