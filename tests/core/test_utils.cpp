#include "test_presenter.h"
#include "utils.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace {

void SetZone(const char *aZone)
{
  setenv("TZ", aZone, 1);
  tzset();
}

QByteArray ReadAll(const QString &aFileName)
{
  QFile lFile(aFileName);
  EXPECT_TRUE(lFile.open(QIODevice::ReadOnly));
  return lFile.readAll();
}

// The file system a path lies on.
dev_t DeviceOf(const QString &aPath)
{
  struct stat lStat = {};
  return ::stat(QFile::encodeName(aPath).constData(), &lStat) == 0 ? lStat.st_dev : 0;
}

} // namespace

TEST(DateStamp, EpochIsThreeInTheMorning)
{
  EXPECT_EQ(DateToStamp(EncodeDateTime(1970, 1, 1, 3)), 0);
  EXPECT_DOUBLE_EQ(StampToDate(0), EncodeDateTime(1970, 1, 1, 3));
}

TEST(DateStamp, KnownStampsInAnyMachineZone)
{
  for (const char *lZone : {"UTC", "America/New_York", "Asia/Tokyo", "Europe/Moscow"}) {
    SetZone(lZone);
    SCOPED_TRACE(lZone);
    EXPECT_DOUBLE_EQ(StampToDate(1717200000000), EncodeDateTime(2024, 6, 1, 3));
    EXPECT_DOUBLE_EQ(StampToDate(1541073600000), EncodeDateTime(2018, 11, 1, 15));
    EXPECT_EQ(DateToStamp(EncodeDateTime(2024, 6, 1, 3)), 1717200000000);
  }
  SetZone("UTC");
}

TEST(DateStamp, UpperBound)
{
  EXPECT_NE(StampToDate(2500000000000), 0.0);
  EXPECT_EQ(DateToStamp(StampToDate(2500000000000)), 2500000000000);
  EXPECT_EQ(StampToDate(2500000000001), 0.0);
}

TEST(DateStamp, RoundTripsEveryMillisecondPattern)
{
  // Stamps spread over the whole range, each with an awkward millisecond part.
  for (std::int64_t lStamp = 0; lStamp <= 2500000000000; lStamp += 7777777777 + 13)
    ASSERT_EQ(DateToStamp(StampToDate(lStamp)), lStamp) << lStamp;
  for (std::int64_t lStamp = 1717200000000; lStamp < 1717200001000; ++lStamp)
    ASSERT_EQ(DateToStamp(StampToDate(lStamp)), lStamp) << lStamp;
}

TEST(DateStamp, DateToStampIgnoresSignAndCutsFraction)
{
  // Half a millisecond after the epoch, and one hour before it.
  EXPECT_EQ(DateToStamp(EncodeDateTime(1970, 1, 1, 3) + 0.5 / 86400000.0), 0);
  EXPECT_EQ(DateToStamp(EncodeDateTime(1970, 1, 1, 2)), 3600000);
}

TEST(DateStamp, DecodeMatchesEncode)
{
  const TDateTimeParts lParts = DecodeDateTime(EncodeDateTime(2026, 12, 31, 23, 59, 59, 999));
  EXPECT_EQ(lParts.Year, 2026);
  EXPECT_EQ(lParts.Month, 12);
  EXPECT_EQ(lParts.Day, 31);
  EXPECT_EQ(lParts.Hour, 23);
  EXPECT_EQ(lParts.Minute, 59);
  EXPECT_EQ(lParts.Second, 59);
  EXPECT_EQ(lParts.Msec, 999);
  EXPECT_EQ(MinuteOf(EncodeDateTime(2026, 1, 1, 10, 42, 30)), 42);
}

TEST(GetWin, ExpandsReferencesAndFallsBackToXdg)
{
  QTemporaryDir lHome;
  qputenv("VEXA_TEST_ROOT", "/opt/root");
  EXPECT_EQ(GetWin(QStringLiteral("%VEXA_TEST_ROOT%/a/%VEXA_TEST_ROOT%")),
            QStringLiteral("/opt/root/a//opt/root"));
  EXPECT_EQ(GetWin(QStringLiteral("%VEXA_NOT_SET_ANYWHERE%/x")),
            QStringLiteral("%VEXA_NOT_SET_ANYWHERE%/x"));

  qunsetenv("LOCALAPPDATA");
  qunsetenv("APPDATA");
  qputenv("XDG_DATA_HOME", (lHome.path() + "/data").toUtf8());
  qputenv("XDG_CONFIG_HOME", (lHome.path() + "/config").toUtf8());
  EXPECT_EQ(GetWin(QStringLiteral("%LOCALAPPDATA%")), lHome.path() + "/data");
  EXPECT_EQ(GetWin(QStringLiteral("%APPDATA%")), lHome.path() + "/config");
  qputenv("LOCALAPPDATA", "/win/local");
  EXPECT_EQ(GetWin(QStringLiteral("%LOCALAPPDATA%")), QStringLiteral("/win/local"));
  qunsetenv("LOCALAPPDATA");

  qputenv("VEXA_TEST_LONG", QByteArray(300, 'x'));
  EXPECT_EQ(GetWin(QStringLiteral("%VEXA_TEST_LONG%")).size(), 256);
}

