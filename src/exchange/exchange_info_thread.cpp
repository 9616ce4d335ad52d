#include "exchange_info_thread.h"

#include "user.h"

#include <QJsonObject>

namespace {

const TThreadTexts cExchangeInfoThreadTexts{
    rcStart, nwNever, QStringLiteral("TUser.ExchangeInfo command error: "),
    QStringLiteral("TUser.ExchangeInfo: lRootNode not assigned"),
    QStringLiteral("TUser.ExchangeInfo ParseResponse error: empty string")};

} // namespace

void TExchangeInfoThread::DoExtract()
{
  fSizes = ParseLotSizes(fRootNode.toObject().value(QStringLiteral("symbols")).toArray());
}

void TExchangeInfoThread::DoOutput()
{
  // An answer without symbols (an error object) keeps the rules already known.
  if (User && !fSizes.isEmpty())
    User->LotSizes().Assign(std::move(fSizes));
}

const TThreadTexts *TExchangeInfoThread::Texts() const
{
  return &cExchangeInfoThreadTexts;
}

std::unique_ptr<TDBaseMethod> TExchangeInfoThread::NewMethod() const
{
  return std::make_unique<TDMethodExchangeInfo>();
}
