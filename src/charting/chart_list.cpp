#include "chart_list.h"

#include "chart_item.h"
#include "charts_file.h"
#include "events.h"
#include "folders.h"
#include "log_writer.h"
#include "ui_writer.h"
#include "utils.h"

#include <QFileInfo>
#include <QWidget>

#include <algorithm>
#include <cmath>

std::unique_ptr<TChartList> ChartList;

namespace {

void LogAlert(const QString &aText)
{
  WriteLog(aText, mtAlert, 0);
}

void Post(int aEventID)
{
  if (UIWriter)
    UIWriter->Post(aEventID, nullptr);
}

// A layout saved for a larger chart area (another screen, or panels hidden then) is scaled
// down as a whole: confining each window on its own would push the outer ones onto their
// neighbours.
void FitToArea(std::vector<TChartRecord> &aCharts, QSize aArea)
{
  int lRight = 0;
  int lBottom = 0;
  for (const TChartRecord &lRecord : aCharts) {
    lRight = std::max(lRight, lRecord.Bounds.x() + lRecord.Bounds.width());
    lBottom = std::max(lBottom, lRecord.Bounds.y() + lRecord.Bounds.height());
  }
  if (aArea.isEmpty() || (lRight <= aArea.width() && lBottom <= aArea.height()))
    return;
  const double lX = lRight > aArea.width() ? double(aArea.width()) / lRight : 1.0;
  const double lY = lBottom > aArea.height() ? double(aArea.height()) / lBottom : 1.0;
  auto Scaled = [](int aValue, double aScale) { return int(std::floor(aValue * aScale)); };
  for (TChartRecord &lRecord : aCharts) {
    const QRect lOld = lRecord.Bounds;
    lRecord.Bounds = QRect(Scaled(lOld.x(), lX), Scaled(lOld.y(), lY), Scaled(lOld.width(), lX),
                           Scaled(lOld.height(), lY));
  }
}

} // namespace

TChartList::TChartList() = default;

TChartList::~TChartList()
{
  fPublisher.Clear();
  Clear();
}

TChartItem *TChartList::Add()
{
  fItems.push_back(std::make_unique<TChartItem>(this));
  TChartItem *lItem = fItems.back().get();
  lItem->CreateWindow();
  lItem->ChartSettings().SetInfo(*lItem->Chart(), *lItem->SerCandles());
  return lItem;
}

TChartItem *TChartList::AddNewChart(const QString &aSymbol, TChartInterval aInterval)
{
  TChartItem *lItem = nullptr;
  try {
    lItem = Add();
    lItem->SetSymbol(aSymbol);
    lItem->SetInterval(aInterval);
    lItem->SetActive(true);
    lItem->RefreshKlines();
    if (fFullMode)
      Maximize(wsMaximized);
    Save();
  } catch (const std::exception &e) {
    LogAlert(QStringLiteral("TChartList.AddNewChart | ") + ExceptionClassName(e) +
             QStringLiteral(" : ") + QString::fromUtf8(e.what()));
  }
  return lItem;
}

QString TChartList::GetFileName() const
{
  if (!fFileName.isEmpty())
    return fFileName;
  return Folders->Folder(afUserRoaming) + QStringLiteral("/charts.json");
}

void TChartList::Load()
{
  Load(GetFileName());
}

void TChartList::Save()
{
  Save(GetFileName());
}

