#include "consts.h"
#include "folders.h"
#include "message_presenter.h"
#include "start.h"
#include "utils.h"
#include "worker_thread.h"

#include <QApplication>
#include <QDir>

#include <curl/curl.h>
#include <openssl/crypto.h>
#include <openssl/ssl.h>

#include <cstdlib>
#include <stdexcept>

namespace {

// The request signing needs OpenSSL; fail before any window if the system's libraries are
// missing. libcurl is checked once the window shows, before the first request.
void InitTls()
{
  if (OPENSSL_init_ssl(0, nullptr) != 1)
    throw std::runtime_error("OpenSSL could not be initialised");
}

} // namespace

int main(int argc, char *argv[])
{
  const QString lLocalPath = TFolders::UserFolder(QStringLiteral("%LOCALAPPDATA%"));
  QDir().mkpath(lLocalPath);
  InitTls();

  QApplication lApp(argc, argv);
  QApplication::setApplicationName(cAppTitle);
  // The main window's caption is the whole title bar text; Qt would append the display name.
  QApplication::setApplicationDisplayName(QStringLiteral(""));
  SetMessagePresenter(std::make_shared<TQtMessagePresenter>());

  const int lResult = RunTerminal();
  // Never under a thread still inside the HTTP client.
  if (TWorkerThread::LiveCount() == 0)
    curl_global_cleanup();
  return lResult;
}
