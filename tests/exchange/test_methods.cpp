#include "methods.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

struct TRow
{
  std::unique_ptr<TDBaseMethod> Method;
  const char *Verb;
  const char *Resource;
  bool Auth;
};

} // namespace

// The exchange retired the v1 market paths; every resource of the catalogue is served today.
TEST(MethodCatalogue, VerbsResourcesAndSigning)
{
  TRow lRows[] = {
      {std::make_unique<TDMethodPing>(), "GET", "api/v3/ping", false},
      {std::make_unique<TDMethodTime>(), "GET", "api/v3/time", false},
      {std::make_unique<TDMethodKlines>(), "GET", "api/v3/klines", false},
      {std::make_unique<TDMethodTickerPrice>(), "GET", "api/v3/ticker/price", false},
      {std::make_unique<TDMethodAccount>(), "GET", "api/v3/account", true},
      {std::make_unique<TDMethodOrderPost>(), "POST", "api/v3/order", true},
      {std::make_unique<TDMethodOrderDelete>(), "DELETE", "api/v3/order", true},
      {std::make_unique<TDMethodOpenOrders>(), "GET", "api/v3/openOrders", true},
      {std::make_unique<TDMethodAllOrders>(), "GET", "api/v3/allOrders", true},
      {std::make_unique<TDMethodDepth>(), "GET", "api/v3/depth", false},
      {std::make_unique<TDMethodTicker24hr>(), "GET", "api/v3/ticker/24hr", false},
      {std::make_unique<TDMethodTickerBookTicker>(), "GET", "api/v3/ticker/bookTicker", false},
  };
  for (const TRow &lRow : lRows) {
    SCOPED_TRACE(lRow.Resource);
    EXPECT_EQ(lRow.Method->Method(), QString::fromLatin1(lRow.Verb));
    EXPECT_EQ(lRow.Method->Resource(), QString::fromLatin1(lRow.Resource));
    EXPECT_EQ(lRow.Method->Auth(), lRow.Auth);
    EXPECT_FALSE(lRow.Method->Resource().contains(QStringLiteral("v1")));
  }
  const TDBaseMethod lBase;
  EXPECT_TRUE(lBase.Method().isEmpty());
  EXPECT_TRUE(lBase.Resource().isEmpty());
  EXPECT_FALSE(lBase.Auth());
}
