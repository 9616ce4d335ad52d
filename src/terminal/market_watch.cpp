#include "market_watch.h"

#include "dlg_order.h"
#include "general_format.h"
#include "symbol_row_delegate.h"
#include "symbol_show_list.h"
#include "user.h"
#include "utils.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QFileDialog>
#include <QHeaderView>
#include <QMenu>

namespace {

QString TimeText(TDateTime aTime)
{
  const TDateTimeParts lParts = DecodeDateTime(aTime);
  return QStringLiteral("%1:%2:%3")
      .arg(lParts.Hour, 2, 10, QLatin1Char('0'))
      .arg(lParts.Minute, 2, 10, QLatin1Char('0'))
      .arg(lParts.Second, 2, 10, QLatin1Char('0'));
}

// Runs a command the way the application's general error handler would: its error text is
// shown to the user, and the grid stays usable.
template <typename TCommand> void RunCommand(TCommand aCommand)
{
  try {
    aCommand();
  } catch (const std::exception &lError) {
    Alert(QString::fromUtf8(lError.what()));
  }
}

struct TColumnInfo
{
  const char *Header;
  int Width;
  bool Shown;
};
// Captions are UTF-8; widths are the starting ones, the user may change them.
constexpr TColumnInfo cColumns[TMarketWatchModel::ColumnCount] = {
    {"Символ", 162, true},  {"Цена", 70, false}, {"%", 50, true},    {"Максимум", 50, false},
    {"Минимум", 50, false}, {"Bid", 50, false},  {"Ask", 50, false}, {"Время", 50, false},
};

} // namespace

// --- TMarketWatchModel

int TMarketWatchModel::columnCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : ColumnCount;
}

TSymbol *TMarketWatchModel::Symbol(int aRow)
{
  if (!User || !User->SymbolShowList())
    return nullptr;
  const TSymbolShowList &lList = *User->SymbolShowList();
  return aRow >= 0 && aRow < lList.Count() ? lList.GetItem(aRow) : nullptr;
}

QString TMarketWatchModel::CellText(const TSymbol &aSymbol, int aColumn)
{
  switch (aColumn) {
  case colSymbol:
    return aSymbol.Name();
  case colPrice:
    return FloatToStrGeneral(aSymbol.LastPrice());
  case colPercent:
    return FloatToStrGeneral(aSymbol.PriceChangePercent());
  case colHigh:
    return FloatToStrGeneral(aSymbol.HighPrice());
  case colLow:
    return FloatToStrGeneral(aSymbol.LowPrice());
  case colBid:
    return FloatToStrGeneral(aSymbol.BidPrice());
  case colAsk:
    return FloatToStrGeneral(aSymbol.AskPrice());
  case colTime:
    return TimeText(aSymbol.Time());
  default:
    return QString();
  }
}

QVariant TMarketWatchModel::data(const QModelIndex &aIndex, int aRole) const
{
  try {
    switch (aRole) {
    case Qt::DisplayRole:
      if (const TSymbol *lSymbol = Symbol(aIndex.row()))
        return CellText(*lSymbol, aIndex.column());
      return QString();
    case TSymbolRowDelegate::cRowColorRole:
      if (const TSymbol *lSymbol = Symbol(aIndex.row()))
        return QVariant::fromValue(lSymbol->Color());
      return QVariant();
    case Qt::TextAlignmentRole:
      return aIndex.column() == colSymbol ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                          : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
      return QVariant();
    }
  } catch (const std::exception &lError) {
    LogGridError(aRole == Qt::DisplayRole ? "vstSymbolsGetText" : "vstSymbolsBeforeCellPaint",
                 lError);
    return QVariant();
  }
}

