#pragma once

// The real executable against a sysfs-format battery in a temporary folder.
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

class CommandLineTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString supply() const { return root.filePath("supply"); }
    QString data() const { return root.filePath("data"); }

    void SetUp() override { setBattery("Discharging", 80); }

    void setBattery(const char* status, int percent) {
        writeFile(supply() + "/BAT0/type", "Battery\n");
        writeFile(supply() + "/BAT0/status", QByteArray(status) + "\n");
        writeFile(supply() + "/BAT0/capacity", QByteArray::number(percent) + "\n");
        writeFile(supply() + "/BAT0/charge_full", "4000000\n");
        writeFile(supply() + "/BAT0/charge_now", QByteArray::number(percent * 40000) + "\n");
    }

    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("AMPELIO_POWER_SUPPLY_DIR", supply());
        env.insert("AMPELIO_POLL_SECONDS", "1");
        env.insert("XDG_DATA_HOME", data());
        env.insert("XDG_CONFIG_HOME", root.filePath("config"));
        env.insert("LC_ALL", "en_US.UTF-8");
        env.insert("TZ", "UTC");
        return env;
    }

    // Reads the merged output until a line containing the text appears, or the deadline passes.
    static bool waitForLine(QProcess& process, QString& seen, const QString& text, int ms,
                            int times = 1) {
        QElapsedTimer timer;
        timer.start();
        while (seen.count(text) < times) {
            const int left = ms - static_cast<int>(timer.elapsed());
            if (left <= 0 || !process.waitForReadyRead(left))
                return seen.count(text) >= times;
            seen += QString::fromUtf8(process.readAll());
        }
        return true;
    }

    struct Result {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Result run(const QStringList& arguments, const char* program = AMPELIO_BINARY) const {
        QProcess process;
        process.setProcessEnvironment(environment());
        process.start(program, arguments);
        if (!process.waitForFinished(20000))
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    // The headless logger, its output merged for waitForLine.
    void startHeadless(QProcess& app, const QStringList& more = {}) const {
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.setProcessEnvironment(environment());
        app.start(AMPELIO_BINARY, QStringList{"--headless"} + more);
    }

    // Starts the headless logger and waits until it has logged the first sample and gone to the
    // background; false (with the output in seen) when it does not.
    bool startLogging(QProcess& app, QString& seen, const QString& firstSample) const {
        startHeadless(app);
        return app.waitForStarted() && waitForLine(app, seen, firstSample, 15000) &&
               waitForLine(app, seen, "Installed keep-alive handler", 15000);
    }

    // The application with its window, on the offscreen platform.
    void startWithWindow(QProcess& app, const QStringList& arguments) const {
        app.setProcessChannelMode(QProcess::MergedChannels);
        QProcessEnvironment env = environment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        app.setProcessEnvironment(env);
        app.start(AMPELIO_BINARY, arguments);
    }

    QString exportCsv() const {
        QProcess exporter;
        exporter.setProcessEnvironment(environment());
        exporter.start(AMPELIO_BINARY, {"--export-csv"});
        exporter.waitForFinished(10000);
        EXPECT_EQ(exporter.exitCode(), 0) << exporter.readAllStandardError().constData();
        return QString::fromUtf8(exporter.readAllStandardOutput());
    }
};
