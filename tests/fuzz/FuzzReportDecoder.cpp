// The report decoder tool over arbitrary bytes: it reads what the collector receives from the
// network, so nothing it is sent may crash it.
#include "ReportDecoder.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReportDecoder::decode(
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)));
    return 0;
}
