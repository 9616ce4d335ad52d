#include "chart_item.h"

#include "chart_item_link.h"
#include "chart_list.h"
#include "connection_item.h"
#include "dlg_chart_settings.h"
#include "events.h"
#include "klines_threads.h"
#include "log_writer.h"
#include "profile.h"
#include "ui_writer.h"
#include "utils.h"
#include "workflow.h"

#include <QApplication>
#include <QCoreApplication>
#include <QCursor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QThread>

#include <cmath>
#include <stdexcept>

namespace {

const QString cChartFont = QStringLiteral("Microsoft JhengHei");
const QString cLoadingText = QStringLiteral("Обновление данных");
constexpr TColor cWindowActiveColor = 0x00E9E1AB;
constexpr TColor cRisingColor = 0x0082E6B4;
constexpr TColor cFallingColor = 0x00B482E6;

bool Working()
{
  return Workflow && Workflow->State() == wfsWorking;
}

// The application-wide crosshair of the main window's cursor tools.
bool CrosshairMode()
{
  const QCursor *lCursor = QGuiApplication::overrideCursor();
  return lCursor && lCursor->shape() == Qt::CrossCursor;
}

int ScreenWidth()
{
  const QScreen *lScreen = QGuiApplication::primaryScreen();
  return lScreen ? lScreen->geometry().width() : 0;
}

void *EventData(int aValue)
{
  return reinterpret_cast<void *>(static_cast<std::intptr_t>(aValue));
}

void LogAlert(const QString &aText)
{
  WriteLog(aText, mtAlert, 0);
}

} // namespace

TChartItem::TChartItem(TChartList *aChartList)
    : fChartList(aChartList), fLink(std::make_shared<TChartItemLink>(this))
{
}

TChartItem::~TChartItem()
{
  fIsClosing = true;
  fLink->Close();
  DoWait();
  DetachHandlers();
  WaitForThreads();
  // The window may be where this destruction started (its close button): it goes once the
  // event that runs now has returned. Series and chart go with it.
  if (fWindow) {
    fWindow->hide();
    fWindow->deleteLater();
  }
}

TThreadList &TChartItem::ThreadList()
{
  return fLink->ThreadList();
}

void TChartItem::DoWait() const
{
  while (fIsLocked) {
    QThread::msleep(10);
    QCoreApplication::processEvents();
  }
}