QVariant TMarketWatchModel::headerData(int aSection, Qt::Orientation aOrientation, int aRole) const
{
  if (aOrientation != Qt::Horizontal || aSection < 0 || aSection >= ColumnCount)
    return QVariant();
  if (aRole == Qt::DisplayRole)
    return QString::fromUtf8(cColumns[aSection].Header);
  if (aRole == Qt::TextAlignmentRole)
    return aSection == colSymbol ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                 : QVariant(Qt::AlignRight | Qt::AlignVCenter);
  return QVariant();
}

// --- TMarketWatchView

TMarketWatchView::TMarketWatchView(QWidget *aParent)
    : QTableView(aParent), fModel(new TMarketWatchModel(this))
{
  setObjectName(QStringLiteral("vstSymbols"));
  setModel(fModel);
  auto *lDelegate = new TSymbolRowDelegate(this);
  setItemDelegate(lDelegate);
  new TColumnGrowth(this, lDelegate->TextPainter());
  SetUpReadOnlyGrid(*this);
  setCornerButtonEnabled(false);

  QHeaderView *lHeader = horizontalHeader();
  lHeader->setHighlightSections(false);
  lHeader->setSectionsMovable(true);
  lHeader->setStretchLastSection(false);
  for (int i = 0; i < TMarketWatchModel::ColumnCount; ++i) {
    lHeader->resizeSection(i, cColumns[i].Width);
    setColumnHidden(i, !cColumns[i].Shown);
  }
  // The symbol column takes what the others leave, but never less than a long name: with
  // many columns shown the grid scrolls sideways instead of hiding the names.
  fSymbolMinWidth = fontMetrics().horizontalAdvance(QStringLiteral("1000SATSUSDT")) +
                    2 * TCellTextPainter::cCellMargin;
  connect(lHeader, &QHeaderView::sectionResized, this, [this](int aColumn, int, int aSize) {
    if (fFitting)
      return;
    if (aColumn == TMarketWatchModel::colSymbol)
      fSymbolMinWidth = std::max(fSymbolMinWidth, aSize);
    FitSymbolColumn();
  });
  // The symbol column stays first; the others may be dragged anywhere after it.
  connect(lHeader, &QHeaderView::sectionMoved, this, [lHeader] {
    const int lVisual = lHeader->visualIndex(TMarketWatchModel::colSymbol);
    if (lVisual != 0) {
      const QSignalBlocker lBlock(lHeader);
      lHeader->moveSection(lVisual, 0);
    }
  });
  lHeader->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(lHeader, &QHeaderView::customContextMenuRequested, this, [this](const QPoint &aPos) {
    fHeaderMenu->popup(horizontalHeader()->mapToGlobal(aPos));
  });

  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TMarketWatchView::OnSelectionChanged);

  BuildActions();
  BuildPopup();
  BuildHeaderMenu();
  fSaveFileAsk = [](QWidget *aParentWidget, const QString &aFolder) {
    return QFileDialog::getSaveFileName(aParentWidget, QString(), aFolder);
  };
}

TMarketWatchView::~TMarketWatchView() = default;

QAction *TMarketWatchView::AddAction(const char *aName, const char *aCaption)
{
  auto *lAction = new QAction(QString::fromUtf8(aCaption), this);
  lAction->setObjectName(QLatin1String(aName));
  return lAction;
}

