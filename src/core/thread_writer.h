#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

class TBaseQueue;
class TSemaphore;

// The one thread of a writer: takes a semaphore unit per queued item and hands it to DoExecute.
// Started explicitly (after the derived object is complete) and stopped by its owner before
// destruction.
class TBaseThreadWriter
{
public:
  TBaseThreadWriter(TSemaphore *aSemaphore, TBaseQueue *aQueue);
  virtual ~TBaseThreadWriter();
  TBaseThreadWriter(const TBaseThreadWriter &) = delete;
  TBaseThreadWriter &operator=(const TBaseThreadWriter &) = delete;

  void Start();
  // The thread ends at the first idle wait after this, so queued items are handled first.
  void Terminate() { fTerminated.store(true); }
  bool Terminated() const { return fTerminated.load(); }
  // Joins the thread; returns at once if it never started or was joined already.
  void WaitFor();

  static constexpr std::uint32_t cIdleWait = 50; // ms between termination checks

protected:
  virtual void DoBefore();
  // Handles one semaphore unit; false ends the thread at once (without DoAfter).
  virtual bool DoExecute();
  virtual void DoAfter();

  TSemaphore *Semaphore() const { return fSemaphore; }
  TBaseQueue *Queue() const { return fQueue; }

private:
  void Execute();

  TSemaphore *const fSemaphore; // not owned
  TBaseQueue *const fQueue;     // not owned
  std::atomic<bool> fTerminated{false};
  std::thread fThread;
};
