#include "chart_link.h"
#include "connection_item.h"
#include "log_capture.h"
#include "request_params.h"
#include "request_thread_helper.h"
#include "sys_time.h"
#include "thread_list.h"
#include "workflow.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QTimer>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

class TTestChartLink : public IChartLink
{
public:
  TThreadList &ThreadList() override { return fList; }
  bool IsClosing() const override { return false; }
  void OnNotify(int, std::intptr_t) override {}

private:
  TThreadList fList{tlkChart};
};

// Waits (serving the GUI thread) until aList holds aCount threads.
bool WaitForCount(TThreadList &aList, int aCount)
{
  QElapsedTimer lTimer;
  lTimer.start();
  while (aList.ThreadListCount() != aCount && lTimer.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return aList.ThreadListCount() == aCount;
}

class ThreadList : public ::testing::Test
{
protected:
  void SetUp() override { Workflow = std::make_unique<TWorkflow>(); }
  void TearDown() override
  {
    Workflow.reset();
    SysTime.reset();
  }
  TLogCapture fLog;
};

// A signed-style request: its query needs the server time.
class TTimedRequestThread : public TFakeRequestThread
{
public:
  TTimedRequestThread() : TFakeRequestThread(cAccountThreadTexts, QStringLiteral("{}")) {}

protected:
  void DoMakeRequest() override
  {
    WaitForServerTime();
    fRequest = QStringLiteral("timestamp=") + SysTime->GetTimeStamp() +
               QStringLiteral("&recvWindow=") + QString::number(cRecvWindow);
  }
};

} // namespace

TEST_F(ThreadList, UserWaitGivesUpAfterASecondAndAGraceSecond)
{
  TFakeRequestThread lHanging(cTicker24hrThreadTexts, QStringLiteral("[]"));
  lHanging.OnSend = [](TFakeRequestThread &) { std::this_thread::sleep_for(3500ms); };
  lHanging.Start();
  ASSERT_TRUE(WaitForCount(UserThreadList(), 1));

  QElapsedTimer lTimer;
  lTimer.start();
  UserThreadList().WaitForThreads();
  const qint64 lElapsed = lTimer.elapsed();
  EXPECT_GE(lElapsed, 1900);
  EXPECT_LE(lElapsed, 2600);
  // Asked to stop, yet it finishes its exchange on its own.
  EXPECT_TRUE(lHanging.IsTerminated());
  EXPECT_FALSE(lHanging.Finished());
  lHanging.WaitFor();
  EXPECT_EQ(lHanging.Notifies, 1);
  EXPECT_EQ(UserThreadList().ThreadListCount(), 0);
}

TEST_F(ThreadList, UserWaitEndsAsSoonAsTheThreadsAreDone)
{
  TFakeRequestThread lQuick(cTicker24hrThreadTexts, QStringLiteral("[]"));
  lQuick.OnSend = [](TFakeRequestThread &) { std::this_thread::sleep_for(200ms); };
  lQuick.Start();
  ASSERT_TRUE(WaitForCount(UserThreadList(), 1));
  QElapsedTimer lTimer;
  lTimer.start();
  UserThreadList().WaitForThreads();
  EXPECT_LT(lTimer.elapsed(), 700);
  EXPECT_FALSE(lQuick.IsTerminated());
  lQuick.WaitFor();
  // Its hand-overs ran while the wait processed events.
  EXPECT_EQ(lQuick.Outputs, 1);
}

TEST_F(ThreadList, ChartWaitAsksFirstThenWaitsHalfASecond)
{
  auto lChart = std::make_shared<TTestChartLink>();
  TFakeRequestThread lCooperative(cKlinesThreadTexts, QStringLiteral("[]"));
  lCooperative.SetChartItem(lChart);
  lCooperative.OnSend = [](TFakeRequestThread &aThread) {
    for (int i = 0; i < 300 && !aThread.IsTerminated(); ++i)
      std::this_thread::sleep_for(10ms);
  };
  lCooperative.Start();
  ASSERT_TRUE(WaitForCount(lChart->ThreadList(), 1));
  EXPECT_EQ(UserThreadList().ThreadListCount(), 0);
  QElapsedTimer lTimer;
  lTimer.start();
  lChart->ThreadList().WaitForThreads();
  EXPECT_LT(lTimer.elapsed(), 400);
  EXPECT_EQ(lChart->ThreadList().ThreadListCount(), 0);
  lCooperative.WaitFor();
  // Terminated: the chart is no longer notified.
  EXPECT_EQ(lCooperative.Notifies, 0);

  TFakeRequestThread lHanging(cKlinesThreadTexts, QStringLiteral("[]"));
  lHanging.SetChartItem(lChart);
  lHanging.OnSend = [](TFakeRequestThread &) { std::this_thread::sleep_for(1500ms); };
  lHanging.Start();
  ASSERT_TRUE(WaitForCount(lChart->ThreadList(), 1));
  lTimer.restart();
  lChart->ThreadList().WaitForThreads();
  EXPECT_GE(lTimer.elapsed(), 480);
  EXPECT_LE(lTimer.elapsed(), 900);
  EXPECT_TRUE(lHanging.IsTerminated());
  lHanging.WaitFor();
}

