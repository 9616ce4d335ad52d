#include "coder.h"
#include "profile.h"
#include "test_presenter.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class ProfileFile : public ::testing::Test
{
protected:
  QString FileName() const { return fDir.filePath(QStringLiteral("config.json")); }

  std::unique_ptr<TProfile> NewProfile() const
  {
    auto lProfile = std::make_unique<TProfile>(wfmTrade);
    lProfile->SetFileName(FileName());
    return lProfile;
  }

  QByteArray ReadBytes() const
  {
    QFile lFile(FileName());
    EXPECT_TRUE(lFile.open(QIODevice::ReadOnly));
    return lFile.readAll();
  }

  void WriteBytes(const QByteArray &aBytes) const
  {
    QFile lFile(FileName());
    ASSERT_TRUE(lFile.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lFile.write(aBytes);
  }

  void WriteConfig(const QJsonObject &aConfig) const
  {
    WriteBytes(QJsonDocument(QJsonObject{{QStringLiteral("config"), aConfig}}).toJson());
  }

  static QJsonObject Account(const QString &aApi, const QString &aSecret, const QString &aName,
                             double aRate)
  {
    return QJsonObject{{QStringLiteral("api_key"), Encrypt(aApi)},
                       {QStringLiteral("secret_key"), Encrypt(aSecret)},
                       {QStringLiteral("name"), aName},
                       {QStringLiteral("rate"), aRate}};
  }

  static QJsonObject Main(const QString &aApi, const QString &aSecret)
  {
    return QJsonObject{{QStringLiteral("api_key"), Encrypt(aApi)},
                       {QStringLiteral("secret_key"), Encrypt(aSecret)}};
  }

  std::vector<QString> AlertTexts()
  {
    std::vector<QString> lTexts;
    for (const auto &lShown : fPresenter.Presenter().Shown()) {
      EXPECT_EQ(lShown.Type, mtAlert);
      lTexts.push_back(lShown.Text);
    }
    return lTexts;
  }

  QTemporaryDir fDir;
  TPresenterGuard fPresenter;
};

} // namespace

TEST_F(ProfileFile, FreshStartWritesEmptyOwnerOnlyFile)
{
  auto lProfile = NewProfile();
  EXPECT_TRUE(lProfile->LoadFromFile());
  EXPECT_EQ(ReadBytes(), QByteArray(R"({"config":{"mainprofile":{"api_key":"","secret_key":""},)"
                                    R"("profiles":[]}})"
                                    "\r\n"));
  struct stat lStat
  {
  };
  ASSERT_EQ(::stat(QFile::encodeName(FileName()).constData(), &lStat), 0);
  EXPECT_EQ(lStat.st_mode & 0777, 0600u);
  EXPECT_TRUE(AlertTexts().empty());
  EXPECT_EQ(QDir(fDir.path()).entryList(QDir::Files), QStringList{QStringLiteral("config.json")});
}

TEST_F(ProfileFile, FreshStartInMissingFolderAlertsAndInitStillSucceeds)
{
  auto lProfile = std::make_unique<TProfile>(wfmTrade);
  lProfile->SetFileName(fDir.filePath(QStringLiteral("absent/config.json")));
  EXPECT_FALSE(lProfile->LoadFromFile());
  EXPECT_EQ(AlertTexts().size(), 1u);
  EXPECT_TRUE(lProfile->Init());
  EXPECT_EQ(AlertTexts().size(), 2u);
}

