#pragma once

#include "utils.h"

// Modal QMessageBox owned by the active window, in the style of the message type.
class TQtMessagePresenter : public TMessagePresenter
{
public:
  int Present(const QString &aCaption, const QString &aText, TMessageType aType) override;
};
