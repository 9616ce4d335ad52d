#pragma once

#include <QHash>
#include <QString>

#include <chrono>
#include <mutex>

// Remembers, per exchange origin, until when the exchange asked us to stop (HTTP 429 or 418
// with Retry-After). While a hold-back lasts every new exchange with that origin fails at once
// without network traffic, so one-second polling never escalates a rate limit to an IP ban.
// Process-wide and thread-safe.
class TRateLimitGate
{
public:
  static TRateLimitGate &Instance();

  // Seconds the exchange asked for: Retry-After as seconds or as an HTTP date; 60 when absent
  // or unreadable.
  static int RetryAfterSeconds(const QString &aRetryAfter);
  // "scheme://host:port" of a URL: the unit the exchange limits.
  static QString Origin(const QString &aURL);

  void HoldBack(const QString &aOrigin, int aSeconds, int aStatus);
  // Milliseconds still to wait before aOrigin may be asked again; 0 when free.
  qint64 RemainingMs(const QString &aOrigin) const;
  // The HTTP status that started the hold-back of aOrigin (0 when free).
  int HoldStatus(const QString &aOrigin) const;
  void Clear();

private:
  TRateLimitGate() = default;

  struct THold
  {
    std::chrono::steady_clock::time_point Until;
    int Status = 0;
  };
  mutable std::mutex fLock;
  QHash<QString, THold> fHolds;
};
