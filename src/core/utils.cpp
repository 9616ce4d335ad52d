#include "utils.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QLocale>
#include <QMutex>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QThread>

#include <pwd.h>
#include <unistd.h>

#include <cxxabi.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <typeinfo>

namespace {

// 1 Jan 1970 03:00:00: the exchange's epoch in our fixed UTC+3 representation.
constexpr double cStampBase = 25569.0 + 3.0 / 24.0;
constexpr double cMsPerDay = 86400000.0;
constexpr std::int64_t cMaxStamp = 2500000000000;
constexpr qint64 cJulianDayOfZero = 2415019; // 30 Dec 1899

QMutex gPresenterLock;
std::shared_ptr<TMessagePresenter> gPresenter;

QMutex gUserSourceLock;
std::function<QString()> gUserSource;

QMutex gExeFolderLock;
QString gExeFolder;

QMutex gServerErrorLock;
QString gLastServerError;

int DefaultAnswer(TMessageType aType)
{
  return aType == mtConfirm || aType == mtYesNoCancel ? mrNo : mrOk;
}

} // namespace

std::shared_ptr<TMessagePresenter>
SetMessagePresenter(std::shared_ptr<TMessagePresenter> aPresenter)
{
  QMutexLocker lLock(&gPresenterLock);
  std::swap(gPresenter, aPresenter);
  return aPresenter;
}

int Msg(const QString &aText, TMessageType aMsgType)
{
  std::shared_ptr<TMessagePresenter> lPresenter;
  {
    QMutexLocker lLock(&gPresenterLock);
    lPresenter = gPresenter;
  }
  if (!lPresenter)
    return DefaultAnswer(aMsgType);

  QCoreApplication *lApp = QCoreApplication::instance();
  if (!lApp || QThread::currentThread() == lApp->thread())
    return lPresenter->Present(cAppTitle, aText, aMsgType);

  // A worker waits for the answer while the box runs on the GUI thread.
  int lResult = DefaultAnswer(aMsgType);
  QMetaObject::invokeMethod(
      lApp, [&] { lResult = lPresenter->Present(cAppTitle, aText, aMsgType); },
      Qt::BlockingQueuedConnection);
  return lResult;
}

int Alert(const QString &aText)
{
  return Msg(aText, mtAlert);
}

bool Confirm(const QString &aText)
{
  return Msg(aText, mtConfirm) == mrYes;
}

QString ExeName()
{
  std::error_code lError;
  const auto lPath = std::filesystem::read_symlink("/proc/self/exe", lError);
  if (!lError)
    return QString::fromStdString(lPath.string());
  return QCoreApplication::applicationFilePath();
}

QString ExeFolder()
{
  {
    QMutexLocker lLock(&gExeFolderLock);
    if (!gExeFolder.isEmpty())
      return gExeFolder;
  }
  return QFileInfo(ExeName()).absolutePath();
}

void SetExeFolder(const QString &aFolder)
{
  QMutexLocker lLock(&gExeFolderLock);
  gExeFolder = aFolder;
}

QString ExceptionClassName(const std::exception &aError)
{
  const char *lMangled = typeid(aError).name();
  int lStatus = 0;
  std::unique_ptr<char, void (*)(void *)> lName(
      abi::__cxa_demangle(lMangled, nullptr, nullptr, &lStatus), std::free);
  return QString::fromLatin1(lStatus == 0 && lName ? lName.get() : lMangled);
}

