// The market watch, navigator, volume monitor and order book over the real user model, filled
// the way the request outputs fill it.

#include "core_test_env.h"
#include "depth.h"
#include "market_data.h"
#include "market_watch.h"
#include "navigator.h"
#include "order_book.h"
#include "symbol_show_list.h"
#include "test_presenter.h"
#include "user.h"
#include "volume.h"
#include "volume_monitor.h"
#include "workflow.h"

#include <QAction>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class TMarketViewsTest : public ::testing::Test
{
protected:
  void SetUp() override
  {
    fEnv = std::make_unique<TCoreTestEnv>();
    Workflow = std::make_unique<TWorkflow>();
    User = std::make_unique<TUser>();
  }
  void TearDown() override
  {
    User.reset();
    Workflow.reset();
    fEnv.reset();
  }

  // A 24-hour answer naming aCount symbols S0000, S0001, ...; it fills the empty show list.
  static void Fill(int aCount)
  {
    std::vector<TTicker24hr> lTicks;
    for (int i = 0; i < aCount; ++i) {
      TTicker24hr lTick;
      lTick.Symbol = QStringLiteral("S%1").arg(i, 4, 10, QLatin1Char('0'));
      lTick.Key = TSymbolList::Key(lTick.Symbol);
      lTick.LastPrice = 100 + i;
      lTick.HighPrice = 1.5;
      lTick.LowPrice = 0.25;
      lTicks.push_back(lTick);
    }
    OutputTicker24hr(*User->SymbolShowList(), lTicks);
  }
  static void Price(const QString &aSymbol, double aPrice)
  {
    OutputTickerPrices(*User->SymbolShowList(), {{aSymbol, TSymbolList::Key(aSymbol), aPrice}});
  }
  static QColor PixelAt(QWidget &aView, int aX, int aY)
  {
    return aView.grab().toImage().pixelColor(aX, aY);
  }

  TPresenterGuard fBoxes;
  std::unique_ptr<TCoreTestEnv> fEnv;
};

QColor Rgb(TColor aColor)
{
  return QColor(aColor & 0xFF, (aColor >> 8) & 0xFF, (aColor >> 16) & 0xFF);
}

} // namespace

TEST_F(TMarketViewsTest, PriceTickKeepsSelectionAndScrollAndRepaintsOnlyVisibleRows)
{
  Fill(3000);
  TMarketWatchView lView;
  lView.resize(300, 400);
  lView.show();
  lView.RefreshSymbolList();
  ASSERT_EQ(lView.model()->rowCount(), 3000);
  EXPECT_EQ(lView.SelectedSymbol(), "S0000");

  lView.selectRow(1500);
  lView.scrollTo(lView.model()->index(1500, 0));
  const int lScroll = lView.verticalScrollBar()->value();
  QSignalSpy lResets(lView.model(), &QAbstractItemModel::modelReset);
  QSignalSpy lChanged(lView.model(), &QAbstractItemModel::dataChanged);

  Price("S1500", 1);
  lView.RefreshSymbolList();

  EXPECT_EQ(lResets.count(), 0);
  EXPECT_EQ(lView.SelectedSymbol(), "S1500");
  EXPECT_EQ(lView.verticalScrollBar()->value(), lScroll);
  ASSERT_EQ(lChanged.count(), 1);
  const int lFirst = lChanged[0][0].toModelIndex().row();
  const int lLast = lChanged[0][1].toModelIndex().row();
  EXPECT_EQ(lFirst, lView.rowAt(0));
  EXPECT_EQ(lLast, lView.rowAt(lView.viewport()->height() - 1));
  EXPECT_LT(lLast - lFirst, 40);
}

TEST_F(TMarketViewsTest, CountChangeRebuildsAndSelectsFirstRowAndEmptyListSelectsNothing)
{
  Fill(3);
  TMarketWatchView lView;
  lView.show();
  lView.RefreshSymbolList();
  lView.selectRow(2);

  // A symbol first named by a price answer joins the show list through the show-all command.
  Price("NEWBTC", 1);
  User->SymbolShowList()->FillShowSymbols();
  QSignalSpy lResets(lView.model(), &QAbstractItemModel::modelReset);
  lView.RefreshSymbolList();
  EXPECT_EQ(lResets.count(), 1);
  EXPECT_EQ(lView.model()->rowCount(), 4);
  EXPECT_EQ(lView.SelectedSymbol(), "S0000");

  User->SymbolShowList()->HideSymbols({});
  lView.RefreshSymbolList();
  EXPECT_EQ(lView.model()->rowCount(), 0);
  EXPECT_EQ(lView.SelectedSymbol(), QString());
}

