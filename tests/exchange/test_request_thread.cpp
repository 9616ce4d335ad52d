#include "chart_link.h"
#include "log_capture.h"
#include "request_thread_helper.h"
#include "thread_list.h"
#include "workflow.h"

#include "test_presenter.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>

#include <thread>

namespace {

class TTestChartLink : public IChartLink
{
public:
  TThreadList &ThreadList() override { return fList; }
  bool IsClosing() const override { return Closing; }
  void OnNotify(int, std::intptr_t) override {}
  std::atomic<bool> Closing = false;

private:
  TThreadList fList{tlkChart};
};

class RequestThread : public ::testing::Test
{
protected:
  void SetUp() override
  {
    Workflow = std::make_unique<TWorkflow>();
    Workflow->SetState(wfsWorking);
  }
  void TearDown() override { Workflow.reset(); }

  // Runs a fake request to its end on a worker while this (GUI) thread serves hand-overs.
  static void Run(TFakeRequestThread &aThread)
  {
    aThread.Start();
    aThread.WaitFor();
  }

  TLogCapture fLog;
  TPresenterGuard fPresenter;
};

struct TExpectedRow
{
  const char *Class;
  const TThreadTexts &Texts;
  const char *CommandError;
  const char *MissingDocument;
  const char *EmptyResponse;
  bool NotifiesAfterEmpty;
};

} // namespace

// Each class's texts as this system writes them, reached through the standard template.
TEST_F(RequestThread, ErrorTextsPerClass)
{
  const TExpectedRow lRows[] = {
      {"TTickerPriceThread", cTickerPriceThreadTexts,
       "TUser.TickerPrice command error: ", "TUser.TickerPrice: lRootNode not assigned",
       "TUser.TickerPrice ParseResponse error: empty string", true},
      {"TTicker24hrThread", cTicker24hrThreadTexts,
       "TUser.TickerPrice command error: ", "TUser.TickerPrice: lRootNode not assigned",
       "TUser.TickerPrice ParseResponse error: empty string", true},
      {"TTicker24hrVolumeThread", cTicker24hrVolumeThreadTexts,
       "TUser.TickerPrice command error: ", "TUser.TickerPrice: lRootNode not assigned",
       "TUser.TickerPrice ParseResponse error: empty string", true},
      {"TTickerBookTickerThread", cTickerBookTickerThreadTexts,
       "TUser.TickerBookTicker command error: ", "TUser.TickerBookTicker: lRootNode not assigned",
       "TUser.TickerBookTicker ParseResponse error: empty string", true},
      {"TDepthThread", cDepthThreadTexts,
       "TUser.Depth command error: ", "TUser.Depth: lRootNode not assigned",
       "TUser.Depth ParseResponse error: empty string", true},
      {"TOpenOrdersThread", cOpenOrdersThreadTexts,
       "TUser.AllOrders command error: ", "TUser.TickerPrice: lRootNode not assigned",
       "TUser.TickerPrice ParseResponse error: empty string", true},
      {"TAllOrdersThread", cAllOrdersThreadTexts,
       "TUser.AllOrders command error: ", "TUser.TickerPrice: lRootNode not assigned",
       "TUser.TickerPrice ParseResponse error: empty string", true},
      {"TAccountThread", cAccountThreadTexts,
       "TUser.Account command error: ", "TUser.Account: lRootNode not assigned",
       "TUser.Account ParseResponse error: empty string", false},
      {"TOrderPostThread", cOrderPostThreadTexts,
       "TUser.OrderPost command error: ", "TUser.OrderPost: lRootNode not assigned",
       "TUser.OrderPost ParseResponse error: empty string", false},
      {"TOrderDeleteThread", cOrderDeleteThreadTexts,
       "TUser.OrderPost command error: ", "TUser.OrderPost: lRootNode not assigned",
       "TUser.OrderPost ParseResponse error: empty string", false},
  };
  for (const TExpectedRow &lRow : lRows) {
    SCOPED_TRACE(lRow.Class);
    {
      // A failed exchange: the empty-response entry; the "always" rows still notify.
      fLog.Clear();
      TFakeRequestThread lThread(lRow.Texts, QString());
      Run(lThread);
      const auto lEntries = fLog.Matching(QString::fromUtf8(lRow.EmptyResponse));
      ASSERT_EQ(lEntries.size(), 1u);
      EXPECT_EQ(lEntries[0].Level, QStringLiteral("ALERT"));
      EXPECT_EQ(lEntries[0].Thread, QString::number(lThread.ThreadID()));
      EXPECT_EQ(lThread.Outputs, 0);
      EXPECT_EQ(lThread.Notifies, lRow.NotifiesAfterEmpty ? 1 : 0);
    }
    {
      // No JSON document: the missing-document text, logged through Execute; nothing output.
      fLog.Clear();
      TFakeRequestThread lThread(lRow.Texts, QStringLiteral("<html>busy</html>"));
      Run(lThread);
      EXPECT_EQ(fLog.Matching(QStringLiteral("TBaseThread.Execute error: ") +
                              QString::fromUtf8(lRow.MissingDocument))
                    .size(),
                1u);
      EXPECT_EQ(lThread.Outputs, 0);
      EXPECT_EQ(lThread.Notifies, 0);
    }
    {
      // An error text from the transport: an error box and the command-error entry.
      fLog.Clear();
      const std::size_t lBoxes = fPresenter.Presenter().Shown().size();
      TFakeRequestThread lThread(lRow.Texts, QString(), QStringLiteral("thread start failed"));
      Run(lThread);
      EXPECT_EQ(fLog.Matching(QString::fromUtf8(lRow.CommandError) +
                              QStringLiteral("thread start failed"))
                    .size(),
                1u);
      const auto lShown = fPresenter.Presenter().Shown();
      ASSERT_EQ(lShown.size(), lBoxes + 1);
      EXPECT_EQ(lShown.back().Text, QStringLiteral("thread start failed"));
      EXPECT_EQ(lShown.back().Type, mtAlert);
      EXPECT_EQ(lThread.Notifies, 0);
    }
  }
}

