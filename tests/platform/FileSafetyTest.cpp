// Writes that must not lose the previous file, reads that must not trust what they find, and
// the privacy of what is stored.
#include "AtomicFile.h"
#include "Paths.h"
#include "PropertyListGuard.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {
QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

mode_t modeOf(const QString& path) {
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 0777;
}

// A binary property list of `depth` arrays, each holding the next.
QByteArray nestedArrays(int depth) {
    QByteArray body("bplist00");
    QList<quint32> offsets;
    for (int i = 0; i < depth; ++i) {
        offsets.append(static_cast<quint32>(body.size()));
        if (i + 1 < depth) {
            body.append(char(0xA1));
            body.append(char((i + 1) >> 16)).append(char((i + 1) >> 8)).append(char(i + 1));
        } else {
            body.append(char(0xA0));
        }
    }
    const quint64 table = static_cast<quint64>(body.size());
    for (const quint32 offset : offsets)
        body.append(char(offset >> 24))
            .append(char(offset >> 16))
            .append(char(offset >> 8))
            .append(char(offset));
    QByteArray trailer(6, '\0');
    trailer.append(char(4)).append(char(3));
    for (const quint64 value : {quint64(depth), quint64(0), table})
        for (int shift = 56; shift >= 0; shift -= 8)
            trailer.append(char(value >> shift));
    return body + trailer;
}

constexpr PropertyListGuard::Limits Limits{1 << 20, 32, 10'000};
} // namespace

TEST(AtomicFile, KeepsThePreviousFileWhenTheDiskIsFull) {
    QTemporaryDir dir;
    const QString path = dir.filePath("Statistics.plist");
    ASSERT_TRUE(AtomicFile::write(path, "old totals"));
    LogCapture log;
    {
        const NearlyFullDisk disk(16);
        EXPECT_FALSE(AtomicFile::write(path, QByteArray(4096, 'n')));
    }
    EXPECT_EQ(contents(path), "old totals");
    EXPECT_EQ(log.count("Couldn't write"), 1) << "one line per failure";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"Statistics.plist"})
        << "no temporary file is left behind";
}

TEST(AtomicFile, CreatesPrivateFilesWhateverTheUmask) {
    QTemporaryDir dir;
    const mode_t saved = ::umask(0);
    const bool written = AtomicFile::write(dir.filePath("a"), "x");
    ::umask(saved);
    ASSERT_TRUE(written);
    EXPECT_EQ(modeOf(dir.filePath("a")), 0600u);
}

TEST(AtomicFile, FailsOnADeviceThatCannotTakeTheData) {
    AtomicFile full(QStringLiteral("/dev/full"));
    ASSERT_TRUE(full.open()) << "devices are written in place";
    EXPECT_FALSE(full.write("data"));
    EXPECT_FALSE(full.commit());
    EXPECT_FALSE(full.errorString().isEmpty());
    AtomicFile null(QStringLiteral("/dev/null"));
    EXPECT_TRUE(null.open() && null.write("data") && null.commit());
}

TEST(PropertyListGuard, RefusesDeepNestingAndSharedReferencesBeforeParsing) {
    EXPECT_FALSE(PropertyListGuard::refusal(nestedArrays(32), Limits));
    EXPECT_TRUE(PropertyListGuard::refusal(nestedArrays(33), Limits));
    EXPECT_TRUE(PropertyListGuard::refusal(nestedArrays(200'000), Limits));

    const QByteArray xmlDeep = "<plist>" + QByteArray("<array>").repeated(40) +
                               QByteArray("</array>").repeated(40) + "</plist>";
    EXPECT_TRUE(PropertyListGuard::refusal(xmlDeep, Limits));
    const QByteArray xmlFlat =
        "<plist><array>" + QByteArray("<array/>").repeated(100) + "</array></plist>";
    EXPECT_FALSE(PropertyListGuard::refusal(xmlFlat, Limits)) << "empty elements do not nest";

    // Array i holds array i+1 twice: 30 objects that a parser would expand to 2^30 nodes.
    QByteArray shared("bplist00");
    QByteArray offsets;
    for (int i = 0; i < 30; ++i) {
        offsets.append(char(shared.size()));
        shared.append(char(0xA2)).append(char(i + 1)).append(char(i + 1));
    }
    offsets.append(char(shared.size()));
    shared.append(char(0x10)).append(char(7));
    const char table = char(shared.size());
    shared += offsets + QByteArray(6, '\0') + char(1) + char(1) + QByteArray(7, '\0') + char(31) +
              QByteArray(8, '\0') + QByteArray(7, '\0') + table;
    EXPECT_TRUE(PropertyListGuard::refusal(shared, Limits));

    // The property-list library aborts the process on a string holding a NUL.
    const QByteArray nul = QByteArray("bplist00") + char(0x52) + 'a' + '\0' + char(8) +
                           QByteArray(6, '\0') + char(1) + char(1) + QByteArray(7, '\0') + char(1) +
                           QByteArray(8, '\0') + QByteArray(7, '\0') + char(11);
    EXPECT_EQ(PropertyListGuard::refusal(nul, Limits), "a string holding a NUL character");

    EXPECT_TRUE(PropertyListGuard::refusal(QByteArray(Limits.maxBytes + 1, ' '), Limits));
    EXPECT_FALSE(PropertyListGuard::refusal("bplist00", Limits)) << "malformed: left to the parser";
}

TEST(Paths, FoldersAndFilesArePrivateAndExistingOnesAreTightened) {
    QTemporaryDir root;
    qputenv("XDG_DATA_HOME", root.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", root.filePath("config").toUtf8());
    QDir().mkpath(root.filePath("config/Ampelio"));
    ::chmod(QFile::encodeName(root.filePath("config/Ampelio")).constData(), 0755);
    writeFile(root.filePath("config/Ampelio/Ampelio.ini"), "[General]\n");
    ::chmod(QFile::encodeName(root.filePath("config/Ampelio/Ampelio.ini")).constData(), 0644);
    const mode_t saved = ::umask(0);
    Paths::createPrivateDirectories();
    ::umask(saved);
    EXPECT_EQ(modeOf(root.filePath("data/Ampelio")), 0700u);
    EXPECT_EQ(modeOf(root.filePath("config/Ampelio")), 0700u);
    EXPECT_EQ(modeOf(root.filePath("config/Ampelio/Ampelio.ini")), 0600u);
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
}

TEST(Paths, WithoutHomeOrXdgVariablesTheRootIsRefused) {
    const QByteArray home = qgetenv("HOME");
    qunsetenv("HOME");
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    EXPECT_TRUE(Paths::problem());
    qputenv("XDG_DATA_HOME", "/tmp/d");
    qputenv("XDG_CONFIG_HOME", "/tmp/c");
    EXPECT_FALSE(Paths::problem()) << "both XDG variables are enough";
    qunsetenv("XDG_DATA_HOME");
    qunsetenv("XDG_CONFIG_HOME");
    qputenv("HOME", home);
    EXPECT_FALSE(Paths::problem());
}
