#include "indicators.h"

#include "chart_settings.h"
#include "kline.h"
#include "log_writer.h"

#include <QJsonObject>

#include <algorithm>
#include <exception>

namespace {

constexpr TColor cDefaultColor = 0x000000FF; // red
constexpr TColor cFractalSeriesColor = 0x00FF0000;

int JsonInt(const QJsonObject &aJson, const char *aKey)
{
  return aJson.value(QLatin1String(aKey)).toInt();
}

TColor JsonColor(const QJsonObject &aJson, const char *aKey)
{
  return static_cast<TColor>(aJson.value(QLatin1String(aKey)).toInteger()) & 0x00FFFFFF;
}

template <class TEnum> TEnum JsonOrdinal(const QJsonObject &aJson, const char *aKey, int aCount)
{
  return static_cast<TEnum>(std::clamp(JsonInt(aJson, aKey), 0, aCount - 1));
}

void ApplyLine(TChartSeries &aSeries, TColor aColor, TLineStyle aStyle, int aWidth)
{
  aSeries.SetColor(ToQColor(aColor));
  if (auto *lLine = dynamic_cast<TLineSeries *>(&aSeries)) {
    lLine->SetPenStyle(ToPenStyle(aStyle));
    lLine->SetPenWidth(std::clamp(aWidth, 0, 10));
  }
}

void LogAlert(const QString &aText)
{
  WriteLog(aText, mtAlert, 0);
}

} // namespace

Qt::PenStyle ToPenStyle(TLineStyle aStyle)
{
  switch (aStyle) {
  case STYLE_DASH:
    return Qt::DashLine;
  case STYLE_DOT:
    return Qt::DotLine;
  case STYLE_DASHDOT:
    return Qt::DashDotLine;
  case STYLE_DASHDOTDOT:
    return Qt::DashDotDotLine;
  case STYLE_SOLID:
    break;
  }
  return Qt::SolidLine;
}

// ---- MA

TMaIndicatorInfo::TMaIndicatorInfo() : TBaseIndicatorInfo({scLine})
{
  TMaIndicatorInfo::DoReset();
}

void TMaIndicatorInfo::DoReset()
{
  Period = 14;
  Shift = 0;
  Method = MODE_SMA;
  Price = PRICE_CLOSE;
  LineColor = cDefaultColor;
  LineStyle = STYLE_SOLID;
  LineWidth = 1;
}

void TMaIndicatorInfo::DoSave(QJsonArray &aArray) const
{
  aArray.append(QJsonObject{{"type", "MA"},
                            {"period", Period},
                            {"shift", Shift},
                            {"method", static_cast<int>(Method)},
                            {"price", static_cast<int>(Price)},
                            {"lineColor", static_cast<qint64>(LineColor)},
                            {"lineStyle", static_cast<int>(LineStyle)},
                            {"lineWidth", LineWidth}});
}

void TMaIndicatorInfo::DoLoad(const QJsonObject &aJson)
{
  Period = JsonInt(aJson, "period");
  Shift = JsonInt(aJson, "shift");
  Method = JsonOrdinal<TIndicatorMethod>(aJson, "method", cIndicatorMethodCount);
  Price = JsonOrdinal<TIndicatorPrice>(aJson, "price", cIndicatorPriceCount);
  LineColor = JsonColor(aJson, "lineColor");
  LineStyle = JsonOrdinal<TLineStyle>(aJson, "lineStyle", cLineStyleCount);
  LineWidth = JsonInt(aJson, "lineWidth");
}

void TMaIndicatorInfo::DoCalculate(const TIndicatorBars &aBars,
                                   std::vector<TIndicatorPoints> &aSeries) const
{
  CalcMa(aBars, Period, Shift, Method, Price, aSeries[0]);
}

void TMaIndicatorInfo::ApplyLook(TChartSeries &aSeries) const
{
  ApplyLine(aSeries, LineColor, LineStyle, LineWidth);
}

// ---- Bollinger

