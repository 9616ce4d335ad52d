#include "event_pump.h"
#include "journal.h"
#include "log_writer.h"
#include "utils.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

TEST(Journal, KeepsTheNewestTenThousandInOrder)
{
  TJournal lJournal;
  const int lTotal = TJournal::cJournalLimit + 5;
  for (int i = 1; i <= lTotal; ++i)
    lJournal.Add(QString::number(i), mtInfo, 0);
  lJournal.Add(QString(), mtConfirm, 0); // the log's separator line is not an entry
  EXPECT_EQ(lJournal.Count(), TJournal::cJournalLimit);
  const auto lAll = lJournal.Since(0);
  ASSERT_EQ(static_cast<int>(lAll.size()), TJournal::cJournalLimit);
  EXPECT_EQ(lAll.front().Text, QStringLiteral("6"));
  EXPECT_EQ(lAll.back().Seq, static_cast<std::uint64_t>(lTotal));
  const auto lTail = lJournal.Since(lTotal - 2);
  ASSERT_EQ(lTail.size(), 2u);
  EXPECT_EQ(lTail[0].Text, QString::number(lTotal - 1));
  EXPECT_TRUE(lJournal.Since(lTotal).empty());
}

TEST(Journal, CutsLongLinesButKeepsMoreOfAnAlert)
{
  TJournal lJournal;
  const QString lLong(5000, QLatin1Char('x'));
  lJournal.Add(lLong, mtInfo, 0);
  lJournal.Add(lLong, mtAlert, 0);
  const auto lAll = lJournal.Since(0);
  ASSERT_EQ(lAll.size(), 2u);
  EXPECT_EQ(lAll[0].Text.size(), cLogLineLimit + 3);
  EXPECT_TRUE(lAll[0].Text.endsWith(QStringLiteral("...")));
  EXPECT_EQ(lAll[1].Text, lLong);
}

// Entries come from many threads at once; the listener hears about them on its own thread,
// not once per entry, and reading catches every one.
TEST(Journal, DeliversToTheListenersThreadInBatches)
{
  TJournal lJournal;
  QObject lReceiver;
  std::atomic<int> lCalls{0};
  std::atomic<bool> lOffThread{false};
  std::uint64_t lSeen = 0;
  std::size_t lRead = 0;
  lJournal.SetListener(&lReceiver, [&] {
    ++lCalls;
    if (QThread::currentThread() != lReceiver.thread())
      lOffThread = true;
    const auto lNew = lJournal.Since(lSeen);
    if (!lNew.empty())
      lSeen = lNew.back().Seq;
    lRead += lNew.size();
  });
  std::vector<std::thread> lThreads;
  for (int t = 0; t < 4; ++t)
    lThreads.emplace_back([&lJournal] {
      for (int i = 0; i < 1000; ++i)
        lJournal.Add(QStringLiteral("entry"), mtInfo, 0);
    });
  for (auto &lThread : lThreads)
    lThread.join();
  EXPECT_TRUE(PumpUntil([&] { return lRead == 4000; }, 5000));
  EXPECT_FALSE(lOffThread);
  EXPECT_GE(lCalls.load(), 1);
  EXPECT_LT(lCalls.load(), 4000);
  lJournal.RemoveListener(&lReceiver);
  lJournal.Add(QStringLiteral("after"), mtInfo, 0);
  const int lCallsBefore = lCalls;
  PumpFor(50);
  EXPECT_EQ(lCalls.load(), lCallsBefore);
}

TEST(Journal, WriteLogFeedsItWhateverTheLoginName)
{
  SetUserNameSource([] { return QStringLiteral("trader"); });
  const std::uint64_t lBefore = Journal().LastSeq();
  WriteLog(QStringLiteral("TProfile.LoadFromFile error: broken"), mtAlert);
  WriteLog(QString(), mtConfirm);
  SetUserNameSource({});
  const auto lNew = Journal().Since(lBefore);
  ASSERT_EQ(lNew.size(), 1u);
  EXPECT_EQ(lNew[0].Text, QStringLiteral("TProfile.LoadFromFile error: broken"));
  EXPECT_EQ(lNew[0].MessageType, mtAlert);
}
