#include "ApplicationLifecycle.h"

#include <QStringList>

#include <gtest/gtest.h>

namespace {
struct Journal {
    QStringList events;
    explicit Journal(ApplicationLifecycle& l) {
        QObject::connect(&l, &ApplicationLifecycle::didFinishLaunching,
                         [this] { events << "launch"; });
        QObject::connect(&l, &ApplicationLifecycle::didBecomeActive,
                         [this] { events << "active"; });
        QObject::connect(&l, &ApplicationLifecycle::willResignActive,
                         [this] { events << "resign"; });
        QObject::connect(&l, &ApplicationLifecycle::didEnterBackground,
                         [this] { events << "background"; });
        QObject::connect(&l, &ApplicationLifecycle::willEnterForeground,
                         [this] { events << "foreground"; });
        QObject::connect(&l, &ApplicationLifecycle::willTerminate,
                         [this] { events << "terminate"; });
    }
};
} // namespace

TEST(ApplicationLifecycle, WindowEventsBecomeTheOrderedNotifications) {
    ApplicationLifecycle lifecycle;
    Journal journal(lifecycle);
    lifecycle.activate(); // before launch: ignored
    lifecycle.launch();
    lifecycle.activate();
    lifecycle.activate(); // focus again: no repeat
    lifecycle.deactivate();
    lifecycle.activate();
    lifecycle.enterBackground();
    lifecycle.enterBackground();
    lifecycle.activate();
    lifecycle.terminate();
    lifecycle.terminate();
    EXPECT_EQ(journal.events, (QStringList{"launch", "active", "resign", "active", "resign",
                                           "background", "foreground", "active", "terminate"}));
    EXPECT_EQ(lifecycle.state(), ApplicationLifecycle::State::Terminated);
    lifecycle.activate();
    EXPECT_EQ(journal.events.size(), 9) << "nothing after termination";
}
