#include "dlg_base_logon.h"

bool ExecuteDlgBaseLogon(TConnectionItem *aItem, bool aFull, QWidget *aParent)
{
  (void)aItem;
  (void)aFull;
  (void)aParent;
  return false;
}
