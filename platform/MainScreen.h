#pragma once

#include <QRectF>
#include <QSizeF>

enum class UserInterfaceIdiom { Phone, Pad };

// The device screen the window stands for: a 320x480 phone by default, or a 768x1024 tablet
// (1024x768 in landscape). Sizes are in points; Qt's device pixel ratio scales them.
// The desktop window instead lends the screen its own size: the idiom and the orientation then
// follow the window, while the graph's time scale stays that of the idiom's device screen.
class MainScreen {
public:
    static UserInterfaceIdiom idiom();
    static void setIdiom(UserInterfaceIdiom idiom);
    static bool isLandscape();
    static void setLandscape(bool landscape);

    // Makes the screen follow a resizable window of this size; an empty size returns to the
    // fixed device screen.
    static void setWindowSize(const QSizeF& points);
    static bool followsWindow();
    // Narrower windows use the phone layout, wider ones the tablet layout.
    static constexpr qreal tabletMinimumWidth = 600.0;

    static QRectF bounds();
    // The width of the idiom's device screen, which one day of the graph spans at zoom 1.
    static qreal layoutWidth();
    // The area below the 20-point status strip.
    static QRectF applicationFrame();
    // The bars every layout reserves, in points.
    static constexpr qreal statusBarHeight = 20.0;
    static constexpr qreal navigationBarHeight = 44.0;
    static constexpr qreal tabBarHeight = 49.0;
};
