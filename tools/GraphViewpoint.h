#pragma once

class ScrollingGraphViewController;

// Moves a shown graph to where a picture of it should look: zoomed as a finished pinch would
// leave it, and scrolled into the past.
class GraphViewpoint {
public:
    // A scale of 1 or below 0 leaves the zoom as it is.
    static void zoom(ScrollingGraphViewController& controller, float scale);
    static void scrollBack(ScrollingGraphViewController& controller, double hours);
};
