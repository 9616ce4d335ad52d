#include "base_thread.h"

#include "chart_link.h"
#include "log_writer.h"
#include "market_json.h"
#include "methods.h"
#include "request_params.h"
#include "thread_list.h"
#include "trade_engine_client.h"
#include "utils.h"
#include "workflow.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <mutex>
#include <stdexcept>

namespace {

std::mutex gMainProfileLock;
std::function<TConnectionItem *()> gMainProfileSource;

QString ErrorText(const std::exception &aError)
{
  return QString::fromUtf8(aError.what());
}

} // namespace

void RaiseThreadError(const QString &aText)
{
  throw std::runtime_error(aText.toStdString());
}

void SetMainProfileSource(std::function<TConnectionItem *()> aSource)
{
  std::lock_guard lLock(gMainProfileLock);
  gMainProfileSource = std::move(aSource);
}

TConnectionItem *MainProfile()
{
  std::lock_guard lLock(gMainProfileLock);
  return gMainProfileSource ? gMainProfileSource() : nullptr;
}

TBaseThread::TBaseThread() = default;
TBaseThread::~TBaseThread() = default;

void TBaseThread::Execute()
{
  const std::shared_ptr<IChartLink> lChartItem = fChartItem;
  try {
    DoBeforeExecute();
    // Unregisters however DoExecute ends; the shared registry outlives a closed chart's list.
    TThreadRegistration lRegistration =
        lChartItem ? lChartItem->ThreadList().Register(this) : RegisterInUserThreadList(this);
    DoExecute();
    lRegistration.Release();
    DoAfterExecute();
  } catch (const std::exception &e) {
    LogError(QStringLiteral("TBaseThread.Execute error: ") + ErrorText(e));
  } catch (...) {
    LogError(QStringLiteral("TBaseThread.Execute error: unknown exception"));
  }
}

void TBaseThread::DoExecute()
{
  const TThreadTexts *lTexts = Texts();
  if (!lTexts)
    return;
  const bool lChecks = lTexts->RunState != rcNone;
  const bool lRechecks = lTexts->RunState == rcThroughout;
  if (lChecks && !IsWorking())
    return;

  DoMakeRequest();
  std::unique_ptr<TDBaseMethod> lMethod = NewMethod();
  if (!lMethod)
    RaiseThreadError(QStringLiteral("no exchange method for this request"));
  DoSendRequest(std::move(lMethod), RequestAccount(), fRequest, fResponse, fError);
  if (!fError.isEmpty()) {
    Alert(fError);
    LogError(lTexts->CommandError + fError);
    return;
  }

  if (lRechecks && !IsWorking())
    return;
  DoParseResponse();

  if (lRechecks && !IsWorking())
    return;
  switch (lTexts->Notify) {
  case nwAlways:
    Synchronize([this] { DoNotify(); });
    break;
  case nwAnswered:
    if (!fResponse.isEmpty() && IsWorking())
      Synchronize([this] { DoNotify(); });
    break;
  case nwChartOpen:
    if (fChartItem && !fChartItem->IsClosing() && !Terminated())
      Synchronize([this] { DoNotify(); });
    break;
  case nwNever:
    break;
  }
}

void TBaseThread::DoParseResponse()
{
  const TThreadTexts *lTexts = Texts();
  if (!lTexts)
    return;
  if (fResponse.isEmpty()) {
    LogError(lTexts->EmptyResponse);
    return;
  }
  const QByteArray lText = fResponse.toUtf8();
  bool lRead = false;
  try {
    lRead = DoExtractText(lText);
  } catch (const TJsonTextError &) {
    RaiseThreadError(lTexts->MissingDocument);
  }
  if (!lRead) {
    const QJsonDocument lDocument = QJsonDocument::fromJson(lText);
    if (lDocument.isNull())
      RaiseThreadError(lTexts->MissingDocument);
    fRootNode =
        lDocument.isArray() ? QJsonValue(lDocument.array()) : QJsonValue(lDocument.object());
    DoExtract();
  }
  Synchronize([this] { DoOutput(); });
}

void TBaseThread::DoSendRequest(std::unique_ptr<TDBaseMethod> aMethod,
                                const TConnectionItem *aAccount, const QString &aRequest,
                                QString &aResponse, QString &aError)
{
  SendRequest(std::move(aMethod), aAccount, aRequest, aResponse, aError, fRefusal);
}

void TBaseThread::LogError(const QString &aText) const
{
  WriteLog(aText, mtAlert, ThreadID());
}

bool TBaseThread::IsWorking()
{
  return Workflow && Workflow->State() == wfsWorking;
}

void TBaseThread::WaitForServerTime() const
{
  ::WaitForServerTime(this);
}

void TBaseAuthThread::DoBeforeExecute()
{
  if (!fAccount)
    fAccount = MainProfile();
}
