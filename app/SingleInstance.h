#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

// One logger per user: a second start hands over to the running instance (which shows its
// window) instead of logging every sample twice into the same files.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    // The name is per user and data directory, so tests with their own data run side by side.
    explicit SingleInstance(const QString& dataDirectory, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when another instance answered: it was asked to show itself and this one should end.
    bool handOverToRunningInstance();
    // Starts answering later starts; returns false when that is not possible.
    bool listen();

signals:
    void showRequested();

private:
    QString name_;
    QLocalServer* server_ = nullptr;
};