void TMarketWatchView::BuildActions()
{
  QAction *lAction = AddAction("acNewOrder", "Новый ордер");
  connect(lAction, &QAction::triggered, this,
          [this] { RunCommand([this] { ExecuteOrder(SelectedSymbol(), this); }); });

  lAction = AddAction("acNewChart", "Новый график");
  connect(lAction, &QAction::triggered, this,
          [this] { Q_EMIT NewChartRequested(SelectedSymbol()); });
  AddAction("acTickChart", "Тиковый график")->setEnabled(false);

  // Selecting the row already makes its book the one shown; this brings the book's panel up.
  lAction = AddAction("acMarketDepthEx", "Стакан цен");
  connect(lAction, &QAction::triggered, this, [this] {
    if (QDockWidget *lDock = window()->findChild<QDockWidget *>(QStringLiteral("dpMarketDepth"))) {
      lDock->show();
      lDock->raise();
    }
  });
  AddAction("acSpecification", "Спецификация")->setEnabled(false);

  connect(AddAction("acDeleteSymbol", "Удалить символ"), &QAction::triggered, this,
          [this] { RunCommand([this] { acDeleteSymbolExecute(); }); });
  lAction = AddAction("acHideSymbols", "Скрыть символы");
  lAction->setEnabled(false);
  connect(lAction, &QAction::triggered, this,
          [this] { RunCommand([this] { acHideSymbolsExecute(); }); });
  connect(AddAction("acShowSymbol", "Показать символы"), &QAction::triggered, this,
          [this] { RunCommand([this] { acShowSymbolExecute(); }); });
  connect(AddAction("acSaveSymbolGroup", "Сохранить как..."), &QAction::triggered, this,
          [this] { RunCommand([this] { acSaveSymbolGroupExecute(); }); });

  // Bid and ask side by side show the spread.
  lAction = AddAction("acMDSpred", "Спред");
  lAction->setCheckable(true);
  connect(lAction, &QAction::triggered, this, [this](bool aChecked) {
    ShowColumns({TMarketWatchModel::colBid, TMarketWatchModel::colAsk}, aChecked);
  });
  lAction = AddAction("acMDMaxMin", "Максимум/Минимум");
  lAction->setCheckable(true);
  connect(lAction, &QAction::triggered, this, [this](bool aChecked) {
    ShowColumns({TMarketWatchModel::colHigh, TMarketWatchModel::colLow}, aChecked);
  });
  lAction = AddAction("acMDTime", "Время");
  lAction->setCheckable(true);
  connect(lAction, &QAction::triggered, this,
          [this](bool aChecked) { ShowColumns({TMarketWatchModel::colTime}, aChecked); });
  connect(AddAction("acMDColAutoSize", "Авторазмер столбцов"), &QAction::triggered, this,
          &TMarketWatchView::FitColumns);
  lAction = AddAction("acMDGrid", "Сетка");
  lAction->setCheckable(true);
  connect(lAction, &QAction::triggered, this, [this](bool aChecked) { setShowGrid(aChecked); });
}

QAction *TMarketWatchView::Action(const QString &aName) const
{
  return findChild<QAction *>(aName, Qt::FindDirectChildrenOnly);
}

void TMarketWatchView::BuildPopup()
{
  fPopup = new QMenu(this);
  fPopup->setObjectName(QStringLiteral("ppmSymbols"));
  for (const char *lName :
       {"acNewOrder", "acNewChart", "acTickChart", "acMarketDepthEx", "acSpecification"})
    fPopup->addAction(Action(QLatin1String(lName)));
  fPopup->addSeparator();
  for (const char *lName : {"acDeleteSymbol", "acHideSymbols", "acShowSymbol"})
    fPopup->addAction(Action(QLatin1String(lName)));

  fSymbolSetMenu = fPopup->addMenu(QStringLiteral("Набор символов"));
  fSymbolSetMenu->setObjectName(QStringLiteral("miSymbolSet"));
  fSymbolSetMenu->addAction(Action(QStringLiteral("acSaveSymbolGroup")));
  fSetDeleteMenu = fSymbolSetMenu->addMenu(QStringLiteral("Удалить"));
  fSetDeleteMenu->setObjectName(QStringLiteral("miSetDelete"));
  fSymbolSetMenu->addSeparator();

  fPopup->addSeparator();
  for (const char *lName : {"acMDSpred", "acMDMaxMin", "acMDTime", "acMDColAutoSize", "acMDGrid"})
    fPopup->addAction(Action(QLatin1String(lName)));
  connect(fPopup, &QMenu::aboutToShow, this, &TMarketWatchView::ppmSymbolsPopup);
}

