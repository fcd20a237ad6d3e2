#include "AnalyticsPropertyList.h"

#include "PlistNode.h"

#include <memory>

namespace {

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

QVariant fromNode(plist_t node) {
    switch (plist_get_node_type(node)) {
    case PLIST_DICT:
        return dictFromNode(node);
    case PLIST_ARRAY:
        return arrayFromNode(node);
    default:
        return plistLeafValue(node);
    }
}
} // namespace

QByteArray AnalyticsPropertyList::toBinary(const QVariant& value) {
    const PlistPtr root(toNode(value));
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
    const PlistPtr root(node);
    return fromNode(node);
}
