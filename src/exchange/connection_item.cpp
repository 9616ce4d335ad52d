#include "connection_item.h"

#include <stdexcept>

void TConnectionItem::ResetAccountData()
{
  BalanceList.Clear();
  UserOrderList.Clear();
  UserOrderList.Loaded = false;
  UserOrderHistory.Clear();
  UserOrderHistory.Loaded = false;
}

bool TConnectionItems::IsFull() const
{
  return Count() >= cMaxConnections;
}

TConnectionItem &TConnectionItems::Add()
{
  if (IsFull())
    throw std::length_error(cConnectionLimitText.toStdString());
  return TOwnedList<TConnectionItem>::Add();
}