TEST_F(TMarketViewsTest, SelectionByKeyboardSetsTheUserSymbol)
{
  Fill(3);
  TMarketWatchView lView;
  QSignalSpy lSelected(&lView, &TMarketWatchView::SymbolSelected);
  lView.show();
  lView.setFocus();
  lView.RefreshSymbolList();
  EXPECT_EQ(User->Input()->Symbol(), "S0000");

  QTest::keyClick(&lView, Qt::Key_Down);
  EXPECT_EQ(User->Input()->Symbol(), "S0001");
  ASSERT_EQ(lSelected.count(), 2);
  EXPECT_EQ(lSelected[1][0].toString(), "S0001");

  // A tick that keeps the row keeps the symbol: nothing is announced again.
  Price("S0001", 7);
  lView.RefreshSymbolList();
  EXPECT_EQ(lSelected.count(), 2);
}

TEST_F(TMarketViewsTest, RowsShowTheDirectionOfTheLastPriceMoveInBothSymbolGrids)
{
  Fill(4);
  Price("S0001", 500); // rise
  Price("S0002", 1);   // fall
  Price("S0003", 103); // unchanged
  TMarketWatchView lWatch;
  TNavigatorView lNavigator;
  for (QTableView *lView :
       {static_cast<QTableView *>(&lWatch), static_cast<QTableView *>(&lNavigator)}) {
    lView->resize(300, 200);
    lView->show();
  }
  lWatch.RefreshSymbolList();
  lNavigator.RefreshNavigator();
  lWatch.clearSelection();
  lNavigator.clearSelection();

  const struct
  {
    int Row;
    TColor Color;
  } lCases[] = {{1, clLtGreen}, {2, clLtRed}, {3, clWhite}};
  for (QTableView *lView :
       {static_cast<QTableView *>(&lWatch), static_cast<QTableView *>(&lNavigator)}) {
    for (const auto &lCase : lCases) {
      const QRect lCell = lView->visualRect(lView->model()->index(lCase.Row, 0));
      const QPoint lPoint =
          lView->viewport()->mapTo(lView, QPoint(lCell.right() - 2, lCell.top() + 1));
      EXPECT_EQ(PixelAt(*lView, lPoint.x(), lPoint.y()), Rgb(lCase.Color))
          << lView->objectName().toStdString() << " row " << lCase.Row;
    }
  }
  EXPECT_EQ(lNavigator.model()->index(2, 0).data().toString(), "S0002");
}

TEST_F(TMarketViewsTest, ColumnCommandsTurnTheirColumnsOverAndKeepTheirMarks)
{
  TMarketWatchView lView;
  EXPECT_TRUE(lView.isColumnHidden(TMarketWatchModel::colHigh));
  const struct
  {
    const char *Action;
    std::vector<int> Columns;
  } lCases[] = {{"acMDMaxMin", {TMarketWatchModel::colHigh, TMarketWatchModel::colLow}},
                {"acMDTime", {TMarketWatchModel::colTime}},
                {"acMDSpred", {TMarketWatchModel::colBid, TMarketWatchModel::colAsk}}};
  for (const auto &lCase : lCases) {
    QAction *lAction = lView.Action(QLatin1String(lCase.Action));
    ASSERT_TRUE(lAction) << lCase.Action;
    lAction->trigger();
    for (int lColumn : lCase.Columns)
      EXPECT_FALSE(lView.isColumnHidden(lColumn)) << lCase.Action;
    EXPECT_TRUE(lAction->isChecked());
    lAction->trigger();
    for (int lColumn : lCase.Columns)
      EXPECT_TRUE(lView.isColumnHidden(lColumn)) << lCase.Action;
    EXPECT_FALSE(lAction->isChecked());
  }
  lView.Action(QStringLiteral("acMDGrid"))->trigger();
  EXPECT_TRUE(lView.showGrid());
  // Columns the commands do not cover cannot be lost: the symbol stays first after a drag.
  lView.horizontalHeader()->moveSection(2, 0);
  EXPECT_EQ(lView.horizontalHeader()->visualIndex(TMarketWatchModel::colSymbol), 0);
}

