#pragma once

// Shared set-up of the market model tests: a private application folder, the singletons the
// model reaches, and a recorder of the queued notifications.

#include "core_test_env.h"
#include "event_pump.h"
#include "workflow.h"

namespace market_test {

using TNotifyRecorder = ::TEventRecorder;
using TMarketEnv = ::TCoreTestEnv;

} // namespace market_test
