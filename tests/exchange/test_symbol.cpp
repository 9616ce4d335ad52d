#include "events.h"
#include "symbol.h"
#include "symbol_show_list.h"
#include "test_market_env.h"
#include "utils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <stdexcept>

using namespace market_test;

TEST(SymbolList, FindIgnoresLetterCase)
{
  TSymbolList lList;
  TSymbol *lBtc = lList.Add(QStringLiteral("BTCUSDT"));
  lList.Add(QStringLiteral("ETHBTC"));
  EXPECT_EQ(lList.Find(QStringLiteral("btcusdt")), lBtc);
  EXPECT_EQ(lList.Find(QStringLiteral("BtcUsdt")), lBtc);
  EXPECT_EQ(lList.Find(QStringLiteral("BTCUSD")), nullptr);
  EXPECT_EQ(lList.Find(QString()), nullptr);
}

TEST(SymbolList, IndexInNameOrderCollectionInArrivalOrder)
{
  TSymbolList lList;
  const QStringList lNames = {"XRPBTC", "ADAUSDT", "bnbeth", "ZECBTC", "BTCUSDT", "AAVEBTC"};
  for (const QString &lName : lNames)
    lList.FindOrAdd(lName);
  ASSERT_EQ(lList.Count(), lNames.size());
  for (int i = 0; i < lList.Count(); ++i)
    EXPECT_EQ(lList.GetItem(i)->Name(), lNames[i]);
  ASSERT_EQ(lList.IndexCount(), lNames.size());
  for (int i = 1; i < lList.IndexCount(); ++i)
    EXPECT_LT(TSymbolList::Key(lList.IndexItem(i - 1)->Name()),
              TSymbolList::Key(lList.IndexItem(i)->Name()));
  // Every name is found again through the halving search, whatever its position.
  for (const QString &lName : lNames)
    EXPECT_EQ(lList.Find(lName.toLower())->Name(), lName);
}

TEST(SymbolList, IndexOrderHoldsBeyondTheFirstCharactersAndOutsideLatin1)
{
  // Names alike in their first eight characters, short ones, and characters past U+00FF.
  TSymbolList lList;
  const QStringList lNames = {"ABCDEFGHB", "ABCDEFGHA", "AB",  "ABCDEFGH", "AĀZ",    "AþZ",
                              "ЖBTC",      "ā",         "AāA", "ABCDEFGĀ", "ABCDEFG"};
  lList.BeginUpdate();
  for (int i = 0; i < 4; ++i)
    lList.FindOrAdd(lNames[i]);
  lList.EndUpdate(); // sorted once at the end of a bulk update
  for (int i = 4; i < lNames.size(); ++i)
    lList.FindOrAdd(lNames[i]); // inserted in place
  ASSERT_EQ(lList.IndexCount(), lNames.size());
  for (int i = 1; i < lList.IndexCount(); ++i)
    EXPECT_LT(TSymbolList::Key(lList.IndexItem(i - 1)->Name()),
              TSymbolList::Key(lList.IndexItem(i)->Name()))
        << i;
  for (const QString &lName : lNames)
    EXPECT_EQ(lList.Find(lName)->Name(), lName);
  EXPECT_EQ(lList.Find("ABCDEFGHC"), nullptr);
  EXPECT_EQ(lList.Find("AĂZ"), nullptr);
}

TEST(SymbolList, FindOrAddAddsOnceWhateverTheCase)
{
  TSymbolList lList;
  TSymbol *lFirst = lList.FindOrAdd(QStringLiteral("LTCBTC"));
  EXPECT_EQ(lList.FindOrAdd(QStringLiteral("ltcbtc")), lFirst);
  EXPECT_EQ(lList.Count(), 1);
  EXPECT_EQ(lList.IndexCount(), 1);
  lList.Clear();
  EXPECT_EQ(lList.Count(), 0);
  EXPECT_EQ(lList.Find(QStringLiteral("LTCBTC")), nullptr);
}

