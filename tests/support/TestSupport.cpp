#include "TestSupport.h"

#include "UserDefaults.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <csignal>

namespace {
QStringList capturedLines;
QtMessageHandler previousHandler = nullptr;

void captureMessage(QtMsgType, const QMessageLogContext&, const QString& message) {
    capturedLines.append(message);
}
} // namespace

LogCapture::LogCapture() {
    capturedLines.clear();
    previousHandler = qInstallMessageHandler(captureMessage);
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(previousHandler);
}

const QStringList& LogCapture::lines() const {
    return capturedLines;
}

bool LogCapture::contains(const QString& fragment) const {
    return count(fragment) > 0;
}

int LogCapture::count(const QString& fragment) const {
    int n = 0;
    for (const QString& line : capturedLines)
        n += line.contains(fragment) ? 1 : 0;
    return n;
}

TemporaryHome::TemporaryHome()
    : oldData_(qgetenv("XDG_DATA_HOME")), oldConfig_(qgetenv("XDG_CONFIG_HOME")) {
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataDir()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configDir()));
    QDir().mkpath(dataDir() + QStringLiteral("/Ampelio"));
    UserDefaults::resetStandard();
}

TemporaryHome::~TemporaryHome() {
    qputenv("XDG_DATA_HOME", oldData_);
    qputenv("XDG_CONFIG_HOME", oldConfig_);
    UserDefaults::resetStandard();
}

QString TemporaryHome::dataDir() const {
    return dir_.path() + QStringLiteral("/data");
}

QString TemporaryHome::configDir() const {
    return dir_.path() + QStringLiteral("/config");
}

bool copyTree(const QString& source, const QString& dest) {
    QDirIterator it(source, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    bool ok = true;
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = dest + QLatin1Char('/') + QDir(source).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        ok = QFile::copy(file, target) && ok;
    }
    return ok;
}

void writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(content);
}

void writeFiles(const QString& root,
                std::initializer_list<std::pair<const char*, const char*>> files) {
    for (const auto& [path, content] : files)
        writeFile(root + QLatin1Char('/') + QLatin1String(path), content);
}

void saveScreenshot(const QImage& image, const char* name) {
    const QString dir = qEnvironmentVariable("AMPELIO_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + QLatin1String(name) + QStringLiteral(".png"));
}

NearlyFullDisk::NearlyFullDisk(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    // Past the limit the kernel also sends SIGXFSZ, whose default action ends the process.
    previous_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

NearlyFullDisk::~NearlyFullDisk() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previous_);
}
