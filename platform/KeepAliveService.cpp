#include "KeepAliveService.h"

KeepAliveService::KeepAliveService(QObject* parent) : QObject(parent) {
    connect(&timer_, &QTimer::timeout, this, &KeepAliveService::fire);
}

bool KeepAliveService::setKeepAliveTimeout(double seconds, std::function<void()> handler) {
    if (seconds < MinimumTimeout || !handler)
        return false;
    handler_ = std::move(handler);
    timer_.start(static_cast<int>(seconds * 1000.0));
    return true;
}

void KeepAliveService::clearKeepAliveTimeout() {
    timer_.stop();
    handler_ = nullptr;
}

void KeepAliveService::fire() {
    if (handler_)
        handler_();
}
