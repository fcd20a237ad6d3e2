// The user's choice to share usage statistics: while it is off the client does not run, and
// switching it off removes what the client had kept.
#include "Analytics.h"

#include "AnalyticsHttpAsyncTask.h"
#include "AnalyticsImpl.h"
#include "AnalyticsInitialTimestamp.h"
#include "AnalyticsKeychainWrapper.h"
#include "AnalyticsLog.h"
#include "Paths.h"
#include "VendorIdentifier.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>

namespace {
std::atomic<bool> sharing{true};

// Reports, saved sessions, the upload index, the first-launch timestamp and the identifier.
void deleteStoredData() {
    const QString documents = Paths::documentsDirectory();
    const QString files = documents + QStringLiteral("/AnalyticsFiles");
    // Only after data was kept: the Secret Service may take half a second to answer.
    if (QFileInfo::exists(files)) {
        AnalyticsKeychainWrapper::keychainWrapperWithIdentifier(
            AnalyticsKeychainWrapper::IDENTIFIER)
            ->removeObjectForKey(AnalyticsInitialTimestamp::KEYCHAIN_KEY);
        if (!QDir(files).removeRecursively())
            ANALYTICS_LOG(AtLeast1, "Analytics: could not delete all of %s", qUtf8Printable(files));
    }
    VendorIdentifier::forget(documents);
}
} // namespace

void Analytics::setEnabled(bool enabled) {
    sharing = enabled;
    if (enabled)
        return;
    if (AnalyticsImpl::existing()) {
        shutdown();
        AnalyticsHttpAsyncTask::cancelAll();
    }
    deleteStoredData();
    ANALYTICS_LOG(AtLeast2, "Analytics: usage statistics are not shared; stored data deleted");
}

bool Analytics::isEnabled() {
    return sharing;
}
