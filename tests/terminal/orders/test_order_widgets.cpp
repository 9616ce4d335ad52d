// The order panels, the order dialog and the login dialog offscreen, without an exchange:
// typing, totals, page fill, the dialog's panels and colours, and the login dialog's states.
// The whole file runs under a comma and under a full-stop locale.

#include "connection_item.h"
#include "core_test_env.h"
#include "decimal_key_filter.h"
#include "dlg_base_logon.h"
#include "dlg_order.h"
#include "events.h"
#include "order_panel.h"
#include "order_test_support.h"
#include "profile.h"
#include "symbol_show_list.h"
#include "test_presenter.h"
#include "user.h"
#include "user_input_data.h"
#include "workflow.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace {

class OrderWidgets : public ::testing::Test
{
protected:
  void SetUp() override
  {
    Workflow = std::make_unique<TWorkflow>();
    User = std::make_unique<TUser>();
    Profile = std::make_unique<TProfile>(wfmTrade);
    Profile->SetFileName(fEnv.SymbolsFolder() + "/../config.json");
  }
  void TearDown() override
  {
    Profile.reset();
    User.reset();
    Workflow.reset();
  }

  static void AddSymbols(std::initializer_list<const char *> aNames)
  {
    for (const char *lName : aNames)
      User->SymbolShowList()->SymbolList().Add(QString::fromLatin1(lName));
    User->SymbolShowList()->FillShowSymbols();
  }

  TCoreTestEnv fEnv;
  TPresenterGuard fBoxes;
};

QLineEdit *FilteredEdit(QWidget &aParent)
{
  auto *lEdit = new QLineEdit(&aParent);
  TDecimalKeyFilter::Install(lEdit);
  return lEdit;
}

} // namespace

TEST_F(OrderWidgets, KeyFilterMapsBothSeparatorsToTheLocalesAndRefusesASecond)
{
  struct TCase
  {
    const char *Typed;
    const char *Expected; // "." stands for the locale's separator
  } const lCases[] = {
      {"1.5", "1.5"}, {"1,5", "1.5"},   {"1.5,2.3", "1.523"},   {".5", ".5"},
      {"a1b2", "12"}, {"-2 e+3", "23"}, {"42000,5", "42000.5"}, {"0,0,1", "0.01"},
  };
  QWidget lParent;
  QLineEdit *lEdit = FilteredEdit(lParent);
  for (const TCase &lCase : lCases) {
    lEdit->clear();
    QTest::keyClicks(lEdit, QString::fromLatin1(lCase.Typed));
    EXPECT_EQ(lEdit->text(), Loc(QString::fromLatin1(lCase.Expected))) << lCase.Typed;
  }
  // Editing keys still work: Backspace removes the separator, which may then come again.
  lEdit->setText(Loc("1.5"));
  lEdit->end(false);
  QTest::keyClick(lEdit, Qt::Key_Backspace);
  QTest::keyClick(lEdit, Qt::Key_Backspace);
  QTest::keyClicks(lEdit, QStringLiteral(",7"));
  EXPECT_EQ(lEdit->text(), Loc("1.7"));
}

TEST_F(OrderWidgets, TypedNumbersAreReadWithTheLocalesRules)
{
  double lValue = -1;
  ASSERT_TRUE(TryStrToFloat(DefaultAmountText(), lValue)) << DefaultAmountText().toStdString();
  EXPECT_DOUBLE_EQ(lValue, 0.01);
  EXPECT_EQ(DefaultAmountText(), Loc("0.01"));
  ASSERT_TRUE(TryStrToFloat(Loc("1.5"), lValue));
  EXPECT_DOUBLE_EQ(lValue, 1.5);
  // The other separator is no group separator here: "1,5" under a full-stop locale is not 15.
  EXPECT_FALSE(TryStrToFloat("1" + OtherSep() + "5", lValue));
  EXPECT_FALSE(TryStrToFloat(QString(), lValue));
  EXPECT_THROW(StrToFloatStrict(QStringLiteral("1x")), EConvertError);
  EXPECT_EQ(StrToFloatDef(QStringLiteral("abc")), 0);
}

