#pragma once

#include "owned_list.h"

#include <QLocale>
#include <QString>

// One asset balance of an account.
class TBalance
{
public:
  QString Asset;
  double Free_ = 0;
  double Locked = 0;
};

class TBalanceList : public TOwnedList<TBalance>
{
public:
  // True once the exchange has answered with the account's balances, even with none.
  bool Loaded = false;

  // "ASSET= free, locked" for every asset holding something, joined by "; ".
  QString AsString(const QLocale &aLocale = QLocale()) const;
};
