#include "order_result.h"

#include "events.h"
#include "ui_writer.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <memory>

namespace {

class TOrderResultInfo : public TUIInfo
{
public:
  explicit TOrderResultInfo(const QString &aText)
      : TUIInfo(BASE_MAIN_ORDER_RESULT, nullptr), fText(aText)
  {
    Data = const_cast<QString *>(&fText);
  }

private:
  const QString fText;
};

} // namespace

QString OrderRefusalText(const QString &aServerError)
{
  // "HTTP/1.1 400 Bad Request {"code":-2010,"msg":"..."}": the exchange's words are the msg.
  const qsizetype lBrace = aServerError.indexOf(QLatin1Char('{'));
  if (lBrace >= 0) {
    const QJsonDocument lDocument = QJsonDocument::fromJson(aServerError.mid(lBrace).toUtf8());
    const QString lMessage = lDocument.object().value(QStringLiteral("msg")).toString();
    if (!lMessage.isEmpty())
      return cOrderRefusedText + lMessage;
  }
  return cOrderRefusedText + aServerError.trimmed();
}

void PostOrderResult(const QString &aText)
{
  if (UIWriter)
    UIWriter->Queue().Push(std::make_unique<TOrderResultInfo>(aText));
}
