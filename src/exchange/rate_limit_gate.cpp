#include "rate_limit_gate.h"

#include <QDateTime>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int cDefaultRetryAfter = 60;
constexpr qint64 cLongestHold = 7 * 24 * 3600;

} // namespace

TRateLimitGate &TRateLimitGate::Instance()
{
  static TRateLimitGate lGate;
  return lGate;
}

int TRateLimitGate::RetryAfterSeconds(const QString &aRetryAfter)
{
  const QString lText = aRetryAfter.trimmed();
  if (lText.isEmpty())
    return cDefaultRetryAfter;
  bool lOk = false;
  const qint64 lSeconds = lText.toLongLong(&lOk);
  if (lOk)
    return static_cast<int>(std::clamp<qint64>(lSeconds, 0, cLongestHold));
  // An HTTP date ends in "GMT", which the RFC 2822 reader wants as an offset.
  QString lDate = lText;
  if (lDate.endsWith(QLatin1String(" GMT")))
    lDate = lDate.chopped(4) + QStringLiteral(" +0000");
  const QDateTime lWhen = QDateTime::fromString(lDate, Qt::RFC2822Date);
  if (!lWhen.isValid())
    return cDefaultRetryAfter;
  const qint64 lDelta = QDateTime::currentDateTimeUtc().secsTo(lWhen);
  return static_cast<int>(std::clamp<qint64>(lDelta, 0, cLongestHold));
}

QString TRateLimitGate::Origin(const QString &aURL)
{
  const QUrl lUrl(aURL);
  const int lPort = lUrl.port(lUrl.scheme() == QLatin1String("http") ? 80 : 443);
  return lUrl.scheme().toLower() + QStringLiteral("://") + lUrl.host().toLower() +
         QLatin1Char(':') + QString::number(lPort);
}

void TRateLimitGate::HoldBack(const QString &aOrigin, int aSeconds, int aStatus)
{
  if (aSeconds <= 0)
    return;
  const auto lUntil = std::chrono::steady_clock::now() + std::chrono::seconds(aSeconds);
  std::lock_guard lLock(fLock);
  THold &lHold = fHolds[aOrigin];
  // A shorter answer never shortens a ban already in force.
  if (lUntil > lHold.Until) {
    lHold.Until = lUntil;
    lHold.Status = aStatus;
  }
}

qint64 TRateLimitGate::RemainingMs(const QString &aOrigin) const
{
  std::lock_guard lLock(fLock);
  const auto lIt = fHolds.constFind(aOrigin);
  if (lIt == fHolds.cend())
    return 0;
  const auto lLeft = std::chrono::duration_cast<std::chrono::milliseconds>(
      lIt->Until - std::chrono::steady_clock::now());
  return std::max<qint64>(0, lLeft.count());
}

int TRateLimitGate::HoldStatus(const QString &aOrigin) const
{
  std::lock_guard lLock(fLock);
  const auto lIt = fHolds.constFind(aOrigin);
  return lIt == fHolds.cend() ? 0 : lIt->Status;
}

void TRateLimitGate::Clear()
{
  std::lock_guard lLock(fLock);
  fHolds.clear();
}
