#include "MainScreen.h"

#include <atomic>

namespace {
// Read from tile-drawing threads through the graph's default size, written on the GUI thread.
std::atomic<UserInterfaceIdiom> currentIdiom{UserInterfaceIdiom::Phone};
std::atomic<bool> landscape{false};
// Zero while the fixed device screen applies.
std::atomic<double> windowWidth{0};
std::atomic<double> windowHeight{0};
} // namespace

void MainScreen::setWindowSize(const QSizeF& points) {
    const bool follow = !points.isEmpty();
    windowWidth.store(follow ? points.width() : 0);
    windowHeight.store(follow ? points.height() : 0);
}

bool MainScreen::followsWindow() {
    return windowWidth.load() > 0;
}

UserInterfaceIdiom MainScreen::idiom() {
    if (followsWindow())
        return windowWidth.load() < tabletMinimumWidth ? UserInterfaceIdiom::Phone
                                                       : UserInterfaceIdiom::Pad;
    return currentIdiom.load();
}

void MainScreen::setIdiom(UserInterfaceIdiom idiom) {
    currentIdiom.store(idiom);
}

bool MainScreen::isLandscape() {
    if (followsWindow())
        return windowWidth.load() > windowHeight.load();
    return landscape.load();
}

void MainScreen::setLandscape(bool value) {
    landscape.store(value);
}

QRectF MainScreen::bounds() {
    if (followsWindow())
        return QRectF(0, 0, windowWidth.load(), windowHeight.load());
    if (idiom() == UserInterfaceIdiom::Phone)
        return QRectF(0, 0, 320, 480);
    return isLandscape() ? QRectF(0, 0, 1024, 768) : QRectF(0, 0, 768, 1024);
}

QRectF MainScreen::applicationFrame() {
    const QRectF b = bounds();
    return QRectF(0, statusBarHeight, b.width(), b.height() - statusBarHeight);
}

qreal MainScreen::layoutWidth() {
    if (!followsWindow())
        return bounds().width();
    if (idiom() == UserInterfaceIdiom::Phone)
        return 320;
    return isLandscape() ? 1024 : 768;
}
