#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// The background keep-alive: while the application is in the background a handler runs
// periodically. As on the phone platform, periods below 600 seconds are refused.
class KeepAliveService : public QObject {
    Q_OBJECT
public:
    static constexpr double MinimumTimeout = 600.0;

    explicit KeepAliveService(QObject* parent = nullptr);

    // Returns whether the handler was accepted. A new handler replaces the previous one.
    bool setKeepAliveTimeout(double seconds, std::function<void()> handler);
    void clearKeepAliveTimeout();
    bool isInstalled() const { return timer_.isActive(); }
    double timeout() const { return timer_.interval() / 1000.0; }
    // Runs the installed handler now, as the platform would when the period elapses.
    void fire();

private:
    QTimer timer_;
    std::function<void()> handler_;
};
