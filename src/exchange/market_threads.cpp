#include "market_threads.h"

#include "depth.h"
#include "events.h"
#include "log_writer.h"
#include "market_chart_link.h"
#include "market_json.h"
#include "methods.h"
#include "symbol_show_list.h"
#include "ui_writer.h"
#include "user.h"
#include "utils.h"
#include "volume.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <exception>

namespace {

void Post(int aEventID)
{
  if (UIWriter)
    UIWriter->Post(aEventID);
}

TSymbolShowList *ShowList()
{
  return User ? User->SymbolShowList() : nullptr;
}

} // namespace

void TTickerPriceThread::SetChart(std::shared_ptr<IMarketChartLink> aChart)
{
  fChart = aChart;
  SetChartItem(std::move(aChart));
}

void TTickerPriceThread::DoMakeRequest()
{
  fRequest = fSymbol.isEmpty() ? QString() : QStringLiteral("symbol=") + fSymbol;
}

bool TTickerPriceThread::DoExtractText(QByteArrayView aText)
{
  if (!fSymbol.isEmpty())
    return false;
  fTicks = ParseTickerPrices(aText);
  return true;
}

void TTickerPriceThread::DoExtract()
{
  // A price that is not there is not taken as 0: it would drag the chart's candle down.
  const QJsonValue lPrice = fRootNode.toObject().value(QStringLiteral("price"));
  fHasPrice = !lPrice.isUndefined() && !lPrice.isNull();
  fPrice = JsonNumber(lPrice);
}

void TTickerPriceThread::DoOutput()
{
  if (fChart) {
    if (fHasPrice && !fChart->IsClosing())
      fChart->SetChartPrice(fPrice);
    return;
  }
  TSymbolShowList *lShowList = ShowList();
  if (!lShowList)
    return;
  if (fSymbol.isEmpty())
    OutputTickerPrices(*lShowList, fTicks);
  else if (fHasPrice)
    OutputSymbolPrice(*lShowList, fSymbol, fPrice);
}

void TTickerPriceThread::DoNotify()
{
  if (fChart) {
    if (!fChart->IsClosing())
      fChart->OnNotify(BASE_MAIN_TICKERPRICE, 0);
    return;
  }
  Post(BASE_MAIN_SYMBOLS);
}

std::unique_ptr<TDBaseMethod> TTickerPriceThread::NewMethod() const
{
  return std::make_unique<TDMethodTickerPrice>();
}

bool TTicker24hrThread::DoExtractText(QByteArrayView aText)
{
  fTicks = ParseTicker24hr(aText);
  return true;
}

void TTicker24hrThread::DoOutput()
{
  if (TSymbolShowList *lShowList = ShowList())
    OutputTicker24hr(*lShowList, fTicks);
}

void TTicker24hrThread::DoNotify()
{
  Post(BASE_MAIN_SYMBOLS);
}

std::unique_ptr<TDBaseMethod> TTicker24hrThread::NewMethod() const
{
  return std::make_unique<TDMethodTicker24hr>();
}

bool TTicker24hrVolumeThread::DoExtractText(QByteArrayView aText)
{
  fTicks = ParseTicker24hr(aText);
  return true;
}

void TTicker24hrVolumeThread::DoOutput()
{
  TSymbolShowList *lShowList = ShowList();
  if (lShowList && User->VolumeList())
    OutputVolumes(lShowList->SymbolList(), *User->VolumeList(), fTicks, NowLocal());
}

void TTicker24hrVolumeThread::DoNotify()
{
  Post(BASE_MAIN_VOLUMES);
}

std::unique_ptr<TDBaseMethod> TTicker24hrVolumeThread::NewMethod() const
{
  return std::make_unique<TDMethodTicker24hr>();
}

void TTickerBookTickerThread::DoMakeRequest()
{
  fRequest = fSymbol.isEmpty() ? QString() : QStringLiteral("symbol=") + fSymbol;
}

void TTickerBookTickerThread::DoExtract()
{
  // Without a symbol the exchange answers an array: both then read as 0.
  const QJsonObject lAnswer = fRootNode.toObject();
  fAsk = JsonNumber(lAnswer.value(QStringLiteral("askPrice")));
  fBid = JsonNumber(lAnswer.value(QStringLiteral("bidPrice")));
}

void TTickerBookTickerThread::DoOutput()
{
  if (!User)
    return;
  User->SetAsk(fAsk);
  User->SetBid(fBid);
}

void TTickerBookTickerThread::DoNotify()
{
  if (!User || !User->Publisher())
    return;
  try {
    User->Publisher()->Notify(ORDER_BOOK_TICKER, nullptr);
  } catch (const std::exception &e) {
    LogError(QStringLiteral("TTickerBookTickerThread.DoNotify error: ") +
             QString::fromUtf8(e.what()));
  }
}

std::unique_ptr<TDBaseMethod> TTickerBookTickerThread::NewMethod() const
{
  return std::make_unique<TDMethodTickerBookTicker>();
}

void TDepthThread::DoMakeRequest()
{
  WaitForServerTime();
  const QString lSymbol = User && User->Input() ? User->Input()->Symbol() : QString();
  fRequest = QStringLiteral("symbol=%1&limit=5").arg(lSymbol);
}

void TDepthThread::DoExtract()
{
  fDepth = ParseDepth(fRootNode);
}

void TDepthThread::DoOutput()
{
  if (User && User->DepthList())
    OutputDepth(*User->DepthList(), fDepth);
}

void TDepthThread::DoNotify()
{
  Post(BASE_MAIN_DEPTH);
}

std::unique_ptr<TDBaseMethod> TDepthThread::NewMethod() const
{
  return std::make_unique<TDMethodDepth>();
}
