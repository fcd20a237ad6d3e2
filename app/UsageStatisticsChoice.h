#pragma once

#include <QObject>

class QAction;
class UserDefaults;

// The window's "Share anonymous usage statistics" item: checked while the user shares them.
// Unchecking it stops the analytics client and deletes what it kept.
class UsageStatisticsChoice : public QObject {
    Q_OBJECT
public:
    UsageStatisticsChoice(UserDefaults& defaults, QObject* parent = nullptr);

    QAction* action() const { return action_; }

private:
    UserDefaults& defaults_;
    QAction* action_;
};
