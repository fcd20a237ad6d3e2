#pragma once

#include <QRectF>

enum class UserInterfaceIdiom { Phone, Pad };

// The device screen the window stands for: a 320x480 phone by default, or a 768x1024 tablet
// (1024x768 in landscape). Sizes are in points; Qt's device pixel ratio scales them.
class MainScreen {
public:
    static UserInterfaceIdiom idiom();
    static void setIdiom(UserInterfaceIdiom idiom);
    static bool isLandscape();
    static void setLandscape(bool landscape);

    static QRectF bounds();
    // The area below the 20-point status strip.
    static QRectF applicationFrame();
    // The bars every layout reserves, in points.
    static constexpr qreal statusBarHeight = 20.0;
    static constexpr qreal navigationBarHeight = 44.0;
    static constexpr qreal tabBarHeight = 49.0;
};