void TChartItem::CreateWindow()
{
  DoWait();
  fIsLocked = true;
  struct TUnlock
  {
    bool &Locked;
    ~TUnlock() { Locked = false; }
  } lUnlock{fIsLocked};

  QWidget *lHost = fChartList ? fChartList->WinControl() : nullptr;
  fWindow = new TwinctrlMdiWindow(lHost);
  fWindow->SetGroupIndex(lHost ? lHost->property("tag").toInt() : 0);
  fWindow->SetDestroyOnClose(false);
  fWindow->SetActiveColor(ToQColor(cWindowActiveColor));
  fWindow->SetHeightConstraint(5);
  const int lHostWidth = lHost ? lHost->width() : 500;
  const int lHostHeight = lHost ? lHost->height() : 300;
  fWindow->SetBounds(QRect(static_cast<int>(std::floor((lHostWidth - 500) / 2.0)),
                           static_cast<int>(std::floor((lHostHeight - 300) / 2.0)), 500, 300));
  fWindow->OnClose = [this](TwinctrlCustomMdiWindow *) { OnWindowClose(); };
  fWindow->OnMaximize = [this](TwinctrlCustomMdiWindow *) { OnWindowMaximize(); };
  fWindow->OnActivate = [this](TwinctrlCustomMdiWindow *) { OnWindowActivate(); };
  fWindow->OnDeactivate = [this](TwinctrlCustomMdiWindow *) { OnWindowActivate(); };
  fWindow->OnPosChanged = [](TwinctrlCustomMdiWindow *) {};

  fChart = new TChart(fWindow);
  fWindow->SetFocusControl(fChart);
  fIndicatorList.SetChart(fChart);
  fIndicatorList.SetPmIndicator(fChartList ? fChartList->PmIndicator() : nullptr);
  fChart->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(fChart, &QWidget::customContextMenuRequested, this, &TChartItem::ShowChartMenu);
  fChart->SetAllowPanning(pmHorizontal);
  fChart->SetAllowZoom(false);
  fChart->OnMouseDown = [this](Qt::MouseButton aButton, Qt::KeyboardModifiers aShift, QPoint aPos) {
    OnChartMouseDown(aButton, aShift, aPos);
  };
  fChart->OnMouseMove = [this](Qt::KeyboardModifiers aShift, QPoint aPos) {
    OnChartMouseMove(aShift, aPos);
  };
  fChart->OnMouseUp = [this](Qt::MouseButton aButton, Qt::KeyboardModifiers aShift, QPoint aPos) {
    OnChartMouseUp(aButton, aShift, aPos);
  };
  fChart->OnClick = [this] { OnChartClick(); };
  fChart->OnZoom = [this] { OnChartZoom(); };

  TChartScene &lScene = fChart->Scene();
  lScene.OnAfterDraw = [this](QPainter &aPainter) { OnChartAfterDraw(aPainter); };
  lScene.OnGetAxisLabel = [this](const TChartAxis &aAxis, double aValue, QString &aText) {
    OnChartGetAxisLabel(aAxis, aValue, aText);
  };
  lScene.SetColor(Qt::white);
  lScene.SetBackWallColor(Qt::white);
  lScene.SetBackWallTransparent(false);
  lScene.SetBorderVisible(true);
  const QMargins lMargins = lScene.Margins();
  lScene.SetMargins(QMargins(lMargins.left(), 3, lMargins.right(), 3));
  lScene.SetTitle(QString());
  QFont lTitleFont(cChartFont);
  lTitleFont.setPixelSize(13);
  lTitleFont.setBold(true);
  lScene.SetTitleFont(lTitleFont);
  lScene.SetTitleColor(Qt::black);
  for (TChartAxis *lAxis :
       {&lScene.BottomAxis(), &lScene.TopAxis(), &lScene.LeftAxis(), &lScene.RightAxis()}) {
    lAxis->SetLabelFont(QFont(cChartFont, 8));
    lAxis->SetGridColor(QColor(0xC4, 0xC4, 0xC4));
    lAxis->SetMinorTickLength(-3);
    lAxis->SetTickLength(0);
    lAxis->SetInnerTickLength(6);
    lAxis->SetMinorTickColor(Qt::black);
    lAxis->SetInnerTickColor(Qt::black);
  }
  TChartAxis &lTime = lScene.BottomAxis();
  lTime.SetDateTime(true);
  lTime.SetDateTimeFormat(QStringLiteral("hh:mm dd.MM.yyyy"));
  lTime.SetMinorGridColor(QColor(0xC0, 0xC0, 0xC0));
  lTime.SetMinorGridVisible(true);
  lTime.SetDesiredIncrement(1.0 / 1440);
  lTime.SetAutomatic(false);
  TChartAxis &lPrice = lScene.RightAxis();
  lPrice.SetValueFormat(QStringLiteral("#,####0.#####"));
  lPrice.SetAutomatic(false);
  lScene.TopAxis().SetGridVisible(false);
  // No series lives on the top and left axes: they take no room.
  lScene.TopAxis().SetVisible(false);
  lScene.LeftAxis().SetVisible(false);

  // Candles first, so that the price line and the order markers are drawn over them.
  fSerCandles = lScene.AddCandleSeries();
  fSerCandles->SetUpColor(ToQColor(cRisingColor));
  fSerCandles->SetDownColor(ToQColor(cFallingColor));
  fSerPrice = lScene.AddLineSeries();
  fSerPrice->SetColor(Qt::black);
  fSerBuy = lScene.AddPointSeries();
  fSerBuy->SetPointerStyle(psTriangle);
  fSerBuy->SetPointerSize(8, 8);
  fSerBuy->SetColor(ToQColor(clLtGreen));
  fSerSell = lScene.AddPointSeries();
  fSerSell->SetPointerStyle(psDownTriangle);
  fSerSell->SetPointerSize(13, 13);
  fSerSell->SetColor(ToQColor(clLtRed));

  fWindow->show();
}

