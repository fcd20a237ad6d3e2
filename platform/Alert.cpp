#include "Alert.h"

#include <cstdio>

namespace {
Alert::Presenter& presenter() {
    static Alert::Presenter fn;
    return fn;
}
} // namespace

void Alert::show(const QString& title, const QString& message, const QStringList& buttons) {
    if (presenter()) {
        presenter()(title, message, buttons);
        return;
    }
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(message));
    std::fflush(stderr);
}

void Alert::setPresenter(Presenter fn) {
    presenter() = std::move(fn);
}
