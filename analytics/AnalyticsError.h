#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

#include <memory>

// One error the application reported.
class AnalyticsError {
public:
    enum Type { ErrorObject = 1, Exception = 2, Crash = 3 };

    // A new error numbered by the error counter and dated now.
    static std::shared_ptr<AnalyticsError>
    errorWithString(const QString& errorString, const QString& message,
                    const QString& exceptionString, int errorType, const QByteArray& reportData);

    qint64 errorID() const { return errorID_; }
    double date() const { return date_; }
    const QString& errorString() const { return errorString_; }
    const QString& errorMessage() const { return errorMessage_; }
    const QString& exceptionString() const { return exceptionString_; }
    int errorType() const { return errorType_; }
    const QByteArray& reportData() const { return reportData_; }

    void appendToData(QByteArray& data) const;
    // The record that stands for a crash report attached to a session.
    static void appendCrashRecord(int errorID, double date, const QByteArray& report,
                                  QByteArray& data);

    QVariantMap toStored() const;
    // Nothing when the stored value is not an error.
    static std::shared_ptr<AnalyticsError> fromStored(const QVariant& stored);

private:
    qint64 errorID_ = 0;
    double date_ = 0;
    QString errorString_;
    QString errorMessage_;
    QString exceptionString_;
    int errorType_ = ErrorObject;
    QByteArray reportData_;
};
