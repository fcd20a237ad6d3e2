#pragma once

#include <QString>

#include <memory>

// Fractions as percentages in the user's locale (0.85 -> "85%" in en_US, "85 %" in de_DE).
class PercentFormatter {
public:
    PercentFormatter();
    ~PercentFormatter();
    PercentFormatter(const PercentFormatter&) = delete;
    PercentFormatter& operator=(const PercentFormatter&) = delete;

    QString format(double fraction) const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};
