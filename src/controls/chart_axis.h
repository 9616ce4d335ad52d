#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QStaticText>
#include <QString>

#include <vector>

class TChartScene;

enum TChartAxisPosition { apLeft, apTop, apRight, apBottom };

// One labelled tick of an axis, computed at layout time and reused by every paint.
struct TChartAxisLabel
{
  double Value = 0;
  int Pixel = 0;
  QString Text;
  int Width = 0; // in the label font
};

// A chart axis: its range, its pixel span on the plot and its look. Values are plain doubles;
// a date-time axis reads them as days since 30 Dec 1899 (the fraction is the time of day, no
// time zone involved) and formats its labels with a QDateTime format.
class TChartAxis
{
public:
  TChartAxis(TChartScene &aScene, TChartAxisPosition aPosition);
  TChartAxis(const TChartAxis &) = delete;
  TChartAxis &operator=(const TChartAxis &) = delete;

  TChartAxisPosition Position() const { return fPosition; }
  bool Horizontal() const { return fPosition == apTop || fPosition == apBottom; }

  // Range. SetMinMax sets both ends in one step and swaps them when given in the wrong order,
  // so that a caller moving a range never passes through an inverted one.
  double Minimum() const { return fMinimum; }
  double Maximum() const { return fMaximum; }
  void SetMinMax(double aMin, double aMax);
  void SetMinimum(double aValue) { SetMinMax(aValue, fMaximum); }
  void SetMaximum(double aValue) { SetMinMax(fMinimum, aValue); }
  // Shifts both ends by the value that aPixels spans on this axis (panning).
  void ScrollPixels(double aPixels);
  // With automatic scaling the scene fits the range to the series on this axis at each layout.
  bool Automatic() const { return fAutomatic; }
  void SetAutomatic(bool aValue);

  // Pixel span along the axis (left..right or top..bottom of the plot) and the axis' position
  // across the plot (the x of a vertical axis, the y of a horizontal one). Set by the layout.
  int PixelStart() const { return fPixelStart; }
  int PixelEnd() const { return fPixelEnd; }
  int PixelPosition() const { return fPixelPosition; }
  int PixelLength() const { return fPixelEnd - fPixelStart; }
  // Vertical axes grow upwards. An empty range maps everything to the start.
  double ValueToPixel(double aValue) const;
  double PixelToValue(double aPixel) const;
  int CalcPos(double aValue) const;

  bool Visible() const { return fVisible; }
  void SetVisible(bool aValue);
  bool DateTime() const { return fDateTime; }
  void SetDateTime(bool aValue);
  // QDateTime format, e.g. "hh:mm dd.MM.yyyy".
  const QString &DateTimeFormat() const { return fDateTimeFormat; }
  void SetDateTimeFormat(const QString &aValue);
  // Number format in the '#', '0', ',' and '.' notation: "#,##0.00" gives "1,234.50".
  const QString &ValueFormat() const { return fValueFormat; }
  void SetValueFormat(const QString &aValue);
  // The smallest label step wanted (days on a date-time axis); wider steps are taken when the
  // labels would otherwise overlap. 0 lets the axis choose.
  double DesiredIncrement() const { return fDesiredIncrement; }
  void SetDesiredIncrement(double aValue);

  bool GridVisible() const { return fGridVisible; }
  void SetGridVisible(bool aValue);
  QColor GridColor() const { return fGridColor; }
  void SetGridColor(const QColor &aValue);
  // The minor grid is dotted, MinorTickCount lines between two labels.
  bool MinorGridVisible() const { return fMinorGridVisible; }
  void SetMinorGridVisible(bool aValue);
  QColor MinorGridColor() const { return fMinorGridColor; }
  void SetMinorGridColor(const QColor &aValue);
  int MinorTickCount() const { return fMinorTickCount; }
  void SetMinorTickCount(int aValue);

  // Tick lengths in pixels: ticks point outwards from the plot, inner ticks into it; a minor
  // tick length below 0 points into the plot. 0 hides the kind.
  int TickLength() const { return fTickLength; }
  void SetTickLength(int aValue);
  int InnerTickLength() const { return fInnerTickLength; }
  void SetInnerTickLength(int aValue);
  int MinorTickLength() const { return fMinorTickLength; }
  void SetMinorTickLength(int aValue);
  QColor TickColor() const { return fTickColor; }
  void SetTickColor(const QColor &aValue);
  QColor InnerTickColor() const { return fInnerTickColor; }
  void SetInnerTickColor(const QColor &aValue);
  QColor MinorTickColor() const { return fMinorTickColor; }
  void SetMinorTickColor(const QColor &aValue);

