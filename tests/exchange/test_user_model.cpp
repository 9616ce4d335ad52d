#include "depth.h"
#include "symbol_show_list.h"
#include "test_market_env.h"
#include "test_presenter.h"
#include "thread_list.h"
#include "user.h"
#include "volume.h"
#include "worker_thread.h"
#include "workflow.h"

#include <QFileInfo>

#include <gtest/gtest.h>

using namespace market_test;

class UserModelTest : public TUserModelTest
{
};

TEST_F(UserModelTest, CreateOwnsTheModelAndTakesOverTheUserThreadList)
{
  ASSERT_NE(User->Input(), nullptr);
  ASSERT_NE(User->SymbolShowList(), nullptr);
  ASSERT_NE(User->DepthList(), nullptr);
  ASSERT_NE(User->VolumeList(), nullptr);
  ASSERT_NE(User->Publisher(), nullptr);
  EXPECT_TRUE(QFileInfo(fEnv->SymbolsFolder()).isDir());
  EXPECT_EQ(&UserThreadList(), &User->ThreadList());
  EXPECT_EQ(User->Bid(), 0);
  EXPECT_EQ(User->Ask(), 0);

  TThreadList *lOwn = &User->ThreadList();
  User->DeInit();
  EXPECT_EQ(User->Input(), nullptr);
  EXPECT_EQ(User->SymbolShowList(), nullptr);
  EXPECT_EQ(User->Publisher(), nullptr);
  EXPECT_EQ(&UserThreadList(), lOwn); // threads may still unregister until User goes
  User.reset();
  EXPECT_NE(&UserThreadList(), lOwn);
}

TEST_F(UserModelTest, NoRequestStartsUnlessTheWorkflowIsWorking)
{
  for (TWorkflowState lState : {wfsClosing, wfsStopped, wfsPaused}) {
    Workflow.reset();
    Workflow = std::make_unique<TWorkflow>();
    Workflow->SetState(lState); // a stop shows its box: the guard answers it
    const int lLive = TWorkerThread::LiveCount();
    bool lOk = true;
    User->Ping(lOk);
    EXPECT_TRUE(lOk); // left as it was
    lOk = false;
    User->Ping(lOk);
    EXPECT_FALSE(lOk);
    User->Time();
    User->TickerPrice(QString());
    User->TickerPrice("ETHBTC");
    User->Ticker24hrEx();
    User->TickerBookTicker("ETHBTC");
    User->DepthEx();
    User->Ticker24hrVolume();
    EXPECT_EQ(TWorkerThread::LiveCount(), lLive) << static_cast<int>(lState);
  }
}
