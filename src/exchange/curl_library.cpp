#include "curl_library.h"

#include <curl/curl.h>
#include <dlfcn.h>

#include <atomic>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <string>

namespace {

#define VEXA_CURL_FUNCTIONS(X)                                                                     \
  X(curl_global_init)                                                                              \
  X(curl_global_cleanup)                                                                           \
  X(curl_version_info)                                                                             \
  X(curl_easy_init)                                                                                \
  X(curl_easy_cleanup)                                                                             \
  X(curl_easy_reset)                                                                               \
  X(curl_easy_setopt)                                                                              \
  X(curl_easy_getinfo)                                                                             \
  X(curl_easy_perform)                                                                             \
  X(curl_easy_strerror)                                                                            \
  X(curl_slist_append)                                                                             \
  X(curl_slist_free_all)                                                                           \
  X(curl_share_init)                                                                               \
  X(curl_share_setopt)                                                                             \
  X(curl_share_cleanup)                                                                            \
  X(curl_share_strerror)

struct TCurlApi
{
#define VEXA_CURL_FIELD(aName) decltype(&::aName) aName = nullptr;
  VEXA_CURL_FUNCTIONS(VEXA_CURL_FIELD)
#undef VEXA_CURL_FIELD
};

const char *const cUnavailable = "libcurl is not available";

template <typename T> bool Resolve(void *aLibrary, const char *aName, T &aFunction)
{
  void *lSymbol = dlsym(aLibrary, aName);
  std::memcpy(&aFunction, &lSymbol, sizeof(aFunction));
  return lSymbol != nullptr;
}

// The reason libcurl cannot be used; empty when it can.
std::string Load(TCurlApi &aApi)
{
  void *lLibrary = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
  if (!lLibrary)
    return std::string("libcurl could not be loaded: ") + dlerror();
#define VEXA_CURL_RESOLVE(aName)                                                                   \
  if (!Resolve(lLibrary, #aName, aApi.aName))                                                      \
    return "libcurl has no " #aName;
  VEXA_CURL_FUNCTIONS(VEXA_CURL_RESOLVE)
#undef VEXA_CURL_RESOLVE
  if (aApi.curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK)
    return "libcurl could not be initialised";
  const curl_version_info_data *lInfo = aApi.curl_version_info(CURLVERSION_NOW);
  if (!lInfo || !lInfo->ssl_version || !std::strstr(lInfo->ssl_version, "OpenSSL"))
    return "libcurl does not use OpenSSL";
  return {};
}

// Loads once, on whichever thread first needs libcurl.
class TLoader
{
public:
  // Null when libcurl cannot be used.
  const TCurlApi *Api()
  {
    std::call_once(fOnce, [this] {
      fError = Load(fApi);
      fLoaded.store(true, std::memory_order_release);
    });
    return fError.empty() ? &fApi : nullptr;
  }

  // Null until a load has ended well; never loads.
  const TCurlApi *LoadedApi() const
  {
    return fLoaded.load(std::memory_order_acquire) && fError.empty() ? &fApi : nullptr;
  }

  const std::string &Error()
  {
    Api();
    return fError;
  }

private:
  std::once_flag fOnce;
  std::atomic<bool> fLoaded{false};
  TCurlApi fApi;
  std::string fError;
};

TLoader &Loader()
{
  static TLoader sLoader;
  return sLoader;
}

const TCurlApi *Api()
{
  return Loader().Api();
}

} // namespace

namespace CurlLibrary {

void Load()
{
  const std::string &lError = Loader().Error();
  if (!lError.empty())
    throw std::runtime_error(lError);
}

} // namespace CurlLibrary

// The functions the program calls, each handing over to the loaded library. The names in
// parentheses keep curl.h's type-checking macros out of the definitions.
extern "C" {

CURLcode(curl_global_init)(long aFlags)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_global_init(aFlags) : CURLE_FAILED_INIT;
}

void(curl_global_cleanup)(void)
{
  // Never loads the library only to clean it up.
  if (const TCurlApi *lApi = Loader().LoadedApi())
    lApi->curl_global_cleanup();
}

curl_version_info_data *(curl_version_info)(CURLversion aVersion)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_version_info(aVersion) : nullptr;
}

CURL *(curl_easy_init)(void)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_easy_init() : nullptr;
}

