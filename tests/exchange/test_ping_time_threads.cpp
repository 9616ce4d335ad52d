#include "log_capture.h"
#include "methods.h"
#include "ping_thread.h"
#include "time_thread.h"
#include "workflow.h"

#include <gtest/gtest.h>

namespace {

// The ping class, answering from the test.
class TTestPingThread : public TPingThread
{
public:
  explicit TTestPingThread(QString aAnswer) : fAnswer(std::move(aAnswer)) {}
  int Sends = 0;
  QString SentResource;

protected:
  void DoSendRequest(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *,
                     const QString &, QString &aResponse, QString &) override
  {
    ++Sends;
    SentResource = aMethod->Resource();
    aResponse = fAnswer;
  }

private:
  QString fAnswer;
};

class PingThread : public ::testing::Test
{
protected:
  void SetUp() override { Workflow = std::make_unique<TWorkflow>(); }
  void TearDown() override { Workflow.reset(); }
  static bool Ping(TTestPingThread &aThread)
  {
    aThread.Start();
    aThread.WaitFor();
    return aThread.PingOk();
  }
  TLogCapture fLog;
};

} // namespace

TEST_F(PingThread, OkExactlyWhenTheAnswerIsJson)
{
  TTestPingThread lJson(QStringLiteral("{}"));
  EXPECT_TRUE(Ping(lJson));
  EXPECT_EQ(lJson.SentResource, QStringLiteral("api/v3/ping"));

  TTestPingThread lGarbage(QStringLiteral("pong"));
  EXPECT_FALSE(Ping(lGarbage));

  TTestPingThread lEmpty{QString()};
  EXPECT_FALSE(Ping(lEmpty));
  EXPECT_EQ(fLog.Matching(QStringLiteral("TTableRefreshThread.DoMainTask ParseJSON error: "
                                         "empty string"))
                .size(),
            1u);
  // A non-JSON ping answer is a false ping, not a template error.
  EXPECT_TRUE(fLog.Matching(QStringLiteral("TBaseThread.Execute error")).empty());
}

TEST_F(PingThread, SendsNothingUnlessWorking)
{
  Workflow->SetState(wfsPaused);
  TTestPingThread lThread(QStringLiteral("{}"));
  EXPECT_FALSE(Ping(lThread));
  EXPECT_EQ(lThread.Sends, 0);
}

TEST(TimeThread, ParseRespondReadsServerTime)
{
  EXPECT_DOUBLE_EQ(ParseRespond(QStringLiteral("{\"serverTime\":1700000000123}")),
                   StampToDate(1700000000123));
  // Nothing usable must leave the clock alone rather than move it to 1970.
  for (const char *lAnswer : {"Service Unavailable", R"({"other":1})", R"({"serverTime":null})",
                              R"({"serverTime":"1700000000123"})", R"({"serverTime":0})"}) {
    try {
      ParseRespond(QString::fromLatin1(lAnswer));
      ADD_FAILURE() << "no error raised for " << lAnswer;
    } catch (const std::exception &e) {
      EXPECT_STREQ(e.what(), "TSysTimeThread.Execute ParseRespond error") << lAnswer;
    }
  }
}
