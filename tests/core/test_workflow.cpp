#include "d_classes.h"
#include "events.h"
#include "sys_time.h"
#include "test_presenter.h"
#include "utils.h"
#include "workflow.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// Records which periodic work ran, in order.
class TRecordingHost : public IWorkflowHost
{
public:
  bool ShowMainForm() override { return true; }
  void EverySecond(TWorkflowMode) override { Calls.push_back("second"); }
  void Every5Second(TWorkflowMode) override { Calls.push_back("five"); }
  void EveryMinute(TWorkflowMode) override { Calls.push_back("minute"); }
  void Once(TWorkflowMode) override { Calls.push_back("once"); }
  void Close() override { Calls.push_back("close"); }

  int Count(const std::string &aName) const
  {
    return static_cast<int>(std::count(Calls.begin(), Calls.end(), aName));
  }
  std::vector<std::string> Calls;
};

class TTimeRecorder : public TDObject
{
public:
  void Notification(int aEventID, void *aData) override
  {
    if (aEventID == BASE_MAIN_SYSTIME)
      Times.push_back(*static_cast<TDateTime *>(aData));
  }
  std::vector<TDateTime> Times;
};

class WorkflowTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    Workflow = std::make_unique<TWorkflow>();
    Workflow->SetHost(&fHost);
    SysTime = std::make_unique<TSysTime>();
  }
  void TearDown() override
  {
    SysTime.reset();
    Workflow.reset();
  }
  // A first server time, as the start-up's time request brings it.
  void StartClock()
  {
    SysTime->SetTime(EncodeDateTime(2024, 6, 1, 12, 0, 0));
    fHost.Calls.clear();
  }
  TRecordingHost fHost;
};

} // namespace

TEST_F(WorkflowTest, FiveSecondWorkOnTicksZeroOneAndEveryFifth)
{
  StartClock();
  std::vector<int> lFiveTicks;
  for (int lTick = 0; lTick < 21; ++lTick) {
    const int lBefore = fHost.Count("five");
    SysTime->DoActionTimerTick();
    if (fHost.Count("five") != lBefore)
      lFiveTicks.push_back(SysTime->TickCounter());
  }
  EXPECT_EQ(lFiveTicks, (std::vector<int>{0, 1, 5, 10, 15, 20}));
  EXPECT_EQ(fHost.Count("second"), 21);
  EXPECT_EQ(fHost.Count("once"), 21);
}

TEST_F(WorkflowTest, TickOrderIsFiveThenSecondThenClock)
{
  StartClock();
  SysTime->DoActionTimerTick();
  ASSERT_GE(fHost.Calls.size(), 3u);
  EXPECT_EQ(fHost.Calls[0], "five");
  EXPECT_EQ(fHost.Calls[1], "second");
  EXPECT_EQ(fHost.Calls[2], "once");
}

TEST_F(WorkflowTest, MinuteWorkFollowsTheClockBothWays)
{
  // The first time set with minute 0 does not count as a change.
  SysTime->SetTime(EncodeDateTime(2024, 6, 1, 12, 0, 58));
  EXPECT_EQ(fHost.Count("minute"), 0);
  SysTime->DoActionTimerTick(); // 12:00:59
  EXPECT_EQ(fHost.Count("minute"), 0);
  SysTime->DoActionTimerTick(); // 12:01:00
  EXPECT_EQ(fHost.Count("minute"), 1);
  SysTime->SetTime(EncodeDateTime(2024, 6, 1, 12, 0, 59)); // a server answer moves it back
  EXPECT_EQ(fHost.Count("minute"), 2);
  SysTime->SetTime(EncodeDateTime(2024, 6, 1, 12, 0, 59, 500));
  EXPECT_EQ(fHost.Count("minute"), 2);
}

TEST_F(WorkflowTest, ClosedWorkflowStartsNothingButTheClockStillPublishes)
{
  TTimeRecorder lRecorder;
  SysTime->Publisher().Subscribe(&lRecorder, 0);
  StartClock();
  Workflow->SetState(wfsClosing);
  EXPECT_EQ(fHost.Count("close"), 1);
  fHost.Calls.clear();
  for (int i = 0; i < 6; ++i)
    SysTime->DoActionTimerTick();
  EXPECT_TRUE(fHost.Calls.empty());
  EXPECT_EQ(lRecorder.Times.size(), 7u); // the first time, then six ticks
  SysTime->Publisher().Unsubscribe(&lRecorder, 0);
}