TEST_F(TMarketViewsTest, SymbolSetsAreSavedListedLoadedAndDeletedThroughThePopup)
{
  Fill(3);
  TMarketWatchView lView;
  lView.show();
  lView.RefreshSymbolList();
  QMenu *lSets = lView.SymbolSetMenu();
  lView.PopupMenu()->popup(QPoint(0, 0));
  lView.PopupMenu()->close();
  EXPECT_EQ(lSets->actions().size(), 3);
  EXPECT_TRUE(lView.SetDeleteMenu()->actions().isEmpty());

  QString lAskedFolder;
  lView.SetSaveFileAsk([&](QWidget *, const QString &aFolder) {
    lAskedFolder = aFolder;
    return aFolder + "/Mine";
  });
  lView.Action(QStringLiteral("acSaveSymbolGroup"))->trigger();
  EXPECT_EQ(lAskedFolder, fEnv->SymbolsFolder());
  ASSERT_TRUE(QFile::exists(fEnv->SymbolsFolder() + "/Mine"));

  // Opened twice: the entries are rebuilt, not added again.
  lView.ppmSymbolsPopup();
  lView.ppmSymbolsPopup();
  ASSERT_EQ(lSets->actions().size(), 4);
  EXPECT_EQ(lSets->actions()[3]->text(), "Mine");
  ASSERT_EQ(lView.SetDeleteMenu()->actions().size(), 1);

  User->SymbolShowList()->HideSymbols({"S0001"});
  lSets->actions()[3]->trigger();
  EXPECT_EQ(User->SymbolShowList()->Names(), QStringList({"S0000", "S0001", "S0002"}));

  lView.SetDeleteMenu()->actions()[0]->trigger();
  EXPECT_FALSE(QFile::exists(fEnv->SymbolsFolder() + "/Mine"));
  // The stale entry now names a missing file: the error is shown, the list stays.
  lSets->actions()[3]->trigger();
  ASSERT_EQ(fBoxes.Presenter().Shown().size(), 1u);
  EXPECT_EQ(User->SymbolShowList()->Count(), 3);

  // A cancelled dialog saves nothing.
  lView.SetSaveFileAsk([](QWidget *, const QString &) { return QString(); });
  lView.Action(QStringLiteral("acSaveSymbolGroup"))->trigger();
  lView.ppmSymbolsPopup();
  EXPECT_EQ(lSets->actions().size(), 3);
}

TEST_F(TMarketViewsTest, DeleteSymbolRemovesTheSelectedLineEvenWithoutASymbol)
{
  Fill(3);
  QFile lFile(fEnv->SymbolsFolder() + "/Old");
  ASSERT_TRUE(lFile.open(QIODevice::WriteOnly));
  lFile.write("S0000\r\nGONEBTC\r\nS0002\r\n");
  lFile.close();
  User->SymbolShowList()->LoadFromFile("Old");
  TMarketWatchView lView;
  lView.show();
  lView.RefreshSymbolList();
  EXPECT_EQ(lView.model()->index(1, 0).data().toString(), QString());

  lView.selectRow(1);
  EXPECT_EQ(lView.SelectedSymbol(), QString());
  lView.Action(QStringLiteral("acDeleteSymbol"))->trigger();
  EXPECT_EQ(User->SymbolShowList()->Names(), QStringList({"S0000", "S0002"}));
}

namespace {

void FillBook(const std::vector<std::pair<double, double>> &aAsks,
              const std::vector<std::pair<double, double>> &aBids)
{
  TDepthAnswer lAnswer;
  lAnswer.HasAsks = lAnswer.HasBids = true;
  lAnswer.Asks = aAsks;
  lAnswer.Bids = aBids;
  OutputDepth(*User->DepthList(), lAnswer);
}

} // namespace

TEST_F(TMarketViewsTest, OrderBookShowsAsksOnTopAndKeepsSelectionWhenLevelsStay)
{
  FillBook({{101, 1}, {102, 2}, {103, 3}, {104, 4}, {105, 5}},
           {{100, 1}, {99, 2}, {98, 3}, {97, 4}, {96, 5}});
  TOrderBookView lView;
  lView.show();
  lView.RefreshDepth();
  ASSERT_EQ(lView.model()->rowCount(), 10);
  EXPECT_EQ(lView.model()->index(0, TOrderBookModel::colPrice).data().toString(), "105");
  EXPECT_EQ(lView.model()->index(4, TOrderBookModel::colPrice).data().toString(), "101");
  EXPECT_EQ(lView.model()->index(5, TOrderBookModel::colPrice).data().toString(), "100");

  lView.selectRow(6);
  QSignalSpy lResets(lView.model(), &QAbstractItemModel::modelReset);
  FillBook({{101, 9}, {102, 2}, {103, 3}, {104, 4}, {105, 5}},
           {{100, 1}, {99, 2}, {98, 3}, {97, 4}, {96, 5}});
  lView.RefreshDepth();
  EXPECT_EQ(lResets.count(), 0);
  EXPECT_TRUE(lView.selectionModel()->isRowSelected(6, QModelIndex()));
  EXPECT_EQ(lView.model()->index(4, TOrderBookModel::colQuantity).data().toString(), "9");
}

