#include "TerminationSignals.h"

#include "LogCategories.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
void forwardSignal(int signal) {
    const int savedErrno = errno; // the interrupted code may be about to read it
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
    errno = savedErrno;
}
} // namespace

bool TerminationSignals::install() {
    if (signalPipe[0] >= 0)
        return true;
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, signalPipe) != 0) {
        qCWarning(lcPlatform,
                  "Couldn't set up signal handling; SIGINT and SIGTERM end the process at once");
        return false;
    }
    struct sigaction action {};
    action.sa_handler = forwardSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    return true;
}

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (!install())
        return;
    // A signal that came before the event loop waits in the socket and is delivered now.
    notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char byte = 0;
        [[maybe_unused]] const ssize_t got = ::read(signalPipe[1], &byte, 1);
        emit terminationRequested();
    });
}

void TerminationSignals::uninstall() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

TerminationSignals::~TerminationSignals() {
    uninstall();
}