TEST_F(ProfileFile, AccountsRoundTripWithKeysInsideAndOutsidePrintable)
{
  const QString lMainApi =
      QStringLiteral("vmPUZE6mv9SD5VNHk4HlWFsOr6aKE2zvsw0MuIgwCIPy6utIco14y7Ju");
  const QString lMainSecret =
      QStringLiteral("NhqPtmdSJYdKjVHjA7PZj4Mge3R5YNiP1e3UZjInClVN65XAbvqqM6A7");
  const QString lOddApi = QStringLiteral("tab\there ~\x7f Ключ \U0001F511");
  const QString lOddSecret = QStringLiteral("\x01\x1f\r\nsecret é");
  {
    auto lProfile = NewProfile();
    lProfile->MainProfile()->ApiKey = lMainApi;
    lProfile->MainProfile()->SecretKey = lMainSecret;
    lProfile->MainProfile()->Name = QStringLiteral("not stored");
    TConnectionItem &lFirst = lProfile->Connections().Add();
    lFirst.ApiKey = lOddApi;
    lFirst.SecretKey = lOddSecret;
    lFirst.Name = QStringLiteral("Счёт 2");
    lFirst.Rate = 2;
    TConnectionItem &lSecond = lProfile->Connections().Add();
    lSecond.Name = QStringLiteral("empty keys");
    lSecond.Rate = 0.5;
    ASSERT_TRUE(lProfile->SaveToFile());
  }
  const QByteArray lBytes = ReadBytes();
  EXPECT_TRUE(lBytes.endsWith("}\r\n"));
  EXPECT_EQ(lBytes.count('\n'), 1);
  EXPECT_EQ(lBytes.indexOf(lMainApi.toUtf8()), -1);
  EXPECT_EQ(lBytes.indexOf(lMainSecret.toUtf8()), -1);
  EXPECT_EQ(lBytes.indexOf("not stored"), -1);
  const QJsonObject lMainNode = QJsonDocument::fromJson(lBytes)
                                    .object()[QStringLiteral("config")]
                                    .toObject()[QStringLiteral("mainprofile")]
                                    .toObject();
  EXPECT_EQ(lMainNode.keys(),
            (QStringList{QStringLiteral("api_key"), QStringLiteral("secret_key")}));

  auto lLoaded = NewProfile();
  ASSERT_TRUE(lLoaded->LoadFromFile());
  EXPECT_EQ(lLoaded->MainProfile()->ApiKey, lMainApi);
  EXPECT_EQ(lLoaded->MainProfile()->SecretKey, lMainSecret);
  ASSERT_EQ(lLoaded->Connections().Count(), 2);
  const TConnectionItem &lFirst = lLoaded->Connections().Items(0);
  EXPECT_EQ(lFirst.ApiKey, lOddApi);
  EXPECT_EQ(lFirst.SecretKey, lOddSecret);
  EXPECT_EQ(lFirst.Name, QStringLiteral("Счёт 2"));
  EXPECT_EQ(lFirst.Rate, 2);
  const TConnectionItem &lSecond = lLoaded->Connections().Items(1);
  EXPECT_TRUE(lSecond.ApiKey.isEmpty());
  EXPECT_TRUE(lSecond.SecretKey.isEmpty());
  EXPECT_EQ(lSecond.Rate, 0.5);
  EXPECT_TRUE(AlertTexts().empty());
}

TEST_F(ProfileFile, TwelveAccountsLoadTheFirstTenWithOneLimitMessage)
{
  QJsonArray lProfiles;
  for (int i = 0; i < 12; ++i)
    lProfiles.append(Account(QStringLiteral("api%1").arg(i), QStringLiteral("secret%1").arg(i),
                             QStringLiteral("acc%1").arg(i), i + 1));
  WriteConfig({{QStringLiteral("mainprofile"), Main(QStringLiteral("m"), QStringLiteral("s"))},
               {QStringLiteral("profiles"), lProfiles}});
  auto lProfile = NewProfile();
  EXPECT_TRUE(lProfile->LoadFromFile());
  EXPECT_EQ(AlertTexts(), std::vector<QString>{QStringLiteral("Достигнут линит в 10 подключений")});
  ASSERT_EQ(lProfile->Connections().Count(), 10);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(lProfile->Connections().Items(i).Name, QStringLiteral("acc%1").arg(i));
    EXPECT_EQ(lProfile->Connections().Items(i).SecretKey, QStringLiteral("secret%1").arg(i));
  }
  EXPECT_TRUE(lProfile->Connections().IsFull());
  EXPECT_THROW(lProfile->Connections().Add(), std::length_error);
  EXPECT_EQ(lProfile->Connections().Count(), 10);
}

TEST_F(ProfileFile, InvalidHexStopsLoadingAtThatValue)
{
  QJsonArray lProfiles{
      Account(QStringLiteral("a0"), QStringLiteral("s0"), QStringLiteral("n0"), 1),
      Account(QStringLiteral("a1"), QStringLiteral("s1"), QStringLiteral("n1"), 1)};
  QJsonObject lBad = Account(QStringLiteral("a2"), QString(), QStringLiteral("n2"), 1);
  lBad[QStringLiteral("secret_key")] = QStringLiteral("A0G1");
  lProfiles.append(lBad);
  lProfiles.append(Account(QStringLiteral("a3"), QStringLiteral("s3"), QStringLiteral("n3"), 1));
  WriteConfig({{QStringLiteral("mainprofile"), Main(QStringLiteral("main"), QStringLiteral("ms"))},
               {QStringLiteral("profiles"), lProfiles}});

  auto lProfile = NewProfile();
  EXPECT_FALSE(lProfile->LoadFromFile());
  const auto lAlerts = AlertTexts();
  ASSERT_EQ(lAlerts.size(), 1u);
  EXPECT_TRUE(lAlerts[0].contains(QStringLiteral("'G1'"))) << lAlerts[0].toStdString();
  EXPECT_EQ(lProfile->MainProfile()->ApiKey, QStringLiteral("main"));
  ASSERT_EQ(lProfile->Connections().Count(), 2); // no half-read third account
  EXPECT_EQ(lProfile->Connections().Items(1).SecretKey, QStringLiteral("s1"));
}