QString GetWin(const QString &aText)
{
  static const QRegularExpression lReference(QStringLiteral("%([^%]+)%"));
  const QProcessEnvironment lEnv = QProcessEnvironment::systemEnvironment();
  QString lResult;
  qsizetype lPos = 0;
  auto lIt = lReference.globalMatch(aText);
  while (lIt.hasNext()) {
    const auto lMatch = lIt.next();
    lResult += aText.mid(lPos, lMatch.capturedStart() - lPos);
    const QString lName = lMatch.captured(1);
    QString lValue = lEnv.value(lName);
    if (lValue.isEmpty() && lName.compare(QLatin1String("LOCALAPPDATA"), Qt::CaseInsensitive) == 0)
      lValue = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (lValue.isEmpty() && lName.compare(QLatin1String("APPDATA"), Qt::CaseInsensitive) == 0)
      lValue = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    // An unknown name stays as written, as the platform's own expansion does.
    lResult += lValue.isEmpty() && !lEnv.contains(lName) ? lMatch.captured(0) : lValue;
    lPos = lMatch.capturedEnd();
  }
  lResult += aText.mid(lPos);
  return lResult.left(256);
}

std::int64_t DateToStamp(TDateTime aDateTime)
{
  const double lMs = std::fabs(aDateTime - cStampBase) * cMsPerDay;
  // Half a microsecond absorbs the representation error of a whole millisecond.
  return static_cast<std::int64_t>(std::floor(lMs + 0.0005));
}

TDateTime StampToDate(std::int64_t aStamp)
{
  if (aStamp > cMaxStamp)
    return 0;
  const double lResult = cStampBase + static_cast<double>(aStamp) / cMsPerDay;
  return std::isfinite(lResult) ? lResult : 0;
}

TDateTime EncodeDateTime(int aYear, int aMonth, int aDay, int aHour, int aMinute, int aSecond,
                         int aMsec)
{
  const QDate lDate(aYear, aMonth, aDay);
  const double lDays = static_cast<double>(lDate.toJulianDay() - cJulianDayOfZero);
  const double lTime = ((aHour * 60.0 + aMinute) * 60.0 + aSecond) * 1000.0 + aMsec;
  return lDays + lTime / cMsPerDay;
}

TDateTimeParts DecodeDateTime(TDateTime aDateTime)
{
  double lDays = std::floor(aDateTime);
  auto lMs = static_cast<std::int64_t>(std::llround((aDateTime - lDays) * cMsPerDay));
  if (lMs >= static_cast<std::int64_t>(cMsPerDay)) {
    lDays += 1;
    lMs -= static_cast<std::int64_t>(cMsPerDay);
  }
  const QDate lDate = QDate::fromJulianDay(static_cast<qint64>(lDays) + cJulianDayOfZero);
  TDateTimeParts lParts{};
  lParts.Year = lDate.year();
  lParts.Month = lDate.month();
  lParts.Day = lDate.day();
  lParts.Hour = static_cast<int>(lMs / 3600000);
  lParts.Minute = static_cast<int>(lMs / 60000 % 60);
  lParts.Second = static_cast<int>(lMs / 1000 % 60);
  lParts.Msec = static_cast<int>(lMs % 1000);
  return lParts;
}

int MinuteOf(TDateTime aDateTime)
{
  return DecodeDateTime(aDateTime).Minute;
}

TDateTime NowLocal()
{
  const QDateTime lNow = QDateTime::currentDateTime();
  const QDate lDate = lNow.date();
  const QTime lTime = lNow.time();
  return EncodeDateTime(lDate.year(), lDate.month(), lDate.day(), lTime.hour(), lTime.minute(),
                        lTime.second(), lTime.msec());
}

void GetUserFromWindows(QString &aUserName)
{
  {
    QMutexLocker lLock(&gUserSourceLock);
    if (gUserSource) {
      aUserName = gUserSource().left(254);
      return;
    }
  }
  QString lName;
  if (const passwd *lEntry = getpwuid(geteuid()); lEntry && lEntry->pw_name)
    lName = QString::fromLocal8Bit(lEntry->pw_name);
  if (lName.isEmpty())
    lName = qEnvironmentVariable("USER");
  aUserName = lName.isEmpty() ? QStringLiteral("Unknown") : lName.left(254);
}

