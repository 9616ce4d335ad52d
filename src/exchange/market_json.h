#pragma once

#include <QJsonValue>

#include <cstdint>
#include <stdexcept>

// Raised by the readers that take an answer's text when it is no JSON document.
class TJsonTextError : public std::runtime_error
{
public:
  TJsonTextError() : std::runtime_error("the answer is no JSON document") {}
};

// The exchange sends prices and volumes as decimal strings with "." and times, counts and ids
// as integers; either may come as the other. A missing or unreadable value reads as 0.
double JsonNumber(const QJsonValue &aValue);
std::int64_t JsonInt64(const QJsonValue &aValue);
