#include "PropertyListGuard.h"

#include <cstdint>
#include <vector>

namespace {
constexpr char BinaryMagic[] = "bplist00";
constexpr qsizetype TrailerSize = 32;

QString tooDeep(int depth) {
    return QStringLiteral("nested deeper than %1 levels").arg(depth);
}

QString tooMany(qint64 nodes) {
    return QStringLiteral("more than %1 objects").arg(nodes);
}

// A container being walked: where its next reference is and how many are left.
struct Frame {
    uint64_t next = 0;
    uint64_t left = 0;
    bool container = false;
};

// The binary format: objects addressed through an offset table, containers holding object
// references. Walked depth-first with an explicit stack, every reference followed as the parser
// follows it.
class BinaryWalk {
public:
    BinaryWalk(const QByteArray& bytes, const PropertyListGuard::Limits& limits)
        : data_(reinterpret_cast<const uint8_t*>(bytes.constData())),
          size_(static_cast<uint64_t>(bytes.size())), limits_(limits) {}

    std::optional<QString> run() {
        const uint8_t* trailer = data_ + size_ - TrailerSize;
        offsetSize_ = trailer[6];
        refSize_ = trailer[7];
        objectCount_ = be(trailer + 8, 8);
        const uint64_t top = be(trailer + 16, 8);
        tableOffset_ = be(trailer + 24, 8);
        if (offsetSize_ == 0 || offsetSize_ > 8 || refSize_ == 0 || refSize_ > 8 ||
            objectCount_ == 0 || top >= objectCount_ || tableOffset_ >= size_ ||
            objectCount_ > (size_ - tableOffset_) / offsetSize_)
            return std::nullopt; // malformed: the parser refuses it
        std::vector<Frame> stack;
        qint64 nodes = 0;
        uint64_t object = top;
        for (;;) {
            if (++nodes > limits_.maxNodes)
                return tooMany(limits_.maxNodes);
            Frame frame;
            if (!children(object, frame))
                return std::nullopt;
            if (nul_)
                return QStringLiteral("a string holding a NUL character");
            if (frame.container && static_cast<qint64>(stack.size()) >= limits_.maxDepth)
                return tooDeep(limits_.maxDepth);
            if (frame.left > 0)
                stack.push_back(frame);
            while (!stack.empty() && stack.back().left == 0)
                stack.pop_back();
            if (stack.empty())
                return std::nullopt;
            Frame& parent = stack.back();
            object = be(data_ + parent.next, refSize_);
            parent.next += refSize_;
            --parent.left;
            if (object >= objectCount_)
                return std::nullopt;
        }
    }

private:
    static uint64_t be(const uint8_t* at, unsigned length) {
        uint64_t value = 0;
        for (unsigned i = 0; i < length; ++i)
            value = (value << 8) | at[i];
        return value;
    }

    // The library asserts (and so aborts the process) on a string or key holding a NUL.
    // Each string is scanned once, however often it is referenced.
    bool holdsNul(uint64_t object, unsigned kind, uint64_t at, uint64_t count) {
        if (scanned_.empty())
            scanned_.resize(objectCount_);
        if (scanned_[object])
            return false;
        scanned_[object] = true;
        const uint64_t unit = kind == 0x6 ? 2 : 1;
        for (uint64_t i = 0; i < count; ++i) {
            if (data_[at + i * unit] == 0 && (unit == 1 || data_[at + i * unit + 1] == 0))
                return true;
        }
        return false;
    }

    // The references of a container; none for scalars. False when the object or its references
    // lie outside the file.
    bool children(uint64_t object, Frame& frame) {
        const uint64_t offset = be(data_ + tableOffset_ + object * offsetSize_, offsetSize_);
        if (offset >= size_)
            return false;
        const uint8_t marker = data_[offset];
        const unsigned kind = marker >> 4;
        // Arrays (0xA), sets (0xC) and dictionaries (0xD, keys and values) hold references;
        // ASCII (0x5) and UTF-16 (0x6) strings are checked for NULs.
        const bool string = kind == 0x5 || kind == 0x6;
        if (kind != 0xA && kind != 0xC && kind != 0xD && !string)
            return true;
        uint64_t count = marker & 0x0F;
        uint64_t at = offset + 1;
        if (count == 0x0F) {
            // The count follows as an integer object of 1, 2, 4 or 8 bytes.
            if (at >= size_ || (data_[at] >> 4) != 0x1)
                return false;
            const unsigned length = 1u << (data_[at] & 0x0F);
            if (length > 8 || at + 1 + length > size_)
                return false;
            count = be(data_ + at + 1, length);
            at += 1 + length;
        }
        if (string) {
            const uint64_t unit = kind == 0x6 ? 2 : 1;
            if (count > size_ || count * unit > size_ - at)
                return false;
            nul_ = nul_ || holdsNul(object, kind, at, count);
            return true;
        }
        const uint64_t references = kind == 0xD ? count * 2 : count;
        if (count > size_ || references > (size_ - at) / refSize_)
            return false;
        frame.next = at;
        frame.left = references;
        frame.container = true;
        return true;
    }

    const uint8_t* data_;
    uint64_t size_;
    const PropertyListGuard::Limits& limits_;
    unsigned offsetSize_ = 0;
    unsigned refSize_ = 0;
    uint64_t objectCount_ = 0;
    uint64_t tableOffset_ = 0;
    std::vector<bool> scanned_;
    bool nul_ = false;
};

// The XML format: nesting is the depth of open <array> and <dict> elements; every element
// that opens counts as a node.
std::optional<QString> xmlRefusal(const QByteArray& bytes,
                                  const PropertyListGuard::Limits& limits) {
    int depth = 0;
    qint64 nodes = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = bytes.indexOf('<'); i >= 0 && i + 1 < size; i = bytes.indexOf('<', i + 1)) {
        const char next = bytes[i + 1];
        if (next == '?' || next == '!')
            continue;
        const qsizetype end = bytes.indexOf('>', i);
        if (end < 0)
            break;
        const bool closing = next == '/';
        const bool empty = bytes[end - 1] == '/';
        const QByteArrayView name(bytes.constData() + i + (closing ? 2 : 1),
                                  bytes.constData() + end);
        const bool container = name.startsWith("array") || name.startsWith("dict");
        if (closing) {
            if (container)
                --depth;
            continue;
        }
        if (++nodes > limits.maxNodes)
            return tooMany(limits.maxNodes);
        if (container && !empty && ++depth > limits.maxDepth)
            return tooDeep(limits.maxDepth);
    }
    return std::nullopt;
}
} // namespace

std::optional<QString> PropertyListGuard::refusal(const QByteArray& bytes, const Limits& limits) {
    if (bytes.size() > limits.maxBytes)
        return QStringLiteral("larger than %1 bytes").arg(limits.maxBytes);
    if (bytes.startsWith(BinaryMagic)) {
        if (bytes.size() < qsizetype(sizeof BinaryMagic) - 1 + TrailerSize)
            return std::nullopt;
        return BinaryWalk(bytes, limits).run();
    }
    return xmlRefusal(bytes, limits);
}
