#pragma once

#include <QString>

// The bash completion of `ampelio`, made from the option table: option names, the fixed values
// of an option, and file or directory names where an option takes a FILE or DIR.
class BashCompletion {
public:
    static QString generate();
};
