#include "request_params.h"

#include "sys_time.h"
#include "trade_engine_client.h"
#include "worker_thread.h"

#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <stdexcept>
#include <string_view>
#include <thread>

void AddParam(QString &aResult, const QString &aName, const QString &aValue)
{
  if (!aResult.isEmpty())
    aResult += QStringLiteral("\r\n");
  aResult += aName + QLatin1Char('=') + aValue;
}

QString AsFloatStr(double aValue)
{
  if (std::isnan(aValue))
    return QStringLiteral("NAN");
  if (std::isinf(aValue))
    return aValue > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
  if (aValue == 0.0)
    return QStringLiteral("0");

  // to_chars ignores the locale and rounds to the nearest 8-digit value: "d.ddddddde±xx".
  std::array<char, 32> lBuffer{};
  const auto lEnd = std::to_chars(lBuffer.data(), lBuffer.data() + lBuffer.size(), aValue,
                                  std::chars_format::scientific, 7)
                        .ptr;
  const std::string_view lText(lBuffer.data(), static_cast<size_t>(lEnd - lBuffer.data()));
  const bool lNegative = lText.front() == '-';
  const size_t lMantissaStart = lNegative ? 1 : 0;
  const size_t lExpPos = lText.find('e');

  std::string lDigits;
  for (size_t i = lMantissaStart; i < lExpPos; ++i)
    if (lText[i] != '.')
      lDigits += lText[i];
  while (lDigits.size() > 1 && lDigits.back() == '0')
    lDigits.pop_back();
  const int lExponent = std::atoi(std::string(lText.substr(lExpPos + 1)).c_str());

  // Place the decimal point: the value is 0.<digits> scaled so the first digit sits at 10^exp.
  std::string lResult = lNegative ? "-" : "";
  const int lIntDigits = lExponent + 1;
  if (lIntDigits <= 0) {
    lResult += "0.";
    lResult.append(static_cast<size_t>(-lIntDigits), '0');
    lResult += lDigits;
  } else if (static_cast<size_t>(lIntDigits) >= lDigits.size()) {
    lResult += lDigits;
    lResult.append(static_cast<size_t>(lIntDigits) - lDigits.size(), '0');
  } else {
    lResult += lDigits.substr(0, static_cast<size_t>(lIntDigits));
    lResult += '.';
    lResult += lDigits.substr(static_cast<size_t>(lIntDigits));
  }
  return QString::fromLatin1(lResult.data(), static_cast<qsizetype>(lResult.size()));
}

void WaitForServerTime(const TWorkerThread *aThread)
{
  while (!SysTime || !SysTime->HasTime()) {
    if ((aThread && aThread->Terminated()) || TransportStopped())
      throw std::runtime_error("terminated while waiting for the server time");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}
