#include "TrayIcon.h"

#include "ChargeTimeEstimator.h"
#include "PowerSource.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSystemTrayIcon>

namespace {
QString stateName(int state) {
    switch (state) {
    case BatteryStateUnplugged:
        return QStringLiteral("on battery");
    case BatteryStateCharging:
        return QStringLiteral("charging");
    case BatteryStateFull:
        return QStringLiteral("full");
    default:
        return QString();
    }
}

QColor levelColour(float level, int state) {
    if (state == BatteryStateCharging || state == BatteryStateFull)
        return QColor(0x34, 0xa8, 0x53);
    if (level >= 0 && level < 0.2f)
        return QColor(0xd9, 0x30, 0x25);
    return QColor(0x2f, 0x6f, 0xd6);
}
} // namespace

TrayIcon::TrayIcon(PowerSource& source, QObject* parent) : QObject(parent), source_(source) {
    refresh_.setInterval(30000);
    connect(&refresh_, &QTimer::timeout, this, &TrayIcon::refresh);
    menu_ = new QMenu();
    menu_->addAction(QStringLiteral("Show Ampelio"), this, &TrayIcon::showRequested);
    quit_ = menu_->addAction(QStringLiteral("Quit"), this, &TrayIcon::quitRequested);
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        tray_ = new QSystemTrayIcon(this);
        tray_->setContextMenu(menu_);
        connect(tray_, &QSystemTrayIcon::activated, this,
                [this](QSystemTrayIcon::ActivationReason reason) {
                    if (reason == QSystemTrayIcon::Trigger)
                        emit showRequested();
                });
    }
    refresh();
    if (tray_)
        tray_->show();
    refresh_.start();
}

TrayIcon::~TrayIcon() {
    delete menu_;
}

bool TrayIcon::isVisible() const {
    return tray_ && tray_->isVisible();
}

void TrayIcon::addSettingsAction(QAction* action) {
    menu_->insertAction(quit_, action);
}

void TrayIcon::setEstimate(const QString& text) {
    estimate_ = text == ChargeTimeEstimate::none() ? QString() : text;
    refresh();
}

void TrayIcon::refresh() {
    float level = source_.combinedBatteryLevel();
    if (level < 0)
        level = source_.level();
    level_ = level;
    state_ = source_.state();
    toolTip_ = describe(level_, state_, estimate_);
    if (tray_) {
        tray_->setIcon(icon());
        tray_->setToolTip(toolTip_);
    }
}

QIcon TrayIcon::icon() const {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(draw(level_, state_, size)));
    return icon;
}

QString TrayIcon::describe(float level, int state, const QString& estimate) {
    QString text = QStringLiteral("Ampelio: ");
    text += level >= 0 ? QString::asprintf("%.0f %%", static_cast<double>(level) * 100.0)
                       : QStringLiteral("level unknown");
    const QString stateText = stateName(state);
    if (!stateText.isEmpty())
        text += QStringLiteral(", ") + stateText;
    if (!estimate.isEmpty())
        text += QStringLiteral("\n") + estimate;
    return text;
}

// A battery lying on its side, filled to the level, with a bolt while on the charger; drawn
// rather than picked from a set so every percent shows.
QImage TrayIcon::draw(float level, int state, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    const QRectF body(s * 0.06, s * 0.22, s * 0.80, s * 0.56);
    const QRectF tip(body.right(), s * 0.38, s * 0.10, s * 0.24);
    const qreal line = std::max(1.0, s / 14.0);
    painter.setPen(QPen(QColor(0x30, 0x30, 0x30), line));
    painter.setBrush(QColor(255, 255, 255, 230));
    painter.drawRoundedRect(body, s * 0.08, s * 0.08);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x30, 0x30, 0x30));
    painter.drawRect(tip);
    const QRectF inside = body.adjusted(line * 1.5, line * 1.5, -line * 1.5, -line * 1.5);
    if (level >= 0) {
        const qreal fraction = std::clamp(static_cast<qreal>(level), 0.0, 1.0);
        painter.setBrush(levelColour(level, state));
        painter.drawRect(
            QRectF(inside.left(), inside.top(), inside.width() * fraction, inside.height()));
    } else {
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), line));
        QFont font;
        font.setPixelSize(static_cast<int>(inside.height()));
        font.setBold(true);
        painter.setFont(font);
        painter.drawText(inside, Qt::AlignCenter, QStringLiteral("?"));
    }
    if (state == BatteryStateCharging) {
        QPainterPath bolt;
        const QRectF b = inside;
        bolt.moveTo(b.left() + b.width() * 0.55, b.top());
        bolt.lineTo(b.left() + b.width() * 0.35, b.center().y() + b.height() * 0.08);
        bolt.lineTo(b.left() + b.width() * 0.50, b.center().y() + b.height() * 0.08);
        bolt.lineTo(b.left() + b.width() * 0.42, b.bottom());
        bolt.lineTo(b.left() + b.width() * 0.68, b.center().y() - b.height() * 0.10);
        bolt.lineTo(b.left() + b.width() * 0.53, b.center().y() - b.height() * 0.10);
        bolt.closeSubpath();
        painter.setPen(QPen(QColor(0x30, 0x30, 0x30), std::max(0.8, line * 0.6)));
        painter.setBrush(QColor(0xff, 0xd6, 0x0a));
        painter.drawPath(bolt);
    }
    return image;
}
