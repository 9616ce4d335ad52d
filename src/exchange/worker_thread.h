#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// A thread object as the request template needs it: built idle, started once, a cooperative
// terminate flag, and either waited for and freed by its creator or freed by itself at its end.
class TWorkerThread
{
public:
  TWorkerThread() = default;
  // An owned thread must have been waited for: the derived parts are gone by the time this runs.
  virtual ~TWorkerThread();
  TWorkerThread(const TWorkerThread &) = delete;
  TWorkerThread &operator=(const TWorkerThread &) = delete;

  // Runs Execute on a new thread; the creator keeps ownership, waits for it and frees it.
  // Raises std::system_error when no thread can be made (WaitFor then returns at once).
  void Start();
  // Hands the thread its own ownership: it runs and frees itself when Execute returns.
  // Raises std::system_error (and frees the object) when no thread can be made.
  static void StartFreeOnTerminate(std::unique_ptr<TWorkerThread> aThread);
  // Returns once Execute has returned. On the GUI thread it keeps processing events, so the
  // worker's hand-overs and message boxes still run meanwhile.
  void WaitFor();

  // Cooperative: only sets the flag that Terminated reports.
  void Terminate() { fTerminated = true; }
  bool Terminated() const { return fTerminated; }
  bool Finished() const;
  // Kernel id of the worker (0 until it runs): the tag of the thread's log entries.
  int ThreadID() const { return fThreadID; }

  // Threads started and not yet ended, free-running ones included; lets shut-down and tests
  // make sure nothing still runs on objects about to go.
  static int LiveCount();

protected:
  virtual void Execute() = 0;

private:
  void Run();

  std::thread fThread;
  std::atomic<bool> fTerminated = false;
  std::atomic<int> fThreadID = 0;
  mutable std::mutex fLock;
  std::condition_variable fDone;
  bool fFinished = false;
  bool fGuiWaiting = false;
};

// The blocking hand-over to the GUI thread (QCoreApplication's thread): runs aProc there and
// waits; an exception it raises comes back to the caller. Runs aProc directly when already on
// the GUI thread or when there is no application object.
void RunOnMainThread(const std::function<void()> &aProc);

// Queues aProc to run on the GUI thread later, without waiting; runs it at once when there is
// no application object. Never raises.
void PostToMainThread(std::function<void()> aProc);

// Processes pending events when called on the GUI thread; does nothing elsewhere.
void ProcessMessages();