TEST_F(ProfileFile, OddLengthMainKeyKeepsEarlierKeys)
{
  QJsonObject lMain = Main(QStringLiteral("new api"), QString());
  lMain[QStringLiteral("secret_key")] = Encrypt(QStringLiteral("new secret")).chopped(1);
  WriteConfig({{QStringLiteral("mainprofile"), lMain}, {QStringLiteral("profiles"), QJsonArray()}});
  auto lProfile = NewProfile();
  lProfile->MainProfile()->SecretKey = QStringLiteral("old secret");
  lProfile->Connections().Add().Name = QStringLiteral("kept");
  EXPECT_FALSE(lProfile->LoadFromFile());
  EXPECT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(lProfile->MainProfile()->ApiKey, QStringLiteral("new api"));
  EXPECT_EQ(lProfile->MainProfile()->SecretKey, QStringLiteral("old secret"));
  EXPECT_EQ(lProfile->Connections().Count(), 1);
}

TEST_F(ProfileFile, UnreadableFileShowsOneErrorAndKeepsTheProfile)
{
  WriteBytes("{\"config\": {\"mainprofile\": ");
  auto lProfile = NewProfile();
  lProfile->MainProfile()->ApiKey = QStringLiteral("before");
  EXPECT_FALSE(lProfile->LoadFromFile());
  const auto lAlerts = AlertTexts();
  ASSERT_EQ(lAlerts.size(), 1u);
  EXPECT_TRUE(lAlerts[0].startsWith(QStringLiteral("error reading config.json\n")));
  EXPECT_EQ(lProfile->MainProfile()->ApiKey, QStringLiteral("before"));
  EXPECT_TRUE(lProfile->Init()); // a second box, but start-up goes on
  EXPECT_EQ(ReadBytes(), QByteArray("{\"config\": {\"mainprofile\": ")); // never overwritten
}

// A file read only in part would lose the accounts not read at the next save: the original is
// copied aside first, an earlier copy is never replaced, and the alert says where it went.
TEST_F(ProfileFile, PartlyReadFileIsKeptBeforeTheNextSave)
{
  QJsonObject lBadKey =
      Account(QStringLiteral("a1"), QStringLiteral("s1"), QStringLiteral("n1"), 1);
  lBadKey[QStringLiteral("api_key")] = QStringLiteral("ZZ");
  const QJsonObject lMain = Main(QStringLiteral("m"), QStringLiteral("s"));
  const QJsonObject lFirst =
      Account(QStringLiteral("a0"), QStringLiteral("s0"), QStringLiteral("n0"), 1);
  const QByteArray lNoJson("{\"config\": ");
  const std::vector<std::pair<const char *, QJsonArray>> lCases{
      {"key that is not hex", QJsonArray{lFirst, lBadKey}},
      {"element that is not an object", QJsonArray{lFirst, 5}},
      {"no JSON at all", QJsonArray()},
  };
  const QString lBak = FileName() + QStringLiteral(".bak");
  for (const auto &[lName, lProfiles] : lCases) {
    SCOPED_TRACE(lName);
    QFile::remove(lBak);
    if (lProfiles.isEmpty())
      WriteBytes(lNoJson);
    else
      WriteConfig(
          {{QStringLiteral("mainprofile"), lMain}, {QStringLiteral("profiles"), lProfiles}});
    const QByteArray lOriginal = ReadBytes();
    TPresenterGuard lBoxes;
    auto lProfile = NewProfile();
    EXPECT_FALSE(lProfile->LoadFromFile());
    ASSERT_EQ(lBoxes.Presenter().Shown().size(), 1u);
    EXPECT_TRUE(lBoxes.Presenter().Shown()[0].Text.endsWith(lBak))
        << lBoxes.Presenter().Shown()[0].Text.toStdString();
    EXPECT_TRUE(lProfile->SaveToFile());
    EXPECT_NE(ReadBytes(), lOriginal);
    QFile lCopy(lBak);
    ASSERT_TRUE(lCopy.open(QIODevice::ReadOnly));
    EXPECT_EQ(lCopy.readAll(), lOriginal);
    EXPECT_EQ(lCopy.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther), 0);
  }

  // Another broken original while an older copy exists: the older copy stays as it is.
  WriteBytes("{\"config\": 1");
  TPresenterGuard lBoxes;
  auto lProfile = NewProfile();
  EXPECT_FALSE(lProfile->LoadFromFile());
  QFile lOld(lBak);
  ASSERT_TRUE(lOld.open(QIODevice::ReadOnly));
  EXPECT_EQ(lOld.readAll(), lNoJson);
  QFile lNewer(lBak + QStringLiteral(".1"));
  ASSERT_TRUE(lNewer.open(QIODevice::ReadOnly));
  EXPECT_EQ(lNewer.readAll(), QByteArray("{\"config\": 1"));
  ASSERT_EQ(lBoxes.Presenter().Shown().size(), 1u);
  EXPECT_TRUE(lBoxes.Presenter().Shown()[0].Text.endsWith(lBak + QStringLiteral(".1")));
}

