#include "UsageStatisticsChoice.h"

#include "AnalyticsHooks.h"
#include "UserDefaults.h"

#include <QAction>

UsageStatisticsChoice::UsageStatisticsChoice(UserDefaults& defaults, QObject* parent)
    : QObject(parent), defaults_(defaults),
      action_(new QAction(QStringLiteral("Share anonymous usage statistics"), this)) {
    action_->setCheckable(true);
    action_->setChecked(AnalyticsHooks::sharingChosen(defaults_));
    // The environment's "off" is the administrator's; the window cannot turn it back on.
    if (AnalyticsHooks::sharingForcedOff()) {
        action_->setEnabled(false);
        action_->setToolTip(QStringLiteral("Switched off by AMPELIO_ANALYTICS=off"));
    }
    connect(action_, &QAction::toggled, this,
            [this](bool share) { AnalyticsHooks::setSharing(defaults_, share); });
}
