#pragma once

#include <QVariant>

#include <plist/plist.h>

#include <memory>
#include <type_traits>

// Owns a libplist node tree.
struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<std::remove_pointer_t<plist_t>, PlistDeleter>;

// A leaf node's value: bool, qint64, double, QString or QByteArray. Containers and the types we
// never store (dates, UIDs) give an invalid QVariant.
QVariant plistLeafValue(plist_t node);
