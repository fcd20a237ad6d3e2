#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Checks a property list before the parser sees it. The parser recurses once per nesting level
// and copies an object once per reference to it, so a small hostile file can overflow the stack
// or blow up into billions of nodes. The walk here is iterative and bounded.
class PropertyListGuard {
public:
    struct Limits {
        qsizetype maxBytes;
        int maxDepth;
        qint64 maxNodes; // nodes as the parser would build them, shared references counted again
    };

    // Why the bytes must not be parsed, or nothing when they are within the limits. Bytes that
    // are no property list at all pass: the parser rejects them on its own.
    static std::optional<QString> refusal(const QByteArray& bytes, const Limits& limits);
};