  bool LabelsVisible() const { return fLabelsVisible; }
  void SetLabelsVisible(bool aValue);
  const QFont &LabelFont() const { return fLabelFont; }
  void SetLabelFont(const QFont &aValue);
  QColor LabelColor() const { return fLabelColor; }
  void SetLabelColor(const QColor &aValue);
  QColor LineColor() const { return fLineColor; }
  void SetLineColor(const QColor &aValue);

  // The label text of a value before the scene's label callback sees it.
  QString FormatValue(double aValue) const;
  // The label text of a value as drawn: formatted, then passed through the label callback.
  QString LabelText(double aValue) const;
  // The labels of the last layout, callback applied.
  const std::vector<TChartAxisLabel> &Labels() const { return fLabels; }
  double LabelStep() const { return fLabelStep; }

private:
  friend class TChartScene;
  void Changed();
  // Format, font or step wishes changed: the remembered step and texts no longer hold.
  void LookChanged();
  void ForgetLabels();
  void SetPixels(int aStart, int aEnd, int aPosition);
  // Picks the label step and fills fLabels; aSpace is the pixels one label needs along the axis.
  void BuildLabels(const QFontMetrics &aMetrics);
  double NextStep(double aStep) const;
  // Laid-out label texts: a pan mostly redraws texts already seen, and laying out text is the
  // dearest part of drawing it.
  const QStaticText &StaticText(const QString &aText) const;
  void FillLabels(double aStep, const QFontMetrics &aMetrics);
  struct TCachedLabel
  {
    QString Text;
    int Width;
  };
  // Label texts by value: formatting dates and measuring text dominate a layout, and a pan or a
  // new candle mostly shows values already labelled. The scene's Realign forgets them.
  const TCachedLabel &CachedLabel(double aValue, const QFontMetrics &aMetrics);

  TChartScene &fScene;
  TChartAxisPosition fPosition;
  double fMinimum = 0;
  double fMaximum = 1;
  bool fAutomatic = true;
  int fPixelStart = 0;
  int fPixelEnd = 0;
  int fPixelPosition = 0;
  bool fVisible = true;
  bool fDateTime = false;
  QString fDateTimeFormat = QStringLiteral("dd.MM.yyyy");
  QString fValueFormat = QStringLiteral("#,##0.###");
  double fDesiredIncrement = 0;
  bool fGridVisible = true;
  QColor fGridColor = QColor(0xC4, 0xC4, 0xC4);
  bool fMinorGridVisible = false;
  QColor fMinorGridColor = QColor(0xC0, 0xC0, 0xC0);
  int fMinorTickCount = 3;
  int fTickLength = 4;
  int fInnerTickLength = 0;
  int fMinorTickLength = 2;
  QColor fTickColor = Qt::black;
  QColor fInnerTickColor = Qt::black;
  QColor fMinorTickColor = Qt::black;
  bool fLabelsVisible = true;
  QFont fLabelFont;
  QColor fLabelColor = Qt::black;
  QColor fLineColor = Qt::black;
  std::vector<TChartAxisLabel> fLabels;
  double fLabelStep = 0;
  // The step chosen for the last range width and pixel length; a pan keeps both.
  double fStepRange = 0;
  int fStepLength = 0;
  mutable QHash<QString, QStaticText> fStaticTexts;
  QHash<double, TCachedLabel> fLabelCache;
};

// Nearest pixel without a libm call, clamped so that far off-plot values stay representable.
inline int RoundPixel(double aValue)
{
  constexpr double cLimit = 1e6;
  if (aValue != aValue)
    return 0; // NaN from a degenerate range
  aValue = aValue < -cLimit ? -cLimit : (aValue > cLimit ? cLimit : aValue);
  return static_cast<int>(aValue < 0 ? aValue - 0.5 : aValue + 0.5);
}

// An axis' value-to-pixel mapping as offset + value * scale, taken once per paint.
struct TPixelMap
{
  explicit TPixelMap(const TChartAxis &aAxis)
      : Offset(aAxis.ValueToPixel(0)), Scale(aAxis.ValueToPixel(1) - Offset)
  {
  }
  int operator()(double aValue) const { return RoundPixel(Offset + aValue * Scale); }
  double Offset, Scale;
};

// Days since 30 Dec 1899 <-> calendar time, no time zone involved.
class QDateTime;
QDateTime ChartDateToQDateTime(double aDays);
double QDateTimeToChartDate(const QDateTime &aDateTime);
// Formats a number with a '#', '0', ',' and '.' pattern in the C locale's separators.
QString FormatChartNumber(const QString &aFormat, double aValue);
