#pragma once

// Captures Debug.log entries in a temporary folder: the log is written only for the login
// name it is meant for, so the capture answers that name while it lives.

#include "log_writer.h"
#include "utils.h"

#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

struct TLogEntry
{
  QString Level; // "ALERT", "INFO" or empty
  QString Thread;
  QString Text;
};

class TLogCapture
{
public:
  TLogCapture()
  {
    SetUserNameSource([] { return QStringLiteral("kestrum"); });
    LogWriter = std::make_unique<TLogWriter>(fDir.path());
  }
  ~TLogCapture()
  {
    LogWriter.reset();
    SetUserNameSource({});
  }
  TLogCapture(const TLogCapture &) = delete;
  TLogCapture &operator=(const TLogCapture &) = delete;

  // Everything logged so far; the writer is drained and replaced, so capturing goes on.
  std::vector<TLogEntry> Entries()
  {
    LogWriter.reset();
    std::vector<TLogEntry> lEntries;
    QFile lFile(fDir.path() + QStringLiteral("/Debug.log"));
    if (lFile.open(QIODevice::ReadOnly)) {
      const QStringList lLines = QString::fromUtf8(lFile.readAll()).split(QStringLiteral("\r\n"));
      for (const QString &lLine : lLines) {
        if (lLine.isEmpty())
          continue;
        const QStringList lFields = lLine.split(QLatin1Char('\t'));
        const bool lEntryStart =
            lFields.size() >= 4 && (lFields[1] == QLatin1String("ALERT") ||
                                    lFields[1] == QLatin1String("INFO") || lFields[1].isEmpty());
        if (lEntryStart)
          lEntries.push_back({lFields[1], lFields[2].trimmed(), lFields.mid(3).join('\t')});
        else if (!lEntries.empty()) // a text with line breaks of its own (a POST query)
          lEntries.back().Text += QStringLiteral("\r\n") + lLine;
      }
    }
    LogWriter = std::make_unique<TLogWriter>(fDir.path());
    return lEntries;
  }

  // Forgets everything logged so far.
  void Clear()
  {
    LogWriter.reset();
    QFile::remove(fDir.path() + QStringLiteral("/Debug.log"));
    LogWriter = std::make_unique<TLogWriter>(fDir.path());
  }

  // The entries whose text starts with aPrefix.
  std::vector<TLogEntry> Matching(const QString &aPrefix)
  {
    std::vector<TLogEntry> lResult;
    for (const TLogEntry &lEntry : Entries())
      if (lEntry.Text.startsWith(aPrefix))
        lResult.push_back(lEntry);
    return lResult;
  }

private:
  QTemporaryDir fDir;
};
