#include "ApplicationLifecycle.h"

void ApplicationLifecycle::launch() {
    if (state_ != State::NotRunning)
        return;
    state_ = State::Inactive;
    emit didFinishLaunching();
}

void ApplicationLifecycle::activate() {
    if (state_ == State::Background) {
        state_ = State::Inactive;
        emit willEnterForeground();
    }
    if (state_ != State::Inactive)
        return;
    state_ = State::Active;
    emit didBecomeActive();
}

void ApplicationLifecycle::deactivate() {
    if (state_ != State::Active)
        return;
    state_ = State::Inactive;
    emit willResignActive();
}

void ApplicationLifecycle::enterBackground() {
    deactivate();
    if (state_ != State::Inactive)
        return;
    state_ = State::Background;
    emit didEnterBackground();
}

void ApplicationLifecycle::terminate() {
    if (state_ == State::Terminated || state_ == State::NotRunning)
        return;
    state_ = State::Terminated;
    emit willTerminate();
}
