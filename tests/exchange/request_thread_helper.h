#pragma once

// A request class for the template tests: it answers from the test instead of the network
// and counts the template's steps.

#include "base_thread.h"
#include "methods.h"

#include <QCoreApplication>
#include <QThread>

#include <atomic>
#include <functional>
#include <stdexcept>

class TFakeRequestThread : public TBaseThread
{
public:
  TFakeRequestThread(const TThreadTexts &aTexts, QString aAnswer, QString aError = {})
      : fTexts(aTexts), fAnswer(std::move(aAnswer)), fError(std::move(aError))
  {
  }
  ~TFakeRequestThread() override
  {
    if (Destroyed)
      *Destroyed = true;
  }

  std::atomic<int> Sends{0};
  std::atomic<int> Outputs{0};
  std::atomic<int> Notifies{0};
  std::atomic<bool> OutputOnGui{false};
  std::atomic<bool> NotifyOnGui{false};
  bool RaiseInOutput = false;
  // Runs on the worker in place of the network wait.
  std::function<void(TFakeRequestThread &)> OnSend;
  std::atomic<bool> *Destroyed = nullptr;

  bool IsTerminated() const { return Terminated(); }

protected:
  const TThreadTexts *Texts() const override { return &fTexts; }
  std::unique_ptr<TDBaseMethod> NewMethod() const override
  {
    return std::make_unique<TDMethodTickerPrice>();
  }
  void DoSendRequest(std::unique_ptr<TDBaseMethod>, const TConnectionItem *, const QString &,
                     QString &aResponse, QString &aError) override
  {
    ++Sends;
    if (OnSend)
      OnSend(*this);
    aResponse = fAnswer;
    aError = fError;
  }
  void DoOutput() override
  {
    ++Outputs;
    OutputOnGui = QThread::currentThread() == QCoreApplication::instance()->thread();
    if (RaiseInOutput)
      throw std::runtime_error("output failed");
  }
  void DoNotify() override
  {
    ++Notifies;
    NotifyOnGui = QThread::currentThread() == QCoreApplication::instance()->thread();
  }

private:
  const TThreadTexts &fTexts;
  QString fAnswer;
  QString fError;
};
