#pragma once

#include <QColor>
#include <QEasingCurve>
#include <QLabel>
#include <QPropertyAnimation>

// A text label whose opacity fades. Like a layer, it has a model alpha, which an animation sets
// at once when it starts and which decisions read, and a presentation alpha, which is what the
// screen shows while the animation runs.
class FadingLabel : public QLabel {
    Q_OBJECT
    Q_PROPERTY(qreal presentationAlpha READ presentationAlpha WRITE setPresentationAlpha)
public:
    FadingLabel(const QColor& textColour, QWidget* parent = nullptr);

    qreal alpha() const { return alpha_; }
    // Without animation.
    void setAlpha(qreal alpha);
    // Animates from what is on screen now to `target`, replacing a running animation.
    void animateAlpha(const QString& name, qreal target, int milliseconds,
                      QEasingCurve::Type curve = QEasingCurve::InOutQuad);

    qreal presentationAlpha() const { return shown_; }
    void setPresentationAlpha(qreal alpha);

    // The last animation started, for looking at from outside.
    const QString& animationName() const { return animationName_; }
    const QPropertyAnimation& animation() const { return animation_; }

private:
    QColor colour_;
    qreal alpha_ = 1.0;
    qreal shown_ = 1.0;
    QString animationName_;
    QPropertyAnimation animation_;
};
