#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The arguments of one run of `ampelio`, checked against the option table.
class CommandLine {
public:
    enum Outcome { Run, Help, Version, UsageError };

    // The arguments without the program's name.
    static CommandLine parse(const QStringList& arguments);
    // The --help text, made from the option table.
    static QString helpText();

    Outcome outcome() const { return outcome_; }
    // For a usage error: one line naming the option or value at fault.
    const QString& error() const { return error_; }
    // The mode given ("report", "export-csv", ...); empty for the application with its window.
    const QString& mode() const { return mode_; }
    bool isSet(const char* name) const { return given_.contains(QLatin1String(name)); }
    // The value given, or the option's default when its value was left out.
    QString value(const char* name) const { return given_.value(QLatin1String(name)); }

private:
    void check();
    void fail(const QString& error);

    Outcome outcome_ = Run;
    QString error_;
    QString mode_;
    QHash<QString, QString> given_; // long name -> value (empty for a flag)
};
