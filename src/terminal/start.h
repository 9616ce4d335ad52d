#pragma once

// Builds the singletons, runs the message loop until the main window closes and tears down.
// A failure while building shows one error box and ends with EXIT_FAILURE.
int RunTerminal();
