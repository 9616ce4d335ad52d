#pragma once

#include "script.h"
#include "utils.h"

#include <deque>
#include <mutex>

// Answers the boxes the trader expects, in order; any other box fails the session, since a
// trader going through this path sees no other.
class TSessionPresenter : public TMessagePresenter
{
public:
  // A box whose text starts with aText, of type aType, gets aAnswer.
  void Expect(const QString &aText, TMessageType aType, int aAnswer)
  {
    std::lock_guard lLock(fLock);
    fExpected.push_back({aText, aType, aAnswer});
  }
  int Answered() const
  {
    std::lock_guard lLock(fLock);
    return fAnswered;
  }
  int Present(const QString &, const QString &aText, TMessageType aType) override
  {
    TScript::Log(QStringLiteral("message box: ") + aText);
    std::lock_guard lLock(fLock);
    if (fExpected.empty() || !aText.startsWith(fExpected.front().Text) ||
        aType != fExpected.front().Type)
      TScript::Fail(QStringLiteral("a message box the trader did not expect: ") + aText);
    const int lAnswer = fExpected.front().Answer;
    fExpected.pop_front();
    ++fAnswered;
    return lAnswer;
  }

private:
  struct TExpected
  {
    QString Text;
    TMessageType Type;
    int Answer;
  };
  mutable std::mutex fLock;
  std::deque<TExpected> fExpected;
  int fAnswered = 0;
};