TEST_F(OrderWidgets, TotalsFollowPriceAndAmountOfTheShownPage)
{
  for (TOrderSide lSide : {TOrderSide::Buy, TOrderSide::Sell}) {
    TOrderPanel lPanel(lSide);
    const QString lTag = lSide == TOrderSide::Buy ? "Buy" : "Sell";
    const auto lEdit = [&](const QString &aName) {
      return lPanel.findChild<QLineEdit *>("ed" + lTag + aName);
    };
    lPanel.ShowFirstPage();
    TypeInto(lEdit("LimitPrice"), "0,5");
    TypeInto(lEdit("LimitAmount"), "3");
    EXPECT_EQ(lEdit("LimitTotal")->text(), Loc("1.5"));
    lEdit("LimitAmount")->clear();
    EXPECT_EQ(lEdit("LimitTotal")->text(), "0");

    // Stop-limit: the price, not the stop, makes the total.
    lPanel.Pages()->setCurrentIndex(2);
    TypeInto(lEdit("StopLimitStop"), "100");
    TypeInto(lEdit("StopLimitPrice"), "2.5");
    TypeInto(lEdit("StopLimitAmount"), "4");
    EXPECT_EQ(lEdit("StopLimitTotal")->text(), "10");
    TypeInto(lEdit("StopLimitStop"), "7");
    EXPECT_EQ(lEdit("StopLimitTotal")->text(), "10");
  }
}

TEST_F(OrderWidgets, PageFillTakesTheChartPriceAndKeepsWhatWasTyped)
{
  TOrderPanel lPanel(TOrderSide::Buy);
  const auto lEdit = [&](const char *aName) { return Child<QLineEdit>(&lPanel, aName); };
  // No active chart: nothing is filled on any page.
  lPanel.ShowFirstPage();
  for (int i : {1, 2, 0})
    lPanel.Pages()->setCurrentIndex(i);
  for (const char *lName : {"edBuyLimitPrice", "edBuyLimitAmount", "edBuyMarketPrice",
                            "edBuyStopLimitStop", "edBuyStopLimitAmount"})
    EXPECT_EQ(lEdit(lName)->text(), QString()) << lName;

  std::optional<double> lChart = 42000.5;
  lPanel.SetChartPriceSource([&lChart] { return lChart; });
  lPanel.Pages()->setCurrentIndex(1);
  EXPECT_EQ(lEdit("edBuyMarketPrice")->text(), Loc("42000.5"));
  EXPECT_EQ(lEdit("edBuyMarketAmount")->text(), Loc("0.01"));
  EXPECT_EQ(lEdit("edBuyMarketTotal")->text(), Loc("420.005"));

  // Limit: an empty price is filled, "0" counts as empty, a typed price stays.
  lEdit("edBuyLimitAmount")->setText("0");
  lPanel.ShowFirstPage();
  EXPECT_EQ(lEdit("edBuyLimitPrice")->text(), Loc("42000.5"));
  EXPECT_EQ(lEdit("edBuyLimitAmount")->text(), Loc("0.01"));
  TypeInto(lEdit("edBuyLimitPrice"), "41000");
  TypeInto(lEdit("edBuyLimitAmount"), "2");
  lChart = 43000;
  lPanel.Pages()->setCurrentIndex(2);
  lPanel.ShowFirstPage();
  EXPECT_EQ(lEdit("edBuyLimitPrice")->text(), "41000");
  EXPECT_EQ(lEdit("edBuyLimitAmount")->text(), "2");
  EXPECT_EQ(lEdit("edBuyLimitTotal")->text(), "82000");
  // The stop-limit page got both its stop and its price from the newer chart price.
  EXPECT_EQ(lEdit("edBuyStopLimitStop")->text(), "43000");
  EXPECT_EQ(lEdit("edBuyStopLimitPrice")->text(), "43000");

  // The chart went away: nothing changes any more.
  lChart.reset();
  lEdit("edBuyMarketAmount")->clear();
  lPanel.Pages()->setCurrentIndex(1);
  EXPECT_EQ(lEdit("edBuyMarketAmount")->text(), QString());
}

TEST_F(OrderWidgets, OrderDialogStartsOnTheMarketPanelWithTheOpeningSymbol)
{
  AddSymbols({"ETHUSDT", "BTCUSDT", "BNBUSDT"});
  TdlgOrder lDialog;
  lDialog.SetSymbol("BTCUSDT");
  auto *lSymbol = Child<QComboBox>(&lDialog, "cbSymbol");
  EXPECT_EQ(lSymbol->count(), 3);
  EXPECT_EQ(lSymbol->itemText(0), "ETHUSDT");
  EXPECT_EQ(lSymbol->currentText(), "BTCUSDT");
  EXPECT_EQ(Child<QLineEdit>(&lDialog, "edQuantity")->text(), Loc("0.01"));
  EXPECT_EQ(Child<QLineEdit>(&lDialog, "edStopLoss")->text(), "0");
  EXPECT_EQ(Child<QComboBox>(&lDialog, "cbType")->currentText(), "Рыночное исполнение");
  EXPECT_EQ(Child<QComboBox>(&lDialog, "cbOrderType")->currentText(), "Buy Limit");
  EXPECT_EQ(Child<QLabel>(&lDialog, "lblPrice")->text(), "0.00000 / 0.00000");
  EXPECT_EQ(lDialog.height(), 250);
  EXPECT_TRUE(Child<QGroupBox>(&lDialog, "panMarket")->isVisibleTo(&lDialog));
  EXPECT_FALSE(Child<QGroupBox>(&lDialog, "panLimit")->isVisibleTo(&lDialog));
  // Both panels take the same place below the fields.
  lDialog.show();
  lDialog.layout()->activate();
  EXPECT_EQ(Child<QGroupBox>(&lDialog, "panMarket")->y(), 104);
  Child<QComboBox>(&lDialog, "cbType")->setCurrentIndex(1);
  lDialog.layout()->activate();
  EXPECT_EQ(Child<QGroupBox>(&lDialog, "panLimit")->y(), 104);

  // A symbol the show list does not hold leaves the list without a selection.
  lDialog.SetSymbol("XRPUSDT");
  EXPECT_EQ(lSymbol->currentIndex(), -1);
}

