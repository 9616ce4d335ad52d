#pragma once

#include "consts.h"

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <optional>

// Button codes returned by Msg, as the platform's message box reports them.
enum TMsgResult : int { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Shows message boxes. The terminal installs a QMessageBox presenter at start; tests install
// one that answers at once. Present always runs on the GUI thread.
class TMessagePresenter
{
public:
  virtual ~TMessagePresenter() = default;
  virtual int Present(const QString &aCaption, const QString &aText, TMessageType aType) = 0;
};

// Installs the presenter and returns the previous one.
std::shared_ptr<TMessagePresenter>
SetMessagePresenter(std::shared_ptr<TMessagePresenter> aPresenter);

int Msg(const QString &aText, TMessageType aMsgType);
int Alert(const QString &aText);
bool Confirm(const QString &aText);

QString ExeName();
// The folder of server.json, config.json and Debug.log: the executable's, unless a test moved it.
QString ExeFolder();
void SetExeFolder(const QString &aFolder);
// The class name of an exception as the log shows it ("std::runtime_error").
QString ExceptionClassName(const std::exception &aError);
QString GetWin(const QString &aText);

std::int64_t DateToStamp(TDateTime aDateTime);
TDateTime StampToDate(std::int64_t aStamp);
// Date-time of a calendar date and time of day (no zone involved).
TDateTime EncodeDateTime(int aYear, int aMonth, int aDay, int aHour = 0, int aMinute = 0,
                         int aSecond = 0, int aMsec = 0);
struct TDateTimeParts
{
  int Year, Month, Day, Hour, Minute, Second, Msec;
};
TDateTimeParts DecodeDateTime(TDateTime aDateTime);
int MinuteOf(TDateTime aDateTime);
// The local wall clock as a date-time; only the debug log uses it.
TDateTime NowLocal();

void GetUserFromWindows(QString &aUserName);
// Tests replace the login-name source; an empty function restores the real one.
void SetUserNameSource(std::function<QString()> aSource);

// Nothing when the text is not a JSON object; file errors raise std::runtime_error.
std::optional<QJsonObject> LoadJsonFile(const QString &aFileName);
// Compact JSON + CR LF, written to a temporary file that replaces the target only when whole.
bool SaveJsonFile(const QJsonObject &aObject, const QString &aFileName, bool aOwnerOnly = false);
// Writes bytes the same safe way; raises std::runtime_error on failure.
void SaveFileAtomic(const QString &aFileName, const QByteArray &aData, bool aOwnerOnly = false);

QString ChartDateToTradeDate(const QString &aText);
TZoom IncZoom(TZoom aZoom, int aDelta);

QString GetLastServerError();
void SetLastServerError(const QString &aText);
