#pragma once

#include <QString>

class QWidget;
class TiledLayer;

// The device screen around one tab's content, for the graph tools: a status strip, the content
// and an empty tab bar.
class DeviceScreenWindow {
public:
    static QWidget* build(QWidget* content, const QString& status);
    // Paints until every visible tile has arrived, so that a picture of the window is complete.
    static void waitForTiles(QWidget* window, TiledLayer& layer);
    // Saves a picture of the window; prints why not on failure.
    static bool save(QWidget* window, const QString& file);
};
