#include "log_writer.h"

#include "folders.h"
#include "journal.h"
#include "utils.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QTime>

#include <chrono>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <thread>

std::unique_ptr<TLogWriter> LogWriter;

namespace {

// The log is a developer's tool: it is written only on the developer's own account.
// Plain literals, not QString objects: a writer left to the end of the process may still be
// writing while the file's other statics are torn down.
constexpr QLatin1StringView cLogUserName("kestrum");
constexpr QLatin1StringView cLogFileName("Debug.log");

// The local zone's offset from UTC in seconds (low half) and the UTC minute it was taken in
// (high half), as one value so that readers never see a torn pair.
std::atomic<std::uint64_t> gZoneOffset{0};

// WriteLog calls in progress; a log writer being destroyed waits for them (see ~TLogWriter).
std::atomic<int> gWriteLogCalls{0};

void AppendLine(const QString &aFileName, const QByteArray &aLine)
{
  if (aFileName.isEmpty())
    throw std::runtime_error("the log file's folder is not known");
  QFile lFile(aFileName);
  if (!lFile.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
    throw std::runtime_error(
        QStringLiteral("cannot open \"%1\": %2").arg(aFileName, lFile.errorString()).toStdString());
  if (lFile.write(aLine) != aLine.size())
    throw std::runtime_error(QStringLiteral("cannot write \"%1\": %2")
                                 .arg(aFileName, lFile.errorString())
                                 .toStdString());
  lFile.close();
}

QString ErrorText(const std::exception &aError)
{
  return QString::fromUtf8(aError.what());
}

QString ExeFolderOfFolders()
{
  return Folders ? Folders->Folder(afExe) : QString();
}

} // namespace

TDateTime LogClockNow()
{
  constexpr double cUnixEpochDays = 25569.0; // 1 Jan 1970 as a date-time
  constexpr double cMsPerDay = 86400000.0;
  const qint64 lNow = QDateTime::currentMSecsSinceEpoch();
  const auto lMinute = static_cast<std::uint32_t>(lNow / 60000);
  std::uint64_t lCache = gZoneOffset.load(std::memory_order_relaxed);
  if (static_cast<std::uint32_t>(lCache >> 32) != lMinute) {
    const int lOffset = QDateTime::fromMSecsSinceEpoch(lNow, Qt::LocalTime).offsetFromUtc();
    lCache = std::uint64_t{lMinute} << 32 | static_cast<std::uint32_t>(lOffset);
    gZoneOffset.store(lCache, std::memory_order_relaxed);
  }
  const auto lOffset = static_cast<std::int32_t>(static_cast<std::uint32_t>(lCache));
  return cUnixEpochDays + static_cast<double>(lNow + qint64{lOffset} * 1000) / cMsPerDay;
}

QString FormatLogTime(TDateTime aTime, const QLocale &aLocale)
{
  const TDateTimeParts lParts = DecodeDateTime(aTime);
  const QDate lDate(lParts.Year, lParts.Month, lParts.Day);
  const QTime lTime(lParts.Hour, lParts.Minute, lParts.Second, lParts.Msec);
  QString lText = aLocale.toString(lDate, aLocale.dateFormat(QLocale::ShortFormat));
  if (lTime != QTime(0, 0))
    lText += QLatin1Char(' ') + lTime.toString(QStringLiteral("hh:mm:ss.zzz"));
  if (lText.size() == 8)
    lText += QStringLiteral(".000");
  return lText;
}

QByteArray BuildLogLine(const TLogMessage &aMessage, const QLocale &aLocale)
{
  const auto lType = static_cast<std::size_t>(aMessage.MessageType);
  const QLatin1String lLevel(lType < cMessageType.size() ? cMessageType[lType] : "");
  const QString lThread =
      aMessage.ThreadID > 0 ? QString::number(aMessage.ThreadID) : QString(8, QLatin1Char(' '));
  QString lLine = FormatLogTime(aMessage.Time, aLocale) + QLatin1Char('\t') + lLevel +
                  QLatin1Char('\t') + lThread + QLatin1Char('\t') + aMessage.Text;
  if (aMessage.MessageType != mtAlert && lLine.size() > cLogLineLimit) {
    qsizetype lCut = cLogLineLimit;
    // Half a surrogate pair would not survive the UTF-8 encoding: keep the pair out whole.
    if (lLine.at(lCut - 1).isHighSurrogate())
      --lCut;
    lLine.truncate(lCut);
    lLine += QStringLiteral("...");
  }
  QByteArray lBytes = lLine.toUtf8();
  lBytes += "\r\n";
  return lBytes;
}

TLogWriteThread::TLogWriteThread(TSemaphore *aSemaphore, TBaseQueue *aQueue, const QString &aFolder)
    : TBaseThreadWriter(aSemaphore, aQueue), fFolder(aFolder)
{
}

void TLogWriteThread::DoBefore()
{
  try {
    if (fFolder.isEmpty())
      throw std::runtime_error("the executable's folder is not known");
    fFileName = fFolder;
    if (!fFileName.endsWith(QLatin1Char('/')))
      fFileName += QLatin1Char('/');
    fFileName += cLogFileName;
  } catch (const std::exception &e) {
    fFileName.clear();
    QueueAlert(QStringLiteral("TLogWriteThread.DoNotifyFolders error: ") + ErrorText(e));
  }
}

bool TLogWriteThread::DoExecute()
{
  try {
    const std::unique_ptr<TQueueItem> lItem = Queue()->Pop();
    if (!lItem)
      return true;
    const auto *lMessage = dynamic_cast<const TLogMessage *>(lItem.get());
    if (!lMessage)
      throw std::logic_error("an item that is not a log message was queued");
    QString lUserName;
    GetUserFromWindows(lUserName);
    if (lUserName != cLogUserName)
      return true;
    AppendLine(fFileName, BuildLogLine(*lMessage));
    fFailing = false;
  } catch (const std::exception &e) {
    ReportFailure(ErrorText(e));
  }
  return true;
}

void TLogWriteThread::QueueAlert(const QString &aText)
{
  // Straight onto our own queue: WriteLog would reach the global writer, which may not be
  // this one (or may not be assigned yet while this thread starts).
  Queue()->Push(std::make_unique<TLogMessage>(aText, LogClockNow(), mtAlert, 0));
}

void TLogWriteThread::ReportFailure(const QString &aMessage)
{
  if (fFailing)
    return;
  fFailing = true;
  fFailureReports.fetch_add(1);
  const QString lText = QStringLiteral("TLogWriteThread.DoExecute error: ") + aMessage;
  // The file may never work again, so the failure is also said where an operator sees it.
  qWarning("%s", qUtf8Printable(lText));
  QueueAlert(lText);
}

TLogWriter::TLogWriter() : TLogWriter(ExeFolderOfFolders()) {}

TLogWriter::TLogWriter(const QString &aFolder)
    : TMultiThreadWriter([&aFolder](TSemaphore *aSemaphore, TBaseQueue *aQueue) {
        return std::make_unique<TLogWriteThread>(aSemaphore, aQueue, aFolder);
      })
{
}

TLogWriter::~TLogWriter()
{
  // A WriteLog caller may have read LogWriter just before it was cleared; let such a push land
  // before the queue goes, so that it is written out rather than pushed into freed memory.
  // Bounded, so that threads logging without pause cannot hold the shut-down.
  const auto lDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  while (gWriteLogCalls.fetch_add(0) != 0 && std::chrono::steady_clock::now() < lDeadline)
    std::this_thread::yield();
  Finish();
}

void WriteLog(const QString &aText, TMessageType aMessageType, int aThreadID)
{
  gWriteLogCalls.fetch_add(1);
  try {
    const TDateTime lTime = LogClockNow();
    // The journal is the trader's; unlike the file it does not depend on the login name.
    Journal().Add(aText, aMessageType, lTime);
    if (TLogWriter *lWriter = LogWriter.get())
      lWriter->Queue().Push(std::make_unique<TLogMessage>(aText, lTime, aMessageType, aThreadID));
  } catch (...) {
    // Logging never raises to its caller, and there is no log left to say it in.
    std::fputs("WriteLog: an entry was lost\n", stderr);
  }
  gWriteLogCalls.fetch_sub(1);
}
