#pragma once

#include <QString>

// A UUID that names this installation to analytics, like the phone platform's identifier for
// vendor: created on first use and kept in the data directory, so it changes only when the
// user's data is removed.
class VendorIdentifier {
public:
    // The identifier in upper case, or an empty string when it can be neither read nor stored.
    static QString identifier(const QString& directory);
    // Deletes the stored identifier; the next use creates a new one.
    static void forget(const QString& directory);
};
