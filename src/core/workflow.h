#pragma once

#include <QString>

#include <atomic>
#include <memory>

enum class TWorkflowMode { wfmTrade = 0, wfmVolume = 1, wfmFull = 2 };
using enum TWorkflowMode;

enum class TWorkflowState { wfsWorking = 0, wfsClosing = 1, wfsStopped = 2, wfsPaused = 3 };
using enum TWorkflowState;

// The work the workflow dispatches lives in the upper layers (user model, charts, main
// window); the terminal implements this and the builder wires it in.
class IWorkflowHost
{
public:
  virtual ~IWorkflowHost() = default;
  virtual bool ShowMainForm() = 0;
  virtual void EverySecond(TWorkflowMode aMode) = 0;
  virtual void Every5Second(TWorkflowMode aMode) = 0;
  virtual void EveryMinute(TWorkflowMode aMode) = 0;
  virtual void Once(TWorkflowMode aMode) = 0;
  virtual void Close() = 0;
};

class TWorkflow
{
public:
  // Raises when server.json exists but cannot be parsed.
  TWorkflow();

  TWorkflowMode Mode() const { return fMode; }
  TWorkflowState State() const { return fState.load(); }
  const QString &ServerURL() const { return fServerURL; }
  // Extra PEM trust anchor for the transport; empty unless server.json names one.
  const QString &CAFile() const { return fCAFile; }

  void SetHost(IWorkflowHost *aHost) { fHost = aHost; }
  void SetState(TWorkflowState aValue);

  bool DoShowMainForm();
  void DoEverySecond();
  void DoEvery5Second();
  void DoEveryMinute();
  void DoOnce();

  // Reads server.json from the executable's folder, or aFolder when given.
  void LoadServerURL(const QString &aFolder = QString());

private:
  void DoClose();
  bool Working() const { return State() == wfsWorking; }

  TWorkflowMode fMode = wfmTrade;
  std::atomic<TWorkflowState> fState = wfsWorking;
  QString fServerURL;
  QString fCAFile;
  IWorkflowHost *fHost = nullptr;
};

extern std::unique_ptr<TWorkflow> Workflow;
