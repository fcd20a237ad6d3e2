#pragma once

#include <QString>

#include <optional>

// The README's table of `ampelio`'s options, made from the option table and kept between two
// marker lines, so that a test can tell when the README lags behind the program.
class ReadmeOptions {
public:
    static const char* const Begin;
    static const char* const End;

    // The lines between the markers.
    static QString table();
    // The README with the lines between the markers made anew; none when a marker is missing.
    static std::optional<QString> updated(const QString& readme);
};
