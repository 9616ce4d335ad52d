#pragma once

#include <QString>

class QWidget;

// Runs the order dialog for a symbol; true when it ended with a market order.
bool ExecuteOrder(const QString &aSymbol, QWidget *aParent = nullptr);
