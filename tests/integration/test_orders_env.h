#pragma once

#include "event_pump.h"

// Shared set-up of the account and order tests against a real vexa-exchange: the singletons
// the requests reach, pointed at the exchange over HTTPS, with the exchange's own clock.

#include "connection_item.h"
#include "d_classes.h"
#include "events.h"
#include "exchange_process.h"
#include "folders.h"
#include "profile.h"
#include "sys_time.h"
#include "test_presenter.h"
#include "ui_writer.h"
#include "user.h"
#include "user_input_data.h"
#include "utils.h"
#include "worker_thread.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// Keys of the accounts file the multi-account tests start the exchange with.
struct TTestAccount
{
  const char *ApiKey;
  const char *SecretKey;
};

inline constexpr TTestAccount cAccountMain{"MainKey0001", "MainSecret0001"};
inline constexpr TTestAccount cAccountSecond{"SecondKey0002", "SecondSecret0002"};
inline constexpr TTestAccount cAccountThird{"ThirdKey0003", "ThirdSecret0003"};

class OrdersExchangeTest : public ::testing::Test
{
protected:
  // aMultiAccounts: three funded accounts of our own instead of the exchange's demo account.
  void StartExchange(bool aMultiAccounts)
  {
    fLiveBefore = TWorkerThread::LiveCount();
    std::vector<std::string> lArgs{"--symbols", "40", "--request-log", RequestLogName()};
    if (aMultiAccounts) {
      const QString lFile = fDir.filePath(QStringLiteral("accounts.json"));
      QFile lAccounts(lFile);
      ASSERT_TRUE(lAccounts.open(QIODevice::WriteOnly));
      QString lText = QStringLiteral(R"({"accounts":[)");
      const TTestAccount lAll[] = {cAccountMain, cAccountSecond, cAccountThird};
      for (int i = 0; i < 3; ++i)
        lText += QStringLiteral(R"(%1{"apiKey":"%2","secretKey":"%3","name":"a%4",)"
                                R"("balances":{"USDT":"100000","ETH":"50","BTC":"2"}})")
                     .arg(i ? "," : "", lAll[i].ApiKey, lAll[i].SecretKey)
                     .arg(i);
      lText += QStringLiteral("]}");
      lAccounts.write(lText.toUtf8());
      lAccounts.close();
      lArgs.push_back("--accounts");
      lArgs.push_back(lFile.toStdString());
    }
    fExchange = std::make_unique<vexa::test::TExchangeProcess>(lArgs);

    QFile lServer(fDir.filePath(QStringLiteral("server.json")));
    ASSERT_TRUE(lServer.open(QIODevice::WriteOnly));
    lServer.write(
        QJsonDocument(QJsonObject{{"server", QString::fromStdString(fExchange->baseUrl())},
                                  {"caFile", QString::fromStdString(fExchange->caFile())}})
            .toJson());
    lServer.close();

    fOldAppData = qgetenv("APPDATA");
    qputenv("APPDATA", fDir.path().toLocal8Bit());
    Folders = std::make_unique<TFolders>();
    Workflow = std::make_unique<TWorkflow>();
    Workflow->LoadServerURL(fDir.path());
    SysTime = std::make_unique<TSysTime>();
    UIWriter = std::make_unique<TUIWriter>();
    UIWriter->Publisher().Subscribe(&fEvents, 0);
    User = std::make_unique<TUser>();
    Profile = std::make_unique<TProfile>(wfmTrade);
    Profile->SetFileName(fDir.filePath(QStringLiteral("config.json")));
    if (aMultiAccounts) {
      SetKeys(*Profile->MainProfile(), cAccountMain.ApiKey, cAccountMain.SecretKey);
      AddAccount(cAccountSecond, 2.0);
      AddAccount(cAccountThird, 0.5);
    } else {
      SetKeys(*Profile->MainProfile(), fExchange->apiKey().c_str(), fExchange->secretKey().c_str());
    }
    // The exchange's clock, as the terminal takes it at start.
    User->Time();
    ASSERT_TRUE(PumpUntil([] { return SysTime->Time() != 0.0; }));
  }

  void TearDown() override
  {
    // Requests the outputs started on their own are let finish before the model goes.
    PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; }, 20000);
    Profile.reset();
    User.reset();
    if (UIWriter)
      UIWriter->Publisher().Unsubscribe(&fEvents, 0);
    UIWriter.reset();
    SysTime.reset();
    Workflow.reset();
    Folders.reset();
    qputenv("APPDATA", fOldAppData);
    fExchange.reset();
  }

  static void SetKeys(TConnectionItem &aItem, const QString &aApi, const QString &aSecret)
  {
    aItem.ApiKey = aApi;
    aItem.SecretKey = aSecret;
  }

  static void AddAccount(const TTestAccount &aAccount, double aRate)
  {
    TConnectionItem &lItem = Profile->Connections().Add();
    SetKeys(lItem, aAccount.ApiKey, aAccount.SecretKey);
    lItem.Name = QString::fromLatin1(aAccount.ApiKey);
    lItem.Rate = aRate;
  }

  // Stops the random walk and puts the last price where the scenario wants it.
  void SetPrice(const char *aSymbol, const char *aPrice)
  {
    fExchange->admin("/admin/feed", R"({"paused":true})");
    fExchange->admin("/admin/price",
                     std::string(R"({"symbol":")") + aSymbol + R"(","price":")" + aPrice + "\"}");
  }

  std::string RequestLogName() const
  {
    return fDir.filePath(QStringLiteral("requests.log")).toStdString();
  }

  // One request the exchange received, from its request log.
  struct TReceived
  {
    QString Method;
    QString Target; // path and query
    QString Body;
    int Status = 0;
  };

  std::vector<TReceived> Received() const
  {
    std::vector<TReceived> lResult;
    QFile lFile(QString::fromStdString(RequestLogName()));
    if (!lFile.open(QIODevice::ReadOnly))
      return lResult;
    for (const QByteArray &lLine : lFile.readAll().split('\n')) {
      const QList<QByteArray> lFields = lLine.split('\t');
      if (lFields.size() < 6)
        continue;
      lResult.push_back({QString::fromUtf8(lFields[1]), QString::fromUtf8(lFields[2]),
                         QString::fromUtf8(lFields[3]), lFields[5].toInt()});
    }
    return lResult;
  }

  // Requests to aPath (e.g. "/api/v3/order") with aMethod since the aFrom-th logged one.
  int CountReceived(const QString &aMethod, const QString &aPath, size_t aFrom = 0) const
  {
    const std::vector<TReceived> lAll = Received();
    int lCount = 0;
    for (size_t i = aFrom; i < lAll.size(); ++i)
      if (lAll[i].Method == aMethod && lAll[i].Target.section(QLatin1Char('?'), 0, 0) == aPath)
        ++lCount;
    return lCount;
  }

  TConnectionItem *Main() const { return Profile->MainProfile(); }
  TConnectionItem &Connection(int aIndex) const { return Profile->Connections().Items(aIndex); }
  QStringList BoxTexts() const
  {
    QStringList lTexts;
    for (const auto &lShown : fBoxes.Presenter().Shown())
      lTexts << lShown.Text;
    return lTexts;
  }

  QTemporaryDir fDir;
  mutable TPresenterGuard fBoxes;
  TEventRecorder fEvents;
  std::unique_ptr<vexa::test::TExchangeProcess> fExchange;
  QByteArray fOldAppData;
  int fLiveBefore = 0;
};