void TChartItem::DetachHandlers()
{
  if (fChart) {
    fChart->OnMouseDown = nullptr;
    fChart->OnMouseMove = nullptr;
    fChart->OnMouseUp = nullptr;
    fChart->OnClick = nullptr;
    fChart->OnZoom = nullptr;
    fChart->Scene().OnAfterDraw = nullptr;
    fChart->Scene().OnGetAxisLabel = nullptr;
  }
  if (fWindow) {
    fWindow->OnClose = nullptr;
    fWindow->OnMaximize = nullptr;
    fWindow->OnActivate = nullptr;
    fWindow->OnDeactivate = nullptr;
    fWindow->OnPosChanged = nullptr;
  }
}

void TChartItem::DestroyWindow()
{
  fIsClosing = true;
  fLink->Close();
  WaitForThreads();
  TChartList *lList = fChartList;
  if (!lList) {
    delete this;
    return;
  }
  lList->Remove(this); // frees this item
  lList->Save();
}

void TChartItem::WaitForThreads()
{
  fLink->ThreadList().WaitForThreads();
}

bool TChartItem::Active() const
{
  return fWindow && fWindow->Active();
}

void TChartItem::SetActive(bool)
{
  if (fWindow)
    fWindow->Activate();
}

void TChartItem::RefreshKlines()
{
  if (!Enter() || !Working())
    return;
  try {
    if (fSymbol.isEmpty())
      throw std::runtime_error("TChartItem.RefreshKlines error: no symbol");
    RefreshWindowCaption();
    SetIsLoading(true);
    StartKlinesHistory(fLink, fSymbol);
  } catch (const std::exception &e) {
    LogAlert(QStringLiteral("TChartItem.RefreshChartInputData error: ") +
             QString::fromUtf8(e.what()));
  }
}

void TChartItem::KlinesUpdate()
{
  if (!Enter() || !Working())
    return;
  StartKlinesUpdate(fLink, fSymbol, 2);
}

void TChartItem::TickerPrice()
{
  if (!Enter() || !Working())
    return;
  StartChartTickerPrice(fLink, fSymbol);
}

void TChartItem::SetInterval(TChartInterval aValue)
{
  if (aValue == fInterval)
    return;
  // Waits for a load that runs, never for the banner of one that never started.
  while (fKlineList.IsLoading() && !fIsClosing) {
    QThread::msleep(10);
    QCoreApplication::processEvents();
  }
  fInterval = aValue;
  fLink->SetInterval(aValue);
  fKlineList.Clear();
  fCandleIndex.Clear();
  if (fChart)
    fSerCandles->Clear();
  // Lines of the old interval would stand over the new candles until the history is in.
  fIndicatorList.Refresh();
}

void TChartItem::LoadSettings(const QJsonObject *aJson)
{
  if (aJson)
    fChartSettings.Load(*aJson);
  LoadChartColors();
  RefreshChartType();
}

void TChartItem::LoadChartColors()
{
  if (fChart)
    fChartSettings.GetInfo(*fChart, *fSerCandles, *fSerBuy, *fSerSell, *fSerPrice);
}

void TChartItem::OnNotify(int aEventID, std::intptr_t)
{
  if (fIsClosing)
    return;
  switch (aEventID) {
  case BASE_MAIN_KLINES:
    RefreshChart();
    // New klines extend the indicators too; a history load refreshes them once it ends.
    if (!fIsLoading)
      fIndicatorList.Refresh();
    break;
  case BASE_MAIN_TICKERPRICE:
    RefreshChartPrice();
    break;
  case BASE_MAIN_INDICATOR_REFRESH:
    fIndicatorList.Refresh();
    break;
  default:
    break;
  }
}

void TChartItem::acZoomInExecute()
{
  if (!Enter())
    return;
  if (fChartSettings.Zoom > z0)
    SetZoom(static_cast<TZoom>(static_cast<int>(fChartSettings.Zoom) - 1));
}

void TChartItem::acZoomOutExecute()
{
  if (!Enter())
    return;
  if (fChartSettings.Zoom < z5)
    SetZoom(static_cast<TZoom>(static_cast<int>(fChartSettings.Zoom) + 1));
}

void TChartItem::acStickExecute(TChartType aChartType)
{
  if (!Enter())
    return;
  if (aChartType == fChartSettings.ChartType)
    return;
  fChartSettings.ChartType = aChartType;
  RefreshChartType();
}

