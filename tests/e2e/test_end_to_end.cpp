// The terminal as a trader meets it: the real program, with the scripted trader linked in,
// runs as a child process against a real vexa-exchange and is driven through its window
// alone; afterwards the exchange's own answers and the files the terminal left are checked.
#include "exchange_process.h"

#include <QByteArray>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <curl/curl.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <gtest/gtest.h>

#include <iostream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

constexpr int cSymbols = 200;
// The session's own deadline; the process is killed a little after it at the latest.
constexpr int cDeadlineSeconds = 120;
// 1 Jan 1970 in the terminal's days since 30 Dec 1899.
constexpr double cUnixEpochDay = 25569.0;

QByteArray ReadAll(const QString &aFileName)
{
  QFile lFile(aFileName);
  return lFile.open(QIODevice::ReadOnly) ? lFile.readAll() : QByteArray();
}

void WriteAll(const QString &aFileName, const QByteArray &aData)
{
  QFile lFile(aFileName);
  ASSERT_TRUE(lFile.open(QIODevice::WriteOnly)) << aFileName.toStdString();
  lFile.write(aData);
}

size_t AppendBody(char *aData, size_t aSize, size_t aCount, void *aBody)
{
  static_cast<std::string *>(aBody)->append(aData, aSize * aCount);
  return aSize * aCount;
}

// A signed GET on the exchange, made here independently of the terminal's own client.
QJsonDocument SignedGet(const vexa::test::TExchangeProcess &aExchange, const std::string &aPath,
                        const std::string &aQuery)
{
  const std::string lQuery =
      aQuery + "&timestamp=" + std::to_string(QDateTime::currentMSecsSinceEpoch());
  unsigned char lMac[EVP_MAX_MD_SIZE];
  unsigned lMacSize = 0;
  const std::string lSecret = aExchange.secretKey();
  HMAC(EVP_sha256(), lSecret.data(), static_cast<int>(lSecret.size()),
       reinterpret_cast<const unsigned char *>(lQuery.data()), lQuery.size(), lMac, &lMacSize);
  const std::string lUrl =
      aExchange.baseUrl() + aPath + "?" + lQuery + "&signature=" +
      QByteArray(reinterpret_cast<const char *>(lMac), lMacSize).toHex().toStdString();
  const std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> lCurl(curl_easy_init(),
                                                                  curl_easy_cleanup);
  const std::string lKeyHeader = "X-MBX-APIKEY: " + aExchange.apiKey();
  curl_slist *lHeaders = curl_slist_append(nullptr, lKeyHeader.c_str());
  std::string lBody;
  curl_easy_setopt(lCurl.get(), CURLOPT_URL, lUrl.c_str());
  curl_easy_setopt(lCurl.get(), CURLOPT_CAINFO, aExchange.caFile().c_str());
  curl_easy_setopt(lCurl.get(), CURLOPT_HTTPHEADER, lHeaders);
  curl_easy_setopt(lCurl.get(), CURLOPT_WRITEFUNCTION, AppendBody);
  curl_easy_setopt(lCurl.get(), CURLOPT_WRITEDATA, &lBody);
  curl_easy_setopt(lCurl.get(), CURLOPT_TIMEOUT_MS, 10000L);
  curl_easy_setopt(lCurl.get(), CURLOPT_NOSIGNAL, 1L);
  const CURLcode lResult = curl_easy_perform(lCurl.get());
  long lStatus = 0;
  curl_easy_getinfo(lCurl.get(), CURLINFO_RESPONSE_CODE, &lStatus);
  curl_slist_free_all(lHeaders);
  EXPECT_EQ(lResult, CURLE_OK) << curl_easy_strerror(lResult);
  EXPECT_EQ(lStatus, 200) << lBody;
  return QJsonDocument::fromJson(QByteArray::fromStdString(lBody));
}

// A private copy of the program, so that server.json and config.json beside it are ours.
void PlaceProgram(const QString &aFolder)
{
  ASSERT_TRUE(QDir().mkpath(aFolder));
  const QString lTarget = aFolder + QStringLiteral("/Quillon");
  if (::link(VEXA_E2E_DRIVER, lTarget.toLocal8Bit().constData()) != 0) {
    ASSERT_TRUE(QFile::copy(QStringLiteral(VEXA_E2E_DRIVER), lTarget));
  }
}