TBollingerIndicatorInfo::TBollingerIndicatorInfo() : TBaseIndicatorInfo({scLine, scLine, scLine})
{
  TBollingerIndicatorInfo::DoReset();
}

void TBollingerIndicatorInfo::DoReset()
{
  Period = 20;
  Shift = 0;
  Dev = 2;
  Price = PRICE_CLOSE;
  LineColor = cDefaultColor;
  LineStyle = STYLE_SOLID;
  LineWidth = 1;
}

void TBollingerIndicatorInfo::DoSave(QJsonArray &aArray) const
{
  aArray.append(QJsonObject{{"type", "Bollinger"},
                            {"period", Period},
                            {"shift", Shift},
                            {"dev", Dev},
                            {"price", static_cast<int>(Price)},
                            {"lineColor", static_cast<qint64>(LineColor)},
                            {"lineStyle", static_cast<int>(LineStyle)},
                            {"lineWidth", LineWidth}});
}

void TBollingerIndicatorInfo::DoLoad(const QJsonObject &aJson)
{
  Period = JsonInt(aJson, "period");
  Shift = JsonInt(aJson, "shift");
  Dev = JsonInt(aJson, "dev");
  Price = JsonOrdinal<TIndicatorPrice>(aJson, "price", cIndicatorPriceCount);
  LineColor = JsonColor(aJson, "lineColor");
  LineStyle = JsonOrdinal<TLineStyle>(aJson, "lineStyle", cLineStyleCount);
  LineWidth = JsonInt(aJson, "lineWidth");
}

void TBollingerIndicatorInfo::DoCalculate(const TIndicatorBars &aBars,
                                          std::vector<TIndicatorPoints> &aSeries) const
{
  CalcBollinger(aBars, Period, Shift, Dev, Price, aSeries[0], aSeries[1], aSeries[2]);
}

void TBollingerIndicatorInfo::ApplyLook(TChartSeries &aSeries) const
{
  ApplyLine(aSeries, LineColor, LineStyle, LineWidth);
}

// ---- ZigZag

TZigZagIndicatorInfo::TZigZagIndicatorInfo() : TBaseIndicatorInfo({scLine})
{
  TZigZagIndicatorInfo::DoReset();
}

void TZigZagIndicatorInfo::DoReset()
{
  Depth = 12;
  Backstep = 3;
  LineColor = cDefaultColor;
  LineStyle = STYLE_SOLID;
  LineWidth = 1;
}

void TZigZagIndicatorInfo::DoSave(QJsonArray &aArray) const
{
  aArray.append(QJsonObject{{"type", "ZigZag"},
                            {"depth", Depth},
                            {"backstep", Backstep},
                            {"lineColor", static_cast<qint64>(LineColor)},
                            {"lineStyle", static_cast<int>(LineStyle)},
                            {"lineWidth", LineWidth}});
}

void TZigZagIndicatorInfo::DoLoad(const QJsonObject &aJson)
{
  Depth = JsonInt(aJson, "depth");
  Backstep = JsonInt(aJson, "backstep");
  LineColor = JsonColor(aJson, "lineColor");
  LineStyle = JsonOrdinal<TLineStyle>(aJson, "lineStyle", cLineStyleCount);
  LineWidth = JsonInt(aJson, "lineWidth");
}

void TZigZagIndicatorInfo::DoCalculate(const TIndicatorBars &aBars,
                                       std::vector<TIndicatorPoints> &aSeries) const
{
  CalcZigZag(aBars, Depth, Backstep, aSeries[0]);
}

void TZigZagIndicatorInfo::ApplyLook(TChartSeries &aSeries) const
{
  ApplyLine(aSeries, LineColor, LineStyle, LineWidth);
}

// ---- Fractals

TFractalIndicatorInfo::TFractalIndicatorInfo() : TBaseIndicatorInfo({scPoint, scPoint})
{
  TFractalIndicatorInfo::DoReset();
}

