#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Shows a modal alert. Without a window the alert goes to stderr; the windowed application
// installs a presenter that shows a dialog.
class Alert {
public:
    using Presenter = std::function<void(const QString& title, const QString& message,
                                         const QStringList& buttons)>;

    static void show(const QString& title, const QString& message, const QStringList& buttons);
    static void setPresenter(Presenter presenter);
};