TEST_F(OrderWidgets, OrderDialogShowsTheLiveBestPricesAndFillsThePendingPrice)
{
  AddSymbols({"BTCUSDT"});
  TdlgOrder lDialog;
  lDialog.SetSymbol("BTCUSDT");
  auto *lType = Child<QComboBox>(&lDialog, "cbType");
  auto *lPrice = Child<QLineEdit>(&lDialog, "edPrice");
  auto *lLabel = Child<QLabel>(&lDialog, "lblPrice");

  // Before the first answer the pending price is 0.
  lType->setCurrentIndex(1);
  EXPECT_EQ(lPrice->text(), "0");
  EXPECT_TRUE(Child<QGroupBox>(&lDialog, "panLimit")->isVisibleTo(&lDialog));

  User->SetBid(0.0123);
  User->SetAsk(0.0123456);
  User->Publisher()->Notify(ORDER_BOOK_TICKER, nullptr);
  EXPECT_EQ(lDialog.Ask(), 0.0123456);
  EXPECT_EQ(lLabel->text(), "0.00000 / 0.00000"); // the market panel is hidden
  TypeInto(lPrice, "5");
  lType->setCurrentIndex(0);
  lType->setCurrentIndex(1);
  EXPECT_EQ(lPrice->text(), Loc("0.01235"));

  lType->setCurrentIndex(0);
  User->SetBid(42123.5);
  User->SetAsk(42123.75);
  User->Publisher()->Notify(ORDER_BOOK_TICKER, nullptr);
  const QLocale lLocale;
  EXPECT_EQ(lLabel->text(),
            lLocale.toString(42123.5, 'f', 6) + " / " + lLocale.toString(42123.75, 'f', 6));
  // A large ask keeps its integer digits and gets no exponent.
  lType->setCurrentIndex(1);
  EXPECT_EQ(lPrice->text(), "42124");
  EXPECT_EQ(FloatToStrSignificant(0.5, 4), Loc("0.5"));
}

TEST_F(OrderWidgets, PendingOrderTypeGivesSideTypeAndButtonColour)
{
  struct TCase
  {
    QString Text;
    const char *Side;
    const char *Type;
  } const lCases[] = {
      {"Buy Limit", "BUY", "LIMIT"},
      {"Sell Limit", "SELL", "LIMIT"},
      {"Buy Stop", "BUY", "STOP_LOSS_LIMIT"},
      {"Sell Stop", "SELL", "STOP_LOSS_LIMIT"},
      {" buy stop ", "BUY", "STOP_LOSS_LIMIT"},
      {"anything typed", "SELL", "STOP_LOSS_LIMIT"},
  };
  TdlgOrder lDialog;
  auto *lOrderType = Child<QComboBox>(&lDialog, "cbOrderType");
  auto *lExec = Child<QPushButton>(&lDialog, "btnExec");
  for (const TCase &lCase : lCases) {
    QString lSide;
    QString lType;
    TdlgOrder::OrderTypeOf(lCase.Text, lSide, lType);
    EXPECT_EQ(lSide, lCase.Side) << lCase.Text.toStdString();
    EXPECT_EQ(lType, lCase.Type) << lCase.Text.toStdString();
    lOrderType->setEditText(lCase.Text);
    const uint lColor = lSide == "BUY" ? 0x00FFC0A0u : 0x008080FFu;
    EXPECT_EQ(lExec->property("vexaColor").toUInt(), lColor) << lCase.Text.toStdString();
  }
  EXPECT_EQ(Child<QPushButton>(&lDialog, "btnSell")->property("vexaColor").toUInt(), 0x008080FFu);
  EXPECT_EQ(Child<QPushButton>(&lDialog, "btnBuy")->property("vexaColor").toUInt(), 0x00FFC0A0u);
}

