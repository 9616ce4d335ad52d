#include "main_guard.h"

#include "log_writer.h"
#include "utils.h"

void LogMainGuarded(const char *aHandler, const std::exception &aError)
{
  WriteLog(QStringLiteral("TfmBaseMain.%1 | %2 : %3")
               .arg(QLatin1String(aHandler), ExceptionClassName(aError),
                    QString::fromUtf8(aError.what())),
           mtAlert, 0);
}

void LogMainRefresh(const char *aRefresher, const std::exception &aError)
{
  WriteLog(QStringLiteral("TfmBaseMain.%1 error: %2")
               .arg(QLatin1String(aRefresher), QString::fromUtf8(aError.what())),
           mtAlert, 0);
}

void ShowMainError(const std::exception &aError)
{
  Alert(QString::fromUtf8(aError.what()));
}
