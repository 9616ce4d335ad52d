#include "test_presenter.h"

#include <QCoreApplication>
#include <QThread>

int TTestPresenter::Present(const QString &aCaption, const QString &aText, TMessageType aType)
{
  std::lock_guard lLock(fLock);
  const bool lGui = QCoreApplication::instance() &&
                    QThread::currentThread() == QCoreApplication::instance()->thread();
  fShown.push_back({aCaption, aText, aType, lGui});
  return fAnswer;
}

std::vector<TTestPresenter::TShown> TTestPresenter::Shown() const
{
  std::lock_guard lLock(fLock);
  return fShown;
}

void TTestPresenter::SetAnswer(int aAnswer)
{
  std::lock_guard lLock(fLock);
  fAnswer = aAnswer;
}

TPresenterGuard::TPresenterGuard(int aAnswer)
    : fPresenter(std::make_shared<TTestPresenter>(aAnswer)),
      fPrevious(SetMessagePresenter(fPresenter))
{
}

TPresenterGuard::~TPresenterGuard()
{
  SetMessagePresenter(fPrevious);
}
