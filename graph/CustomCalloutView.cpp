#include "CustomCalloutView.h"

#include "BlurredShadow.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSysInfo>

#include <algorithm>
#include <cmath>

namespace {
constexpr float calloutArrowHeight = 6.0f; // the arrow's share of the height below the content
constexpr float calloutTopInset = 0.0f;
constexpr float cornerRadius = 7.0f;
constexpr float arrowHalfWidth = 15.0f;
constexpr float arrowDepth = 15.0f;
constexpr qreal shadowBlur = 6.0;
// Where the arrow's tip ends beside the tapped point, above it or (upside down) below it.
constexpr qreal tipGap = 5.5;

const QColor fillColour = QColor::fromRgbF(0, 0, 0, 0.6f);
const QColor shadowColour = QColor::fromRgbF(0, 0, 0, 0.5f);
const QColor outlineColour = QColor::fromRgbF(1.0f / 3.0f, 1.0f / 3.0f, 1.0f / 3.0f, 0.9f);

QTransform lerp(const QTransform& a, const QTransform& b, qreal t) {
    return QTransform(a.m11() + (b.m11() - a.m11()) * t, 0, 0, a.m22() + (b.m22() - a.m22()) * t,
                      a.dx() + (b.dx() - a.dx()) * t, a.dy() + (b.dy() - a.dy()) * t);
}
} // namespace

CustomCalloutView::CustomCalloutView(QWidget* rootView, const QRectF& location)
    : mapView_(rootView), contentHeight_(static_cast<float>(location.height())),
      location_(location) {
    frame_ = rootView ? QRectF(rootView->geometry()) : QRectF();
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    animation_.setStartValue(0.0);
    animation_.setEndValue(1.0);
    connect(&animation_, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { animationStep(value.toReal()); });
    connect(&animation_, &QVariantAnimation::finished, this, &CustomCalloutView::animationFinished);
}

CustomCalloutView::~CustomCalloutView() = default;

QWidget* CustomCalloutView::contentView() {
    if (!contentView_) {
        contentView_ = new QWidget(this);
        contentView_->setAttribute(Qt::WA_TranslucentBackground);
        contentView_->setAutoFillBackground(false);
        contentView_->setGeometry(QRect(QPoint(0, 0), size()));
        contentView_->setVisible(transform_.isIdentity() && alpha_ > 0.0);
    }
    return contentView_;
}

float CustomCalloutView::yShadowOffset() {
    if (!yShadowOffset_) {
        // The shadow falls downwards from version 3.2 on; a version we cannot read is a
        // current system.
        bool ok = false;
        const double version = QSysInfo::productVersion().toDouble(&ok);
        yShadowOffset_ = !ok || version >= 3.2 ? 6.0f : -6.0f;
    }
    return *yShadowOffset_;
}

void CustomCalloutView::setFrame(const QRectF& frame) {
    frame_ = frame;
    applyGeometry();
}

void CustomCalloutView::applyGeometry() {
    setGeometry(frame_.adjusted(-margin, -margin, margin, margin).toAlignedRect());
    if (contentView_)
        contentView_->setGeometry(contentFrame_.translated(paintOrigin()).toRect());
}

QPointF CustomCalloutView::paintOrigin() const {
    return frame_.topLeft() - QPointF(geometry().topLeft());
}

bool CustomCalloutView::bubbleUpsideDown() const {
    return location_.y() - frame_.height() < 0;
}

float CustomCalloutView::relativeParentXPosition() const {
    return arrowX_.value_or(static_cast<float>(frame_.width() * 0.5));
}

float CustomCalloutView::relativeParentYPosition() const {
    return bubbleUpsideDown() ? 15.0f : 0.0f;
}

void CustomCalloutView::display() {
    if (!mapView_)
        return; // the graph is gone; shown on its own the callout would become a window
    prepareFrameSize();
    setParent(mapView_);
    animateIn(); // what entering the root view starts
    show();
    prepareContentFrame();
    prepareOffset();
    setFocusPolicy(Qt::StrongFocus);
    setFocus(); // so that Esc reaches it
    update();
}

void CustomCalloutView::prepareFrameSize() {
    const float height =
        contentHeight_ + calloutTopInset + calloutArrowHeight - offsetFromParent_.y();
    setFrame(QRectF(frame_.topLeft(), QSizeF(location_.width(), height)));
}

