#pragma once

#include "PropertyListGuard.h"

#include <QByteArray>
#include <QVariant>

#include <optional>

// The stored form of analytics objects: binary property lists. Maps, lists, strings, byte
// strings, booleans, integers and reals keep their types; anything else is stored as its text.
// Dates are reals holding seconds since the Unix epoch, which reach back before 1901 (birth
// dates) where the property-list date type of this library does not.
class AnalyticsPropertyList {
public:
    // Four times what the fullest record holds (1000 events of ten parameters: under 50,000
    // objects), so that a hostile file costs the analytics thread a fraction of a second, not
    // several seconds, before it is refused.
    static constexpr PropertyListGuard::Limits DefaultLimits{16 << 20, 32, 200'000};

    static QByteArray toBinary(const QVariant& value);
    // Nothing when the bytes are not a property list or exceed the limits.
    static std::optional<QVariant>
    fromBytes(const QByteArray& bytes, const PropertyListGuard::Limits& limits = DefaultLimits);
};
