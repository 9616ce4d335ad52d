#pragma once

#include "base_thread.h"
#include "consts.h"

// Asks the exchange for its clock and sets the server-time keeper on the GUI thread. It runs
// its exchange on its own client, without a transport thread.
class TTimeThread : public TBaseThread
{
public:
  TDateTime DateTime() const { return fDateTime; }

protected:
  void DoExecute() override;
  // GUI thread: hands the time to the keeper, which publishes it.
  void OutputTime();

private:
  TDateTime fDateTime = 0;
};

// The server time of a time answer. Raises when the text is no JSON document or carries no
// positive "serverTime".
TDateTime ParseRespond(const QString &aJSONStr);
