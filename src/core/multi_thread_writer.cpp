#include "multi_thread_writer.h"

#include <climits>
#include <stdexcept>

TMultiThreadWriter::TMultiThreadWriter(const TThreadFactory &aThreadFactory, bool aStart)
    : fSemaphore(0, INT_MAX), fQueue(&fSemaphore), fThread(aThreadFactory(&fSemaphore, &fQueue))
{
  if (!fThread)
    throw std::invalid_argument("TMultiThreadWriter: no writer thread");
  if (aStart)
    Start();
}

TMultiThreadWriter::~TMultiThreadWriter()
{
  Finish();
}

void TMultiThreadWriter::Finish()
{
  fThread->Terminate();
  fThread->WaitFor();
}
