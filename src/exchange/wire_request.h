#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// One exchange request as it goes on the wire, built without touching the network.
struct TWireRequest
{
  QString Verb;        // "GET", "POST" or "DELETE"
  QString URL;         // with the query (and signature) for GET and DELETE
  QByteArray Body;     // the form body of a POST, empty otherwise
  QStringList Headers; // "Name: value" lines added to the client's own
};

inline const QString cUserAgent = QStringLiteral("python-requests/2.18.4");
inline const QString cApiKeyHeader = QStringLiteral("X-MBX-APIKEY");

// aRequest is the query text: "&"-joined for GET and DELETE, one parameter per CR LF line for
// POST. The keys are read only when aAuth. Raises std::runtime_error on an unknown verb, or
// when the signature cannot be computed.
TWireRequest BuildWireRequest(const QString &aBaseURL, const QString &aVerb, bool aAuth,
                              const QString &aResource, const QString &aRequest,
                              const QString &aApiKey, const QString &aSecretKey);

// B + "/" + R; a trailing "/" of the base is not doubled.
QString JoinURL(const QString &aBaseURL, const QString &aResource);

// application/x-www-form-urlencoded form of one name or value.
QByteArray FormEncode(const QString &aText);
// The CR LF separated parameter lines as a form body: each name and value encoded, "&"-joined
// in line order.
QByteArray FormBody(const QString &aLines);

// The first 4 characters of the key, then "…": enough to tell accounts apart in a log.
QString MaskApiKey(const QString &aKey);
// Raw request headers with the value of every API-key header masked.
QString MaskApiKeyHeaders(const QString &aRawHeaders);
