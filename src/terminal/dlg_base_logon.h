#pragma once

class QWidget;
class TConnectionItem;

// Edits one account's keys (main-account mode edits the buffered main account); true when saved.
bool ExecuteDlgBaseLogon(TConnectionItem *aItem, bool aFull, QWidget *aParent = nullptr);
