#pragma once

#include <QByteArray>
#include <QVariant>

#include <optional>

// The stored form of analytics objects: binary property lists. Maps, lists, strings, byte
// strings, booleans, integers and reals keep their types; anything else is stored as its text.
// Dates are reals holding seconds since the Unix epoch, which reach back before 1901 (birth
// dates) where the property-list date type of this library does not.
class AnalyticsPropertyList {
public:
    static QByteArray toBinary(const QVariant& value);
    // Nothing when the bytes are not a property list.
    static std::optional<QVariant> fromBytes(const QByteArray& bytes);
};
