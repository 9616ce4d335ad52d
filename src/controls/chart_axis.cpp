#include "chart_axis.h"

#include "chart_scene.h"

#include <QDateTime>
#include <QFontMetrics>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr double cMinutesPerDay = 1440;
// Date-time label steps in minutes up to two weeks; longer steps count whole months.
constexpr std::array<double, 18> cMinuteSteps = {
    1, 2, 5, 10, 15, 20, 30, 60, 120, 180, 240, 360, 720, 1440, 2880, 4320, 10080, 20160};
constexpr std::array<int, 9> cMonthSteps = {1, 2, 3, 6, 12, 24, 60, 120, 240};
constexpr double cAverageMonth = 30.436875;
// More labels than this means a degenerate range; drawing them would only cost time.
constexpr size_t cMaxLabels = 400;
constexpr int cLabelGap = 8;

const QDate cChartEpoch(1899, 12, 30);

int MonthIndex(double aDays)
{
  const QDate lDate = ChartDateToQDateTime(aDays).date();
  return lDate.year() * 12 + lDate.month() - 1;
}

} // namespace

QDateTime ChartDateToQDateTime(double aDays)
{
  // Beyond the year 9999 (or not a number) there is no calendar date to show.
  if (!(std::fabs(aDays) < 3e6))
    return QDateTime();
  const double lDay = std::floor(aDays);
  const auto lMsec = static_cast<qint64>(std::llround((aDays - lDay) * 86400000.0));
  return QDateTime(cChartEpoch.addDays(static_cast<qint64>(lDay)), QTime(0, 0), Qt::UTC)
      .addMSecs(lMsec);
}

double QDateTimeToChartDate(const QDateTime &aDateTime)
{
  return static_cast<double>(cChartEpoch.daysTo(aDateTime.date())) +
         aDateTime.time().msecsSinceStartOfDay() / 86400000.0;
}

QString FormatChartNumber(const QString &aFormat, double aValue)
{
  const qsizetype lPoint = aFormat.indexOf(u'.');
  const QString lFraction = lPoint < 0 ? QString() : aFormat.mid(lPoint + 1);
  const int lMinDecimals = static_cast<int>(lFraction.count(u'0'));
  const int lMaxDecimals = lMinDecimals + static_cast<int>(lFraction.count(u'#'));
  const bool lGroups = aFormat.left(lPoint < 0 ? aFormat.size() : lPoint).contains(u',');

  QString lText = QString::number(std::fabs(aValue), 'f', lMaxDecimals);
  if (lMaxDecimals > lMinDecimals) {
    qsizetype lEnd = lText.size();
    const qsizetype lKeep = lText.indexOf(u'.') + 1 + lMinDecimals;
    while (lEnd > lKeep && lText[lEnd - 1] == u'0')
      --lEnd;
    if (lEnd > 0 && lText[lEnd - 1] == u'.')
      --lEnd;
    lText.truncate(lEnd);
  }
  if (lGroups) {
    qsizetype lIntEnd = lText.indexOf(u'.');
    if (lIntEnd < 0)
      lIntEnd = lText.size();
    for (qsizetype lPos = lIntEnd - 3; lPos > 0; lPos -= 3)
      lText.insert(lPos, u',');
  }
  const bool lZero = lText.count(u'0') + lText.count(u'.') + lText.count(u',') == lText.size();
  if (aValue < 0 && !lZero)
    lText.prepend(u'-');
  return lText;
}

TChartAxis::TChartAxis(TChartScene &aScene, TChartAxisPosition aPosition)
    : fScene(aScene), fPosition(aPosition)
{
}

void TChartAxis::Changed()
{
  fScene.Invalidate();
}

void TChartAxis::LookChanged()
{
  ForgetLabels();
  Changed();
}

void TChartAxis::ForgetLabels()
{
  fStepLength = 0;
  fStaticTexts.clear();
  fLabelCache.clear();
}

void TChartAxis::SetMinMax(double aMin, double aMax)
{
  if (aMin > aMax)
    std::swap(aMin, aMax);
  if (aMin == fMinimum && aMax == fMaximum)
    return;
  fMinimum = aMin;
  fMaximum = aMax;
  Changed();
}

void TChartAxis::ScrollPixels(double aPixels)
{
  const double lDelta = PixelToValue(fPixelStart + aPixels) - PixelToValue(fPixelStart);
  SetMinMax(fMinimum + lDelta, fMaximum + lDelta);
}

