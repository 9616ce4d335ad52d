#include "start.h"

#include "builder.h"
#include "fm_main.h"
#include "log_writer.h"
#include "ui_writer.h"
#include "utils.h"
#include "workflow.h"

#include <QApplication>

#include <cstdlib>
#include <exception>

int RunTerminal()
{
  try {
    Builder().BuildOnStart();
  } catch (const std::exception &lError) {
    Alert(QString::fromUtf8(lError.what()));
    Builder().Abandon();
    return EXIT_FAILURE;
  }
  // Start-up serves events while it waits on the exchange, so the window may already have
  // been closed; its quit was lost then (no loop ran yet) and a loop now would never end.
  const bool lClosed = !fmMain || (Workflow && Workflow->State() == wfsClosing);
  const int lResult = lClosed ? EXIT_SUCCESS : QApplication::exec();
  Builder().DestroyOnFinish();
  UIWriter.reset();
  return lResult;
}
