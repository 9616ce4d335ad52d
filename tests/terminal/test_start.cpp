#include "builder.h"
#include "chart_templates.h"
#include "coder.h"
#include "fm_main.h"
#include "folders.h"
#include "log_writer.h"
#include "start.h"
#include "sys_time.h"
#include "test_presenter.h"
#include "timer.h"
#include "ui_writer.h"
#include "user.h"
#include "utils.h"
#include "workflow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Everything the terminal keeps beside its executable or in the user's folders goes to a
// temporary place, so tests never touch build/bin or the real home.
class StartTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    ASSERT_TRUE(fDir.isValid());
    QDir(fDir.path()).mkpath(QStringLiteral("exe"));
    SetExeFolder(fDir.filePath(QStringLiteral("exe")));
    qunsetenv("LOCALAPPDATA");
    qunsetenv("APPDATA");
    qputenv("XDG_DATA_HOME", fDir.filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", fDir.filePath(QStringLiteral("config")).toUtf8());
  }
  void TearDown() override { SetExeFolder(QString()); }

  void WriteServerJson(const QByteArray &aText)
  {
    QFile lFile(fDir.filePath(QStringLiteral("exe/server.json")));
    ASSERT_TRUE(lFile.open(QIODevice::WriteOnly));
    lFile.write(aText);
  }

  QTemporaryDir fDir;
};

} // namespace

TEST_F(StartTest, BrokenServerJsonShowsOneAlertAndEnds)
{
  TPresenterGuard lGuard;
  WriteServerJson("{\"server\": ");
  EXPECT_EQ(RunTerminal(), EXIT_FAILURE);
  const auto lShown = lGuard.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 1u);
  EXPECT_EQ(lShown[0].Type, mtAlert);
  EXPECT_EQ(lShown[0].Caption, QStringLiteral("Vexa"));
  EXPECT_TRUE(lShown[0].Text.contains(QStringLiteral("server.json")));
  EXPECT_FALSE(Folders || LogWriter || Workflow || SysTime || UIWriter || Timer);
  EXPECT_EQ(fmMain, nullptr);
}

TEST_F(StartTest, WindowOpensOfflineAndShutDownEmptiesTheSingletons)
{
  TPresenterGuard lGuard;
  WriteServerJson("{\"server\":\"https://127.0.0.1:1\"}");
  Builder().BuildOnStart();
  ASSERT_NE(fmMain, nullptr);
  EXPECT_EQ(fmMain->windowTitle(), QStringLiteral("Vexa "));
  EXPECT_TRUE(fmMain->isVisible());
  EXPECT_FALSE(fmMain->IsOnline());
  EXPECT_EQ(fmMain->StatusText()->text(), QStringLiteral("Отключено"));
  EXPECT_TRUE(fmMain->SysTimePanel()->text().isEmpty());
  EXPECT_TRUE(Timer->Enabled());
  EXPECT_TRUE(QDir(TFolders::UserFolder(QStringLiteral("%LOCALAPPDATA%"))).exists());
  EXPECT_TRUE(QDir(fDir.filePath(QStringLiteral("data/Norvale/Vexa"))).exists());
  EXPECT_TRUE(QDir(fDir.filePath(QStringLiteral("config/Norvale/Vexa/Templates"))).exists());

  QTimer::singleShot(200, fmMain, [] { fmMain->close(); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_EQ(Workflow->State(), wfsClosing);
  Builder().DestroyOnFinish();
  EXPECT_FALSE(Folders || LogWriter || Workflow || SysTime || Timer || ChartTemplates);
  EXPECT_TRUE(UIWriter);
  UIWriter.reset();
  EXPECT_TRUE(lGuard.Presenter().Shown().empty());
}

// Start-up waits for the exchange while the window is already open: a close then must still
// end the run (status 0, every singleton gone) instead of leaving a loop without a window.
TEST_F(StartTest, WindowClosedDuringStartUpEndsTheRun)
{
  TPresenterGuard lGuard;
  WriteServerJson("{\"server\":\"https://127.0.0.1:1\"}");
  // With keys, start-up waits for a server time that cannot come.
  QFile lConfig(fDir.filePath(QStringLiteral("exe/config.json")));
  ASSERT_TRUE(lConfig.open(QIODevice::WriteOnly));
  lConfig.write(QStringLiteral(R"({"config":{"mainprofile":{"api_key":"%1","secret_key":"%2"},)"
                               R"("profiles":[]}})")
                    .arg(Encrypt(QStringLiteral("key")), Encrypt(QStringLiteral("secret")))
                    .toUtf8());
  lConfig.close();

  QTimer lClose;
  QObject::connect(&lClose, &QTimer::timeout, [] {
    if (fmMain && fmMain->isVisible())
      fmMain->close();
  });
  lClose.start(300);
  // Ends a loop entered by mistake, so that the test reports instead of hanging.
  QTimer lRescue;
  lRescue.setSingleShot(true);
  QObject::connect(&lRescue, &QTimer::timeout, [] { QCoreApplication::exit(7); });
  lRescue.start(15000);
  QElapsedTimer lTimer;
  lTimer.start();
  EXPECT_EQ(RunTerminal(), 0);
  EXPECT_LT(lTimer.elapsed(), 10000);
  lClose.stop();
  lRescue.stop();
  EXPECT_FALSE(Folders || LogWriter || Workflow || SysTime || UIWriter || Timer || User);
}

TEST_F(StartTest, OnlineWindowShowsTheExchangeClock)
{
  WriteServerJson("{\"server\":\"https://127.0.0.1:1\"}");
  Folders = std::make_unique<TFolders>();
  Workflow = std::make_unique<TWorkflow>();
  SysTime = std::make_unique<TSysTime>();
  UIWriter = std::make_unique<TUIWriter>();
  {
    TfmMain lForm;
    lForm.SetOnlineMode(true);
    EXPECT_EQ(lForm.StatusText()->text(), QStringLiteral("Подключено"));
    SysTime->SetTime(EncodeDateTime(2024, 6, 1, 9, 5, 7));
    EXPECT_EQ(lForm.SysTimePanel()->text(), QStringLiteral("09:05:07"));
    SysTime->DoActionTimerTick();
    EXPECT_EQ(lForm.SysTimePanel()->text(), QStringLiteral("09:05:08"));
    lForm.SetOnlineMode(false);
    SysTime->DoActionTimerTick();
    EXPECT_TRUE(lForm.SysTimePanel()->text().isEmpty());
  }
  // The destroyed window left the publishers: publishing reaches nobody.
  EXPECT_EQ(SysTime->Publisher().GetEvent(0)->Count(), 0);
  EXPECT_EQ(UIWriter->Publisher().GetEvent(0)->Count(), 0);
  UIWriter.reset();
  SysTime.reset();
  Workflow.reset();
  Folders.reset();
}
