#pragma once

#include "utils.h"

#include <QStringList>

#include <memory>
#include <mutex>
#include <vector>

// Answers message boxes at once and remembers what was asked, on which thread.
class TTestPresenter : public TMessagePresenter
{
public:
  struct TShown
  {
    QString Caption;
    QString Text;
    TMessageType Type;
    bool OnGuiThread;
  };

  explicit TTestPresenter(int aAnswer = mrOk) : fAnswer(aAnswer) {}

  int Present(const QString &aCaption, const QString &aText, TMessageType aType) override;

  std::vector<TShown> Shown() const;
  void SetAnswer(int aAnswer);

private:
  mutable std::mutex fLock;
  int fAnswer;
  std::vector<TShown> fShown;
};

// Installs a TTestPresenter for the lifetime of the guard.
class TPresenterGuard
{
public:
  explicit TPresenterGuard(int aAnswer = mrOk);
  ~TPresenterGuard();
  TTestPresenter &Presenter() { return *fPresenter; }

private:
  std::shared_ptr<TTestPresenter> fPresenter;
  std::shared_ptr<TMessagePresenter> fPrevious;
};
