#pragma once

#include "Touch.h"

#include <QObject>
#include <QTimer>

// Tells single, double and two-finger taps apart from a sequence of touches. Widget-free so
// that tests can feed it touches. A single tap is only reported after a pause long enough to
// rule out a double tap; a new touch cancels it.
class TapRecognizer : public QObject {
    Q_OBJECT
public:
    explicit TapRecognizer(QObject* parent = nullptr);

    // touchesOnView counts every touch on the view, including those beginning or ending now.
    void touchesBegan(int touchesOnView);
    void touchesEnded(const TouchList& ended, int touchesOnView);
    void touchesCancelled();

    bool twoFingerTapIsPossible() const { return twoFingerTapIsPossible_; }
    bool multipleTouches() const { return multipleTouches_; }
    QPointF tapLocation() const { return tapLocation_; }
    bool singleTapPending() const { return singleTapTimer_.isActive(); }

    static constexpr int singleTapDelayMs = 350;

signals:
    void singleTap();
    void doubleTap();
    void twoFingerTap();

private:
    void endedWithMultipleTouches(const TouchList& ended, bool allEnded);

    bool twoFingerTapIsPossible_ = true;
    bool multipleTouches_ = false;
    QPointF tapLocation_;
    QTimer singleTapTimer_;
};
