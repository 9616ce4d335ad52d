// vexa-profile: writes or updates a terminal's config.json without the terminal's windows.
//
//   vexa-profile --config PATH --account-file FILE
//       makes the account in FILE ({"apiKey": ..., "secretKey": ...}) the main account
//   vexa-profile --config PATH --add-account FILE --name NAME --rate RATE
//       appends the account in FILE as a further account
//
// Both forms may be combined. The keys are never printed.
#include "profile.h"
#include "utils.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

// Message boxes of the profile become lines on stderr.
class TConsolePresenter : public TMessagePresenter
{
public:
  int Present(const QString &, const QString &aText, TMessageType) override
  {
    std::fprintf(stderr, "vexa-profile: %s\n", aText.toLocal8Bit().constData());
    ++fShown;
    return mrOk;
  }
  int Shown() const { return fShown; }

private:
  int fShown = 0;
};

struct TAccountKeys
{
  QString ApiKey;
  QString SecretKey;
};

TAccountKeys ReadAccountFile(const QString &aFileName)
{
  const std::optional<QJsonObject> lObject = LoadJsonFile(aFileName);
  if (!lObject)
    throw std::runtime_error(aFileName.toStdString() + " is not a JSON object");
  TAccountKeys lKeys{lObject->value(QStringLiteral("apiKey")).toString(),
                     lObject->value(QStringLiteral("secretKey")).toString()};
  if (lKeys.ApiKey.isEmpty() || lKeys.SecretKey.isEmpty())
    throw std::runtime_error(aFileName.toStdString() + " lacks \"apiKey\" or \"secretKey\"");
  return lKeys;
}

double ParseRate(const QString &aText)
{
  bool lOk = false;
  const double lRate = aText.toDouble(&lOk);
  if (!lOk || !(lRate > 0))
    throw std::runtime_error("--rate must be a positive number");
  return lRate;
}

} // namespace

int main(int argc, char **argv)
{
  QCoreApplication lApp(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("vexa-profile"));
  const auto lPresenter = std::make_shared<TConsolePresenter>();
  SetMessagePresenter(lPresenter);

  QCommandLineParser lParser;
  lParser.setApplicationDescription(QStringLiteral("Writes or updates a Vexa config.json."));
  lParser.addHelpOption();
  const QCommandLineOption lConfig(QStringLiteral("config"),
                                   QStringLiteral("config.json to write or update."),
                                   QStringLiteral("PATH"));
  const QCommandLineOption lMain(QStringLiteral("account-file"),
                                 QStringLiteral("Account file for the main account."),
                                 QStringLiteral("FILE"));
  const QCommandLineOption lAdd(QStringLiteral("add-account"),
                                QStringLiteral("Account file to append as a further account."),
                                QStringLiteral("FILE"));
  const QCommandLineOption lName(
      QStringLiteral("name"), QStringLiteral("Name of the added account."), QStringLiteral("NAME"));
  const QCommandLineOption lRate(QStringLiteral("rate"),
                                 QStringLiteral("Quantity coefficient of the added account."),
                                 QStringLiteral("RATE"));
  lParser.addOptions({lConfig, lMain, lAdd, lName, lRate});
  lParser.process(lApp);

  try {
    if (!lParser.isSet(lConfig))
      throw std::runtime_error("--config is required");
    if (!lParser.isSet(lMain) && !lParser.isSet(lAdd))
      throw std::runtime_error("nothing to do: give --account-file and/or --add-account");
    if (lParser.isSet(lAdd) && (lParser.value(lName).isEmpty() || !lParser.isSet(lRate)))
      throw std::runtime_error("--add-account needs --name and --rate");

    TProfile lProfile(wfmTrade);
    lProfile.SetFileName(lParser.value(lConfig));
    // A file that cannot be read whole (or holds more accounts than the terminal keeps) is
    // left as it is rather than replaced by the part that was read.
    if (QFile::exists(lProfile.FileName()) && (!lProfile.LoadFromFile() || lPresenter->Shown() > 0))
      return 1;

    if (lParser.isSet(lMain)) {
      const TAccountKeys lKeys = ReadAccountFile(lParser.value(lMain));
      lProfile.MainProfile()->ApiKey = lKeys.ApiKey;
      lProfile.MainProfile()->SecretKey = lKeys.SecretKey;
    }
    if (lParser.isSet(lAdd)) {
      const TAccountKeys lKeys = ReadAccountFile(lParser.value(lAdd));
      const double lRateValue = ParseRate(lParser.value(lRate));
      TConnectionItem &lItem = lProfile.Connections().Add();
      lItem.ApiKey = lKeys.ApiKey;
      lItem.SecretKey = lKeys.SecretKey;
      lItem.Name = lParser.value(lName);
      lItem.Rate = lRateValue;
    }
    if (!lProfile.SaveToFile())
      return 1;
    std::printf("vexa-profile: %s written (%d further account(s))\n",
                QFile::encodeName(lProfile.FileName()).constData(), lProfile.Connections().Count());
    return 0;
  } catch (const std::exception &lError) {
    std::fprintf(stderr, "vexa-profile: %s\n", lError.what());
    return 1;
  }
}
