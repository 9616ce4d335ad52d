#include "folders.h"
#include "log_writer.h"
#include "multi_thread_writer.h"
#include "queue.h"
#include "semaphore.h"
#include "thread_writer.h"
#include "utils.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

// The log is written only for one login name; tests choose the name through the seam.
void UseLoginName(const QString &aName)
{
  SetUserNameSource([aName] { return aName; });
}

class TUserNameGuard
{
public:
  explicit TUserNameGuard(const QString &aName) { UseLoginName(aName); }
  ~TUserNameGuard() { SetUserNameSource({}); }
};

class TTagItem : public TQueueItem
{
public:
  explicit TTagItem(int aTag, std::atomic<int> *aFreed = nullptr) : Tag(aTag), fFreed(aFreed) {}
  ~TTagItem() override
  {
    if (fFreed)
      ++*fFreed;
  }
  const int Tag;

private:
  std::atomic<int> *fFreed;
};

int TagOf(const std::unique_ptr<TQueueItem> &aItem)
{
  return aItem ? static_cast<const TTagItem &>(*aItem).Tag : -1000;
}

bool WaitFor(const std::function<bool()> &aDone, std::chrono::milliseconds aTimeout = 10s)
{
  const auto lDeadline = std::chrono::steady_clock::now() + aTimeout;
  while (!aDone()) {
    if (std::chrono::steady_clock::now() > lDeadline)
      return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Idle: nothing queued, no unit outstanding, and it stays so for a while.
bool WaitIdle(TMultiThreadWriter &aWriter)
{
  auto lIdle = [&] { return aWriter.Queue().Empty() && aWriter.Semaphore().Count() == 0; };
  return WaitFor([&] {
    if (!lIdle())
      return false;
    std::this_thread::sleep_for(150ms);
    return lIdle();
  });
}

QByteArray ReadFile(const QString &aFileName)
{
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray();
}

// Lines without their CR LF; fails the test when a line is not ended by CR LF.
QList<QByteArray> ReadLines(const QString &aFileName)
{
  const QByteArray lData = ReadFile(aFileName);
  QList<QByteArray> lLines = lData.split('\n');
  EXPECT_TRUE(lLines.isEmpty() || lLines.back().isEmpty()) << "last line has no line end";
  lLines.removeLast();
  for (QByteArray &lLine : lLines) {
    EXPECT_TRUE(lLine.endsWith('\r')) << lLine.constData();
    lLine.chop(1);
  }
  return lLines;
}

} // namespace

// --- semaphore --------------------------------------------------------------------------------

TEST(WriterSemaphore, AcquireTimesOutWhenEmptyAndTakesReleasedUnits)
{
  TSemaphore lSemaphore(0, 10);
  const auto lStart = std::chrono::steady_clock::now();
  EXPECT_EQ(lSemaphore.AcquireEx(40), arTimeout);
  EXPECT_GE(std::chrono::steady_clock::now() - lStart, 30ms); // it waited, not just polled

  EXPECT_EQ(lSemaphore.Release(2), 0);
  EXPECT_EQ(lSemaphore.Release(), 2);
  EXPECT_EQ(lSemaphore.Count(), 3);
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(lSemaphore.AcquireEx(0), arObject);
  EXPECT_EQ(lSemaphore.AcquireEx(0), arTimeout);
  EXPECT_EQ(lSemaphore.Count(), 0);
}

TEST(WriterSemaphore, WaiterWakesOnReleaseFromAnotherThread)
{
  TSemaphore lSemaphore(0, 1);
  TAcquireResult lResult = arTimeout;
  std::thread lWaiter([&] { lResult = lSemaphore.AcquireEx(10000); });
  std::this_thread::sleep_for(20ms);
  lSemaphore.Release();
  lWaiter.join();
  EXPECT_EQ(lResult, arObject);
}

TEST(WriterSemaphore, CountsOutsideTheRangeRaise)
{
  EXPECT_THROW(TSemaphore(2, 1), std::system_error);
  EXPECT_THROW(TSemaphore(-1, 5), std::system_error);
  EXPECT_THROW(TSemaphore(0, 0), std::system_error);

  TSemaphore lSemaphore(1, 2);
  EXPECT_EQ(lSemaphore.Release(), 1);
  EXPECT_THROW(lSemaphore.Release(), std::system_error);
  EXPECT_THROW(lSemaphore.Release(0), std::system_error);
  EXPECT_EQ(lSemaphore.Count(), 2);
}

// --- queue ------------------------------------------------------------------------------------

TEST(WriterQueue, PopsOldestFirstAndReleasesOneUnitPerPush)
{
  TSemaphore lSemaphore(0, INT_MAX);
  TBaseQueue lQueue(&lSemaphore);
  for (int i = 1; i <= 3; ++i)
    lQueue.Push(std::make_unique<TTagItem>(i));
  EXPECT_EQ(lSemaphore.Count(), 3);
  EXPECT_EQ(TagOf(lQueue.Pop()), 1);
  lQueue.Push(std::make_unique<TTagItem>(4));
  EXPECT_EQ(TagOf(lQueue.Pop()), 2);
  EXPECT_EQ(TagOf(lQueue.Pop()), 3);
  EXPECT_EQ(TagOf(lQueue.Pop()), 4);
  EXPECT_TRUE(lQueue.Empty());
}

TEST(WriterQueue, PopOnEmptyReturnsNothingAndQueueStaysUsable)
{
  TSemaphore lSemaphore(0, INT_MAX);
  TBaseQueue lQueue(&lSemaphore);
  EXPECT_EQ(lQueue.Pop(), nullptr);
  EXPECT_EQ(lQueue.Pop(), nullptr);
  lQueue.Push(std::make_unique<TTagItem>(7));
  lQueue.Push(std::make_unique<TTagItem>(8));
  EXPECT_EQ(TagOf(lQueue.Pop()), 7);
  EXPECT_EQ(TagOf(lQueue.Pop()), 8);
  EXPECT_EQ(lQueue.Pop(), nullptr);
}

TEST(WriterQueue, EmptyItemIsIgnoredAndLeftoversAreFreed)
{
  TSemaphore lSemaphore(0, INT_MAX);
  std::atomic<int> lFreed = 0;
  {
    TBaseQueue lQueue(&lSemaphore);
    lQueue.Push(nullptr);
    EXPECT_TRUE(lQueue.Empty());
    EXPECT_EQ(lSemaphore.Count(), 0);
    for (int i = 0; i < 5; ++i)
      lQueue.Push(std::make_unique<TTagItem>(i, &lFreed));
    lQueue.Pop(); // taken and dropped
    EXPECT_EQ(lFreed, 1);
  }
  EXPECT_EQ(lFreed, 5);
}

// --- writer thread ----------------------------------------------------------------------------

namespace {

// Records the steps it runs; tag -1 makes DoExecute end the thread, tag -2 makes it raise.
class TRecordingThread : public TBaseThreadWriter
{
public:
  using TBaseThreadWriter::TBaseThreadWriter;
  std::vector<int> Steps; // 1000 = DoBefore, 2000 = DoAfter, else the tag handled

protected:
  void DoBefore() override { Steps.push_back(1000); }
  bool DoExecute() override
  {
    const int lTag = TagOf(Queue()->Pop());
    Steps.push_back(lTag);
    if (lTag == -2)
      throw std::runtime_error("item failed");
    return lTag != -1;
  }
  void DoAfter() override { Steps.push_back(2000); }
};

TMultiThreadWriter::TThreadFactory RecordingFactory()
{
  return [](TSemaphore *aSemaphore, TBaseQueue *aQueue) {
    return std::make_unique<TRecordingThread>(aSemaphore, aQueue);
  };
}

std::vector<int> StepsOf(TMultiThreadWriter &aWriter)
{
  return static_cast<TRecordingThread &>(aWriter.Thread()).Steps;
}

} // namespace

TEST(WriterThread, HandlesEveryQueuedItemBeforeEndingWithDoAfter)
{
  TMultiThreadWriter lWriter(RecordingFactory());
  std::vector<int> lExpected = {1000};
  for (int i = 0; i < 500; ++i) {
    lWriter.Queue().Push(std::make_unique<TTagItem>(i));
    lExpected.push_back(i);
  }
  lExpected.push_back(2000);
  lWriter.Finish(); // right after the pushes: termination must wait for them
  EXPECT_EQ(StepsOf(lWriter), lExpected);
}

TEST(WriterThread, FalseFromDoExecuteEndsAtOnceWithoutDoAfter)
{
  std::atomic<int> lFreed = 0;
  TMultiThreadWriter lWriter(RecordingFactory());
  lWriter.Queue().Push(std::make_unique<TTagItem>(1, &lFreed));
  lWriter.Queue().Push(std::make_unique<TTagItem>(-1, &lFreed));
  lWriter.Queue().Push(std::make_unique<TTagItem>(2, &lFreed));
  lWriter.Finish();
  EXPECT_EQ(StepsOf(lWriter), (std::vector<int>{1000, 1, -1}));
  EXPECT_EQ(lFreed, 2); // the item after the end waits in the queue
}

TEST(WriterThread, RaisingItemDoesNotStopTheWriter)
{
  TMultiThreadWriter lWriter(RecordingFactory());
  for (int lTag : {1, -2, 3})
    lWriter.Queue().Push(std::make_unique<TTagItem>(lTag));
  lWriter.Finish();
  EXPECT_EQ(StepsOf(lWriter), (std::vector<int>{1000, 1, -2, 3, 2000}));
}

// --- log writer on a real file ----------------------------------------------------------------

namespace {

class LogWriterFile : public ::testing::Test
{
protected:
  void SetUp() override { ASSERT_TRUE(fDir.isValid()); }
  void TearDown() override { LogWriter.reset(); }

  QString Folder() const { return fDir.path(); }
  QString LogFile() const { return fDir.filePath(QStringLiteral("Debug.log")); }

  QTemporaryDir fDir;
  TUserNameGuard fUser{QStringLiteral("kestrum")};
};

} // namespace

TEST_F(LogWriterFile, WritesEachEntryAsItsBuiltLineAndAppendsAcrossRuns)
{
  std::vector<TLogMessage> lMessages;
  lMessages.emplace_back(QString(), EncodeDateTime(2024, 3, 15, 9, 0, 0, 5), mtConfirm, 0);
  lMessages.emplace_back(QStringLiteral("Создан ордер"), EncodeDateTime(2024, 3, 15), mtInfo, 42);
  lMessages.emplace_back(QString(1500, QLatin1Char('a')),
                         EncodeDateTime(2024, 3, 15, 23, 59, 59, 999), mtAlert, 0);
  QByteArray lExpected;
  for (int lRun = 0; lRun < 2; ++lRun) {
    TLogWriter lWriter(Folder() + QLatin1Char('/')); // a trailing separator is not doubled
    for (const TLogMessage &lMessage : lMessages) {
      lWriter.Queue().Push(std::make_unique<TLogMessage>(lMessage));
      lExpected += BuildLogLine(lMessage);
    }
    lWriter.Finish();
    EXPECT_EQ(lWriter.LogThread().FileName(), LogFile());
  }
  EXPECT_EQ(ReadFile(LogFile()), lExpected);
}

TEST_F(LogWriterFile, OtherLoginNamesNeverCreateOrChangeTheFile)
{
  for (const QString &lName : {QStringLiteral("Kestrum"), QStringLiteral("kestrum2"),
                               QStringLiteral("Unknown"), QStringLiteral("")}) {
    UseLoginName(lName);
    LogWriter = std::make_unique<TLogWriter>(Folder());
    for (int i = 0; i < 300; ++i)
      WriteLog(QStringLiteral("entry %1").arg(i), i % 2 ? mtAlert : mtInfo, i);
    LogWriter.reset();
    EXPECT_FALSE(QFile::exists(LogFile())) << lName.toStdString();
  }

  // An existing log is left exactly as it was.
  {
    UseLoginName(QStringLiteral("kestrum"));
    LogWriter = std::make_unique<TLogWriter>(Folder());
    WriteLog(QStringLiteral("mine"));
    LogWriter.reset();
  }
  const QByteArray lBefore = ReadFile(LogFile());
  ASSERT_FALSE(lBefore.isEmpty());
  {
    UseLoginName(QStringLiteral("guest"));
    LogWriter = std::make_unique<TLogWriter>(Folder());
    WriteLog(QStringLiteral("not mine"));
    LogWriter.reset();
  }
  EXPECT_EQ(ReadFile(LogFile()), lBefore);
}

TEST_F(LogWriterFile, WriteLogWithoutWriterDoesNothing)
{
  ASSERT_EQ(LogWriter, nullptr);
  WriteLog(QStringLiteral("nobody listens"), mtAlert, 1);
  LogWriter = std::make_unique<TLogWriter>(Folder());
  LogWriter.reset();
  EXPECT_FALSE(QFile::exists(LogFile()));
}

TEST_F(LogWriterFile, EntriesQueuedJustBeforeDestructionAreWrittenInOrder)
{
  LogWriter = std::make_unique<TLogWriter>(Folder());
  for (int i = 0; i < 3; ++i)
    WriteLog(QString(), mtConfirm, 0);
  for (int i = 0; i < 2000; ++i)
    WriteLog(QStringLiteral("entry %1").arg(i), mtInfo, 0);
  LogWriter.reset();

  const QList<QByteArray> lLines = ReadLines(LogFile());
  ASSERT_EQ(lLines.size(), 2003);
  for (int i = 0; i < 3; ++i)
    EXPECT_TRUE(lLines[i].endsWith("\t\t        \t")) << lLines[i].constData();
  for (int i = 0; i < 2000; ++i) {
    const QByteArray lTail = "\tINFO\t        \tentry " + QByteArray::number(i);
    ASSERT_TRUE(lLines[i + 3].endsWith(lTail)) << lLines[i + 3].constData();
  }
}

TEST_F(LogWriterFile, ConcurrentThreadsLoseNothingAndKeepTheirOrder)
{
  constexpr int cThreads = 4;
  constexpr int cEntries = 5000;
  LogWriter = std::make_unique<TLogWriter>(Folder());
  std::vector<std::thread> lThreads;
  for (int t = 0; t < cThreads; ++t)
    lThreads.emplace_back([t] {
      for (int i = 0; i < cEntries; ++i)
        WriteLog(QStringLiteral("w%1 #%2").arg(t).arg(i), mtInfo, t + 1);
    });
  for (std::thread &lThread : lThreads)
    lThread.join();
  LogWriter.reset();

  const QList<QByteArray> lLines = ReadLines(LogFile());
  ASSERT_EQ(lLines.size(), cThreads * cEntries);
  std::vector<int> lNext(cThreads, 0);
  for (const QByteArray &lLine : lLines) {
    const QList<QByteArray> lFields = lLine.split('\t');
    ASSERT_EQ(lFields.size(), 4) << lLine.constData();
    EXPECT_EQ(lFields[1], "INFO");
    const int lThread = lFields[2].toInt() - 1;
    ASSERT_TRUE(lThread >= 0 && lThread < cThreads) << lLine.constData();
    ASSERT_EQ(lFields[3], QStringLiteral("w%1 #%2").arg(lThread).arg(lNext[lThread]).toUtf8());
    ++lNext[lThread];
  }
  EXPECT_EQ(lNext, std::vector<int>(cThreads, cEntries));
}

TEST_F(LogWriterFile, ThreadsStillLoggingWhileTheWriterGoesAreSafe)
{
  // As at shut-down, when request threads may still log: every entry that reached the writer
  // is written, each thread's entries form an unbroken prefix, and nothing crashes.
  constexpr int cThreads = 3;
  LogWriter = std::make_unique<TLogWriter>(Folder());
  std::atomic<bool> lStop = false;
  std::atomic<int> lStarted = 0;
  std::vector<std::thread> lThreads;
  for (int t = 0; t < cThreads; ++t)
    lThreads.emplace_back([&, t] {
      ++lStarted;
      for (int i = 0; !lStop; ++i) {
        WriteLog(QStringLiteral("%1").arg(i), mtInfo, t + 1);
        std::this_thread::sleep_for(20us);
      }
    });
  ASSERT_TRUE(WaitFor([&] { return lStarted == cThreads; }));
  std::this_thread::sleep_for(30ms);
  LogWriter.reset();
  lStop = true;
  for (std::thread &lThread : lThreads)
    lThread.join();

  std::vector<int> lNext(cThreads, 0);
  for (const QByteArray &lLine : ReadLines(LogFile())) {
    const QList<QByteArray> lFields = lLine.split('\t');
    ASSERT_EQ(lFields.size(), 4);
    const int lThread = lFields[2].toInt() - 1;
    ASSERT_TRUE(lThread >= 0 && lThread < cThreads);
    ASSERT_EQ(lFields[3].toInt(), lNext[lThread]++);
  }
  for (int lCount : lNext)
    EXPECT_GT(lCount, 0);
}

// --- re-logging limit -------------------------------------------------------------------------

TEST_F(LogWriterFile, MissingFolderReportsOnceAndDoesNotLoop)
{
  const QString lMissing = Folder() + QStringLiteral("/missing/deeper");
  TLogWriter lWriter(lMissing);
  for (int i = 0; i < 200; ++i)
    lWriter.Queue().Push(
        std::make_unique<TLogMessage>(QStringLiteral("lost"), NowLocal(), mtInfo, 0));
  // Every failure would queue an alert that fails again: the writer must still fall idle.
  ASSERT_TRUE(WaitIdle(lWriter));
  EXPECT_EQ(lWriter.LogThread().FailureReports(), 1);
  lWriter.Finish();
  EXPECT_EQ(lWriter.LogThread().FailureReports(), 1);
  EXPECT_FALSE(QDir(lMissing).exists());
}

TEST_F(LogWriterFile, EachRunOfFailuresReportsOnceAndWritingResumes)
{
  // A folder in the log's place cannot be opened as a file, whatever the rights.
  ASSERT_TRUE(QDir(Folder()).mkdir(QStringLiteral("Debug.log")));
  TLogWriter lWriter(Folder());
  auto lLog = [&](const QString &aText) {
    lWriter.Queue().Push(std::make_unique<TLogMessage>(aText, NowLocal(), mtInfo, 0));
  };
  for (int i = 0; i < 50; ++i)
    lLog(QStringLiteral("first run"));
  ASSERT_TRUE(WaitIdle(lWriter));
  EXPECT_EQ(lWriter.LogThread().FailureReports(), 1);

  ASSERT_TRUE(QDir(Folder()).rmdir(QStringLiteral("Debug.log")));
  lLog(QStringLiteral("recovered"));
  ASSERT_TRUE(WaitFor([&] { return ReadFile(LogFile()).contains("recovered"); }));
  ASSERT_TRUE(WaitIdle(lWriter));

  ASSERT_TRUE(QFile::remove(LogFile()));
  ASSERT_TRUE(QDir(Folder()).mkdir(QStringLiteral("Debug.log")));
  for (int i = 0; i < 50; ++i)
    lLog(QStringLiteral("second run"));
  lWriter.Finish();
  EXPECT_EQ(lWriter.LogThread().FailureReports(), 2);
}

TEST(LogWriterFolders, UnknownExeFolderWritesNowhereAndEnds)
{
  TUserNameGuard lUser(QStringLiteral("kestrum"));
  ASSERT_EQ(Folders, nullptr);
  TLogWriter lWriter; // no Folders: the executable's folder is unknown
  for (int i = 0; i < 20; ++i)
    lWriter.Queue().Push(std::make_unique<TLogMessage>(QStringLiteral("x"), NowLocal(), mtInfo, 0));
  lWriter.Finish();
  EXPECT_TRUE(lWriter.LogThread().FileName().isEmpty());
  EXPECT_EQ(lWriter.LogThread().FailureReports(), 1);
}
