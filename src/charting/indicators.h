#pragma once

#include "chart.h"
#include "indicator_calc.h"

#include <QJsonArray>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <memory>
#include <vector>

class QJsonObject;

// The toolkit's pen style of a line style, one to one.
Qt::PenStyle ToPenStyle(TLineStyle aStyle);

// The kind of chart series an indicator draws into.
enum class TSeriesClass { scLine, scPoint };
using enum TSeriesClass;

// An indicator's parameters. A new object holds the defaults of its kind (as Reset gives).
class TBaseIndicatorInfo
{
public:
  virtual ~TBaseIndicatorInfo() = default;

  const std::vector<TSeriesClass> &SeriesClass() const { return fSeriesClass; }
  void Reset() { DoReset(); }
  // Appends the info as one object to aArray.
  void Save(QJsonArray &aArray) const { DoSave(aArray); }
  // Every key of the kind from aJson; a missing key gives 0, ordinals out of range are brought
  // into it.
  virtual void DoLoad(const QJsonObject &aJson) = 0;
  // The points of every series, index-aligned with SeriesClass; see indicator_calc.h for the
  // failure rule.
  virtual void DoCalculate(const TIndicatorBars &aBars,
                           std::vector<TIndicatorPoints> &aSeries) const = 0;
  // Colour, and for lines pen style and width, of one of its series.
  virtual void ApplyLook(TChartSeries &aSeries) const = 0;
  // Radius stored with each marker of a point series.
  virtual double MarkerRadius() const { return 0; }

protected:
  explicit TBaseIndicatorInfo(std::vector<TSeriesClass> aSeriesClass)
      : fSeriesClass(std::move(aSeriesClass))
  {
  }
  virtual void DoReset() = 0;
  virtual void DoSave(QJsonArray &aArray) const = 0;

private:
  std::vector<TSeriesClass> fSeriesClass;
};

class TMaIndicatorInfo : public TBaseIndicatorInfo
{
public:
  TMaIndicatorInfo();
  void DoLoad(const QJsonObject &aJson) override;
  void DoCalculate(const TIndicatorBars &aBars,
                   std::vector<TIndicatorPoints> &aSeries) const override;
  void ApplyLook(TChartSeries &aSeries) const override;

  int Period = 0;
  int Shift = 0;
  TIndicatorMethod Method = MODE_SMA;
  TIndicatorPrice Price = PRICE_CLOSE;
  TColor LineColor = 0;
  TLineStyle LineStyle = STYLE_SOLID;
  int LineWidth = 0;

protected:
  void DoReset() override;
  void DoSave(QJsonArray &aArray) const override;
};

// Upper, middle and lower band.
class TBollingerIndicatorInfo : public TBaseIndicatorInfo
{
public:
  TBollingerIndicatorInfo();
  void DoLoad(const QJsonObject &aJson) override;
  void DoCalculate(const TIndicatorBars &aBars,
                   std::vector<TIndicatorPoints> &aSeries) const override;
  void ApplyLook(TChartSeries &aSeries) const override;

  int Period = 0;
  int Shift = 0;
  int Dev = 0; // band width in standard deviations
  TIndicatorPrice Price = PRICE_CLOSE;
  TColor LineColor = 0;
  TLineStyle LineStyle = STYLE_SOLID;
  int LineWidth = 0;

protected:
  void DoReset() override;
  void DoSave(QJsonArray &aArray) const override;
};

class TZigZagIndicatorInfo : public TBaseIndicatorInfo
{
public:
  TZigZagIndicatorInfo();
  void DoLoad(const QJsonObject &aJson) override;
  void DoCalculate(const TIndicatorBars &aBars,
                   std::vector<TIndicatorPoints> &aSeries) const override;
  void ApplyLook(TChartSeries &aSeries) const override;

  int Depth = 0;
  int Backstep = 0;
  TColor LineColor = 0;
  TLineStyle LineStyle = STYLE_SOLID;
  int LineWidth = 0;

protected:
  void DoReset() override;
  void DoSave(QJsonArray &aArray) const override;
};