TEST(JsonFile, SaveIsCompactWithCrLfAndLoadRoundTrips)
{
  QTemporaryDir lDir;
  const QString lName = lDir.filePath(QStringLiteral("a.json"));
  QJsonObject lObject{{QStringLiteral("server"), QStringLiteral("https://x")},
                      {QStringLiteral("n"), QJsonArray{1, 2}},
                      {QStringLiteral("ru"), QStringLiteral("Привет")}};
  ASSERT_TRUE(SaveJsonFile(lObject, lName));
  const QByteArray lBytes = ReadAll(lName);
  EXPECT_TRUE(lBytes.endsWith("}\r\n"));
  EXPECT_EQ(lBytes.count('\n'), 1);
  EXPECT_TRUE(lBytes.contains("Привет")); // UTF-8, not escaped
  const auto lLoaded = LoadJsonFile(lName);
  ASSERT_TRUE(lLoaded.has_value());
  EXPECT_EQ(*lLoaded, lObject);
}

TEST(JsonFile, LoadOfNonJsonIsNothingAndMissingFileRaises)
{
  QTemporaryDir lDir;
  const QString lName = lDir.filePath(QStringLiteral("bad.json"));
  QFile lFile(lName);
  ASSERT_TRUE(lFile.open(QIODevice::WriteOnly));
  lFile.write("{not json");
  lFile.close();
  EXPECT_FALSE(LoadJsonFile(lName).has_value());
  EXPECT_THROW(LoadJsonFile(lDir.filePath(QStringLiteral("none.json"))), std::runtime_error);
}

TEST(JsonFile, FailedSaveLeavesTheOldFileWholeAndNoTemporaries)
{
  QTemporaryDir lDir;
  const QString lName = lDir.filePath(QStringLiteral("charts.json"));
  ASSERT_TRUE(SaveJsonFile(QJsonObject{{QStringLiteral("v"), 1}}, lName));
  const QByteArray lBefore = ReadAll(lName);

  // A disk that fills up halfway through the write: the file size limit makes it fail.
  rlimit lOld{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &lOld), 0);
  const auto lOldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit lSmall = lOld;
  lSmall.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &lSmall), 0);
  const QJsonObject lBig{{QStringLiteral("v"), QString(100000, QLatin1Char('x'))}};
  EXPECT_THROW(SaveJsonFile(lBig, lName), std::runtime_error);
  setrlimit(RLIMIT_FSIZE, &lOld);
  std::signal(SIGXFSZ, lOldHandler);

  EXPECT_EQ(ReadAll(lName), lBefore);
  EXPECT_EQ(QDir(lDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("charts.json")});
}

