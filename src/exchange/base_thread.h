#pragma once

#include "methods.h"
#include "thread_texts.h"
#include "trade_engine_client.h"
#include "worker_thread.h"

#include <QByteArrayView>
#include <QJsonValue>
#include <QString>

#include <functional>
#include <memory>

class IChartLink;
class TConnectionItem;
class TDBaseMethod;
struct TOrder;

// The template every exchange request follows on its own thread: prepare, build the query,
// send it, parse the JSON answer on the worker, then hand the result to the GUI thread for the
// model and the views. Create it, set its fields, then either Start it, WaitFor it and read it,
// or give it to StartFreeOnTerminate. Nothing a request does ever raises to its creator.
class TBaseThread : public TWorkerThread
{
public:
  TBaseThread();
  ~TBaseThread() override;

  // The chart the request works for (none: the user model). Decides the thread list.
  const std::shared_ptr<IChartLink> &ChartItem() const { return fChartItem; }
  void SetChartItem(std::shared_ptr<IChartLink> aValue) { fChartItem = std::move(aValue); }

  const QString &Request() const { return fRequest; }
  const QString &Response() const { return fResponse; }
  const QString &Error() const { return fError; }
  const QJsonValue &RootNode() const { return fRootNode; }

protected:
  // Registers, runs the template steps, unregisters, and logs anything they raise.
  void Execute() final;

  // The template steps, in this order.
  virtual void DoBeforeExecute() {}
  // The standard request when the class has a row (Texts) and a method (NewMethod).
  virtual void DoExecute();
  virtual void DoAfterExecute() {}
  virtual void DoMakeRequest() { fRequest.clear(); }
  // The standard parsing when the class has a row; hands DoOutput to the GUI thread.
  virtual void DoParseResponse();
  // Worker, after parsing: reads fRootNode into the thread's own values so that the GUI
  // thread's output only copies them.
  virtual void DoExtract() {}
  // Worker, instead of the parse and DoExtract: reads the answer's UTF-8 text itself (the
  // large answers) and returns true; raises TJsonTextError when it is no JSON document.
  virtual bool DoExtractText(QByteArrayView) { return false; }
  // GUI thread: writes the parsed data into the model.
  virtual void DoOutput() {}
  // GUI thread: tells the views.
  virtual void DoNotify() {}

  // The class's row of the table of differences; none: no standard steps.
  virtual const TThreadTexts *Texts() const { return nullptr; }
  // A new descriptor of the class's exchange operation.
  virtual std::unique_ptr<TDBaseMethod> NewMethod() const { return nullptr; }
  // The account that signs the request; none for public requests.
  virtual const TConnectionItem *RequestAccount() const { return nullptr; }
  // The way to the transport; tests feed answers through it without a network.
  virtual void DoSendRequest(std::unique_ptr<TDBaseMethod> aMethod, const TConnectionItem *aAccount,
                             const QString &aRequest, QString &aResponse, QString &aError);

  // The blocking hand-over: runs aProc on the GUI thread; its exception comes back here.
  void Synchronize(const std::function<void()> &aProc) { RunOnMainThread(aProc); }
  // An error entry of this thread in the debug log.
  void LogError(const QString &aText) const;
  static bool IsWorking();
  // Waits until the server-time keeper has a time (signed queries, the order book).
  void WaitForServerTime() const;

  std::shared_ptr<IChartLink> fChartItem;
  QJsonValue fRootNode;
  QString fRequest;
  QString fResponse;
  QString fError;
  // The exchange's HTTP error when it refused the request (DoSendRequest fills it).
  TRefusal fRefusal;
};

// Raises the template's error type with a text of this system.
[[noreturn]] void RaiseThreadError(const QString &aText);

// Where account threads find the main profile when none was given; the profile registers
// itself (and clears it before it goes). The source may be asked from any request thread.
void SetMainProfileSource(std::function<TConnectionItem *()> aSource);
TConnectionItem *MainProfile();

// A request signed with an account's keys.
class TBaseAuthThread : public TBaseThread
{
public:
  TConnectionItem *Account() const { return fAccount; }
  void SetAccount(TConnectionItem *aValue) { fAccount = aValue; }
  // The operation on the main account is to be repeated on the other accounts.
  bool Multi() const { return fMulti; }
  void SetMulti(bool aValue) { fMulti = aValue; }

protected:
  // Takes the main profile when no account was given.
  void DoBeforeExecute() override;
  const TConnectionItem *RequestAccount() const override { return fAccount; }

  TConnectionItem *fAccount = nullptr;
  bool fMulti = false;
};

// A request that places or cancels an order.
class TBaseOrderThread : public TBaseAuthThread
{
public:
  const std::shared_ptr<TOrder> &Order() const { return fOrder; }
  void SetOrder(std::shared_ptr<TOrder> aValue) { fOrder = std::move(aValue); }

protected:
  std::shared_ptr<TOrder> fOrder;
};
