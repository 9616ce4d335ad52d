#include "thread_texts.h"

namespace {

TThreadTexts Row(TRunStateCheck aRunState, TNotifyWhen aNotify, const char *aCommandError,
                 const char *aMissingDocument, const char *aEmptyResponse)
{
  return {aRunState, aNotify, QString::fromUtf8(aCommandError), QString::fromUtf8(aMissingDocument),
          QString::fromUtf8(aEmptyResponse)};
}

} // namespace

const TThreadTexts cPingThreadTexts =
    Row(rcStart, nwNever, "TUser.Ping command error: ", "",
        "TTableRefreshThread.DoMainTask ParseJSON error: empty string");
const TThreadTexts cTickerPriceThreadTexts =
    Row(rcStart, nwAlways,
        "TUser.TickerPrice command error: ", "TUser.TickerPrice: lRootNode not assigned",
        "TUser.TickerPrice ParseResponse error: empty string");
const TThreadTexts cTicker24hrThreadTexts =
    Row(rcNone, nwAlways,
        "TUser.TickerPrice command error: ", "TUser.TickerPrice: lRootNode not assigned",
        "TUser.TickerPrice ParseResponse error: empty string");
const TThreadTexts cTicker24hrVolumeThreadTexts = cTicker24hrThreadTexts;
const TThreadTexts cTickerBookTickerThreadTexts =
    Row(rcNone, nwAlways,
        "TUser.TickerBookTicker command error: ", "TUser.TickerBookTicker: lRootNode not assigned",
        "TUser.TickerBookTicker ParseResponse error: empty string");
const TThreadTexts cDepthThreadTexts =
    Row(rcNone, nwAlways, "TUser.Depth command error: ", "TUser.Depth: lRootNode not assigned",
        "TUser.Depth ParseResponse error: empty string");
const TThreadTexts cKlinesThreadTexts =
    Row(rcNone, nwChartOpen, "TUser.Klines command error: ", "TUser.Klines: lRootNode not assigned",
        "TUser.Klines ParseResponse error: empty string");
const TThreadTexts cOpenOrdersThreadTexts =
    Row(rcNone, nwAlways,
        "TUser.AllOrders command error: ", "TUser.TickerPrice: lRootNode not assigned",
        "TUser.TickerPrice ParseResponse error: empty string");
const TThreadTexts cAllOrdersThreadTexts = cOpenOrdersThreadTexts;
const TThreadTexts cAccountThreadTexts = Row(
    rcStart, nwAnswered, "TUser.Account command error: ", "TUser.Account: lRootNode not assigned",
    "TUser.Account ParseResponse error: empty string");
const TThreadTexts cOrderPostThreadTexts =
    Row(rcThroughout, nwAnswered,
        "TUser.OrderPost command error: ", "TUser.OrderPost: lRootNode not assigned",
        "TUser.OrderPost ParseResponse error: empty string");
const TThreadTexts cOrderDeleteThreadTexts = cOrderPostThreadTexts;