// The temporary file is made beside its target. In the system's temporary folder it may sit on
// another file system, where the closing rename fails (EXDEV), or it may not be made at all.
TEST(JsonFile, SaveNeedsNothingOfTheSystemTemporaryFolder)
{
  QTemporaryDir lDir;
  QTemporaryDir lOther;
  const QString lName = lDir.filePath(QStringLiteral("config.json"));
  const QString lPlainFile = lOther.filePath(QStringLiteral("plain-file"));
  QFile lPlain(lPlainFile);
  ASSERT_TRUE(lPlain.open(QIODevice::WriteOnly));
  lPlain.close();
  // A folder that is not there, a plain file (nothing can be made under it, even by root) and,
  // where there is one, a folder on another file system.
  QStringList lTmpDirs{lOther.filePath(QStringLiteral("no-such-folder")), lPlainFile};
  QTemporaryDir lShm(QStringLiteral("/dev/shm/vexa-XXXXXX"));
  if (lShm.isValid() && DeviceOf(lShm.path()) != DeviceOf(lDir.path()))
    lTmpDirs << lShm.path();

  const QByteArray lOldTmp = qgetenv("TMPDIR");
  const bool lHadTmp = qEnvironmentVariableIsSet("TMPDIR");
  struct TRestore
  {
    const QByteArray &Value;
    bool Had;
    ~TRestore() { Had ? qputenv("TMPDIR", Value) : qunsetenv("TMPDIR"); }
  } lRestore{lOldTmp, lHadTmp};
  for (const QString &lTmpDir : lTmpDirs) {
    SCOPED_TRACE(lTmpDir.toStdString());
    qputenv("TMPDIR", QFile::encodeName(lTmpDir));
    const QJsonObject lObject{{QStringLiteral("tmp"), lTmpDir}};
    EXPECT_NO_THROW(SaveJsonFile(lObject, lName, true));
    EXPECT_EQ(LoadJsonFile(lName)
                  .value_or(QJsonObject{})
                  .value(QStringLiteral("tmp"))
                  .toString()
                  .toStdString(),
              lTmpDir.toStdString());
    EXPECT_EQ(QDir(lDir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{QStringLiteral("config.json")});
  }
  EXPECT_EQ(QDir(lOther.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("plain-file")});
  if (lShm.isValid()) {
    EXPECT_TRUE(QDir(lShm.path()).isEmpty());
  }
}

TEST(JsonFile, OwnerOnlyPermissions)
{
  QTemporaryDir lDir;
  const QString lName = lDir.filePath(QStringLiteral("config.json"));
  ASSERT_TRUE(SaveJsonFile(QJsonObject{}, lName, true));
  const auto lPerms = QFileInfo(lName).permissions();
  EXPECT_TRUE(lPerms.testFlag(QFileDevice::ReadOwner));
  EXPECT_FALSE(lPerms.testFlag(QFileDevice::ReadGroup));
  EXPECT_FALSE(lPerms.testFlag(QFileDevice::ReadOther));
}

TEST(ChartDate, ZeroStaysAndOthersUseLocaleMonth)
{
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(ChartDateToTradeDate(QStringLiteral("00:00 30.12.1899")),
            QStringLiteral("00:00 30.12.1899"));
  EXPECT_EQ(ChartDateToTradeDate(QStringLiteral("15:07 01.06.2024")),
            QStringLiteral("Jun 01 15:07"));
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  EXPECT_EQ(ChartDateToTradeDate(QStringLiteral("09:30 05.03.2024")),
            QLocale().monthName(3, QLocale::ShortFormat) + QStringLiteral(" 05 09:30"));
  EXPECT_THROW(ChartDateToTradeDate(QStringLiteral("garbage")), std::invalid_argument);
  QLocale::setDefault(QLocale::c());
}

TEST(Zoom, StepsAndClamps)
{
  EXPECT_EQ(IncZoom(z5, 1), z5);
  EXPECT_EQ(IncZoom(z0, -3), z0);
  EXPECT_EQ(IncZoom(z2, 2), z4);
  EXPECT_EQ(IncZoom(z3, 0), z3);
}

TEST(Tables, IntervalAndZoomCodes)
{
  EXPECT_STREQ(IntervalStr(m1), "1m");
  EXPECT_STREQ(IntervalStr(Month1), "1M");
  EXPECT_STREQ(IntervalStrEx(Month1), "Month");
  EXPECT_STREQ(IntervalStrEx(h12), "H12");
  EXPECT_EQ(cZoomCandles[static_cast<int>(z3)], 250);
  EXPECT_EQ(cZoom[static_cast<int>(z0)], 800);
  EXPECT_EQ(clLtRed, 14205169u);
  EXPECT_EQ(clLtGreen, 12644824u);
  EXPECT_STREQ(cMessageType[static_cast<int>(mtAlert)], "ALERT");
  EXPECT_STREQ(cMessageType[static_cast<int>(mtConfirm)], "");
}

TEST(MessageBoxes, CaptionStyleAndAnswers)
{
  TPresenterGuard lGuard(mrNo);
  EXPECT_FALSE(Confirm(QStringLiteral("Удалить?")));
  lGuard.Presenter().SetAnswer(mrYes);
  EXPECT_TRUE(Confirm(QStringLiteral("Удалить?")));
  Alert(QStringLiteral("boom"));
  const auto lShown = lGuard.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 3u);
  EXPECT_EQ(lShown[0].Caption, QStringLiteral("Vexa"));
  EXPECT_EQ(lShown[0].Type, mtConfirm);
  EXPECT_EQ(lShown[2].Type, mtAlert);
  EXPECT_EQ(lShown[2].Text, QStringLiteral("boom"));
}

TEST(MessageBoxes, WorkerWaitsForTheBoxOnTheGuiThread)
{
  TPresenterGuard lGuard(mrYes);
  bool lAnswer = false;
  std::atomic<bool> lDone = false;
  std::thread lWorker([&] {
    lAnswer = Confirm(QStringLiteral("from worker"));
    lDone = true;
  });
  while (!lDone)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  lWorker.join();
  EXPECT_TRUE(lAnswer);
  const auto lShown = lGuard.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 1u);
  EXPECT_TRUE(lShown[0].OnGuiThread);
}

TEST(ServerError, SharedUnderConcurrentWriters)
{
  std::vector<std::thread> lThreads;
  for (int i = 0; i < 4; ++i)
    lThreads.emplace_back([i] {
      for (int j = 0; j < 2000; ++j)
        SetLastServerError(QStringLiteral("error %1 of thread %2").arg(j).arg(i));
    });
  for (int j = 0; j < 2000; ++j)
    EXPECT_TRUE(GetLastServerError().isEmpty() || GetLastServerError().startsWith("error "));
  for (auto &lThread : lThreads)
    lThread.join();
  EXPECT_TRUE(GetLastServerError().startsWith(QStringLiteral("error 1999 of thread")));
}

TEST(UserName, SeamReplacesTheLoginName)
{
  QString lName;
  GetUserFromWindows(lName);
  EXPECT_FALSE(lName.isEmpty());
  SetUserNameSource([] { return QStringLiteral("kestrum"); });
  GetUserFromWindows(lName);
  EXPECT_EQ(lName, QStringLiteral("kestrum"));
  SetUserNameSource({});
}