TEST_F(ProfileFile, MissingMembersReadAsEmptyAndRateAsZero)
{
  WriteConfig({{QStringLiteral("profiles"),
                QJsonArray{QJsonObject{{QStringLiteral("name"), QStringLiteral("bare")}}}}});
  auto lProfile = NewProfile();
  lProfile->MainProfile()->ApiKey = QStringLiteral("x");
  EXPECT_TRUE(lProfile->LoadFromFile());
  EXPECT_TRUE(AlertTexts().empty());
  EXPECT_TRUE(lProfile->MainProfile()->ApiKey.isEmpty());
  ASSERT_EQ(lProfile->Connections().Count(), 1);
  EXPECT_EQ(lProfile->Connections().Items(0).Name, QStringLiteral("bare"));
  EXPECT_EQ(lProfile->Connections().Items(0).Rate, 0);
  EXPECT_TRUE(lProfile->Connections().Items(0).ApiKey.isEmpty());
}

TEST_F(ProfileFile, FailedSaveAlertsAndLeavesTheFileAlone)
{
  auto lProfile = NewProfile();
  lProfile->MainProfile()->ApiKey = QStringLiteral("k");
  ASSERT_TRUE(lProfile->SaveToFile());
  const QByteArray lBefore = ReadBytes();
  lProfile->SetFileName(fDir.filePath(QStringLiteral("no/such/folder/config.json")));
  lProfile->MainProfile()->ApiKey = QStringLiteral("changed");
  EXPECT_FALSE(lProfile->SaveToFile());
  EXPECT_EQ(AlertTexts().size(), 1u);
  EXPECT_EQ(ReadBytes(), lBefore);
}

TEST_F(ProfileFile, SaveWritesTheMainAccountNotAnOpenEdit)
{
  auto lProfile = NewProfile();
  lProfile->MainProfile()->ApiKey = QStringLiteral("stored");
  lProfile->MainBeginUpdate();
  lProfile->MainProfile()->ApiKey = QStringLiteral("being edited");
  ASSERT_TRUE(lProfile->SaveToFile());
  lProfile->MainRollbackUpdate();
  auto lLoaded = NewProfile();
  ASSERT_TRUE(lLoaded->LoadFromFile());
  EXPECT_EQ(lLoaded->MainProfile()->ApiKey, QStringLiteral("stored"));
}

TEST(Profile, MainEditIsBufferedUntilCommit)
{
  TProfile lProfile(wfmTrade);
  TConnectionItem *lMain = lProfile.MainProfile();
  lMain->ApiKey = QStringLiteral("api");
  lMain->SecretKey = QStringLiteral("secret");
  lMain->Name = QStringLiteral("main");
  lMain->Rate = 3;

  lProfile.MainBeginUpdate();
  EXPECT_TRUE(lProfile.MainUpdating());
  TConnectionItem *lBuffer = lProfile.MainProfile();
  ASSERT_NE(lBuffer, lMain);
  EXPECT_EQ(lBuffer->ApiKey, QStringLiteral("api"));
  EXPECT_EQ(lBuffer->SecretKey, QStringLiteral("secret"));
  lBuffer->ApiKey = QStringLiteral("other");
  lProfile.MainRollbackUpdate();
  EXPECT_FALSE(lProfile.MainUpdating());
  EXPECT_EQ(lProfile.MainProfile(), lMain);
  EXPECT_EQ(lMain->ApiKey, QStringLiteral("api"));

  lProfile.MainBeginUpdate();
  auto lToken = lProfile.MainProfile()->LifeToken();
  lProfile.MainProfile()->ApiKey = QStringLiteral("new api");
  lProfile.MainProfile()->SecretKey = QStringLiteral("new secret");
  lProfile.MainProfile()->Name = QStringLiteral("dialog name");
  lProfile.MainProfile()->Rate = 9;
  lProfile.MainCommitUpdate();
  EXPECT_TRUE(lToken.expired()); // requests started for the buffer must not write into it
  EXPECT_EQ(lProfile.MainProfile(), lMain);
  EXPECT_EQ(lMain->ApiKey, QStringLiteral("new api"));
  EXPECT_EQ(lMain->SecretKey, QStringLiteral("new secret"));
  EXPECT_EQ(lMain->Name, QStringLiteral("main"));
  EXPECT_EQ(lMain->Rate, 3);

  // Commit and rollback without an open edit change nothing.
  lProfile.MainCommitUpdate();
  lProfile.MainRollbackUpdate();
  EXPECT_EQ(lMain->ApiKey, QStringLiteral("new api"));
}