// Up fractals, then down fractals.
class TFractalIndicatorInfo : public TBaseIndicatorInfo
{
public:
  TFractalIndicatorInfo();
  void DoLoad(const QJsonObject &aJson) override;
  void DoCalculate(const TIndicatorBars &aBars,
                   std::vector<TIndicatorPoints> &aSeries) const override;
  void ApplyLook(TChartSeries &aSeries) const override;
  double MarkerRadius() const override { return Radius; }

  int Period = 0;    // the first kline examined
  double Radius = 0; // in price units; set by the chart, not stored
  TColor Color = 0;

protected:
  void DoReset() override;
  void DoSave(QJsonArray &aArray) const override;
};

// A new info of a stored "type", with its defaults; none for an unknown type.
std::unique_ptr<TBaseIndicatorInfo> CreateIndicatorInfo(const QString &aType);

class TIndicatorList;
class TKlineList;

// One indicator on a chart: its info (owned) and the chart series that show it (owned by the
// chart's scene, removed from it with the item).
class TIndicatorItem
{
public:
  TIndicatorItem(TIndicatorList &aList, std::unique_ptr<TBaseIndicatorInfo> aInfo);
  ~TIndicatorItem();
  TIndicatorItem(const TIndicatorItem &) = delete;
  TIndicatorItem &operator=(const TIndicatorItem &) = delete;

  TBaseIndicatorInfo &Info() const { return *fInfo; }
  // A given kline list becomes the item's; then, when it has one, creates the series it lacks
  // and recomputes every point.
  void FillSeries(const TKlineList *aKlineList = nullptr);
  // As FillSeries with the item's kline list already sorted (one sort serves all items).
  void FillSeries(const TIndicatorBars &aBars);
  TChartSeries *GetSeries(int aIndex) const { return fSeries[static_cast<size_t>(aIndex)]; }
  int GetSeriesCount() const { return static_cast<int>(fSeries.size()); }
  const TKlineList *KlineList() const { return fKlineList; }

private:
  void AddIndicatorSeries(int aIndex);

  TIndicatorList &fIndicatorList;
  std::unique_ptr<TBaseIndicatorInfo> fInfo;
  std::vector<TChartSeries *> fSeries;
  std::vector<TIndicatorPoints> fPoints;
  const TKlineList *fKlineList = nullptr;
};

// A chart's indicators, in the order they were added.
class TIndicatorList
{
public:
  TIndicatorList() = default;
  ~TIndicatorList();
  TIndicatorList(const TIndicatorList &) = delete;
  TIndicatorList &operator=(const TIndicatorList &) = delete;

  TIndicatorItem *Add(std::unique_ptr<TBaseIndicatorInfo> aInfo);
  // Removes the item's series from the chart and frees it; nothing for none.
  void DeleteItem(TIndicatorItem *aItem);
  void Clear();
  TIndicatorItem *FindBySeries(const TChartSeries *aSeries) const;
  int Count() const { return static_cast<int>(fItems.size()); }
  TIndicatorItem *GetItem(int aIndex) const { return fItems[static_cast<size_t>(aIndex)].get(); }
  // Recomputes every item from its own kline list.
  void Refresh();
  void Save(QJsonArray &aArray) const;
  // Replaces the list by the indicators of aArray; unknown types are skipped.
  void Load(const QJsonArray &aArray);

  // A double-click on one of the indicators' series: selects its item and pops up the indicator
  // menu there (aPos in chart coordinates).
  void OnSeriesDblClick(TChartSeries *aSeries, QPoint aPos);

  TChart *Chart() const { return fChart; }
  void SetChart(TChart *aChart) { fChart = aChart; }
  TIndicatorItem *Selected() const { return fSelected; }
  void SetSelected(TIndicatorItem *aItem) { fSelected = aItem; }
  QMenu *PmIndicator() const { return fPmIndicator; }
  void SetPmIndicator(QMenu *aMenu) { fPmIndicator = aMenu; }

private:
  std::vector<std::unique_ptr<TIndicatorItem>> fItems;
  // The host may take the chart down first; the series go with it then.
  QPointer<TChart> fChart;
  TIndicatorItem *fSelected = nullptr;
  QPointer<QMenu> fPmIndicator;
};