TEST_F(RequestThread, AnswerIsOutputAndNotifiedOnTheGuiThread)
{
  TFakeRequestThread lThread(cTickerPriceThreadTexts, QStringLiteral("[{\"symbol\":\"A\"}]"));
  Run(lThread);
  EXPECT_EQ(lThread.Outputs, 1);
  EXPECT_EQ(lThread.Notifies, 1);
  EXPECT_TRUE(lThread.OutputOnGui);
  EXPECT_TRUE(lThread.NotifyOnGui);
  ASSERT_TRUE(lThread.RootNode().isArray());
  EXPECT_EQ(lThread.RootNode()[0][QStringLiteral("symbol")].toString(), QStringLiteral("A"));
  EXPECT_TRUE(fLog.Matching(QStringLiteral("TBaseThread.Execute error")).empty());
}

TEST_F(RequestThread, RunStateCheckedOnlyByTheClassesThatCheckIt)
{
  Workflow->SetState(wfsPaused);
  const TThreadTexts *lChecking[] = {&cTickerPriceThreadTexts, &cAccountThreadTexts,
                                     &cOrderPostThreadTexts, &cOrderDeleteThreadTexts};
  for (const TThreadTexts *lTexts : lChecking) {
    TFakeRequestThread lThread(*lTexts, QStringLiteral("{}"));
    Run(lThread);
    EXPECT_EQ(lThread.Sends, 0);
    EXPECT_EQ(lThread.Outputs, 0);
  }
  const TThreadTexts *lSending[] = {&cTicker24hrThreadTexts,       &cDepthThreadTexts,
                                    &cTickerBookTickerThreadTexts, &cOpenOrdersThreadTexts,
                                    &cAllOrdersThreadTexts,        &cTicker24hrVolumeThreadTexts};
  for (const TThreadTexts *lTexts : lSending) {
    TFakeRequestThread lThread(*lTexts, QStringLiteral("{}"));
    Run(lThread);
    EXPECT_EQ(lThread.Sends, 1);
    EXPECT_EQ(lThread.Outputs, 1);
  }
}