void TChartItem::acChartSettingsExecute()
{
  if (!Enter() || !fChart)
    return;
  fChartSettings.SetInfo(*fChart, *fSerCandles);
  TChartSettingsInfo lInfo = fChartSettings;
  if (!ExecuteDlgChartSettings(fKlineList, lInfo, fWindow ? fWindow->window() : nullptr) ||
      fIsClosing)
    return;
  // The item keeps its own zoom level and left edge across a settings change.
  lInfo.Zoom = fChartSettings.Zoom;
  lInfo.Left = fChartSettings.Left;
  fChartSettings = lInfo;
  LoadChartColors();
  RefreshChartType();
  fChartList->Save();
  if (UIWriter)
    UIWriter->Post(BASE_MAIN_REFRESH_ACTIVE_WINDOW, nullptr);
}

void TChartItem::acNewOrderExecute()
{
  if (fChartList && fChartList->OnNewOrder)
    fChartList->OnNewOrder(fSymbol);
}

const TKline *TChartItem::CandleKline(int aIndex) const
{
  if (aIndex < 0 || aIndex >= fCandleIndex.Count())
    return nullptr;
  return fKlineList.Find(fCandleIndex.OpenTime(aIndex));
}

void TChartItem::RefreshChart()
{
  if (!fChart)
    return;
  fSerCandles->BeginUpdate();
  try {
    for (int i = 0; i < fKlineList.Count(); ++i) {
      TKline *lKline = fKlineList.GetItem(i);
      if (lKline->IsInChart())
        continue;
      const TDateTime lTime = lKline->GetOpenTime();
      if (lKline->OpenTime() <= 0 || lTime == 0) {
        LogAlert(QStringLiteral("TChartItem.RefreshChart error: opentime = 0, symbol=") + fSymbol);
        lKline->SetIsInChart(true); // left out once, not logged again with every page
        continue;
      }
      const TCandleIndex::TPlace lPlace = fCandleIndex.Place(lKline->OpenTime());
      if (lPlace.IsNew) {
        fSerCandles->AddOHLC(lTime, lKline->Open, lKline->High, lKline->Low, lKline->Close);
      } else {
        fSerCandles->SetOpenValue(lPlace.Index, lKline->Open);
        fSerCandles->SetHighValue(lPlace.Index, lKline->High);
        fSerCandles->SetLowValue(lPlace.Index, lKline->Low);
        fSerCandles->SetCloseValue(lPlace.Index, lKline->Close);
      }
      lKline->SetIsInChart(true);
    }
  } catch (const std::exception &e) {
    LogAlert(QStringLiteral("TChartItem.RefreshChart serCandles error: ") +
             QString::fromUtf8(e.what()));
  }
  fSerCandles->EndUpdate();
}

void TChartItem::RefreshChartPrice()
{
  if (!Enter() || !fChart)
    return;
  try {
    const int lCount = fSerCandles->Count();
    fSerPrice->BeginUpdate();
    fSerPrice->Clear();
    if (lCount > 0) {
      fSerPrice->AddXY(fSerCandles->XValue(0), fChartPrice);
      fSerPrice->AddXY(fSerCandles->XValue(lCount - 1), fChartPrice);
    }
    fSerPrice->EndUpdate();
    if (lCount > 0) {
      const int lLast = lCount - 1;
      fSerCandles->BeginUpdate();
      if (fSerCandles->HighValue(lLast) < fChartPrice)
        fSerCandles->SetHighValue(lLast, fChartPrice);
      if (fSerCandles->LowValue(lLast) > fChartPrice)
        fSerCandles->SetLowValue(lLast, fChartPrice);
      fSerCandles->SetCloseValue(lLast, fChartPrice);
      fSerCandles->EndUpdate();
    }
    if (fChartSettings.ChartAutoMove) {
      const double lTarget = RightTarget(ChartNow(), fChartSettings.ChartShift,
                                         CalcMaxVisibleCandleCount(), CalcCandleDistanceDate(), 4);
      if (const auto lRange = AutoMove(TimeAxis(), lTarget)) {
        SetTimeAxis(*lRange);
        // The price scale follows too: otherwise the newest candles scroll into view outside it.
        FixChartHeight();
      }
    }
  } catch (const std::exception &e) {
    LogAlert(QStringLiteral("TChartItem.RefreshChartPrice error: ") + QString::fromUtf8(e.what()));
  }
}

