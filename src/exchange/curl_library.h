#pragma once

// libcurl and the thirty-odd libraries behind it are opened at run time, the first time they
// are needed: linked the usual way, they cost the terminal more start-up time than building
// its whole window. The curl_* functions keep their names and load the library on first use.
namespace CurlLibrary {

// Loads libcurl unless done, and throws std::runtime_error with the reason when it cannot be
// used (missing, not initialised, or built against another TLS back end than OpenSSL).
void Load();

} // namespace CurlLibrary
