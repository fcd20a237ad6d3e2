#include "TapRecognizer.h"

TapRecognizer::TapRecognizer(QObject* parent) : QObject(parent) {
    singleTapTimer_.setSingleShot(true);
    singleTapTimer_.setInterval(singleTapDelayMs);
    connect(&singleTapTimer_, &QTimer::timeout, this, &TapRecognizer::singleTap);
}

void TapRecognizer::touchesBegan(int touchesOnView) {
    singleTapTimer_.stop();
    if (touchesOnView >= 2)
        multipleTouches_ = true;
    if (touchesOnView >= 3)
        twoFingerTapIsPossible_ = false;
}

void TapRecognizer::touchesEnded(const TouchList& ended, int touchesOnView) {
    if (ended.isEmpty())
        return;
    const bool allEnded = ended.size() == touchesOnView;
    if (!multipleTouches_) {
        tapLocation_ = ended.first().location;
        if (ended.first().tapCount == 1)
            singleTapTimer_.start();
        else if (ended.first().tapCount == 2)
            emit doubleTap();
    } else if (twoFingerTapIsPossible_) {
        endedWithMultipleTouches(ended, allEnded);
    }
    if (allEnded) {
        twoFingerTapIsPossible_ = true;
        multipleTouches_ = false;
    }
}

void TapRecognizer::endedWithMultipleTouches(const TouchList& ended, bool allEnded) {
    if (ended.size() == 2 && allEnded) {
        if (ended[0].tapCount == 1 && ended[1].tapCount == 1) {
            tapLocation_ = (ended[0].location + ended[1].location) / 2;
            emit twoFingerTap();
        }
    } else if (ended.size() == 1 && !allEnded) {
        // The first of two fingers lifts; its place is kept for the midpoint.
        if (ended[0].tapCount == 1)
            tapLocation_ = ended[0].location;
        else
            twoFingerTapIsPossible_ = false;
    } else if (ended.size() == 1 && allEnded) {
        if (ended[0].tapCount == 1) {
            tapLocation_ = (tapLocation_ + ended[0].location) / 2;
            emit twoFingerTap();
        }
    }
}

void TapRecognizer::touchesCancelled() {
    twoFingerTapIsPossible_ = true;
    multipleTouches_ = false;
}
