#include "AnalyticsPropertyList.h"

#include <plist/plist.h>

#include <memory>

namespace {
struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistHolder = std::unique_ptr<void, PlistDeleter>;

plist_t toNode(const QVariant& value);

plist_t mapToNode(const QVariantMap& map) {
    plist_t dict = plist_new_dict();
    for (auto it = map.cbegin(); it != map.cend(); ++it)
        plist_dict_set_item(dict, it.key().toUtf8().constData(), toNode(it.value()));
    return dict;
}

plist_t listToNode(const QVariantList& list) {
    plist_t array = plist_new_array();
    for (const QVariant& item : list)
        plist_array_append_item(array, toNode(item));
    return array;
}

plist_t toNode(const QVariant& value) {
    switch (value.typeId()) {
    case QMetaType::QVariantMap:
        return mapToNode(value.toMap());
    case QMetaType::QVariantList:
    case QMetaType::QStringList:
        return listToNode(value.toList());
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        return plist_new_data(bytes.constData(), static_cast<uint64_t>(bytes.size()));
    }
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Long:
    case QMetaType::Short:
        // Negative numbers survive: the library writes the two's-complement 64-bit pattern.
        return plist_new_uint(static_cast<uint64_t>(value.toLongLong()));
    case QMetaType::ULongLong:
        return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
    case QMetaType::Float:
        return plist_new_real(value.toDouble());
    default:
        return plist_new_string(value.toString().toUtf8().constData());
    }
}

QVariant fromNode(plist_t node);

QVariant dictFromNode(plist_t node) {
    QVariantMap map;
    plist_dict_iter it = nullptr;
    plist_dict_new_iter(node, &it);
    for (;;) {
        char* key = nullptr;
        plist_t item = nullptr;
        plist_dict_next_item(node, it, &key, &item);
        if (!key)
            break;
        map.insert(QString::fromUtf8(key), fromNode(item));
        free(key);
    }
    free(it);
    return map;
}

// Walked with the iterator: fetching items by index costs a walk from the start each time.
QVariant arrayFromNode(plist_t node) {
    QVariantList list;
    list.reserve(static_cast<qsizetype>(plist_array_get_size(node)));
    plist_array_iter it = nullptr;
    plist_array_new_iter(node, &it);
    for (;;) {
        plist_t item = nullptr;
        plist_array_next_item(node, it, &item);
        if (!item)
            break;
        list.append(fromNode(item));
    }
    free(it);
    return list;
}

// Read by pointer and length: the copying accessor asserts (aborting the process) when a
// stored string holds a NUL or its length disagrees with its text.
QVariant stringFromNode(plist_t node) {
    uint64_t length = 0;
    const char* text = plist_get_string_ptr(node, &length);
    return text ? QString::fromUtf8(text, static_cast<qsizetype>(length)) : QString();
}

QVariant dataFromNode(plist_t node) {
    char* bytes = nullptr;
    uint64_t length = 0;
    plist_get_data_val(node, &bytes, &length);
    const QByteArray value(bytes, static_cast<qsizetype>(length));
    free(bytes);
    return value;
}

QVariant fromNode(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_DICT:
        return dictFromNode(node);
    case PLIST_ARRAY:
        return arrayFromNode(node);
    case PLIST_STRING:
        return stringFromNode(node);
    case PLIST_DATA:
        return dataFromNode(node);
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
} // namespace

QByteArray AnalyticsPropertyList::toBinary(const QVariant& value) {
    const PlistHolder root(toNode(value));
    char* bytes = nullptr;
    uint32_t length = 0;
    plist_to_bin(static_cast<plist_t>(root.get()), &bytes, &length);
    const QByteArray result(bytes, static_cast<qsizetype>(length));
    plist_to_bin_free(bytes);
    return result;
}

std::optional<QVariant> AnalyticsPropertyList::fromBytes(const QByteArray& bytes,
                                                         const PropertyListGuard::Limits& limits) {
    if (bytes.isEmpty() || PropertyListGuard::refusal(bytes, limits))
        return std::nullopt;
    plist_t node = nullptr;
    plist_from_memory(bytes.constData(), static_cast<uint32_t>(bytes.size()), &node);
    if (!node)
        return std::nullopt;
    const PlistHolder root(node);
    return fromNode(node);
}