TEST(Symbol, SettersStampTheServerTimeOnlyOnChange)
{
  SysTime = std::make_unique<TSysTime>();
  TSymbol lSymbol;
  EXPECT_EQ(lSymbol.Color(), 0u);
  EXPECT_EQ(lSymbol.Time(), 0.0);
  const TDateTime lT1 = EncodeDateTime(2026, 5, 4, 10, 0, 0);
  SysTime->SetTime(lT1);
  lSymbol.SetBidPrice(1.5);
  EXPECT_EQ(lSymbol.BidPrice(), 1.5);
  EXPECT_EQ(lSymbol.Time(), lT1);

  const TDateTime lT2 = EncodeDateTime(2026, 5, 4, 10, 0, 7);
  SysTime->SetTime(lT2);
  lSymbol.SetBidPrice(1.5); // same value: no stamp
  EXPECT_EQ(lSymbol.Time(), lT1);
  lSymbol.SetAskPrice(1.6);
  EXPECT_EQ(lSymbol.Time(), lT2);

  const TDateTime lT3 = EncodeDateTime(2026, 5, 4, 10, 0, 9);
  SysTime->SetTime(lT3);
  lSymbol.SetHighPrice(2.0);
  EXPECT_EQ(lSymbol.Time(), lT3);
  SysTime->SetTime(lT3 + 0.001);
  lSymbol.SetLowPrice(0.9);
  EXPECT_EQ(lSymbol.Time(), lT3 + 0.001);
  lSymbol.SetLastPrice(7); // a plain field: no stamp
  lSymbol.SetHighPrice(2.0);
  EXPECT_EQ(lSymbol.Time(), lT3 + 0.001);
  SysTime.reset();
}

class ShowListTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fEnv = std::make_unique<TMarketEnv>();
    fList = std::make_unique<TSymbolShowList>();
    for (const char *lName : {"BTCUSDT", "ETHBTC", "LTCBTC", "BNBUSDT"})
      fList->SymbolList().Add(QString::fromLatin1(lName));
  }
  void TearDown() override
  {
    fList.reset();
    fEnv.reset();
  }
  // Waits until the queued notifications so far have arrived.
  int SymbolNotifications(int aAtLeast)
  {
    PumpUntil([&] { return fEnv->Recorder.Count(BASE_MAIN_SYMBOLS) >= aAtLeast; }, 2000);
    return fEnv->Recorder.Count(BASE_MAIN_SYMBOLS);
  }

  std::unique_ptr<TMarketEnv> fEnv;
  std::unique_ptr<TSymbolShowList> fList;
};

TEST_F(ShowListTest, CreateMakesTheSymbolsFolder)
{
  EXPECT_TRUE(QFileInfo(fEnv->SymbolsFolder()).isDir());
  QString lPath;
  fList->DoNotifyFolders(lPath);
  EXPECT_EQ(lPath, fEnv->SymbolsFolder());
  EXPECT_EQ(fList->GetItem(0), nullptr); // empty show list
}

TEST_F(ShowListTest, FillShowSymbolsTakesEverySymbolInCollectionOrder)
{
  fList->FillShowSymbols();
  ASSERT_EQ(fList->Count(), 4);
  for (int i = 0; i < 4; ++i)
    EXPECT_EQ(fList->GetItem(i), fList->SymbolList().GetItem(i));
  EXPECT_EQ(SymbolNotifications(1), 1);
}

TEST_F(ShowListTest, HideSymbolsKeepsListedNamesInOrder)
{
  fList->FillShowSymbols();
  fList->HideSymbols({QStringLiteral("bnbusdt"), QStringLiteral("ETHBTC"), QStringLiteral("X")});
  EXPECT_EQ(fList->Names(), (QStringList{"ETHBTC", "BNBUSDT"}));
  fList->HideSymbols({});
  EXPECT_EQ(fList->Count(), 0);
  EXPECT_EQ(SymbolNotifications(3), 3);
}

TEST_F(ShowListTest, DeleteSymbolNotifiesOnlyWhenItRemovedALine)
{
  fList->FillShowSymbols();
  ASSERT_EQ(SymbolNotifications(1), 1);
  fList->DeleteSymbol(QStringLiteral("DOGEBTC"));
  PumpFor(150);
  EXPECT_EQ(fEnv->Recorder.Count(BASE_MAIN_SYMBOLS), 1);
  fList->DeleteSymbol(QStringLiteral("ethbtc"));
  EXPECT_EQ(fList->Names(), (QStringList{"BTCUSDT", "LTCBTC", "BNBUSDT"}));
  EXPECT_EQ(SymbolNotifications(2), 2);
}

