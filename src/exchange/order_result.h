#pragma once

#include <QString>

// The status line's text after an order request: "Ордер отклонен: " and the exchange's own
// message (the "msg" of its error answer, else the whole failure text).
QString OrderRefusalText(const QString &aServerError);

// Queues BASE_MAIN_ORDER_RESULT. The notification owns its text, so Data stays valid until the
// UI writer has delivered it, however late. An empty text: the last order went through.
// Callable from any thread.
void PostOrderResult(const QString &aText);

inline const QString cOrderRefusedText = QStringLiteral("Ордер отклонен: ");
