#pragma once

#include "Event.h"

#include <QList>

#include <optional>

// Thins the samples of a time window, fed oldest first, to what a number of point columns can
// show, in one pass and bounded memory: a window of at most `keepWholeUpTo` samples comes back
// whole; a denser one keeps, per column, its lowest and highest level, the samples where the
// state changes (the badges, at most maxMarksPerColumn) and the first unknown level of each
// run (where the line breaks), plus the window's first and last sample. The result stays in
// time order.
class WindowSampler {
public:
    WindowSampler(double earlier, double later, int columns, int keepWholeUpTo);

    void add(const Event& event);
    QList<Event> take();

    static constexpr int maxMarksPerColumn = 8;

private:
    struct Kept {
        qint64 sequence = 0;
        Event event;
    };

    int columnOf(double date) const;
    void sample(const Kept& kept);
    void flushColumn();

    double earlier_;
    double span_;
    int columns_;
    int keepWholeUpTo_;
    qint64 count_ = 0;
    QList<Event> whole_; // until the window proves denser than keepWholeUpTo
    bool thinning_ = false;

    int column_ = -1;
    std::optional<Kept> lowest_;
    std::optional<Kept> highest_;
    QList<Kept> marks_;
    std::optional<Event> previous_;
    std::optional<Kept> last_;
    qint64 lastTaken_ = -1;
    QList<Event> out_;
};
