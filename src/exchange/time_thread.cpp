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
  // An answer without a usable time must leave the clock alone, not move it to 1970.
  const QJsonValue lValue = lDocument.object().value(QStringLiteral("serverTime"));
  const qint64 lStamp = lValue.isDouble() ? lValue.toInteger() : 0;
  if (lStamp <= 0)
    RaiseThreadError(QStringLiteral("TSysTimeThread.Execute ParseRespond error"));
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
