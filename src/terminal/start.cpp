#include "start.h"

#include "builder.h"
#include "fm_main.h"
#include "log_writer.h"
#include "ui_writer.h"
#include "utils.h"

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
  const int lResult = QApplication::exec();
  Builder().DestroyOnFinish();
  UIWriter.reset();
  return lResult;
}
