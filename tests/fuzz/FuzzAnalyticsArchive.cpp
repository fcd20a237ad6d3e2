// Every decoder of stored analytics objects over arbitrary bytes: the property list itself, then
// the session, block, event and error records and the sender index made from what it held.
#include "QuietLog.h"
#include "AnalyticsDataSenderBlockInfo.h"
#include "AnalyticsError.h"
#include "AnalyticsEvent.h"
#include "AnalyticsPropertyList.h"
#include "AnalyticsSession.h"
#include "AnalyticsSessionCoder.h"

#include <QVariant>

#include <cstddef>
#include <cstdint>

namespace {
void decodeAll(const QVariant& value) {
    AnalyticsSessionCoder::isOtherVersion(value);
    AnalyticsSessionCoder::decode(value);
    AnalyticsDataSenderBlockInfo::fromStored(value);
    AnalyticsEvent::fromStored(value);
    AnalyticsError::fromStored(value);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto value = AnalyticsPropertyList::fromBytes(bytes);
    if (!value)
        return 0;
    decodeAll(*value);
    // The index and the saved-session list hold records one or two levels down.
    const QVariantMap map = value->toMap();
    for (const QVariant& child : map) {
        decodeAll(child);
        for (const QVariant& item : child.toList())
            decodeAll(item);
        for (const QVariant& item : child.toMap())
            for (const QVariant& record : item.toList())
                decodeAll(record);
    }
    for (const QVariant& item : value->toList())
        decodeAll(item);
    return 0;
}