// Until the first server time the clock does not run: the periodic requests still go out
// (the time request among them), but nothing is stamped, published or completed from it.
TEST_F(WorkflowTest, UnsetClockDoesNotTick)
{
  TTimeRecorder lRecorder;
  SysTime->Publisher().Subscribe(&lRecorder, 0);
  for (int i = 0; i < 3; ++i)
    SysTime->DoActionTimerTick();
  EXPECT_FALSE(SysTime->HasTime());
  EXPECT_EQ(SysTime->Time(), 0.0);
  EXPECT_EQ(fHost.Count("five"), 2);
  EXPECT_EQ(fHost.Count("second"), 3);
  EXPECT_EQ(fHost.Count("once"), 0);
  EXPECT_TRUE(lRecorder.Times.empty());
  SysTime->SetTime(StampToDate(1717200000123));
  EXPECT_TRUE(SysTime->HasTime());
  SysTime->DoActionTimerTick();
  EXPECT_EQ(SysTime->GetTimeStamp(), QStringLiteral("1717200001123"));
  SysTime->Publisher().Unsubscribe(&lRecorder, 0);
}

TEST_F(WorkflowTest, ClockAdvancesOneSecondPerTick)
{
  TTimeRecorder lRecorder;
  SysTime->Publisher().Subscribe(&lRecorder, 0);
  SysTime->SetTime(StampToDate(1717200000123));
  SysTime->DoActionTimerTick();
  SysTime->DoActionTimerTick();
  EXPECT_EQ(SysTime->GetTimeStamp(), QStringLiteral("1717200002123"));
  ASSERT_EQ(lRecorder.Times.size(), 3u);
  EXPECT_EQ(DateToStamp(lRecorder.Times.back()), 1717200002123);
  SysTime->Publisher().Unsubscribe(&lRecorder, 0);
}

TEST_F(WorkflowTest, TimeStampOf2018Has13PlainDigits)
{
  SysTime->SetTime(StampToDate(1541073600000));
  const QString lStamp = SysTime->GetTimeStamp();
  EXPECT_EQ(lStamp.size(), 13);
  EXPECT_EQ(lStamp, QStringLiteral("1541073600000"));
}

TEST_F(WorkflowTest, TimeStampReadsOneConsistentValueFromOtherThreads)
{
  const std::int64_t lA = 1541073600000;
  const std::int64_t lB = 1717200000999;
  Workflow->SetHost(nullptr);
  SysTime->SetTime(StampToDate(lA));
  std::atomic<bool> lStop = false;
  std::atomic<int> lTorn = 0;
  std::thread lReader([&] {
    while (!lStop) {
      const qint64 lStamp = SysTime->GetTimeStamp().toLongLong();
      if (lStamp != lA && lStamp != lB)
        ++lTorn;
    }
  });
  for (int i = 0; i < 20000; ++i)
    SysTime->SetTime(StampToDate(i % 2 ? lA : lB));
  lStop = true;
  lReader.join();
  EXPECT_EQ(lTorn.load(), 0);
}

TEST_F(WorkflowTest, StoppedStateShowsTheReason)
{
  TPresenterGuard lGuard;
  SetLastServerError(QStringLiteral("400 Bad Request"));
  Workflow->SetState(wfsStopped);
  ASSERT_EQ(lGuard.Presenter().Shown().size(), 1u);
  EXPECT_EQ(lGuard.Presenter().Shown()[0].Text,
            QStringLiteral("Программа остановлена. Причина: 400 Bad Request"));
  EXPECT_EQ(Workflow->State(), wfsStopped);
  Workflow->SetState(wfsPaused);
  EXPECT_EQ(lGuard.Presenter().Shown().size(), 1u);
}

TEST(WorkflowServerJson, DefaultMissingMemberCaFileAndBrokenFile)
{
  QTemporaryDir lDir;
  TWorkflow lWorkflow;
  lWorkflow.LoadServerURL(lDir.path());
  EXPECT_EQ(lWorkflow.ServerURL(), QStringLiteral("https://api.binance.com"));
  EXPECT_EQ(lWorkflow.Mode(), wfmTrade);
  EXPECT_EQ(lWorkflow.State(), wfsWorking);

  const QString lFile = lDir.filePath(QStringLiteral("server.json"));
  SaveJsonFile(QJsonObject{{QStringLiteral("server"), QStringLiteral("https://127.0.0.1:9")},
                           {QStringLiteral("caFile"), QStringLiteral("sim/ca.pem")}},
               lFile);
  lWorkflow.LoadServerURL(lDir.path());
  EXPECT_EQ(lWorkflow.ServerURL(), QStringLiteral("https://127.0.0.1:9"));
  EXPECT_EQ(lWorkflow.CAFile(), lDir.filePath(QStringLiteral("sim/ca.pem")));

  SaveJsonFile(QJsonObject{{QStringLiteral("other"), 1}}, lFile);
  lWorkflow.LoadServerURL(lDir.path());
  EXPECT_TRUE(lWorkflow.ServerURL().isEmpty());
  EXPECT_TRUE(lWorkflow.CAFile().isEmpty());

  QFile lBroken(lFile);
  ASSERT_TRUE(lBroken.open(QIODevice::WriteOnly | QIODevice::Truncate));
  lBroken.write("{\"server\": ");
  lBroken.close();
  EXPECT_THROW(lWorkflow.LoadServerURL(lDir.path()), std::runtime_error);
}
