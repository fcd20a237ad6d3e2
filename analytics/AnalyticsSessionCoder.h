#pragma once

#include <QVariant>

#include <memory>

class AnalyticsSession;

// The stored form of a session record under the keys that later runs read back.
class AnalyticsSessionCoder {
public:
    static QVariantMap encode(const AnalyticsSession& session);
    // Nothing when the value is not a session record or is of another serialization version.
    static std::unique_ptr<AnalyticsSession> decode(const QVariant& stored);
    // A session record written by another serialization version: rejected, but not damaged.
    static bool isOtherVersion(const QVariant& stored);
};
