#include "FadingLabel.h"

FadingLabel::FadingLabel(const QColor& textColour, QWidget* parent)
    : QLabel(parent), colour_(textColour), animation_(this, "presentationAlpha") {
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setPresentationAlpha(1.0);
}

void FadingLabel::setAlpha(qreal alpha) {
    animation_.stop();
    alpha_ = alpha;
    setPresentationAlpha(alpha);
}

void FadingLabel::animateAlpha(const QString& name, qreal target, int milliseconds,
                               QEasingCurve::Type curve) {
    animation_.stop();
    animationName_ = name;
    alpha_ = target;
    animation_.setDuration(milliseconds);
    animation_.setEasingCurve(curve);
    animation_.setStartValue(shown_);
    animation_.setEndValue(target);
    animation_.start();
}

void FadingLabel::setPresentationAlpha(qreal alpha) {
    shown_ = alpha;
    QColor colour = colour_;
    colour.setAlphaF(static_cast<float>(colour_.alphaF() * alpha));
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, colour);
    setPalette(palette);
}