void TMarketWatchView::BuildHeaderMenu()
{
  // Every column but the symbol can be shown from the header, the price among them.
  fHeaderMenu = new QMenu(this);
  for (int i = TMarketWatchModel::colPrice; i < TMarketWatchModel::ColumnCount; ++i) {
    QAction *lAction = fHeaderMenu->addAction(QString::fromUtf8(cColumns[i].Header));
    lAction->setCheckable(true);
    connect(lAction, &QAction::triggered, this,
            [this, i](bool aChecked) { ShowColumns({i}, aChecked); });
  }
  connect(fHeaderMenu, &QMenu::aboutToShow, this, [this] {
    const QList<QAction *> lActions = fHeaderMenu->actions();
    for (int i = 0; i < lActions.size(); ++i)
      lActions[i]->setChecked(!isColumnHidden(TMarketWatchModel::colPrice + i));
  });
}

void TMarketWatchView::ShowColumns(std::initializer_list<int> aColumns, bool aShow)
{
  for (int lColumn : aColumns)
    setColumnHidden(lColumn, !aShow);
  // The marks follow the columns, whichever way they were shown.
  const auto lShown = [this](int aColumn) { return !isColumnHidden(aColumn); };
  Action(QStringLiteral("acMDMaxMin"))
      ->setChecked(lShown(TMarketWatchModel::colHigh) && lShown(TMarketWatchModel::colLow));
  Action(QStringLiteral("acMDSpred"))
      ->setChecked(lShown(TMarketWatchModel::colBid) && lShown(TMarketWatchModel::colAsk));
  Action(QStringLiteral("acMDTime"))->setChecked(lShown(TMarketWatchModel::colTime));
}

void TMarketWatchView::FitColumns()
{
  // The symbol column keeps taking what is left; the others fit their header and the rows on
  // screen.
  for (int i = TMarketWatchModel::colPrice; i < TMarketWatchModel::ColumnCount; ++i)
    if (!isColumnHidden(i))
      resizeColumnToContents(i);
}

void TMarketWatchView::FitSymbolColumn()
{
  int lOthers = 0;
  for (int i = 0; i < TMarketWatchModel::ColumnCount; ++i)
    if (i != TMarketWatchModel::colSymbol && !isColumnHidden(i))
      lOthers += columnWidth(i);
  fFitting = true;
  setColumnWidth(TMarketWatchModel::colSymbol,
                 std::max(fSymbolMinWidth, viewport()->width() - lOthers));
  fFitting = false;
}

void TMarketWatchView::resizeEvent(QResizeEvent *aEvent)
{
  QTableView::resizeEvent(aEvent);
  FitSymbolColumn();
}

void TMarketWatchView::SetSaveFileAsk(TSaveFileAsk aAsk)
{
  fSaveFileAsk = std::move(aAsk);
}

void TMarketWatchView::RefreshSymbolList()
{
  try {
    if (!User || !User->SymbolShowList())
      return;
    const int lCount = User->SymbolShowList()->Count();
    RefreshGrid(*this, *fModel, lCount);
    if (lCount > 0 && !selectionModel()->hasSelection())
      selectRow(0);
    // The same row may hold another symbol now (a set loaded with as many lines).
    SyncSelectedSymbol();
  } catch (const std::exception &lError) {
    LogRefresherError("RefreshSymbolList", lError);
  }
}

QString TMarketWatchView::SelectedSymbol() const
{
  try {
    const QModelIndexList lRows = selectionModel()->selectedRows();
    if (lRows.isEmpty())
      return QString();
    int lFirst = lRows.front().row();
    for (const QModelIndex &lIndex : lRows)
      lFirst = std::min(lFirst, lIndex.row());
    const TSymbol *lSymbol = TMarketWatchModel::Symbol(lFirst);
    return lSymbol ? lSymbol->Name() : QString();
  } catch (const std::exception &lError) {
    LogGridError("SelectedSymbol", lError);
    return QString();
  }
}

void TMarketWatchView::Clear()
{
  fModel->SetRowCount(0);
}

