#pragma once

// Shared set-up of the market model tests: a private application folder, the singletons the
// model reaches, and a recorder of the queued notifications.

#include "core_test_env.h"
#include "event_pump.h"
#include "symbol_show_list.h"
#include "test_presenter.h"
#include "user.h"
#include "workflow.h"

#include <gtest/gtest.h>

#include <memory>

namespace market_test {

using TNotifyRecorder = ::TEventRecorder;
using TMarketEnv = ::TCoreTestEnv;

// The user model on the core singletons, with message boxes answered at once.
class TUserModelTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fEnv = std::make_unique<TMarketEnv>();
    Workflow = std::make_unique<TWorkflow>();
    User = std::make_unique<TUser>();
  }
  void TearDown() override
  {
    User.reset();
    Workflow.reset();
    fEnv.reset();
  }
  TSymbolList &Symbols() { return User->SymbolShowList()->SymbolList(); }
  int Notified(int aEventID) const { return fEnv->Recorder.Count(aEventID); }

  TPresenterGuard fBoxes;
  std::unique_ptr<TMarketEnv> fEnv;
};

} // namespace market_test
