#include "volume_monitor.h"

#include "general_format.h"
#include "user.h"
#include "volume.h"

#include <QHeaderView>

namespace {

struct TColumnInfo
{
  const char *Header;
  int Width;
};
constexpr TColumnInfo cColumns[TVolumeMonitorModel::ColumnCount] = {
    {"Символ", 120},         {"Пинг", 120},         {"VOL BTC", 120}, {"VOL %", 120},
    {"Recent VOL BTC", 120}, {"Recent VOL %", 120}, {"Дата", 327},
};

// "%0.1f" followed by "%": one decimal with the locale's separator and no group separators.
QString PercentText(double aValue)
{
  QLocale lLocale;
  lLocale.setNumberOptions(QLocale::OmitGroupSeparator);
  return lLocale.toString(aValue, 'f', 1) + QLatin1Char('%');
}

} // namespace

int TVolumeMonitorModel::columnCount(const QModelIndex &aParent) const
{
  return aParent.isValid() ? 0 : ColumnCount;
}

const TVolume *TVolumeMonitorModel::Volume(int aRow)
{
  if (!User || !User->VolumeList())
    return nullptr;
  const TVolumeList &lList = *User->VolumeList();
  return aRow >= 0 && aRow < lList.Count() ? &lList.GetItem(aRow) : nullptr;
}

QString TVolumeMonitorModel::CellText(const TVolume &aVolume, int aColumn)
{
  switch (aColumn) {
  case colSymbol:
    return aVolume.Symbol;
  case colPing:
    return QString::number(aVolume.Ping);
  case colSumVolume:
    return FloatToStrGeneral(aVolume.SumVolume);
  case colSumVolumePerc:
    return PercentText(aVolume.SumVolumePerc);
  case colVolumeChange:
    return FloatToStrGeneral(aVolume.VolumeChange);
  case colVolumePerc:
    return PercentText(aVolume.VolumePerc);
  case colDate:
    return DateTimeToStrLocale(aVolume.Date);
  default:
    return QString();
  }
}

QVariant TVolumeMonitorModel::data(const QModelIndex &aIndex, int aRole) const
{
  try {
    switch (aRole) {
    case Qt::DisplayRole:
      if (const TVolume *lVolume = Volume(aIndex.row()))
        return CellText(*lVolume, aIndex.column());
      return QString();
    case Qt::TextAlignmentRole:
      return aIndex.column() == colSymbol || aIndex.column() == colDate
                 ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                 : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    default:
      return QVariant();
    }
  } catch (const std::exception &lError) {
    LogGridError("vstVolumeMonitorGetText", lError);
    return QVariant();
  }
}

QVariant TVolumeMonitorModel::headerData(int aSection, Qt::Orientation aOrientation,
                                         int aRole) const
{
  if (aOrientation != Qt::Horizontal || aSection < 0 || aSection >= ColumnCount)
    return QVariant();
  if (aRole == Qt::DisplayRole)
    return QString::fromUtf8(cColumns[aSection].Header);
  return QVariant();
}

TVolumeMonitorView::TVolumeMonitorView(QWidget *aParent)
    : QTableView(aParent), fModel(new TVolumeMonitorModel(this))
{
  setObjectName(QStringLiteral("vstVolumeMonitor"));
  setModel(fModel);
  SetUpReadOnlyGrid(*this);
  QHeaderView *lHeader = horizontalHeader();
  lHeader->setHighlightSections(false);
  lHeader->setStretchLastSection(true);
  for (int i = 0; i < TVolumeMonitorModel::ColumnCount; ++i)
    lHeader->resizeSection(i, cColumns[i].Width);
  lHeader->setSectionResizeMode(TVolumeMonitorModel::colSymbol, QHeaderView::Fixed);
  lHeader->setSectionResizeMode(TVolumeMonitorModel::colPing, QHeaderView::Fixed);
  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TVolumeMonitorView::vstVolumeMonitorChange);
}

void TVolumeMonitorView::RefreshVolumeList()
{
  try {
    const int lCount = User && User->VolumeList() ? User->VolumeList()->Count() : 0;
    RefreshGrid(*this, *fModel, lCount);
    if (lCount > 0 && !selectionModel()->hasSelection())
      selectRow(0);
  } catch (const std::exception &lError) {
    LogRefresherError("RefreshVolumeList", lError);
  }
}

void TVolumeMonitorView::Clear()
{
  fModel->SetRowCount(0);
}

void TVolumeMonitorView::vstVolumeMonitorChange()
{
  try {
    const QModelIndexList lRows = selectionModel()->selectedRows();
    if (lRows.isEmpty())
      return;
    // The active chart takes the marked interval once charts exist; the row's symbol is
    // offered to whoever shows it.
    const TVolume *lVolume = TVolumeMonitorModel::Volume(lRows.front().row());
    Q_EMIT VolumeRowSelected(lVolume ? lVolume->Symbol : QString());
  } catch (const std::exception &lError) {
    LogGridError("vstVolumeMonitorChange", lError);
  }
}
