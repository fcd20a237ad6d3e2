#pragma once

#include <initializer_list>
#include <utility>

#include "Clock.h"

#include <QStringList>
#include <QTemporaryDir>

#include <ostream>
#include <sys/resource.h>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// Collects every line logged through Qt while alive.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    const QStringList& lines() const;
    bool contains(const QString& fragment) const;
    int count(const QString& fragment) const;
};

// Time stands still until moved.
class FakeClock {
public:
    explicit FakeClock(double start = 1.8e9) : now_(start) {
        Clock::setSource([this] { return now_ += tick_; });
    }
    // Moves time on by this much at every reading, as a real clock does between two calls.
    void setTick(double seconds) { tick_ = seconds; }
    ~FakeClock() { Clock::reset(); }
    void advance(double seconds) { now_ += seconds; }
    void set(double t) { now_ = t; }
    double now() const { return now_; }

private:
    double now_;
    double tick_ = 0;
};

// Points the data and configuration directories at a fresh temporary directory.
class TemporaryHome {
public:
    TemporaryHome();
    ~TemporaryHome();
    QString path() const { return dir_.path(); }
    QString dataDir() const;
    QString configDir() const;

private:
    QTemporaryDir dir_;
    QByteArray oldData_;
    QByteArray oldConfig_;
};

// Saves a rendered widget as NAME.png in $AMPELIO_SCREENSHOT_DIR, when that is set, so the
// pictures can be looked at after a test run.
void saveScreenshot(const class QImage& image, const char* name);

// Copies a fixture directory tree into dest.
bool copyTree(const QString& source, const QString& dest);
// Writes text into a file, creating its directory.
void writeFile(const QString& path, const QByteArray& content);
// Writes each file below `root`, e.g. a sysfs battery folder: {{"BAT0/type", "Battery\n"}, ...}.
void writeFiles(const QString& root,
                std::initializer_list<std::pair<const char*, const char*>> files);

// A disk with only `bytes` left for any one file: RLIMIT_FSIZE makes every larger write fail
// (EFBIG) the way a full disk does (ENOSPC), for root as well.
class NearlyFullDisk {
public:
    explicit NearlyFullDisk(rlim_t bytes);
    ~NearlyFullDisk();

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};
