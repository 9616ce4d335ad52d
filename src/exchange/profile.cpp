#include "profile.h"

#include "coder.h"
#include "log_writer.h"
#include "utils.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <stdexcept>

#include <unistd.h>

std::unique_ptr<TProfile> Profile;

namespace {

const QString cConfigFileName = QStringLiteral("config.json");
const QString cReadError = QStringLiteral("error reading config.json");

QString Member(const QJsonObject &aObject, const QString &aName)
{
  return aObject.value(aName).toString();
}

QJsonObject KeysObject(const TConnectionItem &aItem)
{
  return QJsonObject{{QStringLiteral("api_key"), Encrypt(aItem.ApiKey)},
                     {QStringLiteral("secret_key"), Encrypt(aItem.SecretKey)}};
}

void ReportFailure(const QString &aOperation, const std::exception &aError,
                   const QString &aNote = QString())
{
  const QString lMessage = QString::fromStdString(aError.what());
  WriteLog(QStringLiteral("TProfile.") + aOperation + QStringLiteral(" error: ") + lMessage,
           mtAlert);
  Alert(aNote.isEmpty() ? lMessage : lMessage + QLatin1Char('\n') + aNote);
}

// A copy of aFileName beside it, as "<name>.bak" or, when that holds something else already,
// the first free "<name>.bak.N"; an existing copy is never replaced. Returns the copy's name
// (an earlier identical copy counts); raises when none can be made.
QString KeepCopy(const QString &aFileName)
{
  QFile lOriginal(aFileName);
  if (!lOriginal.open(QIODevice::ReadOnly))
    throw std::runtime_error(lOriginal.errorString().toStdString());
  const QByteArray lData = lOriginal.readAll();
  for (int i = 0; i < 100; ++i) {
    const QString lName =
        aFileName + QStringLiteral(".bak") + (i ? QStringLiteral(".%1").arg(i) : QString());
    QFile lCopy(lName);
    if (lCopy.exists()) {
      if (lCopy.open(QIODevice::ReadOnly) && lCopy.readAll() == lData)
        return lName;
      continue;
    }
    // NewOnly: a copy that appeared meanwhile is not replaced either.
    if (!lCopy.open(QIODevice::WriteOnly | QIODevice::NewOnly,
                    QFileDevice::ReadOwner | QFileDevice::WriteOwner))
      throw std::runtime_error(lCopy.errorString().toStdString());
    if (lCopy.write(lData) != lData.size() || !lCopy.flush() || ::fsync(lCopy.handle()) != 0)
      throw std::runtime_error(lCopy.errorString().toStdString());
    return lName;
  }
  throw std::runtime_error("too many earlier copies");
}

} // namespace

TProfile::TProfile() : TProfile(Workflow ? Workflow->Mode() : wfmTrade) {}

TProfile::TProfile(TWorkflowMode aMode)
    : fUIVisible(aMode), fFileName(ExeFolder() + QLatin1Char('/') + cConfigFileName)
{
}

bool TProfile::Init()
{
  LoadFromFile();
  return true;
}

bool TProfile::LoadFromFile()
{
  if (!QFileInfo::exists(fFileName)) {
    LoadDefault();
    return SaveToFile();
  }
  fPartial = false;
  try {
    ReadConfig();
    if (fPartial)
      KeepOriginal();
    return true;
  } catch (const std::exception &lError) {
    // What was not read would be lost with the next save.
    ReportFailure(QStringLiteral("LoadFromFile"), lError, KeepOriginal());
    return false;
  }
}

QString TProfile::KeepOriginal()
{
  try {
    const QString lCopy = KeepCopy(fFileName);
    WriteLog(QStringLiteral("TProfile.LoadFromFile: the original is kept as ") + lCopy, mtInfo);
    return QStringLiteral("Исходный файл сохранён как ") + lCopy;
  } catch (const std::exception &lError) {
    fSaveBlocked = true;
    const QString lReason = QString::fromStdString(lError.what());
    WriteLog(QStringLiteral("TProfile.LoadFromFile error: the original could not be kept: ") +
                 lReason,
             mtAlert);
    return QStringLiteral("Исходный файл сохранить не удалось (%1), поэтому он не будет "
                          "перезаписан")
        .arg(lReason);
  }
}

