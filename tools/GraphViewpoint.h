#pragma once

#include <QCommandLineOption>

class QCommandLineParser;
class ScrollingGraphViewController;

// Moves a shown graph to where a picture of it should look: zoomed as a finished pinch would
// leave it, and scrolled into the past.
class GraphViewpoint {
public:
    // A scale of 1 or below 0 leaves the zoom as it is.
    static void zoom(ScrollingGraphViewController& controller, float scale);
    static void scrollBack(ScrollingGraphViewController& controller, double hours);

    // The options the graph tools share: where to look, on which device, and where to save it.
    struct Options {
        QCommandLineOption screenshot;
        QCommandLineOption zoom;
        QCommandLineOption scrollHours;
        QCommandLineOption idiom;

        Options();
        void addTo(QCommandLineParser& parser) const;
        // Sets the idiom before any view is built.
        void applyIdiom(const QCommandLineParser& parser) const;
        // Zooms and scrolls the shown graph as asked.
        void applyView(const QCommandLineParser& parser,
                       ScrollingGraphViewController& controller) const;
    };
};
