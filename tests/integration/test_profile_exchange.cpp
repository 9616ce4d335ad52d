// The account of config.json as the demo sets it up: vexa-exchange writes its demo account,
// vexa-profile turns it into config.json, the profile reads it and the exchange accepts the
// keys; a secret that does not match is refused.

#include "exchange_process.h"
#include "profile.h"
#include "sys_time.h"
#include "test_presenter.h"
#include "utils.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class ProfileExchange : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fExchange = std::make_unique<vexa::test::TExchangeProcess>();
    QFile lServer(fDir.filePath(QStringLiteral("server.json")));
    ASSERT_TRUE(lServer.open(QIODevice::WriteOnly));
    lServer.write(QStringLiteral(R"({"server":"%1","caFile":"%2"})")
                      .arg(QString::fromStdString(fExchange->baseUrl()),
                           QString::fromStdString(fExchange->caFile()))
                      .toUtf8());
    lServer.close();
    Workflow = std::make_unique<TWorkflow>();
    Workflow->LoadServerURL(fDir.path());
    SysTime = std::make_unique<TSysTime>();
    // The exchange runs on this machine's clock.
    SysTime->SetTime(StampToDate(QDateTime::currentMSecsSinceEpoch()));
  }

  void TearDown() override
  {
    Profile.reset();
    SysTime.reset();
    Workflow.reset();
  }

  QString ConfigName() const { return fDir.filePath(QStringLiteral("config.json")); }

  void LoadProfile()
  {
    Profile = std::make_unique<TProfile>(wfmTrade);
    Profile->SetFileName(ConfigName());
    ASSERT_TRUE(Profile->LoadFromFile());
  }

  QTemporaryDir fDir;
  TPresenterGuard fPresenter;
  std::unique_ptr<vexa::test::TExchangeProcess> fExchange;
};

} // namespace

TEST_F(ProfileExchange, DemoAccountWrittenByTheToolIsAcceptedByTheExchange)
{
  const QString lTool = QCoreApplication::applicationDirPath() + QStringLiteral("/vexa-profile");
  ASSERT_TRUE(QFileInfo(lTool).isExecutable()) << "build the vexa-profile target first";
  const QString lAccountFile =
      QString::fromStdString(fExchange->stateDir()) + QStringLiteral("/demo-account.json");
  QProcess lRun;
  lRun.start(lTool, {QStringLiteral("--config"), ConfigName(), QStringLiteral("--account-file"),
                     lAccountFile});
  ASSERT_TRUE(lRun.waitForFinished(30000));
  EXPECT_EQ(lRun.exitCode(), 0) << lRun.readAllStandardError().toStdString();
  const QByteArray lPrinted = lRun.readAllStandardOutput() + lRun.readAllStandardError();
  EXPECT_EQ(lPrinted.indexOf(QByteArray::fromStdString(fExchange->secretKey())), -1);
  EXPECT_EQ(QFile(ConfigName()).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);

  LoadProfile();
  TConnectionItem *lMain = Profile->MainProfile();
  EXPECT_EQ(lMain->ApiKey.toStdString(), fExchange->apiKey());
  EXPECT_EQ(lMain->SecretKey.toStdString(), fExchange->secretKey());

  EXPECT_EQ(lMain->AccountEx(nullptr, false), uaAuth) << GetLastServerError().toStdString();
  EXPECT_GT(lMain->BalanceList.Count(), 0);
  EXPECT_FALSE(lMain->BalanceList.AsString().isEmpty());
}

TEST_F(ProfileExchange, WrongSecretFromConfigIsRefused)
{
  {
    TProfile lWriter(wfmTrade);
    lWriter.SetFileName(ConfigName());
    lWriter.MainProfile()->ApiKey = QString::fromStdString(fExchange->apiKey());
    lWriter.MainProfile()->SecretKey =
        QString::fromStdString(fExchange->secretKey()) + QStringLiteral("x");
    ASSERT_TRUE(lWriter.SaveToFile());
  }
  LoadProfile();
  TConnectionItem *lMain = Profile->MainProfile();
  EXPECT_EQ(lMain->AccountEx(nullptr, false), uaUnauth);
  EXPECT_EQ(lMain->BalanceList.Count(), 0);
}
