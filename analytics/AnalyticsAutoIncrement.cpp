#include "AnalyticsAutoIncrement.h"

#include "AnalyticsLog.h"

AnalyticsAutoIncrement& AnalyticsAutoIncrement::instance() {
    static AnalyticsAutoIncrement counter;
    return counter;
}

qint64 AnalyticsAutoIncrement::nextCountFor(int kind) {
    std::lock_guard lock(mutex_);
    auto it = counts_.find(kind);
    if (it == counts_.end()) {
        it = counts_.insert(kind, 1);
        ANALYTICS_LOG(Exactly3,
                      "AnalyticsAutoIncrement: nextCountFor creating a new count for key[%d] "
                      "value[%lld]",
                      kind, *it);
    } else {
        ++*it;
        ANALYTICS_LOG(Exactly3,
                      "AnalyticsAutoIncrement: nextCountFor incrementing a new count for key[%d] "
                      "value[%lld]",
                      kind, *it);
    }
    ANALYTICS_LOG(Exactly3, "AnalyticsAutoIncrement: nextCountFor key[%d] value[%lld]", kind, *it);
    return *it;
}

void AnalyticsAutoIncrement::resetAll() {
    std::lock_guard lock(mutex_);
    counts_.clear();
    ANALYTICS_LOG(Exactly3, "AnalyticsAutoIncrement: size[%lu]",
                  static_cast<unsigned long>(counts_.size()));
}
