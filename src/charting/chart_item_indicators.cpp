// The chart item's indicator commands and its template files.

#include "chart_item.h"

#include "chart_list.h"
#include "dlg_indicator.h"
#include "log_writer.h"
#include "utils.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <exception>
#include <stdexcept>

namespace {

void LogAlert(const QString &aText)
{
  WriteLog(aText, mtAlert, 0);
}

} // namespace

QWidget *TChartItem::DialogParent() const
{
  return fWindow ? fWindow->window() : nullptr;
}

double TChartItem::FractalRadius() const
{
  if (!fChart)
    return 0;
  return (fChart->RightAxis().Maximum() - fChart->RightAxis().Minimum()) / 50;
}

void TChartItem::AddIndicator(std::unique_ptr<TBaseIndicatorInfo> aInfo)
{
  if (!aInfo || !Enter())
    return;
  aInfo->Reset();
  if (!ExecuteDlgIndicator(*aInfo, DialogParent()) || fIsClosing)
    return;
  TIndicatorItem *lItem = fIndicatorList.Add(std::move(aInfo));
  if (auto *lFractal = dynamic_cast<TFractalIndicatorInfo *>(&lItem->Info()))
    lFractal->Radius = FractalRadius();
  lItem->FillSeries(&fKlineList);
  if (fChartList)
    fChartList->Save();
}

void TChartItem::acIndicatorSettingsExecute()
{
  if (!Enter())
    return;
  TIndicatorItem *lItem = fIndicatorList.Selected();
  if (!lItem || !ExecuteDlgIndicator(lItem->Info(), DialogParent()) || fIsClosing)
    return;
  // The dialog edited the item's own info.
  lItem->FillSeries(&fKlineList);
}

void TChartItem::acIndicatorDeleteExecute()
{
  if (!Enter())
    return;
  TIndicatorItem *lItem = fIndicatorList.Selected();
  if (!lItem)
    return;
  fIndicatorList.DeleteItem(lItem);
  if (fChartList)
    fChartList->Save();
}

void TChartItem::UpdateIndicators()
{
  const double lRadius = FractalRadius();
  for (int i = 0; i < fIndicatorList.Count(); ++i) {
    TIndicatorItem *lItem = fIndicatorList.GetItem(i);
    if (auto *lFractal = dynamic_cast<TFractalIndicatorInfo *>(&lItem->Info())) {
      lFractal->Radius = lRadius;
      lItem->FillSeries(&fKlineList);
    }
  }
}

void TChartItem::SaveTemplate(const QString &aFileName)
{
  try {
    QJsonObject lInfo;
    fChartSettings.Save(lInfo);
    QJsonArray lIndicators;
    fIndicatorList.Save(lIndicators);
    const QJsonObject lRoot{{"info", lInfo}, {"indicators", lIndicators}};
    if (!SaveJsonFile(lRoot, aFileName))
      throw std::runtime_error("error writing " + QFileInfo(aFileName).fileName().toStdString());
  } catch (const std::exception &e) {
    LogAlert(QString::fromUtf8(e.what()));
  }
}

void TChartItem::LoadTemplate(const QString &aFileName)
{
  if (!QFileInfo::exists(aFileName))
    return;
  try {
    const std::optional<QJsonObject> lRoot = LoadJsonFile(aFileName);
    if (!lRoot)
      throw std::runtime_error("error reading " + QFileInfo(aFileName).fileName().toStdString());
    const QJsonValue lInfo = lRoot->value(QLatin1String("info"));
    if (!lInfo.isObject())
      return;
    fChartSettings.Load(lInfo.toObject());
    const QJsonValue lIndicators = lRoot->value(QLatin1String("indicators"));
    if (!lIndicators.isUndefined()) {
      fIndicatorList.Load(lIndicators.toArray());
      const double lRadius = FractalRadius();
      for (int i = 0; i < fIndicatorList.Count(); ++i) {
        TIndicatorItem *lItem = fIndicatorList.GetItem(i);
        if (auto *lFractal = dynamic_cast<TFractalIndicatorInfo *>(&lItem->Info()))
          lFractal->Radius = lRadius;
        lItem->FillSeries(&fKlineList);
      }
    }
    LoadChartColors();
  } catch (const std::exception &e) {
    LogAlert(QString::fromUtf8(e.what()));
  }
}
