#include "journal.h"

#include <QMetaObject>
#include <QObject>

#include <cstddef>

namespace {

// Every second the price request logs its whole answer; kept whole, ten thousand of them
// would hold gigabytes. Debug.log cuts the same lines at the same length.
constexpr int cEntryLimit = 1000;
// Alerts carry the exchange's reason; they are kept longer, but not without bound.
constexpr int cAlertLimit = 8000;

QString Cut(const QString &aText, int aLimit)
{
  if (aText.size() <= aLimit)
    return aText;
  qsizetype lCut = aLimit;
  if (aText.at(lCut - 1).isHighSurrogate())
    --lCut;
  return aText.left(lCut) + QStringLiteral("...");
}

} // namespace

TJournal &Journal()
{
  static TJournal lJournal;
  return lJournal;
}

void TJournal::Add(const QString &aText, TMessageType aMessageType, TDateTime aTime)
{
  if (aText.isEmpty())
    return;
  const QString lText = Cut(aText, aMessageType == mtAlert ? cAlertLimit : cEntryLimit);
  const std::lock_guard lGuard(fLock);
  fEntries.push_back({++fLastSeq, aTime, aMessageType, lText});
  if (fEntries.size() > static_cast<std::size_t>(cJournalLimit))
    fEntries.pop_front();
  if (fReceiver && !fPending) {
    fPending = true;
    QMetaObject::invokeMethod(fReceiver, fNotify, Qt::QueuedConnection);
  }
}

std::vector<TJournalEntry> TJournal::Since(std::uint64_t aSeq) const
{
  const std::lock_guard lGuard(fLock);
  fPending = false;
  if (fEntries.empty() || aSeq >= fLastSeq)
    return {};
  // Sequence numbers run without gaps, so the first newer entry is found by subtraction.
  const std::uint64_t lFirstSeq = fEntries.front().Seq;
  const std::uint64_t lSkip = aSeq < lFirstSeq ? 0 : aSeq - lFirstSeq + 1;
  return {fEntries.begin() + static_cast<std::ptrdiff_t>(lSkip), fEntries.end()};
}

int TJournal::Count() const
{
  const std::lock_guard lGuard(fLock);
  return static_cast<int>(fEntries.size());
}

std::uint64_t TJournal::LastSeq() const
{
  const std::lock_guard lGuard(fLock);
  return fLastSeq;
}

void TJournal::SetListener(QObject *aReceiver, std::function<void()> aNotify)
{
  const std::lock_guard lGuard(fLock);
  fReceiver = aReceiver;
  fNotify = std::move(aNotify);
  fPending = false;
}

void TJournal::RemoveListener(QObject *aReceiver)
{
  const std::lock_guard lGuard(fLock);
  if (fReceiver != aReceiver)
    return;
  fReceiver = nullptr;
  fNotify = nullptr;
  fPending = false;
}
