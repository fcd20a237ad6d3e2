#pragma once

#include <QObject>

// The application's lifecycle as a state machine. The window (or the headless runner) reports
// what happened to it; the lifecycle turns that into the ordered notifications the application
// delegate expects, never repeating a state it is already in.
class ApplicationLifecycle : public QObject {
    Q_OBJECT
public:
    enum class State { NotRunning, Inactive, Active, Background, Terminated };
    Q_ENUM(State)

    using QObject::QObject;

    State state() const { return state_; }

    void launch();          // process start: launched, inactive until activated
    void activate();        // the window got the focus, or came back from the tray
    void deactivate();      // the window lost the focus
    void enterBackground(); // minimised or closed to the tray
    void terminate();       // Quit, or SIGINT/SIGTERM

signals:
    void didFinishLaunching();
    void didBecomeActive();
    void willResignActive();
    void didEnterBackground();
    void willEnterForeground();
    void willTerminate();

private:
    State state_ = State::NotRunning;
};
