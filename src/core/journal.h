#pragma once

#include "consts.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

class QObject;

struct TJournalEntry
{
  std::uint64_t Seq; // 1 for the first entry of the run, then one up per entry
  TDateTime Time;    // local clock
  TMessageType MessageType;
  QString Text;
};

// What this run has logged, for the trader's own eyes: unlike Debug.log it is kept for every
// login name. Any thread adds; the listener hears about new entries on its own thread.
class TJournal
{
public:
  static constexpr int cJournalLimit = 10000;

  // Empty texts (the log's separators) are not kept.
  void Add(const QString &aText, TMessageType aMessageType, TDateTime aTime);
  // The kept entries newer than aSeq, oldest first.
  std::vector<TJournalEntry> Since(std::uint64_t aSeq) const;
  int Count() const;
  std::uint64_t LastSeq() const;

  // aNotify runs on aReceiver's thread after entries were added, once for any number of them
  // until the listener next reads with Since. Queued calls die with aReceiver.
  void SetListener(QObject *aReceiver, std::function<void()> aNotify);
  void RemoveListener(QObject *aReceiver);

private:
  mutable std::mutex fLock;
  std::deque<TJournalEntry> fEntries;
  std::uint64_t fLastSeq = 0;
  QObject *fReceiver = nullptr;
  std::function<void()> fNotify;
  mutable bool fPending = false;
};

TJournal &Journal();