QString Captured(const QRegularExpression &aPattern, const QString &aText)
{
  return aPattern.match(aText).captured(1);
}

} // namespace

TEST(EndToEnd, TraderChartsLogsInPlacesAndCancelsAnOrderAndTheTerminalClosesCleanly)
{
  QTemporaryDir lDir;
  ASSERT_TRUE(lDir.isValid());
  // VEXA_E2E_KEEP=1 leaves the folder (program, files, request log) for a look afterwards.
  lDir.setAutoRemove(qEnvironmentVariableIsEmpty("VEXA_E2E_KEEP"));
  const QString lRequestLog = lDir.filePath(QStringLiteral("requests.log"));
  vexa::test::TExchangeProcess lExchange(
      {"--symbols", std::to_string(cSymbols), "--request-log", lRequestLog.toStdString()});
  const QString lAccountFile =
      QString::fromStdString(lExchange.stateDir()) + QStringLiteral("/demo-account.json");

  // A fresh installation pointed at the exchange: no config.json yet, no charts.json.
  const QString lExe = lDir.filePath(QStringLiteral("exe"));
  PlaceProgram(lExe);
  WriteAll(lExe + QStringLiteral("/server.json"),
           QJsonDocument(QJsonObject{{"server", QString::fromStdString(lExchange.baseUrl())},
                                     {"caFile", QString::fromStdString(lExchange.caFile())}})
               .toJson());
  // config.json as the demo writes it for the same account: what the login must leave.
  const QString lExpectedConfig = lDir.filePath(QStringLiteral("expected/config.json"));
  ASSERT_TRUE(QDir().mkpath(lDir.filePath(QStringLiteral("expected"))));
  ASSERT_EQ(QProcess::execute(QStringLiteral(VEXA_PROFILE_PATH),
                              {QStringLiteral("--config"), lExpectedConfig,
                               QStringLiteral("--account-file"), lAccountFile}),
            0);

  QProcessEnvironment lEnv = QProcessEnvironment::systemEnvironment();
  for (const char *lName : {"LOCALAPPDATA", "APPDATA", "LANGUAGE"})
    lEnv.remove(QString::fromLatin1(lName));
  lEnv.insert(QStringLiteral("HOME"), lDir.filePath(QStringLiteral("home")));
  lEnv.insert(QStringLiteral("XDG_CONFIG_HOME"), lDir.filePath(QStringLiteral("config")));
  lEnv.insert(QStringLiteral("XDG_DATA_HOME"), lDir.filePath(QStringLiteral("data")));
  lEnv.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  // The trader's own locale, with its decimal comma.
  lEnv.insert(QStringLiteral("LC_ALL"), QStringLiteral("ru_RU.UTF-8"));
  lEnv.insert(QStringLiteral("LANG"), QStringLiteral("ru_RU.UTF-8"));
  lEnv.insert(QStringLiteral("VEXA_E2E_ACCOUNT"), lAccountFile);
  lEnv.insert(QStringLiteral("VEXA_E2E_SYMBOLS"), QString::number(cSymbols));
  lEnv.insert(QStringLiteral("VEXA_E2E_DEADLINE"), QString::number(cDeadlineSeconds));

  QProcess lTerminal;
  lTerminal.setProcessEnvironment(lEnv);
  lTerminal.setWorkingDirectory(lDir.path());
  QElapsedTimer lSession;
  lSession.start();
  lTerminal.start(lExe + QStringLiteral("/Quillon"), {});
  ASSERT_TRUE(lTerminal.waitForStarted(10000)) << lTerminal.errorString().toStdString();
  if (!lTerminal.waitForFinished((cDeadlineSeconds + 15) * 1000)) {
    lTerminal.kill();
    lTerminal.waitForFinished(5000);
    ADD_FAILURE() << "the terminal outlived its own deadline and was killed";
  }
  RecordProperty("session_ms", static_cast<int>(lSession.elapsed()));
  const QString lOut = QString::fromUtf8(lTerminal.readAllStandardOutput());
  const QString lErr = QString::fromUtf8(lTerminal.readAllStandardError());
  const std::string lTranscript = (lOut + lErr).toStdString();
  std::cout << lOut.toStdString();
  ASSERT_EQ(lTerminal.exitStatus(), QProcess::NormalExit) << lTranscript;
  ASSERT_EQ(lTerminal.exitCode(), 0) << lTranscript;
  ASSERT_TRUE(lOut.contains(QStringLiteral("e2e: all steps done"))) << lTranscript;

  // The exchange's own record: the one order, as typed in the Buy panel, cancelled.
  const QString lPrice =
      Captured(QRegularExpression(QStringLiteral("placing BUY LIMIT \\S+ \\S+ at (\\S+)")), lOut);
  const QString lOrderId =
      Captured(QRegularExpression(QStringLiteral("order (\\d+) listed")), lOut);
  ASSERT_FALSE(lPrice.isEmpty() || lOrderId.isEmpty()) << lTranscript;
  const QJsonArray lOrders = SignedGet(lExchange, "/api/v3/allOrders", "symbol=BTCUSDT").array();
  ASSERT_EQ(lOrders.size(), 1) << lTranscript;
  const QJsonObject lOrder = lOrders[0].toObject();
  EXPECT_EQ(QString::number(lOrder.value("orderId").toInteger()), lOrderId);
  EXPECT_EQ(lOrder.value("status").toString(), QStringLiteral("CANCELED"));
  EXPECT_EQ(lOrder.value("side").toString(), QStringLiteral("BUY"));
  EXPECT_EQ(lOrder.value("type").toString(), QStringLiteral("LIMIT"));
  EXPECT_EQ(lOrder.value("price").toString().toDouble(), lPrice.toDouble());
  EXPECT_EQ(lOrder.value("origQty").toString().toDouble(), 0.01);
  EXPECT_EQ(lOrder.value("executedQty").toString().toDouble(), 0.0);

  // Nothing the terminal sent on the way was refused, and it placed and cancelled once.
  int lPosts = 0;
  int lDeletes = 0;
  for (const QByteArray &lLine : ReadAll(lRequestLog).split('\n')) {
    const QList<QByteArray> lFields = lLine.split('\t');
    if (lFields.size() < 6)
      continue;
    EXPECT_LT(lFields[5].toInt(), 400) << lLine.toStdString();
    const bool lOrderPath = lFields[2].startsWith("/api/v3/order");
    lPosts += lOrderPath && lFields[1] == "POST" ? 1 : 0;
    lDeletes += lOrderPath && lFields[1] == "DELETE" ? 1 : 0;
  }
  EXPECT_EQ(lPosts, 1);
  EXPECT_EQ(lDeletes, 1);

  // charts.json holds the chart the trader opened, saved on close: its left edge is then in
  // the loaded history (a save before the history arrived leaves 0 there).
  const QJsonObject lCharts =
      QJsonDocument::fromJson(
          ReadAll(lDir.filePath(QStringLiteral("config/Norvale/Vexa/charts.json"))))
          .object();
  const QJsonArray lChartList = lCharts.value("charts").toArray();
  ASSERT_EQ(lChartList.size(), 1) << QJsonDocument(lCharts).toJson().toStdString();
  EXPECT_EQ(lChartList[0].toObject().value("symbol").toString(), QStringLiteral("BTCUSDT"));
  EXPECT_GT(lChartList[0].toObject().value("width").toInt(), 0);
  EXPECT_GT(lChartList[0].toObject().value("height").toInt(), 0);
  const double lToday = QDateTime::currentMSecsSinceEpoch() / 86400000.0 + cUnixEpochDay;
  EXPECT_NEAR(lChartList[0].toObject().value("left_bar").toDouble(), lToday, 30.0);

  // The login saved the demo account's keys, exactly as the demo itself writes them.
  EXPECT_EQ(ReadAll(lExe + QStringLiteral("/config.json")), ReadAll(lExpectedConfig));
}