void TFractalIndicatorInfo::DoReset()
{
  Period = 5;
  Color = cDefaultColor;
}

void TFractalIndicatorInfo::DoSave(QJsonArray &aArray) const
{
  aArray.append(
      QJsonObject{{"type", "Fractal"}, {"period", Period}, {"color", static_cast<qint64>(Color)}});
}

void TFractalIndicatorInfo::DoLoad(const QJsonObject &aJson)
{
  Period = JsonInt(aJson, "period");
  Color = JsonColor(aJson, "color");
}

void TFractalIndicatorInfo::DoCalculate(const TIndicatorBars &aBars,
                                        std::vector<TIndicatorPoints> &aSeries) const
{
  CalcFractals(aBars, Period, aSeries[0], aSeries[1]);
}

void TFractalIndicatorInfo::ApplyLook(TChartSeries &aSeries) const
{
  aSeries.SetColor(ToQColor(Color));
}

std::unique_ptr<TBaseIndicatorInfo> CreateIndicatorInfo(const QString &aType)
{
  if (aType == QLatin1String("MA"))
    return std::make_unique<TMaIndicatorInfo>();
  if (aType == QLatin1String("Bollinger"))
    return std::make_unique<TBollingerIndicatorInfo>();
  if (aType == QLatin1String("ZigZag"))
    return std::make_unique<TZigZagIndicatorInfo>();
  if (aType == QLatin1String("Fractal"))
    return std::make_unique<TFractalIndicatorInfo>();
  return nullptr;
}

// ---- TIndicatorItem

TIndicatorItem::TIndicatorItem(TIndicatorList &aList, std::unique_ptr<TBaseIndicatorInfo> aInfo)
    : fIndicatorList(aList), fInfo(std::move(aInfo))
{
}

TIndicatorItem::~TIndicatorItem()
{
  if (TChart *lChart = fIndicatorList.Chart())
    for (TChartSeries *lSeries : fSeries)
      if (lSeries)
        lChart->Scene().RemoveSeries(lSeries);
}

void TIndicatorItem::AddIndicatorSeries(int aIndex)
{
  TChartScene &lScene = fIndicatorList.Chart()->Scene();
  TChartSeries *lSeries = nullptr;
  if (fInfo->SeriesClass()[static_cast<size_t>(aIndex)] == scPoint) {
    TPointSeries *lPoints = lScene.AddPointSeries();
    lPoints->SetColor(ToQColor(cFractalSeriesColor));
    lPoints->SetPointerSize(8, 8);
    lPoints->SetPointerStyle(aIndex == 0 ? psTriangle : psDownTriangle);
    lSeries = lPoints;
  } else {
    lSeries = lScene.AddLineSeries();
    fInfo->ApplyLook(*lSeries);
  }
  lSeries->SetCursor(Qt::PointingHandCursor);
  TIndicatorList *lList = &fIndicatorList;
  lSeries->OnDblClick = [lList](TChartSeries *aSeries, int, QPoint aPos) {
    lList->OnSeriesDblClick(aSeries, aPos);
  };
  fSeries[static_cast<size_t>(aIndex)] = lSeries;
}

void TIndicatorItem::FillSeries(const TKlineList *aKlineList)
{
  if (aKlineList)
    fKlineList = aKlineList;
  if (fKlineList)
    FillSeries(SortedBars(*fKlineList));
}

