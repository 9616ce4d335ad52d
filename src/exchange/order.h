#pragma once

#include <QString>

// One order request as the order entry fills it. The order-post request takes its own copy,
// so the caller keeps no reference and fan-out copies never share a record.
struct TOrder
{
  QString fSymbol;
  QString fSide;        // "BUY" or "SELL"
  QString fType;        // "LIMIT", "MARKET" or "STOP_LOSS_LIMIT"
  double fQuantity = 0; // in the base asset
  double fPrice = 0;    // limit price
  double fStopPrice = 0;
};
