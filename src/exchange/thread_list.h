#pragma once

#include <memory>

class TWorkerThread;

// How a list waits at shut-down: the user model's list waits first and then asks the threads
// to terminate; a chart's list asks first and then waits briefly.
enum class TThreadListKind { tlkUser = 0, tlkChart = 1 };
using enum TThreadListKind;

class TThreadRegistration;

// The locked list of the request threads that are running for one owner (the user model or a
// chart), kept for the shut-down waits. The entries live in a registry shared with the threads,
// so a thread that outlives its owner's list still unregisters safely.
class TThreadList
{
public:
  explicit TThreadList(TThreadListKind aKind = tlkUser);
  ~TThreadList();
  TThreadList(const TThreadList &) = delete;
  TThreadList &operator=(const TThreadList &) = delete;

  // Adds aThread; it stays registered until the returned registration is destroyed.
  [[nodiscard]] TThreadRegistration Register(TWorkerThread *aThread);

  int ThreadListCount() const;
  // Asks every registered thread to terminate, last registered first, under the list's lock;
  // then processes pending events (and, for the user list, grants the 1000 ms grace period).
  void DestroyThreads();
  // The shut-down wait of the list's kind; call on the GUI thread.
  void WaitForThreads();

  TThreadListKind Kind() const { return fKind; }

private:
  struct TRegistry;
  const TThreadListKind fKind;
  std::shared_ptr<TRegistry> fRegistry;
  friend class TThreadRegistration;
};

// A thread's place in a list; unregisters when destroyed (also when the thread unwinds).
class TThreadRegistration
{
public:
  TThreadRegistration() = default;
  ~TThreadRegistration();
  TThreadRegistration(TThreadRegistration &&aOther) noexcept;
  TThreadRegistration &operator=(TThreadRegistration &&aOther) noexcept;
  TThreadRegistration(const TThreadRegistration &) = delete;
  TThreadRegistration &operator=(const TThreadRegistration &) = delete;

  void Release();

private:
  friend class TThreadList;
  TThreadRegistration(std::shared_ptr<TThreadList::TRegistry> aRegistry, TWorkerThread *aThread)
      : fRegistry(std::move(aRegistry)), fThread(aThread)
  {
  }
  std::shared_ptr<TThreadList::TRegistry> fRegistry;
  TWorkerThread *fThread = nullptr;
};

// The list that request threads without a chart register in. The user model owns that list
// and makes it the default with SetUserThreadList (and clears it before the list goes); until
// then a process-wide list of the user kind stands in.
TThreadList &UserThreadList();
void SetUserThreadList(TThreadList *aList);
// Registers aThread in the current user list; safe against SetUserThreadList meanwhile.
[[nodiscard]] TThreadRegistration RegisterInUserThreadList(TWorkerThread *aThread);
