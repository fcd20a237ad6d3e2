#pragma once

#include <QString>

// The manual page ampelio(1), in roff, made from the option table.
class ManPage {
public:
    static QString generate();
    // Text as roff shows it literally: dashes as minus signs, backslashes escaped, and no line
    // that starts like a request.
    static QString escaped(const QString& text);
};
