#include "thread_writer.h"

#include "log_writer.h"
#include "semaphore.h"

#include <QString>

#include <exception>

TBaseThreadWriter::TBaseThreadWriter(TSemaphore *aSemaphore, TBaseQueue *aQueue)
    : fSemaphore(aSemaphore), fQueue(aQueue)
{
}

TBaseThreadWriter::~TBaseThreadWriter()
{
  // Owners stop the thread before the derived part is gone; this only covers a missed stop.
  Terminate();
  WaitFor();
}

void TBaseThreadWriter::Start()
{
  if (!fThread.joinable())
    fThread = std::thread([this] { Execute(); });
}

void TBaseThreadWriter::WaitFor()
{
  if (fThread.joinable() && fThread.get_id() != std::this_thread::get_id())
    fThread.join();
}

void TBaseThreadWriter::DoBefore() {}

bool TBaseThreadWriter::DoExecute()
{
  return false;
}

void TBaseThreadWriter::DoAfter() {}

namespace {

// An exception must neither end the process (std::thread would) nor silently stop the writer:
// it is logged and the thread goes on.
template <typename TStep> void RunStep(const char *aStep, TStep &&aStepCall)
{
  try {
    aStepCall();
  } catch (const std::exception &e) {
    WriteLog(QStringLiteral("TBaseThreadWriter.") + QLatin1String(aStep) +
                 QStringLiteral(" error: ") + QString::fromUtf8(e.what()),
             mtAlert);
  } catch (...) {
    WriteLog(QStringLiteral("TBaseThreadWriter.") + QLatin1String(aStep) +
                 QStringLiteral(" error: unknown exception"),
             mtAlert);
  }
}

} // namespace

void TBaseThreadWriter::Execute()
{
  RunStep("DoBefore", [this] { DoBefore(); });
  while (fSemaphore) {
    if (fSemaphore->AcquireEx(cIdleWait) == arTimeout) {
      if (Terminated())
        break;
      continue;
    }
    bool lGoOn = true; // a raising item does not end the thread
    RunStep("DoExecute", [&] { lGoOn = DoExecute(); });
    if (!lGoOn)
      return;
  }
  RunStep("DoAfter", [this] { DoAfter(); });
}
