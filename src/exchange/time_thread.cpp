#include "time_thread.h"

#include "methods.h"
#include "sys_time.h"
#include "trade_engine_client.h"
#include "utils.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <stdexcept>

TDateTime ParseRespond(const QString &aJSONStr)
{
  const QJsonDocument lDocument = QJsonDocument::fromJson(aJSONStr.toUtf8());
  if (lDocument.isNull())
    RaiseThreadError(QStringLiteral("TSysTimeThread.Execute ParseRespond error"));
  const auto lStamp = lDocument.object().value(QStringLiteral("serverTime")).toInteger();
  return StampToDate(lStamp);
}

void TTimeThread::DoExecute()
{
  try {
    QString lResponse;
    {
      TTradeEngineClient lClient(ThreadID());
      DoMakeRequest();
      lClient.ExecuteCommand(std::make_unique<TDMethodTime>(), fRequest, lResponse);
    }
    fResponse = lResponse;
    fDateTime = ParseRespond(lResponse);
    Synchronize([this] { OutputTime(); });
  } catch (const std::exception &e) {
    LogError(QStringLiteral("TSysTimeThread.Execute error: ") + QString::fromUtf8(e.what()));
  }
}

void TTimeThread::OutputTime()
{
  if (SysTime)
    SysTime->SetTime(fDateTime);
}
