#include "log_writer.h"
#include "utils.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <string>

namespace {

const QLocale cRu(QLocale::Russian, QLocale::Russia);       // short date dd.MM.yyyy
const QLocale cUs(QLocale::English, QLocale::UnitedStates); // short date M/d/yy

std::string Line(const QString &aText, TMessageType aType, int aThreadID, TDateTime aTime,
                 const QLocale &aLocale = cRu)
{
  return BuildLogLine(TLogMessage(aText, aTime, aType, aThreadID), aLocale).toStdString();
}

const TDateTime cAfternoon = EncodeDateTime(2024, 3, 15, 13, 45, 7, 89);

} // namespace

TEST(LogLine, InfoWithThreadIsFourTabFieldsAndCrLf)
{
  EXPECT_EQ(Line(QStringLiteral("Order placed"), mtInfo, 123, cAfternoon),
            "15.03.2024 13:45:07.089\tINFO\t123\tOrder placed\r\n");
  EXPECT_EQ(Line(QStringLiteral("x"), mtAlert, 7, cAfternoon, cUs),
            "3/15/24 13:45:07.089\tALERT\t7\tx\r\n");
}

TEST(LogLine, ThreadZeroOrNegativeIsEightBlanks)
{
  EXPECT_EQ(Line(QStringLiteral("a"), mtInfo, 0, cAfternoon),
            "15.03.2024 13:45:07.089\tINFO\t        \ta\r\n");
  EXPECT_EQ(Line(QStringLiteral("a"), mtInfo, -5, cAfternoon),
            "15.03.2024 13:45:07.089\tINFO\t        \ta\r\n");
}

TEST(LogLine, ConfirmAndYesNoCancelHaveEmptyLevel)
{
  // The three run markers written at start: level and text both empty.
  EXPECT_EQ(Line(QString(), mtConfirm, 0, cAfternoon), "15.03.2024 13:45:07.089\t\t        \t\r\n");
  EXPECT_EQ(Line(QStringLiteral("q"), mtYesNoCancel, 2, cAfternoon),
            "15.03.2024 13:45:07.089\t\t2\tq\r\n");
}

TEST(LogLine, TimeAtMidnightIsTheDateAlone)
{
  EXPECT_EQ(FormatLogTime(EncodeDateTime(2024, 3, 15), cRu), QStringLiteral("15.03.2024"));
  // One millisecond past midnight is not midnight.
  EXPECT_EQ(FormatLogTime(EncodeDateTime(2024, 3, 15, 0, 0, 0, 1), cRu),
            QStringLiteral("15.03.2024 00:00:00.001"));
  EXPECT_EQ(FormatLogTime(EncodeDateTime(2024, 1, 2), cUs), QStringLiteral("1/2/24"));
}

TEST(LogLine, EightCharacterRenderingGetsMilliseconds)
{
  EXPECT_EQ(FormatLogTime(EncodeDateTime(2024, 12, 31), cUs), QStringLiteral("12/31/24.000"));
  EXPECT_EQ(Line(QStringLiteral("t"), mtInfo, 1, EncodeDateTime(2024, 12, 31), cUs),
            "12/31/24.000\tINFO\t1\tt\r\n");
}

TEST(LogLine, LongInfoIsCutToThousandCharactersAndDots)
{
  const QString lHead = QStringLiteral("15.03.2024 13:45:07.089\tINFO\t123\t");
  const QString lText(1001 - lHead.size(), QLatin1Char('x'));
  const std::string lLine = Line(lText, mtInfo, 123, cAfternoon);
  const std::string lExpected = QString(lHead + lText).left(1000).toStdString() + "...\r\n";
  EXPECT_EQ(lLine, lExpected);
  EXPECT_EQ(lLine.size(), 1000u + 3 + 2);

  // Exactly 1000 characters stay whole.
  const std::string lWhole = Line(lText.left(lText.size() - 1), mtInfo, 123, cAfternoon);
  EXPECT_EQ(lWhole, QString(lHead + lText.left(lText.size() - 1)).toStdString() + "\r\n");
}

TEST(LogLine, LongAlertIsNeverCut)
{
  const QString lHead = QStringLiteral("15.03.2024 13:45:07.089\tALERT\t123\t");
  const QString lText(5000, QLatin1Char('y'));
  EXPECT_EQ(Line(lText, mtAlert, 123, cAfternoon), QString(lHead + lText).toStdString() + "\r\n");
}

TEST(LogLine, TextIsUtf8AndWrittenUnchanged)
{
  const QString lText = QStringLiteral("Создан ордер\tBTCUSDT\nвторая строка\\n");
  const QByteArray lLine = BuildLogLine(TLogMessage(lText, cAfternoon, mtInfo, 0), cRu);
  EXPECT_EQ(lLine, QByteArray(QByteArray("15.03.2024 13:45:07.089\tINFO\t        \t") +
                              lText.toUtf8() + QByteArray("\r\n")));
  EXPECT_TRUE(lLine.contains("\xD0\xA1\xD0\xBE\xD0\xB7")); // "Соз" in UTF-8
}

TEST(LogLine, CutNeverSplitsASurrogatePair)
{
  const QString lHead = QStringLiteral("15.03.2024 13:45:07.089\tINFO\t123\t");
  // A character outside the BMP straddles positions 1000 and 1001.
  const QString lText = QString(999 - lHead.size(), QLatin1Char('z')) +
                        QString::fromUcs4(U"\U0001F4C8") + QStringLiteral("tail");
  const QByteArray lLine = BuildLogLine(TLogMessage(lText, cAfternoon, mtInfo, 123), cRu);
  const QString lKept = lHead + QString(999 - lHead.size(), QLatin1Char('z'));
  EXPECT_EQ(lLine, QByteArray(lKept.toUtf8() + QByteArray("...\r\n")));
  EXPECT_EQ(QString::fromUtf8(lLine).toUtf8(), lLine); // valid UTF-8 throughout
}

TEST(LogLine, LogClockIsTheLocalWallClock)
{
  constexpr TDateTime cMs = 1.0 / 86400000.0;
  for (int i = 0; i < 3; ++i) { // the first call looks the zone up, later ones reuse it
    const TDateTime lBefore = NowLocal();
    const TDateTime lClock = LogClockNow();
    const TDateTime lAfter = NowLocal();
    EXPECT_GE(lClock, lBefore - cMs);
    EXPECT_LE(lClock, lAfter + cMs);
  }
}
