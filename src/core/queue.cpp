#include "queue.h"

#include "semaphore.h"

TBaseQueue::TBaseQueue(TSemaphore *aSemaphore) : fSemaphore(aSemaphore) {}

TBaseQueue::~TBaseQueue()
{
  // Items nobody took any more (the writer thread has ended) are freed here.
  while (fTail) {
    TQueueItem *lNext = fTail->fNext;
    delete fTail;
    fTail = lNext;
  }
}

void TBaseQueue::Push(std::unique_ptr<TQueueItem> aQueueItem)
{
  if (!aQueueItem)
    return;
  {
    const std::lock_guard lGuard(fLock);
    TQueueItem *lItem = aQueueItem.release();
    lItem->fNext = nullptr;
    if (fHead)
      fHead->fNext = lItem;
    else
      fTail = lItem;
    fHead = lItem;
  }
  // Released after linking, so an acquired unit always finds its item.
  if (fSemaphore)
    fSemaphore->Release();
}

std::unique_ptr<TQueueItem> TBaseQueue::Pop()
{
  const std::lock_guard lGuard(fLock);
  TQueueItem *lItem = fTail;
  if (!lItem)
    return nullptr;
  fTail = lItem->fNext;
  if (!fTail)
    fHead = nullptr;
  lItem->fNext = nullptr;
  return std::unique_ptr<TQueueItem>(lItem);
}

bool TBaseQueue::Empty() const
{
  const std::lock_guard lGuard(fLock);
  return fTail == nullptr;
}