void TChartList::Load(const QString &aFileName)
{
  if (!QFileInfo::exists(aFileName))
    return;
  Clear();
  try {
    TChartsFile lFile = TChartsFile::Read(aFileName);
    if (!lFile.HasCharts)
      return;
    if (fWinControl)
      FitToArea(lFile.Charts, fWinControl->size());
    fFullMode = lFile.Full;
    for (const TChartRecord &lRecord : lFile.Charts) {
      TChartItem *lItem = Add();
      lItem->SetSymbol(lRecord.Symbol);
      lItem->SetInterval(lRecord.Interval);
      lItem->Window()->SetBounds(lRecord.Bounds);
      lItem->Window()->SetState(static_cast<TWindowState>(lRecord.State));
      lItem->ChartSettings() = lRecord.Settings;
      lItem->LoadSettings(nullptr);
      if (lRecord.HasIndicators) {
        TIndicatorList &lIndicators = lItem->IndicatorList();
        lIndicators.Load(lRecord.Indicators);
        for (int i = 0; i < lIndicators.Count(); ++i)
          lIndicators.GetItem(i)->FillSeries(&lItem->KlineList());
      }
      lItem->RefreshKlines();
    }
    if (!fItems.empty())
      fItems.front()->SetActive(true);
    if (fFullMode)
      Maximize(wsMaximized);
    Post(BASE_MAIN_REFRESH_ACTIVE_WINDOW);
  } catch (const std::exception &e) {
    LogAlert(QString::fromUtf8(e.what()));
  }
}

void TChartList::Save(const QString &aFileName)
{
  try {
    TChartsFile lFile;
    lFile.Full = fFullMode;
    for (const auto &lItem : fItems) {
      TChartRecord &lRecord = lFile.Charts.emplace_back();
      lRecord.Symbol = lItem->Symbol();
      lRecord.Interval = lItem->Interval();
      if (TwinctrlMdiWindow *lWindow = lItem->Window()) {
        // A minimised or maximised window comes back to its own place when restored.
        lRecord.Bounds =
            lWindow->State() == wsNormal ? lWindow->geometry() : lWindow->NormalBounds();
        lRecord.State = lWindow->State();
      }
      if (lItem->Chart())
        lItem->ChartSettings().Left = lItem->Chart()->BottomAxis().Minimum();
      lRecord.Settings = lItem->ChartSettings();
      lItem->IndicatorList().Save(lRecord.Indicators);
    }
    lFile.Write(aFileName);
  } catch (const std::exception &e) {
    LogAlert(QString::fromUtf8(e.what()));
  }
}

TChartItem *TChartList::GetItem(int aIndex) const
{
  if (aIndex < 0 || aIndex >= Count())
    return nullptr;
  return fItems[static_cast<size_t>(aIndex)].get();
}

int TChartList::IndexOf(const TChartItem *aItem) const
{
  for (int i = 0; i < Count(); ++i)
    if (fItems[static_cast<size_t>(i)].get() == aItem)
      return i;
  return -1;
}

TChartItem *TChartList::GetSelected() const
{
  for (const auto &lItem : fItems)
    if (lItem->Active())
      return lItem.get();
  return nullptr;
}

TChartItem *TChartList::SelectedOpen() const
{
  TChartItem *lItem = GetSelected();
  return lItem && !lItem->IsClosing() ? lItem : nullptr;
}

QStringList TChartList::GetAsSymbolList() const
{
  QStringList lList;
  for (const auto &lItem : fItems)
    lList.append(lItem->Symbol());
  return lList;
}

void TChartList::Remove(TChartItem *aItem)
{
  const auto lAt = std::find_if(fItems.begin(), fItems.end(),
                                [aItem](const auto &aOwned) { return aOwned.get() == aItem; });
  if (lAt == fItems.end())
    return;
  // Out of the list first: the item's destruction processes events that may reach the list.
  std::unique_ptr<TChartItem> lItem = std::move(*lAt);
  fItems.erase(lAt);
}

void TChartList::Clear()
{
  while (!fItems.empty()) {
    std::unique_ptr<TChartItem> lItem = std::move(fItems.front());
    fItems.erase(fItems.begin());
  }
}

void TChartList::KlinesUpdate()
{
  for (int i = 0; i < Count(); ++i)
    GetItem(i)->KlinesUpdate();
}

void TChartList::TickerPrice()
{
  for (int i = 0; i < Count(); ++i)
    GetItem(i)->TickerPrice();
}

void TChartList::RefreshOrdersBubbles()
{
  for (int i = 0; i < Count(); ++i)
    GetItem(i)->RefreshOrdersBubbles();
}

