#include "PlistNode.h"

#include <cstdlib>

namespace {
// Read by pointer and length: the copying accessor asserts (aborting the process) when a
// stored string holds a NUL or its length disagrees with its text.
QVariant stringValue(plist_t node) {
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    return text ? QString::fromUtf8(text, static_cast<qsizetype>(length)) : QString();
}

QVariant dataValue(plist_t node) {
    char* bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    const QByteArray value(bytes, static_cast<qsizetype>(length));
    std::free(bytes);
    return value;
}
} // namespace

QVariant plistLeafValue(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_STRING:
        return stringValue(node);
    case PLIST_DATA:
        return dataValue(node);
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value != 0;
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return static_cast<qint64>(value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    default:
        return {};
    }
}
