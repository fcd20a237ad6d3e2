#pragma once

#include <QImage>

// Stand-in state badges until the final pictures exist: a coloured disc with a white mark,
// drawn at twice the 29-point size so they stay sharp on high-density screens.
class PlaceholderBadges {
public:
    // 1 on battery, 2 charging, 3 full; a null image for anything else.
    static QImage forState(int state);
};
