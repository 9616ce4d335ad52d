#pragma once

#include <stdexcept>
#include <string>

namespace vexa::sim {

// A refusal in the exchange's words: {"code":..,"msg":..} with its HTTP status.
class TApiError : public std::runtime_error
{
public:
  TApiError(int aHttpStatus, int aCode, const std::string &aMessage)
      : std::runtime_error(aMessage), fHttpStatus(aHttpStatus), fCode(aCode)
  {
  }

  int HttpStatus() const { return fHttpStatus; }
  int Code() const { return fCode; }

  static TApiError Bad(int aCode, const std::string &aMessage)
  {
    return TApiError(400, aCode, aMessage);
  }
  static TApiError Mandatory(const std::string &aName)
  {
    return Bad(-1102,
               "Mandatory parameter '" + aName + "' was not sent, was empty/null, or malformed.");
  }
  static TApiError IllegalChars(const std::string &aName, const std::string &aRange)
  {
    return Bad(-1100, "Illegal characters found in parameter '" + aName + "'; legal range is '" +
                          aRange + "'.");
  }
  static TApiError InvalidData(const std::string &aName)
  {
    return Bad(-1130, "Data sent for parameter '" + aName + "' is not valid.");
  }
  static TApiError NotRequired(const std::string &aName)
  {
    return Bad(-1106, "Parameter '" + aName + "' sent when not required.");
  }
  static TApiError Rejected(const std::string &aMessage) { return Bad(-2010, aMessage); }
  static TApiError Filter(const std::string &aFilter)
  {
    return Bad(-1013, "Filter failure: " + aFilter);
  }
  static TApiError InvalidSymbol() { return Bad(-1121, "Invalid symbol."); }
  static TApiError UnknownOrder() { return Bad(-2011, "Unknown order sent."); }

private:
  int fHttpStatus;
  int fCode;
};

} // namespace vexa::sim
