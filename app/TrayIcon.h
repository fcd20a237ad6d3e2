#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>

class PowerSource;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The icon in the desktop's tray while Ampelio logs: a battery drawn with the current level and
// state, a tooltip with both and, when one is given, the time to full or empty. Without a tray
// it stays hidden and still answers for what it would show.
class TrayIcon : public QObject {
    Q_OBJECT
public:
    explicit TrayIcon(PowerSource& source, QObject* parent = nullptr);
    ~TrayIcon() override;

    bool isVisible() const;
    // Reads the battery again and redraws; also done twice a minute.
    void refresh();
    // "2:10 to full" and the like, shown under level and state; empty or the dash of no
    // estimate leaves it out.
    void setEstimate(const QString& text);
    void addSettingsAction(QAction* action);

    QString toolTip() const { return toolTip_; }
    QIcon icon() const;
    // The picture for a level (0..1, or negative when unknown) and a state.
    static QImage draw(float level, int state, int size);
    static QString describe(float level, int state, const QString& estimate);

signals:
    void showRequested();
    void quitRequested();

private:
    PowerSource& source_;
    QPointer<QSystemTrayIcon> tray_;
    QMenu* menu_ = nullptr;
    QAction* quit_ = nullptr;
    QTimer refresh_;
    QString estimate_;
    QString toolTip_;
    float level_ = -1.0f;
    int state_ = 0;
};
