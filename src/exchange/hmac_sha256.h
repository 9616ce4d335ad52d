#pragma once

#include <QByteArray>
#include <QString>

// HMAC-SHA256 of the UTF-8 bytes of aData keyed with the UTF-8 bytes of aKey, as 64 upper-case
// hexadecimal digits. Raises std::runtime_error when the TLS library offers no SHA-256.
QString CalculateHMACSHA256(const QString &aData, const QString &aKey);
// The same over raw bytes.
QString CalculateHMACSHA256(const QByteArray &aData, const QByteArray &aKey);