TEST_F(ThreadList, DestroyThreadsFlagsEveryRegisteredThread)
{
  TThreadList lList(tlkChart);
  TFakeRequestThread lFirst(cDepthThreadTexts, QString());
  TFakeRequestThread lSecond(cDepthThreadTexts, QString());
  TThreadRegistration lA = lList.Register(&lFirst);
  TThreadRegistration lB = lList.Register(&lSecond);
  EXPECT_EQ(lList.ThreadListCount(), 2);
  lList.DestroyThreads();
  EXPECT_TRUE(lFirst.IsTerminated());
  EXPECT_TRUE(lSecond.IsTerminated());
  lA.Release();
  EXPECT_EQ(lList.ThreadListCount(), 1);
}

// A chart's list may go while its thread still runs; the thread's late leaving must not reach
// whatever list lives on after it (a new chart's list may even take the same address).
TEST_F(ThreadList, RegistrationOutlivesItsList)
{
  TFakeRequestThread lThread(cDepthThreadTexts, QString());
  TThreadRegistration lRegistration;
  {
    TThreadList lList(tlkChart);
    lRegistration = lList.Register(&lThread);
    EXPECT_EQ(lList.ThreadListCount(), 1);
  }
  TThreadList lNext(tlkChart);
  TThreadRegistration lNextRegistration = lNext.Register(&lThread);
  lRegistration.Release();
  EXPECT_EQ(lNext.ThreadListCount(), 1);
  lNextRegistration.Release();
  EXPECT_EQ(lNext.ThreadListCount(), 0);
}

TEST_F(ThreadList, UserModelTakesOverTheUserList)
{
  TThreadList lOwned(tlkUser);
  SetUserThreadList(&lOwned);
  EXPECT_EQ(&UserThreadList(), &lOwned);
  TFakeRequestThread lThread(cTicker24hrThreadTexts, QStringLiteral("[]"));
  int lSeen = -1;
  lThread.OnSend = [&](TFakeRequestThread &) { lSeen = lOwned.ThreadListCount(); };
  lThread.Start();
  lThread.WaitFor();
  EXPECT_EQ(lSeen, 1);
  SetUserThreadList(nullptr);
  EXPECT_NE(&UserThreadList(), &lOwned);
}

TEST_F(ThreadList, HandOverRunsOnTheGuiThreadAndCarriesTheErrorBack)
{
  bool lOnGui = false;
  std::string lCaught;
  std::thread lWorker([&] {
    RunOnMainThread(
        [&] { lOnGui = QThread::currentThread() == QCoreApplication::instance()->thread(); });
    try {
      RunOnMainThread([] { throw std::invalid_argument("model refused"); });
    } catch (const std::invalid_argument &e) {
      lCaught = e.what();
    }
  });
  QElapsedTimer lTimer;
  lTimer.start();
  while (lCaught.empty() && lTimer.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  lWorker.join();
  EXPECT_TRUE(lOnGui);
  EXPECT_EQ(lCaught, "model refused");
  // Already on the GUI thread: runs at once.
  bool lDirect = false;
  RunOnMainThread([&] { lDirect = true; });
  EXPECT_TRUE(lDirect);
}

TEST_F(ThreadList, SignedQueryWaitsForTheServerTime)
{
  SysTime = std::make_unique<TSysTime>();
  const TDateTime lServerTime = StampToDate(1700000000000);
  QTimer::singleShot(300, [&] { SysTime->SetTime(lServerTime); });
  TTimedRequestThread lThread;
  QElapsedTimer lTimer;
  lTimer.start();
  lThread.Start();
  lThread.WaitFor();
  EXPECT_GE(lTimer.elapsed(), 250);
  EXPECT_EQ(lThread.Request(), QStringLiteral("timestamp=1700000000000&recvWindow=60000"));
  EXPECT_EQ(lThread.Sends, 1);
}

TEST_F(ThreadList, WaitForServerTimeEndsWhenTerminated)
{
  SysTime = std::make_unique<TSysTime>();
  TTimedRequestThread lThread;
  lThread.Start();
  QTimer::singleShot(150, [&] { lThread.Terminate(); });
  lThread.WaitFor();
  EXPECT_EQ(lThread.Sends, 0);
  EXPECT_EQ(fLog.Matching(QStringLiteral("TBaseThread.Execute error: terminated while waiting "
                                         "for the server time"))
                .size(),
            1u);
}

TEST_F(ThreadList, AccountThreadFallsBackOnTheMainProfile)
{
  TConnectionItem lMain;
  SetMainProfileSource([&] { return &lMain; });
  class TProbe : public TBaseAuthThread
  {
  public:
    const TConnectionItem *Used = nullptr;

  protected:
    void DoExecute() override { Used = RequestAccount(); }
  };
  TProbe lDefault;
  lDefault.Start();
  lDefault.WaitFor();
  EXPECT_EQ(lDefault.Used, &lMain);

  TConnectionItem lOther;
  TProbe lGiven;
  lGiven.SetAccount(&lOther);
  lGiven.Start();
  lGiven.WaitFor();
  EXPECT_EQ(lGiven.Used, &lOther);
  SetMainProfileSource({});
}
