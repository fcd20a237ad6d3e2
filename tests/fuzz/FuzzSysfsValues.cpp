// The battery's attribute files as the kernel might (mis)report them: the input is split at
// NUL bytes into the files of one battery, and every reading must stay a plausible figure or
// be absent.
#include "QuietLog.h"
#include "SysfsPowerSource.h"

#include <QDir>
#include <QFile>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {
const char* const Files[] = {"type",
                             "status",
                             "capacity",
                             "charge_now",
                             "charge_full",
                             "charge_full_design",
                             "energy_now",
                             "energy_full",
                             "energy_full_design",
                             "voltage_now",
                             "voltage_min_design",
                             "current_now",
                             "power_now",
                             "cycle_count",
                             "temp"};

QString batteryDirectory() {
    static const QString root =
        QDir::tempPath() + QStringLiteral("/ampelio-fuzz-sysfs-%1").arg(::getpid());
    QDir().mkpath(root + QStringLiteral("/BAT0"));
    return root;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString root = batteryDirectory();
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QList<QByteArray> values = bytes.split('\0');
    for (size_t i = 0; i < std::size(Files); ++i) {
        QFile file(root + QStringLiteral("/BAT0/") + QLatin1String(Files[i]));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        // The first file is always a battery, so that every input reaches the parsers.
        file.write(i == 0 ? QByteArray("Battery\n") : values.value(static_cast<qsizetype>(i)));
    }
    const SysfsPowerSource source(root);
    const float level = source.level();
    if (level != -1.0f && !(level >= 0.0f && level <= 1.0f))
        std::abort(); // a level outside 0..1 would be stored and drawn
    const auto properties = source.properties();
    for (auto it = properties.cbegin(); it != properties.cend(); ++it) {
        if (!std::isfinite(it.value()))
            std::abort();
    }
    source.name();
    source.state();
    return 0;
}
