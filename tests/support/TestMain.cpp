// Shared test entry: a fixed locale and time zone, and a Qt application object for the event loop
// (a widget application, offscreen, for the tests of screens).
#ifdef AMPELIO_TEST_GUI
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QCoreApplication>
using TestApplication = QCoreApplication;
#endif

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

int main(int argc, char** argv) {
    setenv("TZ", "UTC", 1);
    tzset();
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("LC_ALL", "en_US.UTF-8", 1);
#ifdef AMPELIO_TEST_GUI
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
#endif
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