void TMarketWatchView::OnSelectionChanged()
{
  SyncSelectedSymbol();
}

void TMarketWatchView::SyncSelectedSymbol()
{
  const QString lSymbol = SelectedSymbol();
  // No selection (an emptied list) keeps the last symbol's book and orders in place.
  if (lSymbol.isEmpty() || lSymbol == fLastSymbol)
    return;
  fLastSymbol = lSymbol;
  if (User && User->Input())
    User->Input()->SetSymbol(lSymbol);
  Q_EMIT SymbolSelected(lSymbol);
}

int TMarketWatchView::SelectedRow() const
{
  const QModelIndexList lRows = selectionModel()->selectedRows();
  int lFirst = -1;
  for (const QModelIndex &lIndex : lRows)
    if (lFirst < 0 || lIndex.row() < lFirst)
      lFirst = lIndex.row();
  return lFirst;
}

void TMarketWatchView::acDeleteSymbolExecute()
{
  const int lRow = SelectedRow();
  if (lRow < 0 || !User || !User->SymbolShowList())
    return;
  // A line whose symbol the exchange no longer lists shows blank; it goes by its name.
  const TSymbolShowList &lList = *User->SymbolShowList();
  if (lRow < lList.Count())
    User->SymbolShowList()->DeleteSymbol(lList.Name(lRow));
}

void TMarketWatchView::acHideSymbolsExecute()
{
  // The symbols of the open charts; there are no charts yet, so the command stays disabled.
}

void TMarketWatchView::acShowSymbolExecute()
{
  if (User && User->SymbolShowList())
    User->SymbolShowList()->FillShowSymbols();
}

void TMarketWatchView::acSaveSymbolGroupExecute()
{
  if (!User || !User->SymbolShowList())
    return;
  QString lFolder;
  User->SymbolShowList()->DoNotifyFolders(lFolder);
  const QString lFileName = fSaveFileAsk ? fSaveFileAsk(this, lFolder) : QString();
  if (!lFileName.isEmpty())
    User->SymbolShowList()->SaveToFile(lFileName);
}

void TMarketWatchView::ppmSymbolsPopup()
{
  const bool lSelected = SelectedRow() >= 0;
  Action(QStringLiteral("acNewOrder"))->setEnabled(!SelectedSymbol().isEmpty());
  Action(QStringLiteral("acNewChart"))->setEnabled(!SelectedSymbol().isEmpty());
  Action(QStringLiteral("acDeleteSymbol"))->setEnabled(lSelected);
  Action(QStringLiteral("acMarketDepthEx"))
      ->setEnabled(window()->findChild<QDockWidget *>(QStringLiteral("dpMarketDepth")));

  const QList<QAction *> lEntries = fSymbolSetMenu->actions();
  for (qsizetype i = 3; i < lEntries.size(); ++i) {
    fSymbolSetMenu->removeAction(lEntries[i]);
    delete lEntries[i];
  }
  fSetDeleteMenu->clear();
  if (!User || !User->SymbolShowList())
    return;
  const QStringList lNames = User->SymbolShowList()->GetFileList();
  for (const QString &lName : lNames) {
    connect(fSymbolSetMenu->addAction(lName), &QAction::triggered, this, [lName] {
      RunCommand([&lName] {
        if (User && User->SymbolShowList())
          User->SymbolShowList()->LoadFromFile(lName);
      });
    });
    connect(fSetDeleteMenu->addAction(lName), &QAction::triggered, this, [lName] {
      RunCommand([&lName] {
        if (User && User->SymbolShowList())
          User->SymbolShowList()->DeleteSaved(lName);
      });
    });
  }
}

void TMarketWatchView::contextMenuEvent(QContextMenuEvent *aEvent)
{
  const QModelIndex lIndex = indexAt(viewport()->mapFromGlobal(aEvent->globalPos()));
  if (lIndex.isValid())
    selectRow(lIndex.row());
  fPopup->popup(aEvent->globalPos());
}
