#pragma once

#include <QList>
#include <QPointF>

// One finger (or the mouse standing in for it) as the tap logic sees it: where it is, in the
// receiving view's coordinates, and how many quick taps in a row it completes.
struct Touch {
    QPointF location;
    int tapCount = 1;
};

using TouchList = QList<Touch>;
