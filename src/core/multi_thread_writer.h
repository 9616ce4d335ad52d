#pragma once

#include "queue.h"
#include "semaphore.h"
#include "thread_writer.h"

#include <functional>
#include <memory>

// A queue, its semaphore and the one thread that empties it.
class TMultiThreadWriter
{
public:
  using TThreadFactory =
      std::function<std::unique_ptr<TBaseThreadWriter>(TSemaphore *, TBaseQueue *)>;

  // Builds the thread with aThreadFactory and starts it, unless aStart is false: then the
  // derived writer starts it once its own parts exist.
  explicit TMultiThreadWriter(const TThreadFactory &aThreadFactory, bool aStart = true);
  virtual ~TMultiThreadWriter();
  TMultiThreadWriter(const TMultiThreadWriter &) = delete;
  TMultiThreadWriter &operator=(const TMultiThreadWriter &) = delete;

  TBaseQueue &Queue() { return fQueue; }
  TSemaphore &Semaphore() { return fSemaphore; }
  TBaseThreadWriter &Thread() { return *fThread; }

  // Lets the thread handle everything queued so far, then ends it and waits for it.
  // Items pushed afterwards are never handled (they are freed with the queue).
  void Finish();

protected:
  void Start() { fThread->Start(); }

private:
  TSemaphore fSemaphore;
  TBaseQueue fQueue;
  std::unique_ptr<TBaseThreadWriter> fThread;
};
