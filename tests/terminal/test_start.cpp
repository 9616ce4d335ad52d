#include "builder.h"
#include "chart_list.h"
#include "chart_templates.h"
#include "coder.h"
#include "fm_main.h"
#include "folders.h"
#include "log_writer.h"
#include "profile.h"
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

// The builder's singletons alive at one moment, by name.
QStringList Alive()
{
  QStringList lNames;
  const std::pair<bool, const char *> lAll[] = {{Folders != nullptr, "Folders"},
                                                {LogWriter != nullptr, "LogWriter"},
                                                {Workflow != nullptr, "Workflow"},
                                                {Profile != nullptr, "Profile"},
                                                {User != nullptr, "User"},
                                                {SysTime != nullptr, "SysTime"},
                                                {UIWriter != nullptr, "UIWriter"},
                                                {Timer != nullptr, "Timer"},
                                                {ChartTemplates != nullptr, "ChartTemplates"},
                                                {ChartList != nullptr, "ChartList"}};
  for (const auto &[lAlive, lName] : lAll)
    if (lAlive)
      lNames << QString::fromLatin1(lName);
  return lNames;
}

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

// Each step of the builder makes or frees exactly one singleton, in the fixed order; the run's
// three empty log entries come right after the log writer and before the workflow.
TEST_F(StartTest, SingletonsComeAndGoInTheirOrderAndTheRunIsMarkedInTheLog)
{
  TPresenterGuard lGuard;
  SetUserNameSource([] { return QStringLiteral("kestrum"); });
  WriteServerJson("{\"server\":\"https://127.0.0.1:1\"}");
  std::vector<QStringList> lSteps{Alive()};
  SetBuilderStepProbe([&lSteps] {
    lSteps.push_back(Alive());
    WriteLog(QStringLiteral("step"));
  });
  Builder().BuildOnStart();
  QTimer::singleShot(200, fmMain, [] { fmMain->close(); });
  EXPECT_EQ(QApplication::exec(), 0);
  Builder().DestroyOnFinish();
  SetBuilderStepProbe({});
  SetUserNameSource({});
  UIWriter.reset();

  QStringList lMade, lFreed;
  for (size_t i = 1; i < lSteps.size(); ++i) {
    const QStringList &lBefore = lSteps[i - 1];
    const QStringList &lAfter = lSteps[i];
    ASSERT_EQ(std::abs(lAfter.size() - lBefore.size()), 1) << "step " << i;
    for (const QString &lName : lAfter)
      if (!lBefore.contains(lName))
        lMade << lName;
    for (const QString &lName : lBefore)
      if (!lAfter.contains(lName))
        lFreed << lName;
  }
  EXPECT_EQ(lMade, (QStringList{"Folders", "LogWriter", "Workflow", "Profile", "User", "SysTime",
                                "UIWriter", "Timer", "ChartTemplates", "ChartList"}));
  EXPECT_EQ(lFreed, (QStringList{"ChartTemplates", "SysTime", "ChartList", "Folders", "Workflow",
                                 "Profile", "User", "Timer", "LogWriter"}));

  // The probe's entry after the log writer is the first one written; the three marks follow.
  QFile lLog(fDir.filePath(QStringLiteral("exe/Debug.log")));
  ASSERT_TRUE(lLog.open(QIODevice::ReadOnly));
  const QList<QByteArray> lLines = lLog.readAll().split('\n');
  ASSERT_GE(lLines.size(), 5);
  auto Fields = [&lLines](int aLine) { return lLines[aLine].trimmed().split('\t'); };
  EXPECT_EQ(Fields(0).value(3), "step");
  for (int i = 1; i <= 3; ++i) {
    const QList<QByteArray> lMark = lLines[i].chopped(1).split('\t');
    ASSERT_EQ(lMark.size(), 4) << lLines[i].toStdString();
    EXPECT_EQ(lMark[1], "");
    EXPECT_EQ(lMark[2], QByteArray(8, ' ')); // the main thread's identifier 0
    EXPECT_EQ(lMark[3], "");
  }
  EXPECT_EQ(Fields(4).value(3), "step");
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