TEST_F(OrderWidgets, OrderDialogKeepsItsPlaceWhenAFieldIsNoNumber)
{
  AddSymbols({"BTCUSDT"});
  TdlgOrder lDialog;
  lDialog.SetSymbol("BTCUSDT");
  lDialog.show();
  Child<QLineEdit>(&lDialog, "edQuantity")->clear();
  QTest::mouseClick(Child<QPushButton>(&lDialog, "btnBuy"), Qt::LeftButton);
  Child<QComboBox>(&lDialog, "cbType")->setCurrentIndex(1);
  Child<QLineEdit>(&lDialog, "edQuantity")->setText("1");
  Child<QLineEdit>(&lDialog, "edStopLoss")->clear();
  QTest::mouseClick(Child<QPushButton>(&lDialog, "btnExec"), Qt::LeftButton);
  EXPECT_TRUE(lDialog.isVisible());
  EXPECT_EQ(lDialog.result(), 0);
  const auto lShown = fBoxes.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 2u);
  EXPECT_EQ(lShown[0].Text, "'' is not a valid floating point value");
  EXPECT_EQ(lShown[0].Type, mtAlert);
}

TEST_F(OrderWidgets, LoginDialogEnablesTestAndSaveByItsFields)
{
  TConnectionItem lItem;
  lItem.ApiKey = "key";
  TdlgBaseLogon lMain;
  lMain.SetMode(&lItem, false);
  lMain.show();
  auto *lTest = Child<QPushButton>(&lMain, "btnTest");
  auto *lSave = Child<QPushButton>(&lMain, "btnSave");
  const QColor lGrey = Child<QWidget>(&lMain, "panTest")->palette().color(QPalette::Window);
  EXPECT_FALSE(lTest->isEnabled()); // no secret
  EXPECT_FALSE(lSave->isEnabled());
  EXPECT_EQ(lGrey, QColor(0xC0, 0xC0, 0xC0));
  EXPECT_FALSE(Child<QWidget>(&lMain, "panTop")->isVisible());
  EXPECT_EQ(lMain.size(), QSize(608, 115));
  QTest::keyClicks(Child<QLineEdit>(&lMain, "edSecret"), "s");
  EXPECT_TRUE(lTest->isEnabled());
  EXPECT_FALSE(lSave->isEnabled());

  lItem.SecretKey = "secret";
  lItem.Name.clear();
  lItem.Rate = 0.5;
  TdlgBaseLogon lFull;
  lFull.SetMode(&lItem, true);
  lFull.show();
  EXPECT_TRUE(Child<QWidget>(&lFull, "panTop")->isVisible());
  EXPECT_EQ(Child<QLineEdit>(&lFull, "edRate")->text(), Loc("0.5"));
  EXPECT_FALSE(Child<QPushButton>(&lFull, "btnTest")->isEnabled()); // no name
  QTest::keyClicks(Child<QLineEdit>(&lFull, "edName"), "Second");
  EXPECT_TRUE(Child<QPushButton>(&lFull, "btnTest")->isEnabled());

  EXPECT_EQ(TdlgBaseLogon::AuthColor(uaAuth), clLtGreen);
  EXPECT_EQ(TdlgBaseLogon::AuthColor(uaUnauth), clLtRed);
}

TEST_F(OrderWidgets, LoginEnterCancelsAndCancelRestoresMainAccountAndAuthorisation)
{
  Profile->MainProfile()->ApiKey = "old-key";
  Profile->MainProfile()->SecretKey = "old-secret";
  User->Input()->SetAuth(uaAuth);
  // Not working: the test asks nothing, yet it sets the authorisation aside as undefined.
  Workflow->SetState(wfsPaused);

  const bool lSaved = RunWithDialog<TdlgBaseLogon, bool>(
      [] { return ExecuteDlgBaseLogon(nullptr, false); },
      [](TdlgBaseLogon *aDialog) {
        EXPECT_EQ(Child<QLineEdit>(aDialog, "edAPI")->text(), "old-key");
        TypeInto(Child<QLineEdit>(aDialog, "edAPI"), "new-key");
        QTest::mouseClick(Child<QPushButton>(aDialog, "btnTest"), Qt::LeftButton);
        EXPECT_EQ(User->Input()->Auth(), uaUndefined);
        EXPECT_EQ(Profile->MainProfile()->ApiKey, "old-key"); // a test never changes the item
        EXPECT_TRUE(aDialog->isVisible());
        QTest::keyClick(Child<QLineEdit>(aDialog, "edSecret"), Qt::Key_Return);
        EXPECT_FALSE(aDialog->isVisible());
        EXPECT_EQ(aDialog->result(), QDialog::Rejected);
      });
  EXPECT_FALSE(lSaved);
  EXPECT_FALSE(Profile->MainUpdating());
  EXPECT_EQ(Profile->MainProfile()->ApiKey, "old-key");
  EXPECT_EQ(Profile->MainProfile()->SecretKey, "old-secret");
  EXPECT_EQ(User->Input()->Auth(), uaAuth);
  EXPECT_FALSE(QFile::exists(Profile->FileName()));
}