void SetUserNameSource(std::function<QString()> aSource)
{
  QMutexLocker lLock(&gUserSourceLock);
  gUserSource = std::move(aSource);
}

std::optional<QJsonObject> LoadJsonFile(const QString &aFileName)
{
  QFile lFile(aFileName);
  if (!lFile.open(QIODevice::ReadOnly))
    throw std::runtime_error(QStringLiteral("Cannot open file \"%1\". %2")
                                 .arg(aFileName, lFile.errorString())
                                 .toStdString());
  const QByteArray lText = lFile.readAll();
  QJsonParseError lError{};
  const QJsonDocument lDocument = QJsonDocument::fromJson(lText, &lError);
  if (lError.error != QJsonParseError::NoError || !lDocument.isObject())
    return std::nullopt;
  return lDocument.object();
}

void SaveFileAtomic(const QString &aFileName, const QByteArray &aData, bool aOwnerOnly)
{
  const QFileInfo lTarget(aFileName);
  QTemporaryFile lTemp(lTarget.absolutePath() + QLatin1Char('/') + lTarget.fileName() +
                       QStringLiteral(".XXXXXX.tmp"));
  auto lFail = [&](const QString &aWhat) {
    throw std::runtime_error(
        QStringLiteral("%1 \"%2\". %3").arg(aWhat, aFileName, lTemp.errorString()).toStdString());
  };
  if (!lTemp.open())
    lFail(QStringLiteral("Cannot create file"));
  if (lTemp.write(aData) != aData.size() || !lTemp.flush())
    lFail(QStringLiteral("Cannot write file"));
  if (::fsync(lTemp.handle()) != 0)
    lFail(QStringLiteral("Cannot write file"));
  const auto lOwner = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  const auto lShared = lOwner | QFileDevice::ReadGroup | QFileDevice::ReadOther;
  lTemp.setPermissions(aOwnerOnly ? lOwner : lShared);
  lTemp.close();
  if (std::rename(QFile::encodeName(lTemp.fileName()).constData(),
                  QFile::encodeName(lTarget.absoluteFilePath()).constData()) != 0)
    lFail(QStringLiteral("Cannot replace file"));
  lTemp.setAutoRemove(false);
}

bool SaveJsonFile(const QJsonObject &aObject, const QString &aFileName, bool aOwnerOnly)
{
  SaveFileAtomic(aFileName, QJsonDocument(aObject).toJson(QJsonDocument::Compact) + "\r\n",
                 aOwnerOnly);
  return true;
}

QString ChartDateToTradeDate(const QString &aText)
{
  if (aText == QLatin1String("00:00 30.12.1899"))
    return aText;
  const QTime lTime = QTime::fromString(aText.mid(0, 5), QStringLiteral("hh:mm"));
  const QDate lDate = QDate::fromString(aText.mid(6, 10), QStringLiteral("dd.MM.yyyy"));
  if (!lTime.isValid() || !lDate.isValid())
    throw std::invalid_argument(
        QStringLiteral("'%1' is not a valid date and time").arg(aText).toStdString());
  const QLocale lLocale;
  return QStringLiteral("%1 %2 %3")
      .arg(lLocale.monthName(lDate.month(), QLocale::ShortFormat))
      .arg(lDate.day(), 2, 10, QLatin1Char('0'))
      .arg(lTime.toString(QStringLiteral("hh:mm")));
}

TZoom IncZoom(TZoom aZoom, int aDelta)
{
  if (aDelta == 0)
    return aZoom;
  const int lValue = std::clamp(static_cast<int>(aZoom) + aDelta, 0, cZoomCount - 1);
  return static_cast<TZoom>(lValue);
}

QString GetLastServerError()
{
  QMutexLocker lLock(&gServerErrorLock);
  return gLastServerError;
}

void SetLastServerError(const QString &aText)
{
  QMutexLocker lLock(&gServerErrorLock);
  gLastServerError = aText;
}