TEST_F(TMarketViewsTest, DepthBarsEndAtTheirShareOfTheRowWidth)
{
  // Quantities against the largest, 10; the grid's rows are 400 pixels wide.
  FillBook({{101, 10}, {102, 5}}, {{100, 9.5}, {99, 0}});
  TOrderBookView lView;
  lView.show();
  lView.resize(400 + 2 * lView.frameWidth(), 300);
  lView.RefreshDepth();
  lView.clearSelection();
  ASSERT_EQ(lView.viewport()->width(), 400);
  const int lQuantityLeft = lView.columnViewportPosition(TOrderBookModel::colQuantity);
  ASSERT_LT(lQuantityLeft, 380);

  const struct
  {
    int Row; // 0: ask 102 (5), 1: ask 101 (10), 2: bid 100 (9.5), 3: bid 99 (0)
    int LastBarX;
    TColor Color;
  } lCases[] = {{0, 199, clLtRed}, {1, 399, clLtRed}, {2, 379, clLtGreen}, {3, -1, clWhite}};
  const QImage lImage = lView.viewport()->grab().toImage();
  for (const auto &lCase : lCases) {
    const int lY = lView.rowViewportPosition(lCase.Row) + 1;
    if (lCase.LastBarX >= 0) {
      EXPECT_EQ(lImage.pixelColor(lCase.LastBarX, lY), Rgb(lCase.Color)) << "row " << lCase.Row;
    }
    if (lCase.LastBarX + 1 < 400) {
      EXPECT_EQ(lImage.pixelColor(lCase.LastBarX + 1, lY), QColor(Qt::white))
          << "row " << lCase.Row;
    }
  }

  // A book whose largest quantity is 0 stays white.
  FillBook({{101, 0}, {102, 0}}, {{100, 0}, {99, 0}});
  lView.RefreshDepth();
  const QImage lWhite = lView.viewport()->grab().toImage();
  for (int lRow = 0; lRow < 4; ++lRow)
    EXPECT_EQ(lWhite.pixelColor(5, lView.rowViewportPosition(lRow) + 1), QColor(Qt::white));
}

TEST_F(TMarketViewsTest, ANarrowColumnGrowsToItsWidestTextButAUserWidthStays)
{
  FillBook({{101, 0.12345678}}, {{100, 1}});
  TOrderBookView lView;
  lView.resize(216, 200);
  lView.show();
  lView.RefreshDepth();
  const int lNeeded = lView.fontMetrics().horizontalAdvance("0.12345678");
  ASSERT_LT(lView.columnWidth(TOrderBookModel::colQuantity), lNeeded);
  lView.viewport()->repaint();
  PumpFor(50);
  EXPECT_GE(lView.columnWidth(TOrderBookModel::colQuantity), lNeeded);

  // Narrowed by the user with the mouse: it stays narrow through later ticks.
  QTest::mousePress(lView.horizontalHeader()->viewport(), Qt::LeftButton);
  lView.setColumnWidth(TOrderBookModel::colQuantity, 40);
  QTest::mouseRelease(lView.horizontalHeader()->viewport(), Qt::LeftButton);
  lView.viewport()->repaint();
  PumpFor(50);
  EXPECT_EQ(lView.columnWidth(TOrderBookModel::colQuantity), 40);
}

TEST_F(TMarketViewsTest, VolumeMonitorFormatsWithTheLocaleAndOffersTheSelectedRow)
{
  const QLocale lOld;
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  TVolume &lRow = User->VolumeList()->Add();
  lRow.Symbol = "ETHBTC";
  lRow.Ping = 3;
  lRow.SumVolume = 1234.5;
  lRow.SumVolumePerc = 5;
  lRow.VolumePerc = 12.345;
  const auto lText = [](int aColumn) {
    return TVolumeMonitorModel::CellText(User->VolumeList()->GetItem(0), aColumn);
  };
  EXPECT_EQ(lText(TVolumeMonitorModel::colSumVolumePerc), "5,0%");
  EXPECT_EQ(lText(TVolumeMonitorModel::colVolumePerc), "12,3%");
  EXPECT_EQ(lText(TVolumeMonitorModel::colSumVolume), "1234,5");
  EXPECT_EQ(lText(TVolumeMonitorModel::colPing), "3");
  QLocale::setDefault(lOld);

  TVolumeMonitorView lView;
  QSignalSpy lSelected(&lView, &TVolumeMonitorView::VolumeRowSelected);
  lView.show();
  lView.RefreshVolumeList();
  ASSERT_EQ(lSelected.count(), 1);
  EXPECT_EQ(lSelected[0][0].toString(), "ETHBTC");
}