void CustomCalloutView::prepareContentFrame() {
    contentFrame_ = QRectF(10, 3 + relativeParentYPosition(), frame_.width() - 20, contentHeight_);
    contentView();
    applyGeometry();
}

void CustomCalloutView::prepareOffset() {
    // Hanging below, the tip ends as far under the point as it ends above it otherwise, so
    // that neither the arrow nor the body covers the tapped sample.
    const qreal y = bubbleUpsideDown() ? -(tipGap - 0.5) : frame_.height();
    qreal x = location_.x() - relativeParentXPosition();
    // Near the edges of what is on screen the bubble slides inwards; the arrow's tip stays on
    // the point.
    const QRectF visible = visibleArea();
    if (visible.width() >= frame_.width()) {
        x = std::clamp(x, visible.left(), visible.right() - frame_.width());
        arrowX_ = static_cast<float>(location_.x() - x);
    }
    setFrame(QRectF(QPointF(x, location_.y() - y), frame_.size()));
}

QRectF CustomCalloutView::visibleArea() const {
    if (!mapView_)
        return {};
    const QRect shown = mapView_->visibleRegion().boundingRect();
    return QRectF(shown.isEmpty() ? mapView_->rect() : shown);
}

float CustomCalloutView::xTransformForScale(float scale) const {
    const float dx = static_cast<float>(endFrame_.width() * 0.5) - relativeParentXPosition();
    return dx * scale - dx;
}

float CustomCalloutView::yTransformForScale(float scale) const {
    const float dy = static_cast<float>(endFrame_.height() * 0.5) +
                     static_cast<float>(offsetFromParent_.y()) + calloutArrowHeight +
                     calloutTopInset;
    return dy - scale * dy;
}

QTransform CustomCalloutView::transformForScale(float scale) const {
    return QTransform(scale, 0, 0, scale, xTransformForScale(scale), yTransformForScale(scale));
}

void CustomCalloutView::animateIn() {
    endFrame_ = frame_;
    setTransform(transformForScale(0.001f));
    animate(QStringLiteral("animateIn"), QEasingCurve::OutQuad, 75, 1.1f, alpha_,
            [this] { animateInStepTwo(); });
}

void CustomCalloutView::animateInStepTwo() {
    animate(QStringLiteral("animateInStepTwo"), QEasingCurve::InOutQuad, 100, 0.95f, alpha_,
            [this] { animateInStepThree(); });
}

void CustomCalloutView::animateInStepThree() {
    animate(QStringLiteral("animateInStepThree"), QEasingCurve::InOutQuad, 75, 1.0f, alpha_, {});
}

void CustomCalloutView::touchesEnded() {
    animate(QStringLiteral("animateInStepTwo"), QEasingCurve::InOutQuad, 100, 0.01f, 0.0, {});
}

bool CustomCalloutView::isOpen() const {
    return !isHidden() && parentWidget() && toAlpha_ > 0.0 && alpha_ > 0.0;
}

bool CustomCalloutView::bubbleContains(const QPointF& pointInRoot) const {
    return hitsBubble(pointInRoot - QPointF(geometry().topLeft()));
}

void CustomCalloutView::animate(const QString& name, QEasingCurve::Type curve, int milliseconds,
                                float scale, qreal alpha, std::function<void()> next) {
    animation_.stop();
    animationName_ = name;
    fromTransform_ = transform_;
    toTransform_ = transformForScale(scale);
    fromAlpha_ = alpha_;
    toAlpha_ = alpha;
    next_ = std::move(next);
    animation_.setDuration(milliseconds);
    animation_.setEasingCurve(curve);
    animation_.start();
}

void CustomCalloutView::animationStep(qreal progress) {
    alpha_ = fromAlpha_ + (toAlpha_ - fromAlpha_) * progress;
    setTransform(lerp(fromTransform_, toTransform_, progress));
}

void CustomCalloutView::animationFinished() {
    alpha_ = toAlpha_;
    setTransform(toTransform_);
    animationName_.clear();
    // A callout faded out is no longer hit by touches.
    setAttribute(Qt::WA_TransparentForMouseEvents, alpha_ <= 0.0);
    if (std::function<void()> next = std::exchange(next_, {}))
        next();
}

QString CustomCalloutView::runningAnimation() const {
    return animation_.state() == QAbstractAnimation::Running ? animationName_ : QString();
}

void CustomCalloutView::completeAnimation() {
    if (animation_.state() == QAbstractAnimation::Running)
        animation_.setCurrentTime(animation_.duration());
}