void TChartList::acZoomInExecute()
{
  TChartItem *lItem = SelectedOpen();
  if (!lItem)
    return;
  lItem->acZoomInExecute();
  Save();
  fPublisher.Notify(BASE_MAIN_REFRESH_ACTIVE_WINDOW, nullptr);
}

void TChartList::acZoomOutExecute()
{
  TChartItem *lItem = SelectedOpen();
  if (!lItem)
    return;
  lItem->acZoomOutExecute();
  Save();
  fPublisher.Notify(BASE_MAIN_REFRESH_ACTIVE_WINDOW, nullptr);
}

void TChartList::acStickExecute(TChartType aChartType)
{
  TChartItem *lItem = SelectedOpen();
  if (!lItem)
    return;
  lItem->acStickExecute(aChartType);
  Save();
}

void TChartList::RefreshKlinesByInterval(TChartInterval aInterval)
{
  TChartItem *lItem = SelectedOpen();
  if (!lItem)
    return;
  lItem->SetInterval(aInterval);
  lItem->RefreshKlines();
  Save();
  Post(BASE_MAIN_INTERVALS_REFRESH);
}

void TChartList::acAutoScrollExecute(bool aValue)
{
  TChartItem *lItem = SelectedOpen();
  if (!lItem || lItem->ChartSettings().ChartAutoMove == aValue)
    return;
  lItem->ChartSettings().ChartAutoMove = aValue;
  Post(BASE_MAIN_REFRESH_ACTIVE_WINDOW);
}

void TChartList::acShiftToEndExecute(bool aValue)
{
  TChartItem *lItem = SelectedOpen();
  if (!lItem || lItem->ChartSettings().ChartShift == aValue)
    return;
  lItem->ChartSettings().ChartShift = aValue;
  Post(BASE_MAIN_REFRESH_ACTIVE_WINDOW);
}

void TChartList::acChartSettingsExecute()
{
  if (TChartItem *lItem = GetSelected())
    lItem->acChartSettingsExecute();
}

void TChartList::acIndicatorSettingsExecute()
{
  if (TChartItem *lItem = GetSelected())
    lItem->acIndicatorSettingsExecute();
}

void TChartList::acIndicatorDeleteExecute()
{
  if (TChartItem *lItem = GetSelected())
    lItem->acIndicatorDeleteExecute();
}

void TChartList::acNewOrderExecute()
{
  if (TChartItem *lItem = GetSelected())
    lItem->acNewOrderExecute();
}

void TChartList::Maximize(TWindowState aState)
{
  fFullMode = aState == wsMaximized;
  for (const auto &lItem : fItems) {
    if (lItem->IsClosing() || !lItem->Window())
      continue;
    if (lItem->Window()->State() != aState)
      lItem->Window()->SetState(aState);
    lItem->Window()->SetCaptionVisible(!fFullMode);
  }
  fPublisher.Notify(BASE_MAIN_TABS_REFRESH, nullptr);
}

void TChartList::Mozaic()
{
  const int lCount = Count();
  if (lCount == 0)
    return;
  const int lRows = lCount <= 3 ? 1 : 2;
  const int lCols = (lCount + lRows - 1) / lRows;
  const int lHostWidth = fWinControl ? fWinControl->width() : 0;
  const int lHostHeight = fWinControl ? fWinControl->height() : 0;
  const int lWidth = TrimSize(lHostWidth / lCols);
  const int lHeight = TrimSize(lHostHeight / lRows);
  if (fFullMode)
    Maximize(wsNormal);
  for (int i = 0; i < lCount; ++i) {
    TChartItem *lItem = GetItem(i);
    const int lRow = i / lCols;
    if (!lItem->IsClosing() && lItem->Window())
      lItem->Window()->SetBounds(
          QRect(lWidth * (i - lRow * lCols), lHeight * lRow, lWidth, lHeight));
  }
  Save();
}

void TChartList::SetTabsVisible(bool aValue)
{
  if (aValue == fTabsVisible)
    return;
  fTabsVisible = aValue;
  fPublisher.Notify(BASE_MAIN_TABS_REFRESH, nullptr);
}
