#include "account_grid.h"
#include "connection_item.h"
#include "event_pump.h"
#include "fm_main.h"
#include "invest_page.h"
#include "journal_view.h"
#include "log_writer.h"
#include "main_actions.h"
#include "profile.h"
#include "terminal_panel.h"
#include "test_presenter.h"
#include "user.h"
#include "user_order.h"
#include "utils.h"
#include "workflow.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace {

class TerminalPagesTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fOldLocale = QLocale();
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    SetExeFolder(fDir.path());
    Workflow = std::make_unique<TWorkflow>();
    Profile = std::make_unique<TProfile>(wfmTrade);
    Profile->SetFileName(fDir.filePath(QStringLiteral("config.json")));
    User = std::make_unique<TUser>();
  }
  void TearDown() override
  {
    fForm.reset();
    User.reset();
    Profile.reset();
    Workflow.reset();
    SetExeFolder(QString());
    QLocale::setDefault(fOldLocale);
  }

  TfmMain &Form()
  {
    if (!fForm) {
      fForm = std::make_unique<TfmMain>();
      fForm->show();
      User->Input()->SetAuth(uaAuth);
      fForm->InitUserInterface();
    }
    return *fForm;
  }

  static TUserOrder &AddOrder(std::int64_t aID, double aPrice)
  {
    TUserOrder &lOrder = Profile->MainProfile()->UserOrderList.Add();
    lOrder.OrderID = aID;
    lOrder.Symbol = QStringLiteral("BTCUSDT");
    lOrder.OrderType = QStringLiteral("LIMIT");
    lOrder.Side = QStringLiteral("BUY");
    lOrder.Status = QStringLiteral("NEW");
    lOrder.Price = aPrice;
    lOrder.OrigQuantity = 0.5;
    lOrder.Time = DateToStamp(EncodeDateTime(2026, 3, 1, 9, 5, 7));
    return lOrder;
  }

  static QString Cell(QAbstractItemView *aView, int aRow, int aColumn)
  {
    return aView->model()->index(aRow, aColumn).data().toString();
  }

  QTemporaryDir fDir;
  TPresenterGuard fBoxes;
  QLocale fOldLocale;
  std::unique_ptr<TfmMain> fForm;
};

} // namespace

TEST_F(TerminalPagesTest, OrderGridKeepsItsSelectionWhileTheCountStays)
{
  TTerminalPanel lPanel;
  TAccountGrid *lGrid = lPanel.vstOrders();
  for (int i = 0; i < 3; ++i)
    AddOrder(5000000000 + i, 100 + i);
  lPanel.RefreshOrderListData();
  ASSERT_EQ(lGrid->model()->rowCount(), 3);
  EXPECT_EQ(Cell(lGrid, 0, 0), QStringLiteral("5000000000"));
  EXPECT_TRUE(Cell(lGrid, 0, 1).endsWith(QStringLiteral(" 09:05:07")));
  EXPECT_EQ(Cell(lGrid, 0, 3), QStringLiteral("0,5"));
  lGrid->selectRow(1);

  // A new answer with as many orders: new values, same selection.
  Profile->MainProfile()->UserOrderList.Items(1).Price = 123.25;
  lPanel.RefreshOrderListData();
  EXPECT_EQ(lGrid->SelectedRow(), 1);
  EXPECT_EQ(Cell(lGrid, 1, 5), QStringLiteral("123,25"));

  // One more order: the grid is rebuilt.
  AddOrder(6000000000, 1);
  lPanel.RefreshOrderListData();
  EXPECT_EQ(lGrid->model()->rowCount(), 4);
  EXPECT_EQ(lGrid->SelectedRow(), -1);

  // The list emptied before its notification arrives: no cell reads past its end.
  Profile->MainProfile()->UserOrderList.Clear();
  EXPECT_TRUE(Cell(lGrid, 3, 0).isEmpty());
}

TEST_F(TerminalPagesTest, CancelWithNothingSelectedAsksNothing)
{
  AddOrder(1, 100);
  Form().pcTerminal()->RefreshOrderListData();
  Form().Actions().acOrderDelete->trigger();
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
}

TEST_F(TerminalPagesTest, TheTenthAccountIsTheLast)
{
  for (int i = 0; i < cMaxConnections; ++i)
    Profile->Connections().Add().Name = QStringLiteral("acc%1").arg(i);
  Form().Actions().acMultiAdd->trigger();
  const auto lShown = fBoxes.Presenter().Shown();
  ASSERT_EQ(lShown.size(), 1u);
  EXPECT_EQ(lShown[0].Text, QStringLiteral("Достигнут линит в 10 подключений"));
  EXPECT_EQ(lShown[0].Type, mtAlert);
  EXPECT_EQ(Profile->Connections().Count(), cMaxConnections);
}

