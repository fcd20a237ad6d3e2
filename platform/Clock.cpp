#include "Clock.h"

#include <QDateTime>

#include <mutex>

namespace {
std::mutex sourceMutex;
std::function<double()>& source() {
    static std::function<double()> fn;
    return fn;
}
} // namespace

double Clock::now() {
    {
        std::lock_guard lock(sourceMutex);
        if (source())
            return source()();
    }
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0;
}

void Clock::setSource(std::function<double()> fn) {
    std::lock_guard lock(sourceMutex);
    source() = std::move(fn);
}

void Clock::reset() {
    setSource({});
}