TEST(Profile, CommittingOtherKeysDropsTheOldAccountData)
{
  TProfile lProfile(wfmTrade);
  TConnectionItem *lMain = lProfile.MainProfile();
  lMain->ApiKey = QStringLiteral("api");
  auto Fill = [&] {
    lMain->BalanceList.Add().Asset = QStringLiteral("BTC");
    lMain->UserOrderList.Add().Symbol = QStringLiteral("BTCUSDT");
    lMain->UserOrderList.Loaded = true;
    lMain->UserOrderHistory.Add().Symbol = QStringLiteral("ETHUSDT");
    lMain->UserOrderHistory.Loaded = true;
  };
  Fill();
  lProfile.MainBeginUpdate();
  lProfile.MainCommitUpdate(); // same keys: the data still belongs to the account
  EXPECT_EQ(lMain->BalanceList.Count(), 1);
  EXPECT_TRUE(lMain->UserOrderList.Loaded);

  lProfile.MainBeginUpdate();
  lProfile.MainProfile()->SecretKey = QStringLiteral("another");
  lProfile.MainCommitUpdate();
  EXPECT_EQ(lMain->BalanceList.Count(), 0);
  EXPECT_EQ(lMain->UserOrderList.Count(), 0);
  EXPECT_FALSE(lMain->UserOrderList.Loaded);
  EXPECT_EQ(lMain->UserOrderHistory.Count(), 0);
  EXPECT_FALSE(lMain->UserOrderHistory.Loaded);
}

TEST(Profile, PanelDefaultsFollowTheWorkflowMode)
{
  const TUIVisible lTrade = TProfile(wfmTrade).UIVisible();
  const TUIVisible lVolume = TProfile(wfmVolume).UIVisible();
  const TUIVisible lFull = TProfile(wfmFull).UIVisible();
  for (const TUIVisible *lVisible : {&lTrade, &lVolume, &lFull}) {
    EXPECT_TRUE(lVisible->tbIntervals);
    EXPECT_TRUE(lVisible->tbCharts);
    EXPECT_TRUE(lVisible->tbInstruments);
    EXPECT_FALSE(lVisible->dpNavigate);
  }
  EXPECT_TRUE(lTrade.tbStandarts && lTrade.dpMarketView && lTrade.dpMarketDepth &&
              lTrade.dpTerminal);
  EXPECT_FALSE(lTrade.dpVolumeMonitor);
  EXPECT_FALSE(lVolume.tbStandarts || lVolume.dpMarketView || lVolume.dpMarketDepth ||
               lVolume.dpTerminal);
  EXPECT_TRUE(lVolume.dpVolumeMonitor);
  EXPECT_TRUE(lFull.tbStandarts && lFull.dpMarketView && lFull.dpMarketDepth && lFull.dpTerminal &&
              lFull.dpVolumeMonitor);
}

TEST(Profile, RemovedAccountExpiresItsToken)
{
  TProfile lProfile(wfmTrade);
  lProfile.Connections().Add().Name = QStringLiteral("a");
  TConnectionItem &lSecond = lProfile.Connections().Add();
  lSecond.Name = QStringLiteral("b");
  EXPECT_EQ(lProfile.Connections().Profile(), &lProfile);
  const auto lToken = lSecond.LifeToken();
  lProfile.Connections().Delete(0);
  EXPECT_FALSE(lToken.expired());
  EXPECT_EQ(&lProfile.Connections().Items(0), &lSecond); // items keep their address
  lProfile.Connections().Delete(0);
  EXPECT_TRUE(lToken.expired());
  EXPECT_THROW(lProfile.Connections().Items(0), std::out_of_range);
}
