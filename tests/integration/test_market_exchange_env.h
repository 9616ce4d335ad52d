#pragma once

// The market model against a real vexa-exchange over HTTPS: the singletons the market requests
// reach, pointed at the exchange, with the GUI thread served while requests run.

#include "../exchange/test_market_chart.h"
#include "../exchange/test_market_env.h"

#include "events.h"
#include "exchange_process.h"
#include "symbol_show_list.h"
#include "test_presenter.h"
#include "thread_list.h"
#include "user.h"
#include "worker_thread.h"
#include "workflow.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace market_test {

inline QString Q(const std::string &aText)
{
  return QString::fromStdString(aText);
}

class TMarketExchangeTest : public ::testing::Test
{
protected:
  // Extra vexa-exchange arguments of the fixture.
  virtual std::vector<std::string> ExchangeArgs() const { return {"--symbols", "300"}; }

  void SetUp() override
  {
    fExchange = std::make_unique<vexa::test::TExchangeProcess>(ExchangeArgs());
    QFile lServer(fDir.filePath(QStringLiteral("server.json")));
    ASSERT_TRUE(lServer.open(QIODevice::WriteOnly));
    lServer.write(QJsonDocument(QJsonObject{{"server", Q(fExchange->baseUrl())},
                                            {"caFile", Q(fExchange->caFile())}})
                      .toJson());
    lServer.close();
    fEnv = std::make_unique<TMarketEnv>();
    Workflow = std::make_unique<TWorkflow>();
    Workflow->LoadServerURL(fDir.path());
    User = std::make_unique<TUser>();
  }

  void TearDown() override
  {
    // Nothing may still run on the singletons about to go.
    if (Workflow)
      Workflow->SetState(wfsClosing);
    if (User)
      User->WaitForThreads();
    PumpUntil([] { return TWorkerThread::LiveCount() == 0; }, 20000);
    EXPECT_EQ(TWorkerThread::LiveCount(), 0);
    User.reset();
    Workflow.reset();
    fEnv.reset();
    fExchange.reset();
  }

  TSymbolShowList &ShowList() { return *User->SymbolShowList(); }
  TSymbolList &Symbols() { return User->SymbolShowList()->SymbolList(); }
  int Notified(int aEventID) const { return fEnv->Recorder.Count(aEventID); }
  std::string Admin(const std::string &aPath, const std::string &aJson) const
  {
    return fExchange->admin(aPath, aJson);
  }

  // The exchange clock through the server-time request.
  bool SyncTime()
  {
    User->Time();
    return PumpUntil([] { return SysTime->Time() != 0; }, 10000);
  }
  // Starts the requests of aStart and waits until they have ended and everything they queued
  // for the views has arrived; true when aEventID was among it. A wait on the notification
  // alone ends early: one still queued by an earlier request (a first 24hr load notifies twice)
  // can arrive before the new request has even registered in the thread list.
  bool RunUntilNotified(int aEventID, const std::function<void()> &aStart, int aTimeoutMs = 10000)
  {
    if (!fEnv->DrainNotifications(aTimeoutMs))
      return false;
    const int lBefore = Notified(aEventID);
    aStart();
    return PumpUntil([] { return TWorkerThread::LiveCount() == 0; }, aTimeoutMs) &&
           fEnv->DrainNotifications(aTimeoutMs) && Notified(aEventID) > lBefore;
  }
  bool Load24hr()
  {
    return RunUntilNotified(BASE_MAIN_SYMBOLS, [] { User->Ticker24hrEx(); });
  }
  bool LoadPrices()
  {
    return RunUntilNotified(BASE_MAIN_SYMBOLS, [] { User->TickerPrice(QString()); });
  }

  TPresenterGuard fBoxes;
  QTemporaryDir fDir;
  std::unique_ptr<vexa::test::TExchangeProcess> fExchange;
  std::unique_ptr<TMarketEnv> fEnv;
};

} // namespace market_test
