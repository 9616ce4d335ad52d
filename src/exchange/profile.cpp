#include "profile.h"

#include "coder.h"
#include "log_writer.h"
#include "utils.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>

#include <stdexcept>

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

void ReportFailure(const QString &aOperation, const std::exception &aError)
{
  const QString lMessage = QString::fromStdString(aError.what());
  WriteLog(QStringLiteral("TProfile.") + aOperation + QStringLiteral(" error: ") + lMessage,
           mtAlert);
  Alert(lMessage);
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
  try {
    ReadConfig();
    return true;
  } catch (const std::exception &lError) {
    ReportFailure(QStringLiteral("LoadFromFile"), lError);
    return false;
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