void CustomCalloutView::setTransform(const QTransform& transform) {
    transform_ = transform;
    if (contentView_)
        contentView_->setVisible(transform_.isIdentity() && alpha_ > 0.0);
    update();
}

QPainterPath CustomCalloutView::bubblePath() const {
    const qreal bw = frame_.width();
    const qreal bh = frame_.height();
    const qreal px = relativeParentXPosition();
    const qreal py = relativeParentYPosition();
    const qreal oy = offsetFromParent_.y();
    const qreal r = cornerRadius;
    const qreal left = 7.5;
    const qreal right = left + (bw - 15);
    const qreal top = py + 0.5;
    const qreal bodyHeight = bh - (1 - oy + 6);
    const qreal bottom = top + bodyHeight;

    QPainterPath path;
    path.moveTo(left, top + r);
    path.lineTo(left, bottom - r);
    path.arcTo(QRectF(left, bottom - 2 * r, 2 * r, 2 * r), 180, 90);
    path.arcTo(QRectF(right - 2 * r, bottom - 2 * r, 2 * r, 2 * r), 270, 90);
    path.lineTo(right, top + r);
    path.arcTo(QRectF(right - 2 * r, top, 2 * r, 2 * r), 0, 90);
    path.lineTo(left + r, top);
    path.arcTo(QRectF(left, top, 2 * r, 2 * r), 90, 90);
    path.closeSubpath();

    const qreal base = bubbleUpsideDown() ? top : 0.5 + bodyHeight;
    const qreal tip = bubbleUpsideDown() ? top - arrowDepth : base + arrowDepth;
    // The arrow leaves the straight part of the edge, leaning when the bubble was moved aside.
    const qreal straightFrom = left + r + arrowHalfWidth;
    const qreal bx =
        std::clamp(px, straightFrom, std::max(straightFrom, right - r - arrowHalfWidth));
    path.moveTo(left + r, base);
    path.lineTo(bx - arrowHalfWidth, base);
    path.lineTo(px, tip);
    path.lineTo(bx + arrowHalfWidth, base);
    path.closeSubpath();
    return path;
}

void CustomCalloutView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(paintOrigin());
    painter.setOpacity(alpha_);
    const bool transformed = !transform_.isIdentity();
    if (transformed) {
        // As a view's transform: about the centre of the untransformed callout.
        const QPointF centre(frame_.width() * 0.5, frame_.height() * 0.5);
        painter.translate(centre + QPointF(transform_.dx(), transform_.dy()));
        painter.scale(transform_.m11(), transform_.m22());
        painter.translate(-centre);
    }
    drawBubble(painter);
    if (transformed)
        drawContentPicture(painter);
}

void CustomCalloutView::drawBubble(QPainter& painter) {
    const QPainterPath path = bubblePath();
    // Drawn with the fill, so the shadow takes the fill's opacity as well as its own.
    QColor shadow = shadowColour;
    shadow.setAlphaF(shadowColour.alphaF() * fillColour.alphaF());
    const BlurredShadow picture = BlurredShadow::of(path, shadow, shadowBlur);
    painter.drawImage(picture.origin + QPointF(0, yShadowOffset()), picture.image);
    painter.fillPath(path, fillColour);
    QPen outline(outlineColour, 1.0, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.strokePath(path, outline);
}

void CustomCalloutView::drawContentPicture(QPainter& painter) {
    if (!contentView_ || contentFrame_.isEmpty())
        return;
    const qreal dpr = devicePixelRatioF();
    QImage picture(contentView_->size() * dpr, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(dpr);
    picture.fill(Qt::transparent);
    contentView_->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
    painter.drawImage(contentFrame_.topLeft(), picture);
}

bool CustomCalloutView::hitsBubble(const QPointF& widgetPoint) const {
    return bubblePath().contains(widgetPoint - paintOrigin());
}

void CustomCalloutView::mousePressEvent(QMouseEvent* event) {
    // Presses beside the bubble, in the margin kept for its shadow, belong to the graph.
    if (hitsBubble(event->position()))
        event->accept();
    else
        event->ignore();
}

void CustomCalloutView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isOpen()) {
        touchesEnded();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CustomCalloutView::mouseReleaseEvent(QMouseEvent* event) {
    if (!hitsBubble(event->position())) {
        event->ignore();
        return;
    }
    touchesEnded();
}