TEST_F(ShowListTest, SavedSetRoundTripsWithCrLfAndLinksByName)
{
  fList->FillShowSymbols();
  fList->HideSymbols({"LTCBTC", "BTCUSDT", "BNBUSDT"});
  const QString lPath = fEnv->SymbolsFolder() + "/majors";
  fList->SaveToFile(lPath);
  QFile lFile(lPath);
  ASSERT_TRUE(lFile.open(QIODevice::ReadOnly));
  EXPECT_EQ(lFile.readAll(), QByteArray("BTCUSDT\r\nLTCBTC\r\nBNBUSDT\r\n"));
  lFile.close();

  fList->HideSymbols({});
  fList->LoadFromFile(QStringLiteral("majors"));
  ASSERT_EQ(fList->Names(), (QStringList{"BTCUSDT", "LTCBTC", "BNBUSDT"}));
  EXPECT_EQ(fList->GetItem(0), fList->SymbolList().Find("BTCUSDT"));
  EXPECT_EQ(fList->GetItem(1), fList->SymbolList().Find("LTCBTC"));
  EXPECT_EQ(fList->GetItem(2), fList->SymbolList().Find("BNBUSDT"));
}

TEST_F(ShowListTest, LoadLinksUnknownNamesToNothingAndAcceptsBareLf)
{
  SaveFileAtomic(fEnv->SymbolsFolder() + "/mixed", QByteArray("ethbtc\nNOSUCHPAIR\r\n\r\nLTCBTC"));
  fList->LoadFromFile(QStringLiteral("mixed"));
  ASSERT_EQ(fList->Count(), 3);
  EXPECT_EQ(fList->GetItem(0), fList->SymbolList().Find("ETHBTC"));
  EXPECT_EQ(fList->Name(1), QStringLiteral("NOSUCHPAIR"));
  EXPECT_EQ(fList->GetItem(1), nullptr);
  EXPECT_EQ(fList->GetItem(2)->Name(), QStringLiteral("LTCBTC"));
}

TEST_F(ShowListTest, LoadOfMissingFileRaisesAndKeepsTheList)
{
  fList->FillShowSymbols();
  EXPECT_THROW(fList->LoadFromFile(QStringLiteral("absent")), std::runtime_error);
  EXPECT_EQ(fList->Count(), 4);
  // A name that leaves the folder is not a saved set.
  EXPECT_THROW(fList->LoadFromFile(QStringLiteral("../Symbols/x")), std::runtime_error);
  EXPECT_THROW(fList->DeleteSaved(QStringLiteral("../keep")), std::runtime_error);
}

TEST_F(ShowListTest, FileListAndDeleteSaved)
{
  EXPECT_TRUE(fList->GetFileList().isEmpty());
  fList->FillShowSymbols();
  fList->SaveToFile(fEnv->SymbolsFolder() + "/one");
  fList->SaveToFile(fEnv->SymbolsFolder() + "/.hidden set");
  QDir().mkpath(fEnv->SymbolsFolder() + "/a folder");
  QStringList lFiles = fList->GetFileList();
  lFiles.sort();
  EXPECT_EQ(lFiles, (QStringList{".hidden set", "one"}));
  fList->DeleteSaved(QStringLiteral("one"));
  fList->DeleteSaved(QStringLiteral("never saved"));
  EXPECT_EQ(fList->GetFileList(), (QStringList{".hidden set"}));
}

TEST_F(ShowListTest, RelinkPointsLinesAtTheRebuiltSymbols)
{
  fList->FillShowSymbols();
  fList->DeleteSymbol("BNBUSDT");
  fList->SymbolList().Clear();
  fList->SymbolList().Add("LTCBTC");
  fList->SymbolList().Add("BTCUSDT");
  fList->Relink();
  ASSERT_EQ(fList->Count(), 3);
  EXPECT_EQ(fList->GetItem(0), fList->SymbolList().Find("BTCUSDT"));
  EXPECT_EQ(fList->GetItem(1), nullptr); // ETHBTC is gone
  EXPECT_EQ(fList->GetItem(2), fList->SymbolList().Find("LTCBTC"));
}
