#include "methods.h"

namespace {

void SetRow(QString &aMethod, bool &aAuth, QString &aResource, const char *aVerb, bool aSigned,
            const char *aPath)
{
  aMethod = QString::fromLatin1(aVerb);
  aAuth = aSigned;
  aResource = QString::fromLatin1(aPath);
}

} // namespace

void TDBaseMethod::Init()
{
  fMethod.clear();
  fAuth = false;
  fResource.clear();
}

// The exchange retired the v1 market paths on 2026-03-25; their v3 answers have the same shapes.
void TDMethodPing::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", false, "api/v3/ping");
}
void TDMethodTime::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", false, "api/v3/time");
}
void TDMethodKlines::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", false, "api/v3/klines");
}

void TDMethodTickerPrice::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", false, "api/v3/ticker/price");
}

void TDMethodAccount::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", true, "api/v3/account");
}
void TDMethodOrderPost::Init()
{
  SetRow(fMethod, fAuth, fResource, "POST", true, "api/v3/order");
}

void TDMethodOrderDelete::Init()
{
  SetRow(fMethod, fAuth, fResource, "DELETE", true, "api/v3/order");
}

void TDMethodOpenOrders::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", true, "api/v3/openOrders");
}

void TDMethodAllOrders::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", true, "api/v3/allOrders");
}

void TDMethodDepth::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", false, "api/v3/depth");
}

void TDMethodTicker24hr::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", false, "api/v3/ticker/24hr");
}

void TDMethodTickerBookTicker::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", false, "api/v3/ticker/bookTicker");
}

void TDMethodExchangeInfo::Init()
{
  SetRow(fMethod, fAuth, fResource, "GET", false, "api/v3/exchangeInfo");
}