TEST_F(RequestThread, OrderAnswerArrivingAfterStopIsNeitherParsedNorNotified)
{
  TFakeRequestThread lOrder(cOrderPostThreadTexts, QStringLiteral("{\"symbol\":\"A\"}"));
  lOrder.OnSend = [](TFakeRequestThread &) { Workflow->SetState(wfsPaused); };
  Run(lOrder);
  EXPECT_EQ(lOrder.Sends, 1);
  EXPECT_EQ(lOrder.Outputs, 0);
  EXPECT_EQ(lOrder.Notifies, 0);

  // The account request parses what it got but notifies only while working.
  Workflow->SetState(wfsWorking);
  TFakeRequestThread lAccount(cAccountThreadTexts, QStringLiteral("{\"balances\":[]}"));
  lAccount.OnSend = [](TFakeRequestThread &) { Workflow->SetState(wfsPaused); };
  Run(lAccount);
  EXPECT_EQ(lAccount.Outputs, 1);
  EXPECT_EQ(lAccount.Notifies, 0);
}

TEST_F(RequestThread, RaisingOutputIsLoggedOnceAndLeavesTheListsEmpty)
{
  auto lChart = std::make_shared<TTestChartLink>();
  for (const bool lWithChart : {false, true}) {
    SCOPED_TRACE(lWithChart ? "chart" : "user");
    fLog.Clear();
    TFakeRequestThread lThread(cDepthThreadTexts, QStringLiteral("{\"asks\":[]}"));
    lThread.RaiseInOutput = true;
    if (lWithChart)
      lThread.SetChartItem(lChart);
    int lRegisteredWhileSending = 0;
    lThread.OnSend = [&](TFakeRequestThread &) {
      lRegisteredWhileSending =
          lWithChart ? lChart->ThreadList().ThreadListCount() : UserThreadList().ThreadListCount();
    };
    Run(lThread);
    EXPECT_EQ(lRegisteredWhileSending, 1);
    EXPECT_EQ(fLog.Matching(QStringLiteral("TBaseThread.Execute error: output failed")).size(), 1u);
    EXPECT_TRUE(lThread.OutputOnGui);
    EXPECT_EQ(lThread.Notifies, 0);
    EXPECT_EQ(UserThreadList().ThreadListCount(), 0);
    EXPECT_EQ(lChart->ThreadList().ThreadListCount(), 0);
  }
}

TEST_F(RequestThread, ChartNotifiedOnlyWhileOpen)
{
  auto lChart = std::make_shared<TTestChartLink>();
  TFakeRequestThread lOpen(cKlinesThreadTexts, QStringLiteral("[]"));
  lOpen.SetChartItem(lChart);
  Run(lOpen);
  EXPECT_EQ(lOpen.Notifies, 1);

  TFakeRequestThread lClosing(cKlinesThreadTexts, QStringLiteral("[]"));
  lClosing.SetChartItem(lChart);
  lClosing.OnSend = [&](TFakeRequestThread &) { lChart->Closing = true; };
  Run(lClosing);
  EXPECT_EQ(lClosing.Notifies, 0);
}

TEST_F(RequestThread, FreeOnTerminateThreadFreesItself)
{
  std::atomic<bool> lDestroyed = false;
  auto lThread = std::make_unique<TFakeRequestThread>(cTicker24hrThreadTexts, QStringLiteral("[]"));
  lThread->Destroyed = &lDestroyed;
  TWorkerThread::StartFreeOnTerminate(std::move(lThread));
  QElapsedTimer lTimer;
  lTimer.start();
  while (!lDestroyed && lTimer.elapsed() < 3000)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  EXPECT_TRUE(lDestroyed);
  while (TWorkerThread::LiveCount() > 0 && lTimer.elapsed() < 3000)
    std::this_thread::yield();
  EXPECT_EQ(TWorkerThread::LiveCount(), 0);
}
