#include "transport_helper.h"

#include "base_thread.h"
#include "chart_link.h"
#include "methods.h"
#include "ping_thread.h"
#include "thread_list.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <stdexcept>

namespace {

class TTestChartLink : public IChartLink
{
public:
  TThreadList &ThreadList() override { return fList; }
  bool IsClosing() const override { return false; }
  void OnNotify(int, std::intptr_t) override {}

private:
  TThreadList fList{tlkChart};
};

// A price request over the real transport whose output step fails on the GUI thread.
class TFailingOutputThread : public TBaseThread
{
public:
  std::atomic<int> Outputs{0};
  std::atomic<int> Notifies{0};

protected:
  const TThreadTexts *Texts() const override { return &cTickerPriceThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override
  {
    return std::make_unique<TDMethodTickerPrice>();
  }
  void DoOutput() override
  {
    ++Outputs;
    throw std::runtime_error("symbol list refused the answer");
  }
  void DoNotify() override { ++Notifies; }
};

// A fire-and-forget request that only counts its notification.
class TTimeProbeThread : public TBaseThread
{
public:
  explicit TTimeProbeThread(std::atomic<int> &aNotified) : fNotified(aNotified) {}

protected:
  const TThreadTexts *Texts() const override { return &cTicker24hrThreadTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override
  {
    return std::make_unique<TDMethodTime>();
  }
  void DoNotify() override { ++fNotified; }

private:
  std::atomic<int> &fNotified;
};

class TransportThreads : public ::testing::Test
{
protected:
  void SetUp() override { Workflow->SetState(wfsWorking); }
  TTransportEnv fEnv;
};

} // namespace

TEST_F(TransportThreads, PingAnswersOverHttps)
{
  vexa::test::TExchangeProcess lExchange;
  fEnv.UseExchange(lExchange);
  TPingThread lPing;
  lPing.Start();
  lPing.WaitFor();
  EXPECT_TRUE(lPing.PingOk());
}

TEST_F(TransportThreads, RaisingOutputIsLoggedOnceAndLeavesTheListsEmpty)
{
  vexa::test::TExchangeProcess lExchange;
  fEnv.UseExchange(lExchange);
  auto lChart = std::make_shared<TTestChartLink>();
  for (const bool lWithChart : {false, true}) {
    SCOPED_TRACE(lWithChart ? "chart" : "user");
    fEnv.Log.Clear();
    TFailingOutputThread lThread;
    if (lWithChart)
      lThread.SetChartItem(lChart);
    lThread.Start();
    lThread.WaitFor();
    EXPECT_EQ(lThread.Outputs, 1);
    EXPECT_EQ(lThread.Notifies, 0);
    const auto lErrors = fEnv.Log.Matching(QStringLiteral("TBaseThread.Execute error: "));
    ASSERT_EQ(lErrors.size(), 1u);
    EXPECT_EQ(lErrors[0].Text,
              QStringLiteral("TBaseThread.Execute error: symbol list refused the answer"));
    EXPECT_EQ(lErrors[0].Thread, QString::number(lThread.ThreadID()));
    EXPECT_EQ(UserThreadList().ThreadListCount(), 0);
    EXPECT_EQ(lChart->ThreadList().ThreadListCount(), 0);
  }
}

TEST_F(TransportThreads, ShutDownWaitGivesUpOnAHangingRequest)
{
  vexa::test::TExchangeProcess lSlow({"--latency-ms", "4000"});
  fEnv.UseExchange(lSlow);
  std::atomic<int> lNotified{0};
  TWorkerThread::StartFreeOnTerminate(std::make_unique<TTimeProbeThread>(lNotified));
  ASSERT_TRUE(PumpUntil([] { return UserThreadList().ThreadListCount() == 1; }));

  QElapsedTimer lTimer;
  lTimer.start();
  UserThreadList().WaitForThreads();
  const qint64 lElapsed = lTimer.elapsed();
  EXPECT_GE(lElapsed, 1900);
  EXPECT_LE(lElapsed, 2700);
  EXPECT_EQ(UserThreadList().ThreadListCount(), 1);

  // It finishes its exchange on its own and frees itself.
  EXPECT_TRUE(PumpUntil([] { return TWorkerThread::LiveCount() == 0; }, 8000));
  EXPECT_EQ(lNotified, 1);
  EXPECT_EQ(UserThreadList().ThreadListCount(), 0);
}