TEST_F(TerminalPagesTest, CancellingTheAddDialogChangesNothingButRefreshesTheGrid)
{
  for (int i = 0; i < cMaxConnections - 1; ++i)
    Profile->Connections().Add().Name = QStringLiteral("acc%1").arg(i);
  TAccountGrid *lGrid = Form().pcTerminal()->vstMulti();
  ASSERT_EQ(lGrid->model()->rowCount(), 0); // not refreshed yet
  QString lOpened;
  bool lFull = false;
  QTimer::singleShot(100, [&] {
    if (QDialog *lDialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
      lOpened = lDialog->objectName();
      const QWidget *lName = lDialog->findChild<QWidget *>(QStringLiteral("panTop"));
      lFull = lName && !lName->isHidden();
      lDialog->reject();
    }
  });
  Form().Actions().acMultiAdd->trigger();
  EXPECT_EQ(lOpened, QStringLiteral("dlgBaseLogon"));
  EXPECT_TRUE(lFull);
  EXPECT_EQ(Profile->Connections().Count(), cMaxConnections - 1);
  EXPECT_FALSE(QFile::exists(Profile->FileName()));
  EXPECT_EQ(lGrid->model()->rowCount(), cMaxConnections - 1);
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
}

TEST_F(TerminalPagesTest, DeletingTheLastAccountEmptiesTheGridAndDisablesDelete)
{
  TConnectionItem &lItem = Profile->Connections().Add();
  lItem.Name = QStringLiteral("second");
  lItem.Rate = 0.5;
  Form().pcTerminal()->RefreshMultiAccount();
  TAccountGrid *lGrid = Form().pcTerminal()->vstMulti();
  ASSERT_EQ(lGrid->model()->rowCount(), 1);
  EXPECT_EQ(Cell(lGrid, 0, 1), QStringLiteral("0,5"));
  EXPECT_FALSE(Form().Actions().acMultiDel->isEnabled());
  lGrid->selectRow(0);
  EXPECT_EQ(Form().SelectedAccount(), QStringLiteral("second"));
  EXPECT_TRUE(Form().Actions().acMultiDel->isEnabled());

  Form().Actions().acMultiDel->trigger();
  EXPECT_EQ(Profile->Connections().Count(), 0);
  EXPECT_EQ(lGrid->model()->rowCount(), 0);
  EXPECT_FALSE(Form().Actions().acMultiDel->isEnabled());
  EXPECT_TRUE(QFile::exists(Profile->FileName()));
  EXPECT_TRUE(fBoxes.Presenter().Shown().empty());
}

TEST_F(TerminalPagesTest, JournalShowsTheRunsEntriesNewestLast)
{
  TJournal lJournal;
  lJournal.Add(QStringLiteral("first"), mtInfo, EncodeDateTime(2026, 3, 1, 9, 0, 0));
  TJournalView lView(lJournal);
  lJournal.Add(QStringLiteral("Ордер отклонен: Filter failure: LOT_SIZE"), mtAlert,
               EncodeDateTime(2026, 3, 1, 9, 0, 1));
  ASSERT_TRUE(PumpUntil([&] { return lView.model()->rowCount() == 2; }, 2000));
  EXPECT_EQ(Cell(&lView, 0, TJournalModel::colText), QStringLiteral("first"));
  EXPECT_EQ(Cell(&lView, 1, TJournalModel::colLevel), QStringLiteral("ALERT"));
  EXPECT_TRUE(Cell(&lView, 1, TJournalModel::colTime).endsWith(QStringLiteral("09:00:01")));
  EXPECT_TRUE(lView.model()->index(1, 2).data(Qt::ForegroundRole).isValid());
  EXPECT_FALSE(lView.model()->index(0, 2).data(Qt::ForegroundRole).isValid());
}

TEST_F(TerminalPagesTest, InvestmentPageDrawsEightPicturesInTwoRowsOfFour)
{
  TTerminalPanel lPanel;
  lPanel.resize(1400, 400);
  lPanel.show();
  lPanel.setCurrentWidget(lPanel.Invest()->parentWidget());
  ASSERT_TRUE(PumpUntil([&] { return lPanel.Invest()->Drawn(); }, 2000));
  const auto lPictures = lPanel.Invest()->widget()->findChildren<QLabel *>();
  ASSERT_EQ(lPictures.size(), TInvestPage::cPictureCount);
  for (int i = 0; i < TInvestPage::cPictureCount; ++i) {
    const QLabel *lPicture = lPictures[i];
    EXPECT_EQ(lPicture->size(), QSize(300, 150));
    EXPECT_FALSE(lPicture->pixmap().isNull());
    EXPECT_EQ(lPicture->pos(), QPoint(4 + (i % 4) * 304, 4 + (i / 4) * 154));
  }
  QStringList lPages;
  for (int i = 0; i < lPanel.count(); ++i)
    lPages << lPanel.tabText(i);
  EXPECT_EQ(lPages,
            (QStringList{"Торговля", "Активы", "История счета", "Мультиаккаунт", "Новости",
                         "Маркет", "Сигналы", "Библиотека", "Эксперты", "Журнал", "Инвестиции"}));
}
