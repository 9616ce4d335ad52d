#include "ui_writer.h"

#include "log_writer.h"

#include <QMetaObject>
#include <QString>

#include <exception>
#include <stdexcept>

std::unique_ptr<TUIWriter> UIWriter;

void TUIDelivery::Accept(std::unique_ptr<TUIInfo> aInfo)
{
  fPending.push_back(std::move(aInfo));
  // A handler that runs a nested event loop (a message box) lets later calls in here; they
  // wait and are published after that handler has returned, in order.
  if (fDelivering)
    return;
  fDelivering = true;
  while (!fPending.empty()) {
    const std::unique_ptr<TUIInfo> lInfo = std::move(fPending.front());
    fPending.pop_front();
    Publish(*lInfo);
  }
  fDelivering = false;
}

void TUIDelivery::Publish(const TUIInfo &aInfo)
{
  try {
    fPublisher.Notify(aInfo.NotifyCode, aInfo.Data);
  } catch (const std::exception &e) {
    WriteLog(QStringLiteral("TUIWriteThread.DoExecute error: ") + QString::fromUtf8(e.what()),
             mtAlert);
  } catch (...) {
    WriteLog(QStringLiteral("TUIWriteThread.DoExecute error: unknown exception"), mtAlert);
  }
}

TUIWriteThread::TUIWriteThread(TSemaphore *aSemaphore, TBaseQueue *aQueue, TUIWriter &aWriter)
    : TBaseThreadWriter(aSemaphore, aQueue), fWriter(aWriter)
{
}

bool TUIWriteThread::DoExecute()
{
  std::unique_ptr<TQueueItem> lItem = Queue()->Pop();
  if (!lItem)
    return true;
  if (!dynamic_cast<TUIInfo *>(lItem.get()))
    throw std::logic_error("an item that is not a notification was queued");
  fWriter.HandOver(std::unique_ptr<TUIInfo>(static_cast<TUIInfo *>(lItem.release())));
  return true;
}

TUIWriter::TUIWriter()
    : TMultiThreadWriter(
          [this](TSemaphore *aSemaphore, TBaseQueue *aQueue) {
            return std::make_unique<TUIWriteThread>(aSemaphore, aQueue, *this);
          },
          false)
{
  // The thread reaches the publisher and the delivery object: start it only now they exist.
  Start();
}

TUIWriter::~TUIWriter()
{
  // The thread must be done handing over before the delivery object and publisher go.
  Finish();
}

void TUIWriter::Post(int aNotifyCode, void *aData)
{
  Queue().Push(std::make_unique<TUIInfo>(aNotifyCode, aData));
}

void TUIWriter::HandOver(std::unique_ptr<TUIInfo> aInfo)
{
  // One queued call per item: calls posted from one thread to one object run in post order.
  QMetaObject::invokeMethod(
      &fDelivery,
      [lDelivery = &fDelivery, lInfo = std::move(aInfo)]() mutable {
        lDelivery->Accept(std::move(lInfo));
      },
      Qt::QueuedConnection);
}
