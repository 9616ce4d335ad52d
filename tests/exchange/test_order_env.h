#pragma once

// Shared set-up of the account and order request tests: the singletons the requests reach, a
// main account and two further ones, and request classes whose answers the test feeds in
// place of the exchange.

#include "base_thread.h"
#include "connection_item.h"
#include "core_test_env.h"
#include "d_classes.h"
#include "event_pump.h"
#include "folders.h"
#include "methods.h"
#include "profile.h"
#include "sys_time.h"
#include "test_presenter.h"
#include "ui_writer.h"
#include "user.h"
#include "utils.h"
#include "worker_thread.h"
#include "workflow.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

using TOrderCoreEnv = TCoreTestEnv;

// A request whose exchange is answered by the test: it records what would have been sent.
template <class T> class TFed : public T
{
public:
  using T::T;

  QString Answer;
  QString TransportError;
  // The exchange's HTTP error, for an empty Answer.
  TRefusal Refusal;

  int Sends() const { return fSends; }
  const QString &SentRequest() const { return fSentRequest; }
  const QString &SentResource() const { return fSentResource; }
  const QString &SignedBy() const { return fSignedBy; }

  // Runs the request to its end, serving its hand-overs meanwhile.
  void Run()
  {
    this->Start();
    this->WaitFor();
  }

protected:
  void DoSendRequest(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aAccount,
                     const QString &aRequest, QString &aResponse, QString &aError) override
  {
    ++fSends;
    fSentResource = aMethod->Method() + QLatin1Char(' ') + aMethod->Resource();
    fSentRequest = aRequest;
    fSignedBy = aAccount ? aAccount->ApiKey : QString();
    aResponse = Answer;
    aError = TransportError;
    this->fRefusal = Refusal;
  }

private:
  std::atomic<int> fSends = 0;
  QString fSentRequest;
  QString fSentResource;
  QString fSignedBy;
};

// 1 Mar 2026 12:00:00 in the exchange clock's representation.
inline TDateTime TestServerTime()
{
  return EncodeDateTime(2026, 3, 1, 12, 0, 0);
}

class OrderEnvTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fLiveBefore = TWorkerThread::LiveCount();
    // Requests that the tested outputs start on their own find nothing listening here.
    QFile lServer(fDir.filePath(QStringLiteral("server.json")));
    ASSERT_TRUE(lServer.open(QIODevice::WriteOnly));
    lServer.write(R"({"server":"https://127.0.0.1:1"})");
    lServer.close();
    Workflow = std::make_unique<TWorkflow>();
    Workflow->LoadServerURL(fDir.path());
    SysTime->SetTime(TestServerTime());
    User = std::make_unique<TUser>();
    Profile = std::make_unique<TProfile>(wfmTrade);
    Profile->SetFileName(fDir.filePath(QStringLiteral("config.json")));
    Profile->MainProfile()->ApiKey = QStringLiteral("main-api");
    Profile->MainProfile()->SecretKey = QStringLiteral("main-secret");
    AddConnection(QStringLiteral("second-api"), 2.0);
    AddConnection(QStringLiteral("third-api"), 0.5);
  }

  void TearDown() override
  {
    // Requests started by the outputs end quickly against the closed port.
    PumpUntil([this] { return TWorkerThread::LiveCount() <= fLiveBefore; }, 10000);
    Profile.reset();
    User.reset();
    Workflow.reset();
  }

  static TConnectionItem &AddConnection(const QString &aApiKey, double aRate)
  {
    TConnectionItem &lItem = Profile->Connections().Add();
    lItem.ApiKey = aApiKey;
    lItem.SecretKey = aApiKey + QStringLiteral("-secret");
    lItem.Name = aApiKey;
    lItem.Rate = aRate;
    return lItem;
  }

  TConnectionItem *Main() const { return Profile->MainProfile(); }
  TConnectionItem &Connection(int aIndex) const { return Profile->Connections().Items(aIndex); }
  QString Stamp() const { return SysTime->GetTimeStamp(); }

  TOrderCoreEnv fEnv;
  TPresenterGuard fBoxes;
  QTemporaryDir fDir;
  int fLiveBefore = 0;
};
