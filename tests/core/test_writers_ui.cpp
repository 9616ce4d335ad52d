#include "d_classes.h"
#include "events.h"
#include "log_writer.h"
#include "ui_writer.h"
#include "utils.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <stdexcept>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

bool OnGuiThread()
{
  return QThread::currentThread() == QCoreApplication::instance()->thread();
}

// Runs the GUI thread's events until aDone holds.
bool PumpUntil(const std::function<bool()> &aDone, std::chrono::milliseconds aTimeout = 10s)
{
  const auto lDeadline = std::chrono::steady_clock::now() + aTimeout;
  while (!aDone()) {
    if (std::chrono::steady_clock::now() > lDeadline)
      return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// The writer thread has handed everything over to the GUI thread.
bool WaitHandedOver(TUIWriter &aWriter)
{
  const auto lDeadline = std::chrono::steady_clock::now() + 10s;
  while (!(aWriter.Queue().Empty() && aWriter.Semaphore().Count() == 0)) {
    if (std::chrono::steady_clock::now() > lDeadline)
      return false;
    std::this_thread::sleep_for(1ms);
  }
  std::this_thread::sleep_for(20ms); // the last popped item's queued call is being posted
  return true;
}

struct TReceived
{
  int EventID;
  void *Data;
  bool OnGui;
};

class TRecorder : public TDObject
{
public:
  void Notification(int aEventID, void *aData) override
  {
    ++fDepth;
    MaxDepth = std::max(MaxDepth, fDepth);
    Received.push_back({aEventID, aData, OnGuiThread()});
    if (OnEvent)
      OnEvent(aEventID);
    --fDepth;
  }

  std::vector<TReceived> Received;
  int MaxDepth = 0;
  std::function<void(int)> OnEvent;

private:
  int fDepth = 0;
};

// A notification whose release the test can count.
class TCountedInfo : public TUIInfo
{
public:
  TCountedInfo(int aNotifyCode, std::atomic<int> &aFreed)
      : TUIInfo(aNotifyCode, nullptr), fFreed(aFreed)
  {
  }
  ~TCountedInfo() override { ++fFreed; }

private:
  std::atomic<int> &fFreed;
};

} // namespace

TEST(UIWriter, DeliversOnGuiThreadInPushOrderWithDataUnchanged)
{
  constexpr int cProducers = 3;
  constexpr int cEach = 400;
  static int lPayload[cProducers][cEach];
  TRecorder lRecorder;
  TUIWriter lWriter;
  lWriter.Publisher().Subscribe(&lRecorder, 0);

  std::vector<std::thread> lProducers;
  for (int p = 0; p < cProducers; ++p)
    lProducers.emplace_back([&lWriter, p] {
      for (int i = 0; i < cEach; ++i)
        lWriter.Post(BASE_MAIN_SYMBOLS + p, &lPayload[p][i]);
    });
  for (std::thread &lProducer : lProducers)
    lProducer.join();

  ASSERT_TRUE(PumpUntil([&] { return lRecorder.Received.size() == cProducers * cEach; }));
  std::vector<int> lNext(cProducers, 0);
  for (const TReceived &lItem : lRecorder.Received) {
    const int p = lItem.EventID - BASE_MAIN_SYMBOLS;
    ASSERT_TRUE(p >= 0 && p < cProducers);
    EXPECT_TRUE(lItem.OnGui);
    ASSERT_EQ(lItem.Data, &lPayload[p][lNext[p]]); // each producer's order kept
    ++lNext[p];
  }
  EXPECT_EQ(lRecorder.MaxDepth, 1);
  lWriter.Publisher().Unsubscribe(&lRecorder, 0);
}

TEST(UIWriter, HandlerRunningANestedLoopDoesNotReceiveTheNextItem)
{
  TRecorder lRecorder;
  TUIWriter lWriter;
  lWriter.Publisher().Subscribe(&lRecorder, 0);
  bool lNestedDone = false;
  lRecorder.OnEvent = [&](int aEventID) {
    if (aEventID != BASE_MAIN_BALANCES)
      return;
    // As a message box would: spin the event loop while the later items are handed over.
    EXPECT_TRUE(WaitHandedOver(lWriter));
    QEventLoop lLoop;
    const auto lUntil = std::chrono::steady_clock::now() + 100ms;
    while (std::chrono::steady_clock::now() < lUntil)
      lLoop.processEvents(QEventLoop::AllEvents, 5);
    EXPECT_EQ(lRecorder.Received.size(), 2u); // nothing arrived inside the handler
    lNestedDone = true;
  };

  lWriter.Post(BASE_MAIN_SYMBOLS);
  lWriter.Post(BASE_MAIN_BALANCES);
  for (int i = 0; i < 5; ++i)
    lWriter.Post(BASE_MAIN_DEPTH + i);
  ASSERT_TRUE(PumpUntil([&] { return lRecorder.Received.size() == 7; }));

  EXPECT_TRUE(lNestedDone);
  EXPECT_EQ(lRecorder.MaxDepth, 1);
  std::vector<int> lIDs;
  for (const TReceived &lItem : lRecorder.Received)
    lIDs.push_back(lItem.EventID);
  EXPECT_EQ(lIDs, (std::vector<int>{BASE_MAIN_SYMBOLS, BASE_MAIN_BALANCES, BASE_MAIN_DEPTH,
                                    BASE_MAIN_DEPTH + 1, BASE_MAIN_DEPTH + 2, BASE_MAIN_DEPTH + 3,
                                    BASE_MAIN_DEPTH + 4}));
  lWriter.Publisher().Unsubscribe(&lRecorder, 0);
}

TEST(UIWriter, RaisingHandlerIsLoggedItemsAreReleasedAndDeliveryGoesOn)
{
  QTemporaryDir lDir;
  ASSERT_TRUE(lDir.isValid());
  SetUserNameSource([] { return QStringLiteral("kestrum"); });
  LogWriter = std::make_unique<TLogWriter>(lDir.path());

  std::atomic<int> lFreed = 0;
  TRecorder lRecorder;
  lRecorder.OnEvent = [](int aEventID) {
    if (aEventID == BASE_MAIN_BALANCES)
      throw std::runtime_error("balances view failed");
  };
  {
    TUIWriter lWriter;
    lWriter.Publisher().Subscribe(&lRecorder, 0);
    for (int lID : {BASE_MAIN_SYMBOLS, BASE_MAIN_BALANCES, BASE_MAIN_DEPTH})
      lWriter.Queue().Push(std::make_unique<TCountedInfo>(lID, lFreed));
    ASSERT_TRUE(PumpUntil([&] { return lFreed == 3; }));
    lWriter.Publisher().Unsubscribe(&lRecorder, 0);
  }
  ASSERT_EQ(lRecorder.Received.size(), 3u);
  EXPECT_EQ(lRecorder.Received[2].EventID, BASE_MAIN_DEPTH);

  LogWriter.reset();
  SetUserNameSource({});
  QFile lLog(lDir.filePath(QStringLiteral("Debug.log")));
  ASSERT_TRUE(lLog.open(QIODevice::ReadOnly));
  EXPECT_TRUE(lLog.readAll().contains(
      "\tALERT\t        \tTUIWriteThread.DoExecute error: balances view failed\r\n"));
}

TEST(UIWriter, UnsubscribedWindowReceivesNothingMore)
{
  TRecorder lRecorder;
  TUIWriter lWriter;
  lWriter.Publisher().Subscribe(&lRecorder, 0);
  lWriter.Post(BASE_MAIN_SYMBOLS);
  ASSERT_TRUE(PumpUntil([&] { return lRecorder.Received.size() == 1; }));

  // Queued while subscribed, delivered after the window left.
  for (int i = 0; i < 10; ++i)
    lWriter.Post(BASE_MAIN_USERORDERS);
  lWriter.Publisher().Unsubscribe(&lRecorder, 0);
  ASSERT_TRUE(WaitHandedOver(lWriter));
  TRecorder lStillThere;
  lWriter.Publisher().Subscribe(&lStillThere, 0);
  ASSERT_TRUE(PumpUntil([&] { return lStillThere.Received.size() == 10; }));
  EXPECT_EQ(lRecorder.Received.size(), 1u);
  lWriter.Publisher().Unsubscribe(&lStillThere, 0);
}

TEST(UIWriter, DestroyedWriterReleasesPendingItemsAndDeliversNothing)
{
  std::atomic<int> lFreed = 0;
  TRecorder lRecorder;
  auto lWriter = std::make_unique<TUIWriter>();
  lWriter->Publisher().Subscribe(&lRecorder, 0);
  for (int i = 0; i < 50; ++i)
    lWriter->Queue().Push(std::make_unique<TCountedInfo>(BASE_MAIN_SYMBOLS, lFreed));
  // Handed over to the GUI thread, whose loop has not run yet.
  ASSERT_TRUE(WaitHandedOver(*lWriter));
  EXPECT_EQ(lFreed, 0);
  lWriter.reset();
  EXPECT_EQ(lFreed, 50);
  QCoreApplication::processEvents();
  QCoreApplication::sendPostedEvents();
  EXPECT_TRUE(lRecorder.Received.empty());
}
