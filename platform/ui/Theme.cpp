#include "Theme.h"

#include <QGuiApplication>
#include <QPalette>
#include <QStyleHints>

namespace {
Theme::Scheme forced = Theme::Scheme::Auto;

QColor pick(const QColor& light, const QColor& dark) {
    return Theme::isDark() ? dark : light;
}
} // namespace

void Theme::setScheme(Scheme scheme) {
    forced = scheme;
}

bool Theme::isDark() {
    if (forced != Scheme::Auto)
        return forced == Scheme::Dark;
    const QByteArray wanted = qgetenv("AMPELIO_THEME");
    if (wanted == "dark")
        return true;
    if (wanted == "light")
        return false;
    if (!qGuiApp)
        return false;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
    const Qt::ColorScheme scheme = QGuiApplication::styleHints()->colorScheme();
    if (scheme != Qt::ColorScheme::Unknown)
        return scheme == Qt::ColorScheme::Dark;
#endif
    // Older Qt knows no scheme; a dark desktop shows in its palette's window colour.
    const QPalette palette = QGuiApplication::palette();
    return palette.color(QPalette::Window).lightness() <
           palette.color(QPalette::WindowText).lightness();
}

QColor Theme::background() {
    return pick(Qt::white, QColor(0x1c, 0x1c, 0x1e));
}
QColor Theme::primaryText() {
    return pick(Qt::black, QColor(0xf2, 0xf2, 0xf2));
}
QColor Theme::secondaryText() {
    return pick(QColor(128, 128, 128), QColor(0x9a, 0x9a, 0xa0));
}
QColor Theme::separator() {
    return pick(QColor(224, 224, 224), QColor(0x3a, 0x3a, 0x3c));
}
QColor Theme::selection() {
    return pick(QColor(0xd9, 0xe6, 0xf7), QColor(0x1f, 0x3a, 0x5f));
}
QColor Theme::graphLine() {
    return pick(QColor::fromRgbF(0.3f, 0.3f, 0.3f, 0.7f),
                QColor::fromRgbF(0.85f, 0.85f, 0.85f, 0.75f));
}
QColor Theme::gridMinor() {
    return pick(QColor::fromRgbF(0.9f, 0.9f, 0.9f), QColor(0x2c, 0x2c, 0x2e));
}
QColor Theme::gridMajor() {
    return pick(QColor::fromRgbF(0.7f, 0.7f, 0.7f), QColor(0x5a, 0x5a, 0x5e));
}
QColor Theme::groupedBackground() {
    return pick(QColor(0xc5, 0xcc, 0xd4), QColor(0x12, 0x14, 0x17));
}
QColor Theme::groupedStripe() {
    return pick(QColor(0xcb, 0xd2, 0xd8), QColor(0x17, 0x19, 0x1c));
}
QColor Theme::groupFill() {
    return pick(Qt::white, QColor(0x26, 0x28, 0x2b));
}
QColor Theme::groupOutline() {
    return pick(QColor(0xab, 0xab, 0xab), QColor(0x44, 0x46, 0x4a));
}
QColor Theme::groupHeader() {
    return pick(QColor(0x4c, 0x56, 0x6c), QColor(0xb8, 0xc2, 0xd6));
}
QColor Theme::groupHeaderShadow() {
    return pick(QColor(255, 255, 255, 200), QColor(0, 0, 0, 160));
}
QColor Theme::detailText() {
    return pick(QColor(0x38, 0x54, 0x87), QColor(0x8f, 0xb4, 0xf0));
}
