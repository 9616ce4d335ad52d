#include "workflow.h"

#include "consts.h"
#include "utils.h"

#include <QDir>
#include <QFileInfo>

#include <stdexcept>

std::unique_ptr<TWorkflow> Workflow;

TWorkflow::TWorkflow()
{
  LoadServerURL();
}

void TWorkflow::LoadServerURL(const QString &aFolder)
{
  const QString lFolder = aFolder.isEmpty() ? ExeFolder() : aFolder;
  const QString lFileName = lFolder + QStringLiteral("/server.json");
  fCAFile.clear();
  if (!QFileInfo::exists(lFileName)) {
    fServerURL = cDefaultServerURL;
    return;
  }
  const auto lObject = LoadJsonFile(lFileName);
  if (!lObject)
    throw std::runtime_error(QStringLiteral("Invalid JSON in \"%1\"").arg(lFileName).toStdString());
  fServerURL = lObject->value(QStringLiteral("server")).toString();
  const QString lCA = lObject->value(QStringLiteral("caFile")).toString();
  if (!lCA.isEmpty())
    fCAFile = QFileInfo(lCA).isAbsolute() ? lCA : QDir(lFolder).absoluteFilePath(lCA);
}

void TWorkflow::SetState(TWorkflowState aValue)
{
  fState = aValue;
  if (aValue == wfsClosing)
    DoClose();
  else if (aValue == wfsStopped)
    Alert(QStringLiteral("Программа остановлена. Причина: ") + GetLastServerError());
}

void TWorkflow::DoClose()
{
  if (fHost)
    fHost->Close();
}

bool TWorkflow::DoShowMainForm()
{
  if (fHost)
    fHost->ShowMainForm();
  return true;
}

void TWorkflow::DoEverySecond()
{
  if (Working() && fHost)
    fHost->EverySecond(fMode);
}

void TWorkflow::DoEvery5Second()
{
  if (Working() && fHost)
    fHost->Every5Second(fMode);
}

void TWorkflow::DoEveryMinute()
{
  if (Working() && fHost)
    fHost->EveryMinute(fMode);
}

void TWorkflow::DoOnce()
{
  if (Working() && fHost)
    fHost->Once(fMode);
}