void TChartItem::RefreshOrdersBubbles()
{
  if (!Profile || !fChart)
    return;
  const TConnectionItem *lMain = Profile->GetMainProfile();
  // An account whose open orders never arrived keeps the markers as they are.
  if (!lMain || !lMain->UserOrderList.Loaded)
    return;
  fSerBuy->BeginUpdate();
  fSerSell->BeginUpdate();
  try {
    fSerBuy->Clear();
    fSerSell->Clear();
    const TChartAxis &lPrice = fChart->RightAxis();
    const double lRadius = (lPrice.Maximum() - lPrice.Minimum()) / 50;
    const TUserOrderList &lOrders = lMain->UserOrderList;
    for (int i = 0; i < lOrders.Count(); ++i) {
      const TUserOrder &lOrder = lOrders.Items(i);
      if (lOrder.Symbol != fSymbol)
        continue;
      TPointSeries *lSeries = lOrder.Side == QLatin1String("BUY") ? fSerBuy : fSerSell;
      lSeries->AddXY(StampToDate(lOrder.Time), lOrder.Price, lRadius);
    }
  } catch (const std::exception &e) {
    LogAlert(QStringLiteral("TChartItem.RefreshOrdersBubbles error: ") +
             QString::fromUtf8(e.what()));
  }
  fSerSell->EndUpdate();
  fSerBuy->EndUpdate();
}

void TChartItem::RefreshChartType()
{
  if (!fChart)
    return;
  int lData = 0;
  switch (fChartSettings.ChartType) {
  case ctBar:
    fSerCandles->SetUpColor(ToQColor(fChartSettings.Bar));
    fSerCandles->SetDownColor(ToQColor(fChartSettings.Bar));
    fSerCandles->SetCandleStyle(csCandleBar);
    lData = 1;
    break;
  case ctCandle:
    fSerCandles->SetUpColor(ToQColor(fChartSettings.Buy));
    fSerCandles->SetDownColor(ToQColor(fChartSettings.Sell));
    fSerCandles->SetCandleStyle(csCandleStick);
    lData = 0;
    break;
  case ctLine:
    fSerCandles->SetUpColor(ToQColor(fChartSettings.Bar));
    fSerCandles->SetDownColor(ToQColor(fChartSettings.Bar));
    fSerCandles->SetCandleStyle(csLine);
    lData = 2;
    break;
  default:
    return;
  }
  if (fChartList)
    fChartList->Publisher().Notify(BASE_MAIN_CHART_TYPE, EventData(lData));
}

void TChartItem::RefreshWindowCaption()
{
  if (!fWindow)
    return;
  fWindow->SetCaption(QStringLiteral("%1 %2 (%3%)")
                          .arg(fSymbol, QString::fromLatin1(IntervalStr(fInterval)))
                          .arg(cZoom[static_cast<int>(fChartSettings.Zoom)]));
}

void TChartItem::SetIsLoading(bool aValue)
{
  if (aValue == fIsLoading)
    return;
  fIsLoading = aValue;
  if (!fChart)
    return;
  fChart->setEnabled(!aValue);
  fChart->Invalidate();
}

// The view.

TAxisRange TChartItem::TimeAxis() const
{
  return {fChart->BottomAxis().Minimum(), fChart->BottomAxis().Maximum()};
}

void TChartItem::SetTimeAxis(const TAxisRange &aRange)
{
  fChart->BottomAxis().SetMinMax(aRange.Min, aRange.Max);
}

void TChartItem::SetPriceAxis(const TAxisRange &aRange)
{
  fChart->RightAxis().SetMinMax(aRange.Min, aRange.Max);
}

TCandleX TChartItem::CandleDates() const
{
  return [this](int i) { return fSerCandles->XValue(i); };
}

TCandleX TChartItem::CandlePixels() const
{
  return [this](int i) { return fSerCandles->CalcXPos(i); };
}

double TChartItem::CalcCandleDistanceDate() const
{
  return CalcCandleDistance(CandleDates(), fSerCandles->Count());
}

double TChartItem::CalcCandleDistancePx() const
{
  return CalcCandleDistance(CandlePixels(), fSerCandles->Count());
}

int TChartItem::CalcMaxVisibleCandleCount() const
{
  return ::CalcMaxVisibleCandleCount(fChart->BottomAxis().PixelLength(), CalcCandleDistancePx());
}