void TIndicatorItem::FillSeries(const TIndicatorBars &aBars)
{
  if (!fKlineList || !fIndicatorList.Chart())
    return;
  const size_t lCount = fInfo->SeriesClass().size();
  fSeries.resize(lCount, nullptr);
  for (size_t i = 0; i < lCount; ++i)
    if (!fSeries[i])
      AddIndicatorSeries(static_cast<int>(i));

  // Kept between fills: a refresh then allocates nothing.
  std::vector<TIndicatorPoints> &lPoints = fPoints;
  lPoints.resize(lCount);
  for (TIndicatorPoints &lSeriesPoints : lPoints)
    lSeriesPoints.clear();
  QString lError;
  try {
    fInfo->DoCalculate(aBars, lPoints);
  } catch (const std::exception &e) {
    lError = QString::fromUtf8(e.what());
  }
  const double lRadius = fInfo->MarkerRadius();
  for (size_t i = 0; i < lCount; ++i) {
    TChartSeries *lSeries = fSeries[i];
    lSeries->BeginUpdate();
    lSeries->Clear();
    fInfo->ApplyLook(*lSeries);
    if (auto *lLine = dynamic_cast<TLineSeries *>(lSeries)) {
      for (const TIndicatorPoint &lPoint : lPoints[i])
        lLine->AddXY(lPoint.X, lPoint.Y);
    } else if (auto *lMarkers = dynamic_cast<TPointSeries *>(lSeries)) {
      for (const TIndicatorPoint &lPoint : lPoints[i])
        lMarkers->AddXY(lPoint.X, lPoint.Y, lRadius);
    }
    lSeries->EndUpdate();
  }
  if (!lError.isEmpty())
    LogAlert(QStringLiteral("TIndicatorItem.FillSeries error: ") + lError);
}

// ---- TIndicatorList

TIndicatorList::~TIndicatorList()
{
  Clear();
}

TIndicatorItem *TIndicatorList::Add(std::unique_ptr<TBaseIndicatorInfo> aInfo)
{
  fItems.push_back(std::make_unique<TIndicatorItem>(*this, std::move(aInfo)));
  return fItems.back().get();
}

void TIndicatorList::DeleteItem(TIndicatorItem *aItem)
{
  if (!aItem)
    return;
  const auto lAt = std::find_if(fItems.begin(), fItems.end(),
                                [aItem](const auto &aOwned) { return aOwned.get() == aItem; });
  if (lAt == fItems.end())
    return;
  if (fSelected == aItem)
    fSelected = nullptr;
  fItems.erase(lAt);
}

void TIndicatorList::Clear()
{
  fSelected = nullptr;
  while (!fItems.empty())
    fItems.pop_back();
}

TIndicatorItem *TIndicatorList::FindBySeries(const TChartSeries *aSeries) const
{
  if (!aSeries)
    return nullptr;
  for (const auto &lItem : fItems)
    for (int i = 0; i < lItem->GetSeriesCount(); ++i)
      if (lItem->GetSeries(i) == aSeries)
        return lItem.get();
  return nullptr;
}

void TIndicatorList::Refresh()
{
  // Every item of a chart shares its kline list: it is sorted once for all of them.
  const TKlineList *lSorted = nullptr;
  TIndicatorBars lBars;
  for (const auto &lItem : fItems) {
    if (!lItem->KlineList())
      continue;
    if (lItem->KlineList() != lSorted) {
      lSorted = lItem->KlineList();
      lBars = SortedBars(*lSorted);
    }
    lItem->FillSeries(lBars);
  }
}

void TIndicatorList::Save(QJsonArray &aArray) const
{
  for (const auto &lItem : fItems)
    lItem->Info().Save(aArray);
}

void TIndicatorList::Load(const QJsonArray &aArray)
{
  Clear();
  for (const QJsonValue &lValue : aArray) {
    const QJsonObject lJson = lValue.toObject();
    std::unique_ptr<TBaseIndicatorInfo> lInfo =
        CreateIndicatorInfo(lJson.value(QLatin1String("type")).toString());
    if (!lInfo)
      continue;
    lInfo->DoLoad(lJson);
    Add(std::move(lInfo));
  }
}

void TIndicatorList::OnSeriesDblClick(TChartSeries *aSeries, QPoint aPos)
{
  TIndicatorItem *lItem = FindBySeries(aSeries);
  if (!lItem || !fChart)
    return;
  fSelected = lItem;
  if (fPmIndicator)
    fPmIndicator->popup(fChart->mapToGlobal(aPos));
}
