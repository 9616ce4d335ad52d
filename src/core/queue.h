#pragma once

#include <memory>
#include <mutex>

class TSemaphore;

// One entry of a writer's queue; writers derive their item types from it.
class TQueueItem
{
public:
  virtual ~TQueueItem() = default;

private:
  friend class TBaseQueue;
  TQueueItem *fNext = nullptr; // toward the newer end; owned by the queue while linked
};

// A FIFO shared by any number of pushing threads and one popping thread. Each push releases
// the writer's semaphore once, so its count is the number of items not yet taken.
class TBaseQueue
{
public:
  explicit TBaseQueue(TSemaphore *aSemaphore);
  ~TBaseQueue();
  TBaseQueue(const TBaseQueue &) = delete;
  TBaseQueue &operator=(const TBaseQueue &) = delete;

  // Takes ownership; an empty item is ignored.
  void Push(std::unique_ptr<TQueueItem> aQueueItem);
  // The oldest item, or nothing when the queue is empty; never waits.
  std::unique_ptr<TQueueItem> Pop();
  bool Empty() const;

  TSemaphore *Semaphore() const { return fSemaphore; }

private:
  TSemaphore *const fSemaphore; // not owned
  mutable std::mutex fLock;
  TQueueItem *fHead = nullptr; // newest
  TQueueItem *fTail = nullptr; // oldest
};