void TChartItem::SetBarWidth()
{
  const int lCount = fSerCandles->Count();
  if (lCount < 3)
    return;
  // Pixel positions of the current ranges, as a pass of the message loop would give them.
  fChart->Scene().Layout();
  const std::optional<int> lWidth = CalcBarWidth(CalcMinPos(CandlePixels(), lCount), lCount);
  if (lWidth && *lWidth != fSerCandles->CandleWidth())
    fSerCandles->SetCandleWidth(*lWidth);
}

void TChartItem::RefreshZoom()
{
  fChart->Scene().Layout();
  const TChartAxis &lTime = fChart->BottomAxis();
  const std::optional<double> lMax =
      ZoomedMaximum(fChartSettings.Zoom, lTime.PixelLength(), ScreenWidth(),
                    CalcCandleDistanceDate(), lTime.Minimum());
  if (lMax) {
    fChart->BottomAxis().SetMaximum(*lMax);
    fChart->Scene().Layout();
  }
  SetBarWidth();
}

void TChartItem::InitLeftZoom()
{
  const double lWidth = TimeAxis().Width();
  // A chart that has no saved left edge yet (a new one) opens on its newest candles.
  if (fChartSettings.Left == 0) {
    const double lNow = ChartNow();
    SetTimeAxis({lNow - lWidth, lNow});
    return;
  }
  SetTimeAxis({fChartSettings.Left, fChartSettings.Left + lWidth});
}

void TChartItem::FixLeftSide()
{
  const int lCount = fSerCandles->Count();
  if (lCount < 10)
    return;
  if (const auto lRange = ::FixLeftSide(TimeAxis(), lCount, fSerCandles->XValue(0))) {
    SetTimeAxis(*lRange);
    FixChartHeight();
  }
}

void TChartItem::FixRightSide()
{
  const double lTarget = RightTarget(ChartNow(), fChartSettings.ChartShift,
                                     CalcMaxVisibleCandleCount(), CalcCandleDistanceDate(), 5);
  if (const auto lRange = ::FixRightSide(TimeAxis(), lTarget)) {
    SetTimeAxis(*lRange);
    FixChartHeight();
  }
}

void TChartItem::SetZoom(TZoom aLevel)
{
  if (fIsClosing || !fChart || aLevel == fChartSettings.Zoom)
    return;
  fChartSettings.Zoom = aLevel;
  // The zoom keeps the right edge where the trader looks: the newest candles stay in view
  // instead of the range growing into the future or falling back into the past.
  const double lRight = fChart->BottomAxis().Maximum();
  RefreshZoom();
  const double lWidth = TimeAxis().Width();
  SetTimeAxis({lRight - lWidth, lRight});
  FixRightSide();
  FixLeftSide();
  FixChartHeight();
  UpdateIndicators();
  RefreshWindowCaption();
  if (fChartList)
    fChartList->Publisher().Notify(BASE_MAIN_ZOOM_REFRESH, nullptr);
}

void TChartItem::CalcYMinMax(int aFirst, int aLast)
{
  const auto lRange = ::CalcYMinMax(
      aFirst, aLast, [this](int i) { return fSerCandles->LowValue(i); },
      [this](int i) { return fSerCandles->HighValue(i); });
  if (lRange) {
    fYMin = lRange->Min;
    fYMax = lRange->Max;
  }
}

TAxisRange TChartItem::DataPriceRange()
{
  CalcYMinMax(fSerCandles->FirstVisibleIndex(), fSerCandles->LastVisibleIndex());
  return ::DataPriceRange({fYMin, fYMax}, fChartSettings.FixedZoom, fChartSettings.PinMin,
                          fChartSettings.PinMax);
}

void TChartItem::FixChartHeight()
{
  fChart->Scene().Layout();
  const TAxisRange lRange = DataPriceRange();
  const TChartAxis &lPrice = fChart->RightAxis();
  if (lRange.Min != lPrice.Minimum() || lRange.Max != lPrice.Maximum())
    SetPriceAxis(lRange);
}

void TChartItem::ChartFullRefresh()
{
  if (fIsClosing || !fChart)
    return;
  RefreshZoom();
  InitLeftZoom();
  FixLeftSide();
  FixRightSide();
  FixChartHeight();
  SetBarWidth();
  RefreshOrdersBubbles();
  OnNotify(BASE_MAIN_INDICATOR_REFRESH, 0);
  fChart->Refresh();
  fChart->Realign();
  fChart->Invalidate();
}

