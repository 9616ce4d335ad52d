#include "ping_thread.h"

#include "methods.h"

#include <QJsonDocument>

void TPingThread::DoParseResponse()
{
  if (fResponse.isEmpty()) {
    LogError(cPingThreadTexts.EmptyResponse);
    return;
  }
  fPingOk = !QJsonDocument::fromJson(fResponse.toUtf8()).isNull();
}

std::unique_ptr<TDBaseMethod> TPingThread::NewMethod() const
{
  return std::make_unique<TDMethodPing>();
}
