#include "dlg_order.h"

bool ExecuteOrder(const QString &aSymbol, QWidget *aParent)
{
  (void)aSymbol;
  (void)aParent;
  return false;
}
