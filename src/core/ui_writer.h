#pragma once

#include "d_classes.h"
#include "multi_thread_writer.h"

#include <QObject>

#include <deque>
#include <memory>

// One queued notification: an event ID and its untyped argument, passed on unchanged.
class TUIInfo : public TQueueItem
{
public:
  TUIInfo(int aNotifyCode, void *aData) : NotifyCode(aNotifyCode), Data(aData) {}

  int NotifyCode;
  void *Data;
};

// The GUI-thread end of the UI writer: publishes the items handed over to it, one at a time
// and in order. Owned by the writer; queued calls still pending when it is destroyed are
// dropped by Qt together with their items.
class TUIDelivery : public QObject
{
public:
  explicit TUIDelivery(TDPublisher &aPublisher) : fPublisher(aPublisher) {}

  // Runs on the thread this object lives in (the GUI thread).
  void Accept(std::unique_ptr<TUIInfo> aInfo);

private:
  void Publish(const TUIInfo &aInfo);

  TDPublisher &fPublisher;
  std::deque<std::unique_ptr<TUIInfo>> fPending;
  bool fDelivering = false;
};

class TUIWriter;

// Takes the queued items out in push order and hands each to the GUI thread.
class TUIWriteThread : public TBaseThreadWriter
{
public:
  TUIWriteThread(TSemaphore *aSemaphore, TBaseQueue *aQueue, TUIWriter &aWriter);

protected:
  bool DoExecute() override;

private:
  TUIWriter &fWriter;
};

// Create and destroy it on the GUI thread: that is where its notifications are published.
class TUIWriter : public TMultiThreadWriter
{
public:
  TUIWriter();
  ~TUIWriter() override;

  TDPublisher &Publisher() { return fPublisher; }
  // Queues an event for the subscribers of Publisher; callable from any thread.
  void Post(int aNotifyCode, void *aData = nullptr);

private:
  friend class TUIWriteThread;
  // Writer thread: schedules one queued call on the GUI thread for the item.
  void HandOver(std::unique_ptr<TUIInfo> aInfo);

  TDPublisher fPublisher;
  TUIDelivery fDelivery{fPublisher};
};

extern std::unique_ptr<TUIWriter> UIWriter;
