#pragma once

#include <QIcon>
#include <QImage>
#include <QString>

// Images of the program's resources looked up by name: "NAME" as an SVG drawn for high-density
// screens, else "NAME.png".
class ResourceImage {
public:
    // A bitmap `points` points square at twice its size (device pixel ratio 2); null if neither
    // file exists.
    static QImage bitmap(const QString& name, int points);
    static QIcon icon(const QString& name);
};