// Mouse.

void TChartItem::OnChartMouseDown(Qt::MouseButton aButton, Qt::KeyboardModifiers, QPoint aPos)
{
  if (!Enter())
    return;
  if (!Active())
    SetActive(true);
  fChartClick = pmNone;
  if (CrosshairMode()) {
    fChart->SetAllowPanning(pmNone);
    return;
  }
  fChart->SetAllowPanning(pmHorizontal);
  fChart->Scene().Layout();
  // Only the left button drags; a right press opens the chart menu.
  if (aButton != Qt::LeftButton)
    return;
  if (aPos.x() > fChart->RightAxis().PixelPosition()) {
    fChart->setCursor(Qt::SizeVerCursor);
    fChartClickPoint = aPos.y();
    fChartClick = pmVertical;
    fChartMin = fChart->RightAxis().Minimum();
    fChartMax = fChart->RightAxis().Maximum();
  } else if (aPos.y() > fChart->BottomAxis().PixelPosition()) {
    fChart->setCursor(Qt::SizeHorCursor);
    fChartClickPoint = aPos.x();
    fChartZoomPoint = fChartSettings.Zoom;
    fChartClick = pmHorizontal;
    fChartMin = fChart->BottomAxis().Minimum();
    fChartMax = fChart->BottomAxis().Maximum();
  } else {
    fChart->setCursor(Qt::PointingHandCursor);
    fChartClickPoint = 0;
    fChartClick = pmBoth;
  }
}

void TChartItem::OnChartMouseMove(Qt::KeyboardModifiers, QPoint aPos)
{
  if (!Enter())
    return;
  try {
    switch (fChartClick) {
    case pmVertical:
      SetPriceAxis(PriceScaleDrag({fChartMin, fChartMax}, fChartClickPoint, aPos.y(),
                                  DataPriceRange(), fChartSettings.FixedZoom, fChartSettings.PinMin,
                                  fChartSettings.PinMax));
      break;
    case pmHorizontal:
      SetZoom(ZoomDrag(fChartZoomPoint, fChartClickPoint, aPos.x()));
      break;
    case pmBoth:
      FixChartHeight();
      FixRightSide();
      FixLeftSide();
      break;
    case pmNone:
      SetBarWidth();
      break;
    }
  } catch (const std::exception &e) {
    LogAlert(QStringLiteral("TChartItem.OnChartMouseMove error ") + QString::fromUtf8(e.what()));
  }
}

void TChartItem::OnChartMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, QPoint)
{
  if (!Enter())
    return;
  fChart->unsetCursor();
  // Releasing the button also ends the crosshair mode.
  while (QGuiApplication::overrideCursor())
    QGuiApplication::restoreOverrideCursor();
  fChartClickPoint = 0;
  fChartClick = pmNone;
}

void TChartItem::OnChartClick()
{
  if (!Enter())
    return;
  if (!Active())
    SetActive(true);
}

void TChartItem::OnChartZoom()
{
  if (!Enter())
    return;
  RefreshOrdersBubbles();
}

void TChartItem::ShowChartMenu(QPoint aPos)
{
  if (!Enter())
    return;
  if (!Active())
    SetActive(true);
  if (QMenu *lMenu = fChartList ? fChartList->PmChart() : nullptr)
    lMenu->popup(fChart->mapToGlobal(aPos));
}

// The overlay.