void(curl_easy_cleanup)(CURL *aHandle)
{
  if (const TCurlApi *lApi = Api(); lApi && aHandle)
    lApi->curl_easy_cleanup(aHandle);
}

void(curl_easy_reset)(CURL *aHandle)
{
  if (const TCurlApi *lApi = Api(); lApi && aHandle)
    lApi->curl_easy_reset(aHandle);
}

// The option number tells the argument's type, as libcurl itself reads it.
CURLcode(curl_easy_setopt)(CURL *aHandle, CURLoption aOption, ...)
{
  const TCurlApi *lApi = Api();
  if (!lApi)
    return CURLE_FAILED_INIT;
  va_list lArgs;
  va_start(lArgs, aOption);
  CURLcode lResult;
  if (aOption < CURLOPTTYPE_OBJECTPOINT)
    lResult = lApi->curl_easy_setopt(aHandle, aOption, va_arg(lArgs, long));
  else if (aOption < CURLOPTTYPE_FUNCTIONPOINT)
    lResult = lApi->curl_easy_setopt(aHandle, aOption, va_arg(lArgs, void *));
  else if (aOption < CURLOPTTYPE_OFF_T)
    lResult = lApi->curl_easy_setopt(aHandle, aOption, va_arg(lArgs, void (*)()));
  else if (aOption < CURLOPTTYPE_BLOB)
    lResult = lApi->curl_easy_setopt(aHandle, aOption, va_arg(lArgs, curl_off_t));
  else
    lResult = lApi->curl_easy_setopt(aHandle, aOption, va_arg(lArgs, curl_blob *));
  va_end(lArgs);
  return lResult;
}

// Every kind of information is returned through a pointer.
CURLcode(curl_easy_getinfo)(CURL *aHandle, CURLINFO aInfo, ...)
{
  const TCurlApi *lApi = Api();
  if (!lApi)
    return CURLE_FAILED_INIT;
  va_list lArgs;
  va_start(lArgs, aInfo);
  const CURLcode lResult = lApi->curl_easy_getinfo(aHandle, aInfo, va_arg(lArgs, void *));
  va_end(lArgs);
  return lResult;
}

CURLcode(curl_easy_perform)(CURL *aHandle)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_easy_perform(aHandle) : CURLE_FAILED_INIT;
}

const char *(curl_easy_strerror)(CURLcode aCode)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_easy_strerror(aCode) : cUnavailable;
}

curl_slist *(curl_slist_append)(curl_slist *aList, const char *aText)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_slist_append(aList, aText) : nullptr;
}

void(curl_slist_free_all)(curl_slist *aList)
{
  if (const TCurlApi *lApi = Api(); lApi && aList)
    lApi->curl_slist_free_all(aList);
}

CURLSH *(curl_share_init)(void)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_share_init() : nullptr;
}

// Data kinds to share are ints; the lock functions and their data are pointers.
CURLSHcode(curl_share_setopt)(CURLSH *aShare, CURLSHoption aOption, ...)
{
  const TCurlApi *lApi = Api();
  if (!lApi)
    return CURLSHE_NOT_BUILT_IN;
  va_list lArgs;
  va_start(lArgs, aOption);
  CURLSHcode lResult;
  if (aOption == CURLSHOPT_SHARE || aOption == CURLSHOPT_UNSHARE)
    lResult = lApi->curl_share_setopt(aShare, aOption, va_arg(lArgs, int));
  else if (aOption == CURLSHOPT_LOCKFUNC || aOption == CURLSHOPT_UNLOCKFUNC)
    lResult = lApi->curl_share_setopt(aShare, aOption, va_arg(lArgs, void (*)()));
  else
    lResult = lApi->curl_share_setopt(aShare, aOption, va_arg(lArgs, void *));
  va_end(lArgs);
  return lResult;
}

CURLSHcode(curl_share_cleanup)(CURLSH *aShare)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_share_cleanup(aShare) : CURLSHE_NOT_BUILT_IN;
}

const char *(curl_share_strerror)(CURLSHcode aCode)
{
  const TCurlApi *lApi = Api();
  return lApi ? lApi->curl_share_strerror(aCode) : cUnavailable;
}

} // extern "C"