#define VEXA_AXIS_SETTER(Name, Field, Type, Notify)                                                \
  void TChartAxis::Set##Name(Type aValue)                                                          \
  {                                                                                                \
    if (Field == aValue)                                                                           \
      return;                                                                                      \
    Field = aValue;                                                                                \
    Notify();                                                                                      \
  }

VEXA_AXIS_SETTER(Automatic, fAutomatic, bool, Changed)
VEXA_AXIS_SETTER(Visible, fVisible, bool, Changed)
VEXA_AXIS_SETTER(DateTime, fDateTime, bool, LookChanged)
VEXA_AXIS_SETTER(DateTimeFormat, fDateTimeFormat, const QString &, LookChanged)
VEXA_AXIS_SETTER(ValueFormat, fValueFormat, const QString &, LookChanged)
VEXA_AXIS_SETTER(DesiredIncrement, fDesiredIncrement, double, LookChanged)
VEXA_AXIS_SETTER(GridVisible, fGridVisible, bool, Changed)
VEXA_AXIS_SETTER(GridColor, fGridColor, const QColor &, Changed)
VEXA_AXIS_SETTER(MinorGridVisible, fMinorGridVisible, bool, Changed)
VEXA_AXIS_SETTER(MinorGridColor, fMinorGridColor, const QColor &, Changed)
VEXA_AXIS_SETTER(MinorTickCount, fMinorTickCount, int, Changed)
VEXA_AXIS_SETTER(TickLength, fTickLength, int, Changed)
VEXA_AXIS_SETTER(InnerTickLength, fInnerTickLength, int, Changed)
VEXA_AXIS_SETTER(MinorTickLength, fMinorTickLength, int, Changed)
VEXA_AXIS_SETTER(TickColor, fTickColor, const QColor &, Changed)
VEXA_AXIS_SETTER(InnerTickColor, fInnerTickColor, const QColor &, Changed)
VEXA_AXIS_SETTER(MinorTickColor, fMinorTickColor, const QColor &, Changed)
VEXA_AXIS_SETTER(LabelsVisible, fLabelsVisible, bool, Changed)
VEXA_AXIS_SETTER(LabelFont, fLabelFont, const QFont &, LookChanged)
VEXA_AXIS_SETTER(LabelColor, fLabelColor, const QColor &, Changed)
VEXA_AXIS_SETTER(LineColor, fLineColor, const QColor &, Changed)

#undef VEXA_AXIS_SETTER

double TChartAxis::ValueToPixel(double aValue) const
{
  const double lRange = fMaximum - fMinimum;
  if (lRange <= 0)
    return Horizontal() ? fPixelStart : fPixelEnd;
  const double lOffset = (aValue - fMinimum) * (fPixelEnd - fPixelStart) / lRange;
  return Horizontal() ? fPixelStart + lOffset : fPixelEnd - lOffset;
}

double TChartAxis::PixelToValue(double aPixel) const
{
  const int lLength = fPixelEnd - fPixelStart;
  if (lLength <= 0)
    return fMinimum;
  const double lOffset = Horizontal() ? aPixel - fPixelStart : fPixelEnd - aPixel;
  return fMinimum + lOffset * (fMaximum - fMinimum) / lLength;
}

int TChartAxis::CalcPos(double aValue) const
{
  return RoundPixel(ValueToPixel(aValue));
}

void TChartAxis::SetPixels(int aStart, int aEnd, int aPosition)
{
  fPixelStart = aStart;
  fPixelEnd = aEnd;
  fPixelPosition = aPosition;
}

QString TChartAxis::FormatValue(double aValue) const
{
  if (fDateTime)
    return ChartDateToQDateTime(aValue).toString(fDateTimeFormat);
  return FormatChartNumber(fValueFormat, aValue);
}

QString TChartAxis::LabelText(double aValue) const
{
  QString lText = FormatValue(aValue);
  if (fScene.OnGetAxisLabel)
    fScene.OnGetAxisLabel(*this, aValue, lText);
  return lText;
}

const TChartAxis::TCachedLabel &TChartAxis::CachedLabel(double aValue, const QFontMetrics &aMetrics)
{
  auto lIt = fLabelCache.find(aValue);
  if (lIt == fLabelCache.end()) {
    if (fLabelCache.size() > 1024)
      fLabelCache.clear();
    QString lText = LabelText(aValue);
    const int lWidth = aMetrics.horizontalAdvance(lText);
    lIt = fLabelCache.insert(aValue, {std::move(lText), lWidth});
  }
  return *lIt;
}