void TChartItem::OnChartAfterDraw(QPainter &aPainter)
{
  if (fIsClosing)
    return;
  TChartScene &lScene = fChart->Scene();
  const QRect lBounds = lScene.Bounds();
  const bool lBlack = FromQColor(lScene.Color()) == 0;
  const QColor lTextColor = ToQColor(fChartSettings.Text);

  QString lText = fSymbol + QStringLiteral(", ") + QString::fromLatin1(IntervalStr(fInterval));
  if (fChartSettings.ShowOHLC && fKlineList.Count() > 0) {
    const TKline *lNewest = fKlineList.GetItem(0);
    for (int i = 1; i < fKlineList.Count(); ++i)
      if (fKlineList.GetItem(i)->OpenTime() > lNewest->OpenTime())
        lNewest = fKlineList.GetItem(i);
    lText += QString::asprintf("  %0.5f, %0.5f, %0.5f, %0.5f", lNewest->Open, lNewest->High,
                               lNewest->Low, lNewest->Close);
  }
  QFont lFont(cChartFont, 8);
  aPainter.setFont(lFont);
  aPainter.setPen(lBlack ? Qt::white : Qt::black);
  if (!lText.isEmpty()) {
    // A narrow window shortens the text rather than writing it under the price scale.
    const QRect lRect(10, 10, std::max(0, lScene.PlotRect().right() - 10), lBounds.height() - 10);
    aPainter.drawText(lRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                      aPainter.fontMetrics().elidedText(lText, Qt::ElideRight, lRect.width()));
  }

  if (CrosshairMode()) {
    const QPoint lMouse = fChart->mapFromGlobal(QCursor::pos());
    aPainter.setPen(QPen(fSerPrice->Color(), 1));
    aPainter.drawLine(0, lMouse.y() - 1, lBounds.width(), lMouse.y() - 1);
    aPainter.drawLine(lMouse.x() - 1, 0, lMouse.x() - 1, lBounds.height());
  }

  if (fChartSettings.ShowPeriods) {
    aPainter.setPen(QPen(lTextColor, 1, Qt::DotLine));
    aPainter.setBrush(Qt::NoBrush);
    for (const TDateTime lMidnight : DaySeparators(TimeAxis())) {
      const int lX = fChart->BottomAxis().CalcPos(lMidnight);
      aPainter.drawLine(lX, 0, lX, lBounds.height());
    }
  }

  if (fChartSettings.ShowVolume && fKlineList.Count() > 0) {
    const int lFirst = fSerCandles->FirstVisibleIndex();
    const int lLast = fSerCandles->LastVisibleIndex();
    std::vector<double> lVolumes;
    if (lFirst >= 0)
      for (int i = lFirst; i <= lLast; ++i) {
        const TKline *lKline = CandleKline(i);
        lVolumes.push_back(lKline ? lKline->Volume : 0);
      }
    if (!lVolumes.empty()) {
      const TChartAxis &lPrice = fChart->RightAxis();
      const TVolumeBars lBars(lPrice.PixelStart(), lPrice.PixelEnd(), std::move(lVolumes));
      if (!lBars.Drawable())
        return; // nor the banner
      aPainter.setPen(QPen(lTextColor, 1, Qt::SolidLine));
      aPainter.setBrush(Qt::NoBrush);
      for (int i = lFirst; i <= lLast; ++i) {
        const int lX = static_cast<int>(fSerCandles->CalcXPos(i));
        aPainter.drawLine(lX, lBars.Bottom(), lX, lBars.BarEnd(i - lFirst));
      }
    }
  }

  if (fIsLoading) {
    const QRect lRect = BannerRect(lBounds);
    const int lSize = GetFontSize(lRect.width(), [&](int aSize) {
      QFont lSized(lFont);
      lSized.setPointSize(aSize);
      return QFontMetrics(lSized).horizontalAdvance(cLoadingText);
    });
    lFont.setPointSize(std::max(1, lSize));
    aPainter.setFont(lFont);
    aPainter.setPen(lBlack ? Qt::white : Qt::black);
    aPainter.drawText(lRect, Qt::AlignCenter | Qt::TextSingleLine, cLoadingText);
  }
}

void TChartItem::OnChartGetAxisLabel(const TChartAxis &aAxis, double aValue, QString &aText)
{
  if (&aAxis == &fChart->BottomAxis()) {
    try {
      aText = ChartDateToTradeDate(aText);
    } catch (const std::exception &) {
      // A label the format did not produce is left as it is.
    }
  } else if (&aAxis == &fChart->RightAxis()) {
    aText = PriceLabel(aValue);
  }
}

// Window events.

void TChartItem::OnWindowActivate()
{
  if (!Enter())
    return;
  if (UIWriter)
    UIWriter->Post(BASE_MAIN_REFRESH_ACTIVE_WINDOW, nullptr);
}

void TChartItem::OnWindowClose()
{
  if (!Enter())
    return;
  DestroyWindow();
}

void TChartItem::OnWindowMaximize()
{
  if (!Enter() || !fChartList)
    return;
  fChartList->Maximize(fWindow->State());
}
