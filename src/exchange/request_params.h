#pragma once

#include <QString>

class TWorkerThread;

// The receive window (ms) sent with every signed request.
inline constexpr int cRecvWindow = 60000;

// Appends "name=value" to a CR LF separated parameter text, with no leading or trailing break.
void AddParam(QString &aResult, const QString &aName, const QString &aValue);

// A number as the exchange accepts it: 8 significant digits, trailing zeros dropped, "." as
// the decimal point whatever the locale, and never exponent notation (the exchange refuses it).
QString AsFloatStr(double aValue);

// Blocks (50 ms steps) until the server-time keeper has a time, so that no signed request
// carries a zero timestamp. Raises when aThread is asked to terminate while still waiting,
// since the time may never come during shut-down.
void WaitForServerTime(const TWorkerThread *aThread);