void TProfile::ReadConfig()
{
  const std::optional<QJsonObject> lRoot = LoadJsonFile(fFileName);
  if (!lRoot)
    throw std::runtime_error(cReadError.toStdString());
  const QJsonObject lConfig = lRoot->value(QStringLiteral("config")).toObject();
  const QJsonObject lMain = lConfig.value(QStringLiteral("mainprofile")).toObject();
  fMain->ApiKey = Decrypt(Member(lMain, QStringLiteral("api_key")));
  fMain->SecretKey = Decrypt(Member(lMain, QStringLiteral("secret_key")));

  const QJsonValue lProfiles = lConfig.value(QStringLiteral("profiles"));
  if (!lProfiles.isArray())
    return;
  fConnections.Clear();
  for (const QJsonValue &lValue : lProfiles.toArray()) {
    if (fConnections.IsFull()) {
      Alert(cConnectionLimitText);
      fPartial = true;
      break;
    }
    if (!lValue.isObject())
      throw std::runtime_error(cReadError.toStdString());
    const QJsonObject lElement = lValue.toObject();
    // Both keys are deciphered before the account exists: a bad value adds no half account.
    const QString lApiKey = Decrypt(Member(lElement, QStringLiteral("api_key")));
    const QString lSecretKey = Decrypt(Member(lElement, QStringLiteral("secret_key")));
    TConnectionItem &lItem = fConnections.Add();
    lItem.ApiKey = lApiKey;
    lItem.SecretKey = lSecretKey;
    lItem.Name = Member(lElement, QStringLiteral("name"));
    lItem.Rate = lElement.value(QStringLiteral("rate")).toDouble(0);
  }
}

bool TProfile::SaveToFile()
{
  try {
    if (fSaveBlocked)
      throw std::runtime_error(QStringLiteral("config.json не перезаписан: он прочитан не "
                                              "полностью, а его копию сохранить не удалось")
                                   .toStdString());
    QJsonArray lProfiles;
    for (int i = 0; i < fConnections.Count(); ++i) {
      const TConnectionItem &lItem = fConnections.Items(i);
      QJsonObject lElement = KeysObject(lItem);
      lElement.insert(QStringLiteral("name"), lItem.Name);
      lElement.insert(QStringLiteral("rate"), lItem.Rate);
      lProfiles.append(lElement);
    }
    // The stored main account, never an edit in progress.
    const QJsonObject lConfig{{QStringLiteral("mainprofile"), KeysObject(*fMain)},
                              {QStringLiteral("profiles"), lProfiles}};
    // The file holds the keys of every account: owner-only, and replaced only when whole.
    return SaveJsonFile(QJsonObject{{QStringLiteral("config"), lConfig}}, fFileName, true);
  } catch (const std::exception &lError) {
    ReportFailure(QStringLiteral("SaveToFile"), lError);
    return false;
  }
}

void TProfile::MainBeginUpdate()
{
  // A second begin keeps the open edit: the dialog may already hold the buffer.
  if (fBuffer)
    return;
  fBuffer = std::make_unique<TConnectionItem>();
  fBuffer->ApiKey = fMain->ApiKey;
  fBuffer->SecretKey = fMain->SecretKey;
}

void TProfile::MainCommitUpdate()
{
  if (!fBuffer)
    return;
  // Balances and orders of the previous keys belong to another account: drop them so that
  // CheckLoaded fetches the new account's data.
  if (fBuffer->ApiKey != fMain->ApiKey || fBuffer->SecretKey != fMain->SecretKey)
    fMain->ResetAccountData();
  fMain->ApiKey = fBuffer->ApiKey;
  fMain->SecretKey = fBuffer->SecretKey;
  fBuffer.reset();
}

void TProfile::MainRollbackUpdate()
{
  fBuffer.reset();
}
