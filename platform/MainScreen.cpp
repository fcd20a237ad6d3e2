#include "MainScreen.h"

#include <atomic>

namespace {
// Read from tile-drawing threads through the graph's default size, written on the GUI thread.
std::atomic<UserInterfaceIdiom> currentIdiom{UserInterfaceIdiom::Phone};
std::atomic<bool> landscape{false};
} // namespace

UserInterfaceIdiom MainScreen::idiom() {
    return currentIdiom.load();
}

void MainScreen::setIdiom(UserInterfaceIdiom idiom) {
    currentIdiom.store(idiom);
}

bool MainScreen::isLandscape() {
    return landscape.load();
}

void MainScreen::setLandscape(bool value) {
    landscape.store(value);
}

QRectF MainScreen::bounds() {
    if (idiom() == UserInterfaceIdiom::Phone)
        return QRectF(0, 0, 320, 480);
    return isLandscape() ? QRectF(0, 0, 1024, 768) : QRectF(0, 0, 768, 1024);
}

QRectF MainScreen::applicationFrame() {
    const QRectF b = bounds();
    return QRectF(0, statusBarHeight, b.width(), b.height() - statusBarHeight);
}
