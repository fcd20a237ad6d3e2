#include "WindowSampler.h"

#include <algorithm>
#include <cmath>
#include <utility>

WindowSampler::WindowSampler(double earlier, double later, int columns, int keepWholeUpTo)
    : earlier_(std::min(earlier, later)), span_(std::fabs(later - earlier)),
      columns_(std::max(columns, 1)), keepWholeUpTo_(std::max(keepWholeUpTo, 0)) {}

int WindowSampler::columnOf(double date) const {
    if (!(span_ > 0))
        return 0;
    const double c = std::floor((date - earlier_) / span_ * columns_);
    return static_cast<int>(std::clamp(c, 0.0, static_cast<double>(columns_ - 1)));
}

void WindowSampler::add(const Event& event) {
    const Kept kept{count_++, event};
    if (!thinning_) {
        whole_.append(event);
        if (whole_.size() <= keepWholeUpTo_)
            return;
        // Denser than the caller draws whole: sample what was held back, then go on streaming.
        thinning_ = true;
        const QList<Event> held = std::exchange(whole_, {});
        for (qsizetype i = 0; i < held.size(); ++i)
            sample(Kept{i, held[i]});
        return;
    }
    sample(kept);
}

void WindowSampler::sample(const Kept& kept) {
    const Event& e = kept.event;
    const int column = columnOf(e.creationDate);
    if (column != column_)
        flushColumn();
    column_ = column;
    const bool unknown = !(e.batteryLevel >= 0.0f);
    const bool stateChange = !previous_ || previous_->batteryState != e.batteryState;
    const bool breakStart = unknown && previous_ && previous_->batteryLevel >= 0.0f;
    if ((kept.sequence == 0 || stateChange || breakStart) && marks_.size() < maxMarksPerColumn)
        marks_.append(kept);
    if (!unknown) {
        if (!lowest_ || e.batteryLevel < lowest_->event.batteryLevel)
            lowest_ = kept;
        if (!highest_ || e.batteryLevel > highest_->event.batteryLevel)
            highest_ = kept;
    }
    previous_ = e;
    last_ = kept;
}

void WindowSampler::flushColumn() {
    QList<Kept> column = std::exchange(marks_, {});
    if (lowest_)
        column.append(*lowest_);
    if (highest_)
        column.append(*highest_);
    lowest_.reset();
    highest_.reset();
    std::sort(column.begin(), column.end(),
              [](const Kept& a, const Kept& b) { return a.sequence < b.sequence; });
    for (const Kept& k : column) {
        if (k.sequence == lastTaken_)
            continue; // the lowest and the highest may be one sample, or a mark
        out_.append(k.event);
        lastTaken_ = k.sequence;
    }
}

QList<Event> WindowSampler::take() {
    if (!thinning_)
        return std::exchange(whole_, {});
    flushColumn();
    if (last_ && last_->sequence != lastTaken_)
        out_.append(last_->event);
    return std::exchange(out_, {});
}
