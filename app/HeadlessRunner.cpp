#include "HeadlessRunner.h"

#include "Ampelio_ProAppDelegate.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
void forwardSignal(int signal) {
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}
} // namespace

HeadlessRunner::HeadlessRunner(Ampelio_ProAppDelegate& delegate, QObject* parent)
    : QObject(parent), delegate_(delegate) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        qWarning("Couldn't set up signal handling; stop with SIGKILL only");
        return;
    }
    signalNotifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(signalNotifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
        terminate();
    });
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

HeadlessRunner::~HeadlessRunner() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

int HeadlessRunner::run() {
    delegate_.attach(lifecycle_);
    lifecycle_.launch();
    lifecycle_.activate();
    lifecycle_.enterBackground();
    return QCoreApplication::exec();
}

void HeadlessRunner::terminate() {
    lifecycle_.terminate();
    QCoreApplication::exit(0);
}
