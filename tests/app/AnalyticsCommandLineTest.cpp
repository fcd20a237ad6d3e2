// The real executables: the headless application reports to a collector, and the collector
// answers and records what it is sent.
#include "ReportCollector.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <gtest/gtest.h>

TEST(AnalyticsCommandLine, TheHeadlessApplicationReportsItsLaunchPauseAndEnd) {
    QTemporaryDir root;
    ReportCollector collector;
    ASSERT_TRUE(collector.listen());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("AMPELIO_ANALYTICS_URL", collector.url());
    env.insert("AMPELIO_POWER_SOURCE", "simulated");
    env.insert("AMPELIO_KEYCHAIN", "file");
    env.insert("XDG_DATA_HOME", root.filePath("data"));
    env.insert("XDG_CONFIG_HOME", root.filePath("config"));
    env.insert("XDG_CACHE_HOME", root.filePath("cache"));
    QProcess app;
    app.setProcessEnvironment(env);
    app.start(AMPELIO_BINARY, {"--headless"});
    ASSERT_TRUE(app.waitForStarted());

    // Launch, then the departure to the background.
    ASSERT_TRUE(QTest::qWaitFor([&] { return collector.reports().size() >= 2; }, 5000))
        << collector.reports().size();
    const QJsonObject launch = collector.reports()[0];
    EXPECT_TRUE(launch.value("checksumValid").toBool());
    EXPECT_EQ(launch.value("apiKey").toString(), QStringLiteral("QZ7HNM4TKD9WB2XRLC6V"));
    EXPECT_TRUE(launch.value("sessions").toArray().isEmpty());
    EXPECT_EQ(launch.value("appVersion").toString(), QStringLiteral(AMPELIO_VERSION));
    const QJsonArray sessions = collector.reports()[1].value("sessions").toArray();
    ASSERT_EQ(sessions.size(), 1);
    EXPECT_EQ(sessions[0].toObject().value("appVersion").toString(),
              QStringLiteral(AMPELIO_VERSION));

    app.terminate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.state() == QProcess::NotRunning; }, 5000));
    EXPECT_EQ(app.exitCode(), 0);
    // The report of the end is stored before the process leaves, to go at the latest with the
    // next start.
    QStringList blocks;
    for (const QString& file :
         QDir(root.filePath("data/Ampelio/AnalyticsFiles")).entryList(QDir::Files))
        if (!QUuid::fromString(file).isNull())
            blocks.append(file);
    EXPECT_GE(blocks.size() + collector.reports().size(), 3);
}

TEST(AnalyticsCommandLine, TheCollectorAnswersWithItsStatusAndWritesEachReportAsALine) {
    QTemporaryDir root;
    const QString output = root.filePath("reports.jsonl");
    QProcess collector;
    collector.start(AMPELIO_COLLECTOR, {"--status", "503", "--output", output});
    ASSERT_TRUE(collector.waitForReadyRead(5000));
    const QString banner = QString::fromUtf8(collector.readLine());
    const QString url = banner.section(' ', 2, 2).remove(',');
    ASSERT_TRUE(url.startsWith("http://127.0.0.1:")) << qPrintable(banner);

    QFile golden(AMPELIO_GOLDEN_REPORT);
    ASSERT_TRUE(golden.open(QIODevice::ReadOnly));
    QNetworkAccessManager manager;
    QNetworkRequest request{QUrl(url)};
    request.setHeader(QNetworkRequest::ContentTypeHeader, "application/octet-stream");
    QNetworkReply* reply = manager.post(request, golden.readAll());
    QSignalSpy finished(reply, &QNetworkReply::finished);
    ASSERT_TRUE(finished.wait(5000));
    EXPECT_EQ(reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), 503);
    reply->deleteLater();
    collector.terminate();
    collector.waitForFinished(5000);

    QFile lines(output);
    ASSERT_TRUE(lines.open(QIODevice::ReadOnly));
    const QJsonObject line = QJsonDocument::fromJson(lines.readLine()).object();
    EXPECT_TRUE(line.value("valid").toBool());
    EXPECT_EQ(line.value("status").toInt(), 503);
    EXPECT_TRUE(line.value("report").toObject().value("checksumValid").toBool());
}
