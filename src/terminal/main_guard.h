#pragma once

#include <exception>

// The main window's log lines for caught errors: "TfmBaseMain." + handler + " | " + class
// + " : " + message for handlers, "TfmBaseMain." + refresher + " error: " + message for the
// data refreshers.
void LogMainGuarded(const char *aHandler, const std::exception &aError);
void LogMainRefresh(const char *aRefresher, const std::exception &aError);
void ShowMainError(const std::exception &aError);

// Runs aBody; an error is logged as aHandler's and goes no further.
template <class F> void MainGuarded(const char *aHandler, F &&aBody)
{
  try {
    aBody();
  } catch (const std::exception &lError) {
    LogMainGuarded(aHandler, lError);
  }
}

// Runs aBody; an error is shown to the user in a message box, as the application's general
// error handler does for commands without a guard of their own.
template <class F> void MainShowingErrors(F &&aBody)
{
  try {
    aBody();
  } catch (const std::exception &lError) {
    ShowMainError(lError);
  }
}
