#pragma once

#include "Paths.h"

#include <QString>
#include <QTemporaryDir>

// A log of a million synthetic samples over ten years, written once per benchmark run into a
// temporary directory that is removed at exit. The clock is frozen just after its newest sample.
struct LargeLog {
    static constexpr long long Samples = 1000000;
    static constexpr double Days = 3650;

    QTemporaryDir dir;
    double end = 1.8e9;

    QString documents() const { return dir.path(); }
    QString database() const { return Paths::storePath(dir.path()); }
};

LargeLog& largeLog();
