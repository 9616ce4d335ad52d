#pragma once

#include "consts.h"
#include "multi_thread_writer.h"

#include <QByteArray>
#include <QLocale>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>

// One Debug.log entry.
class TLogMessage : public TQueueItem
{
public:
  TLogMessage(const QString &aText, TDateTime aTime, TMessageType aMessageType,
              std::int32_t aThreadID)
      : Text(aText), Time(aTime), MessageType(aMessageType), ThreadID(aThreadID)
  {
  }

  QString Text;
  TDateTime Time; // local clock when queued
  TMessageType MessageType;
  std::int32_t ThreadID;
};

// The local wall clock as NowLocal gives it, at a fraction of the cost: the zone offset only
// changes on a minute boundary, so it is looked up once a minute, not once per entry.
TDateTime LogClockNow();

// Lines longer than this (CR LF not counted) are cut and get "..." unless they are alerts.
inline constexpr int cLogLineLimit = 1000;

// The time field: the locale's short date, then " hh:mm:ss.zzz" unless the time is exactly
// midnight; a rendering of exactly 8 characters gets ".000".
QString FormatLogTime(TDateTime aTime, const QLocale &aLocale);
// One whole Debug.log line as written: four TAB-separated fields, UTF-8, CR LF.
QByteArray BuildLogLine(const TLogMessage &aMessage, const QLocale &aLocale = QLocale::system());

// Appends each entry to <folder>/Debug.log, opening and closing the file per line, and only
// for the login name the log is meant for.
class TLogWriteThread : public TBaseThreadWriter
{
public:
  // An empty folder means it is unknown: nothing can be written.
  TLogWriteThread(TSemaphore *aSemaphore, TBaseQueue *aQueue, const QString &aFolder);

  // Set on the thread when it starts; read it once the writer has finished.
  const QString &FileName() const { return fFileName; }
  // Alerts queued about write failures (one per run of consecutive failures).
  int FailureReports() const { return fFailureReports.load(); }

protected:
  void DoBefore() override;
  bool DoExecute() override;

private:
  void QueueAlert(const QString &aText);
  void ReportFailure(const QString &aMessage);

  const QString fFolder;
  QString fFileName;
  // True from a failed write until the next successful one: the alert about a failure would
  // fail the same way, so only the first failure of a run queues one.
  bool fFailing = false;
  std::atomic<int> fFailureReports{0};
};

class TLogWriter : public TMultiThreadWriter
{
public:
  // Writes into the executable's folder as Folders knows it.
  TLogWriter();
  explicit TLogWriter(const QString &aFolder);
  ~TLogWriter() override;

  TLogWriteThread &LogThread() { return static_cast<TLogWriteThread &>(Thread()); }
};

extern std::unique_ptr<TLogWriter> LogWriter;

// The only way into Debug.log. Callable from any thread; never raises.
// Main-thread callers pass 0 as the thread identifier.
void WriteLog(const QString &aText, TMessageType aMessageType = mtInfo, int aThreadID = 0);
