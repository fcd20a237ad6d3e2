// The statistics file reader over arbitrary bytes: it must refuse, never crash or hang.
#include "QuietLog.h"
#include "StatisticsFile.h"
#include "StatisticsRange.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstddef>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const QString path =
        QDir::tempPath() + QStringLiteral("/ampelio-fuzz-statistics-%1.plist").arg(::getpid());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    file.close();
    StatisticsRange range;
    StatisticsFile::read(path, range, StatisticsFile::Damaged::Leave);
    return 0;
}
