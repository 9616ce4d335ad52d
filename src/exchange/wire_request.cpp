#include "wire_request.h"

#include "hmac_sha256.h"

#include <QRegularExpression>

#include <stdexcept>

QString JoinURL(const QString &aBaseURL, const QString &aResource)
{
  QString lBase = aBaseURL;
  while (lBase.endsWith(QLatin1Char('/')))
    lBase.chop(1);
  return lBase + QLatin1Char('/') + aResource;
}

QByteArray FormEncode(const QString &aText)
{
  static constexpr char cHex[] = "0123456789ABCDEF";
  const QByteArray lBytes = aText.toUtf8();
  QByteArray lResult;
  lResult.reserve(lBytes.size());
  for (const char lChar : lBytes) {
    const auto lByte = static_cast<unsigned char>(lChar);
    if ((lByte >= 'A' && lByte <= 'Z') || (lByte >= 'a' && lByte <= 'z') ||
        (lByte >= '0' && lByte <= '9') || lByte == '-' || lByte == '.' || lByte == '_' ||
        lByte == '*') {
      lResult += lChar;
    } else if (lByte == ' ') {
      lResult += '+';
    } else {
      lResult += '%';
      lResult += cHex[lByte >> 4];
      lResult += cHex[lByte & 0x0F];
    }
  }
  return lResult;
}

QByteArray FormBody(const QString &aLines)
{
  QByteArray lBody;
  const QStringList lLines = aLines.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
  for (const QString &lLine : lLines) {
    if (!lBody.isEmpty())
      lBody += '&';
    const qsizetype lEq = lLine.indexOf(QLatin1Char('='));
    if (lEq < 0) {
      lBody += FormEncode(lLine);
      continue;
    }
    lBody += FormEncode(lLine.left(lEq));
    lBody += '=';
    lBody += FormEncode(lLine.mid(lEq + 1));
  }
  return lBody;
}

TWireRequest BuildWireRequest(const QString &aBaseURL, const QString &aVerb, bool aAuth,
                              const QString &aResource, const QString &aRequest,
                              const QString &aApiKey, const QString &aSecretKey)
{
  TWireRequest lWire;
  lWire.Verb = aVerb;
  if (aAuth)
    lWire.Headers << cApiKeyHeader + QStringLiteral(": ") + aApiKey;

  const QString lBase = JoinURL(aBaseURL, aResource);
  if (aVerb == QLatin1String("GET") || aVerb == QLatin1String("DELETE")) {
    lWire.Headers << QStringLiteral("Content-Type: application/json");
    if (aRequest.isEmpty()) {
      lWire.URL = lBase;
    } else {
      lWire.URL = lBase + QLatin1Char('?') + aRequest;
      if (aAuth)
        lWire.URL += QStringLiteral("&signature=") + CalculateHMACSHA256(aRequest, aSecretKey);
    }
    return lWire;
  }
  if (aVerb == QLatin1String("POST")) {
    // The exchange reads form parameters only from a body of this type.
    lWire.Headers << QStringLiteral("Content-Type: application/x-www-form-urlencoded");
    lWire.URL = lBase;
    lWire.Body = FormBody(aRequest);
    // Signed over the body exactly as sent, which is the "&"-joined lines whenever the values
    // need no encoding (the exchange checks the bytes on the wire).
    if (aAuth)
      lWire.Body += "&signature=" +
                    CalculateHMACSHA256(QString::fromLatin1(lWire.Body), aSecretKey).toLatin1();
    return lWire;
  }
  throw std::runtime_error(
      QStringLiteral("Unsupported HTTP method \"%1\"").arg(aVerb).toStdString());
}

QString MaskApiKey(const QString &aKey)
{
  return aKey.left(4) + QChar(0x2026);
}

QString MaskApiKeyHeaders(const QString &aRawHeaders)
{
  static const QRegularExpression lHeader(QStringLiteral("^(X-MBX-APIKEY:[ \\t]*)([^\\r\\n]*)"),
                                          QRegularExpression::CaseInsensitiveOption |
                                              QRegularExpression::MultilineOption);
  QString lResult;
  qsizetype lPos = 0;
  auto lIt = lHeader.globalMatch(aRawHeaders);
  while (lIt.hasNext()) {
    const QRegularExpressionMatch lMatch = lIt.next();
    lResult += aRawHeaders.mid(lPos, lMatch.capturedStart(2) - lPos);
    lResult += MaskApiKey(lMatch.captured(2).trimmed());
    lPos = lMatch.capturedEnd(2);
  }
  lResult += aRawHeaders.mid(lPos);
  return lResult;
}
