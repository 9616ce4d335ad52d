#pragma once

#include <QJsonValue>

#include <cstdint>

// The exchange sends prices and volumes as decimal strings with "." and times, counts and ids
// as integers; either may come as the other. A missing or unreadable value reads as 0.
double JsonNumber(const QJsonValue &aValue);
std::int64_t JsonInt64(const QJsonValue &aValue);