// The next wider step: a date-time axis walks its minute and month tables, a numeric axis the
// 1-2-5 series.
double TChartAxis::NextStep(double aStep) const
{
  if (fDateTime) {
    for (double lMinutes : cMinuteSteps)
      if (lMinutes / cMinutesPerDay > aStep * (1 + 1e-9))
        return lMinutes / cMinutesPerDay;
    for (int lMonths : cMonthSteps)
      if (lMonths * cAverageMonth > aStep * (1 + 1e-9))
        return lMonths * cAverageMonth;
    return aStep * 2;
  }
  const double lPower = std::pow(10.0, std::floor(std::log10(aStep)));
  const double lMantissa = aStep / lPower;
  const double lNext = lMantissa < 1.5 ? 2 * lPower : (lMantissa < 3.5 ? 5 * lPower : 10 * lPower);
  // log10 of an exact power may round down; never hand back a step that does not grow.
  return lNext > aStep ? lNext : aStep * 2;
}

void TChartAxis::FillLabels(double aStep, const QFontMetrics &aMetrics)
{
  fLabels.clear();
  fLabelStep = aStep;
  auto lAdd = [this, &aMetrics](double aValue) {
    const TCachedLabel &lLabel = CachedLabel(aValue, aMetrics);
    fLabels.push_back({aValue, CalcPos(aValue), lLabel.Text, lLabel.Width});
  };
  if (fDateTime && aStep >= 28) {
    const int lMonths = std::max(1, static_cast<int>(std::lround(aStep / cAverageMonth)));
    int lMonth = (MonthIndex(fMinimum) / lMonths) * lMonths;
    for (; fLabels.size() < cMaxLabels; lMonth += lMonths) {
      const double lValue = QDateTimeToChartDate(
          QDateTime(QDate(lMonth / 12, lMonth % 12 + 1, 1), QTime(0, 0), Qt::UTC));
      if (lValue > fMaximum)
        break;
      if (lValue >= fMinimum)
        lAdd(lValue);
    }
    return;
  }
  const double lFirst = std::ceil(fMinimum / aStep - 1e-9);
  for (double lIndex = lFirst; fLabels.size() < cMaxLabels; lIndex += 1) {
    double lValue = lIndex * aStep;
    if (lValue > fMaximum + aStep * 1e-9)
      break;
    if (std::fabs(lValue) < aStep * 1e-9)
      lValue = 0; // no "-0"
    lAdd(lValue);
  }
}

const QStaticText &TChartAxis::StaticText(const QString &aText) const
{
  auto lIt = fStaticTexts.find(aText);
  if (lIt == fStaticTexts.end()) {
    if (fStaticTexts.size() > 512)
      fStaticTexts.clear();
    lIt = fStaticTexts.insert(aText, QStaticText(aText));
    lIt->setTextFormat(Qt::PlainText);
    lIt->prepare(QTransform(), fLabelFont);
  }
  return *lIt;
}

void TChartAxis::BuildLabels(const QFontMetrics &aMetrics)
{
  fLabels.clear();
  const double lRange = fMaximum - fMinimum;
  const int lLength = PixelLength();
  if (lRange <= 0 || lLength <= 0 || !std::isfinite(lRange)) {
    fLabelStep = 0;
    return;
  }
  if (fStepLength == lLength && fStepRange == lRange && fLabelStep > 0) {
    FillLabels(fLabelStep, aMetrics);
    return;
  }
  fStepLength = lLength;
  fStepRange = lRange;
  // First guess from one label's size, then widen until no two labels overlap.
  auto lSpace = [&](int aWidth) { return (Horizontal() ? aWidth : aMetrics.height()) + cLabelGap; };
  double lStep = fDesiredIncrement > 0 ? fDesiredIncrement : (fDateTime ? 1 / cMinutesPerDay : 0);
  const double lGuess = lRange * lSpace(aMetrics.horizontalAdvance(LabelText(fMaximum))) / lLength;
  if (!(lGuess > 0) || !std::isfinite(lGuess)) {
    fLabelStep = 0;
    return;
  }
  if (lStep <= 0) {
    lStep = std::pow(10.0, std::floor(std::log10(lGuess)));
  }
  while (lStep < lGuess)
    lStep = NextStep(lStep);
  for (int lTry = 0; lTry < 40; ++lTry) {
    FillLabels(lStep, aMetrics);
    int lNeed = 0;
    for (const TChartAxisLabel &lLabel : fLabels)
      lNeed = std::max(lNeed, lSpace(lLabel.Width));
    if (lStep * lLength / lRange >= lNeed)
      return;
    lStep = NextStep(lStep);
  }
}
