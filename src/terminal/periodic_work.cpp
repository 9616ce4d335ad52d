#include "periodic_work.h"

#include "fm_main.h"

#include <QCoreApplication>
#include <QScreen>

bool TPeriodicWork::ShowMainForm()
{
  auto *lForm = new TfmMain();
  lForm->setAttribute(Qt::WA_DeleteOnClose, false);
  // Without a window manager "maximised" means nothing; fill the screen ourselves as well.
  if (QScreen *lScreen = lForm->screen())
    lForm->setGeometry(lScreen->availableGeometry());
  lForm->showMaximized();
  QCoreApplication::processEvents();
  struct TProcessOnExit
  {
    ~TProcessOnExit() { QCoreApplication::processEvents(); }
  } lCleanUp;
  lForm->SendPing();
  lForm->InitUserInterface();
  return true;
}

void TPeriodicWork::EverySecond(TWorkflowMode) {}

void TPeriodicWork::Every5Second(TWorkflowMode) {}

void TPeriodicWork::EveryMinute(TWorkflowMode) {}

void TPeriodicWork::Once(TWorkflowMode) {}

void TPeriodicWork::Close()
{
  if (fmMain)
    fmMain->Deinit();
}
