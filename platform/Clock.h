#pragma once

#include <functional>

// Wall-clock time as double-precision seconds since the Unix epoch. Tests replace the source
// so that time-dependent behaviour is checked without sleeping.
class Clock {
public:
    static double now();
    static void setSource(std::function<double()> source);
    static void reset();
};
