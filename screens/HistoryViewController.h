#pragma once

#include "TabScreen.h"

#include <QPointer>
#include <QString>

class BatteryLogHandler;
class HistoryListModel;
class QLabel;
class QListView;
class QPushButton;
class QKeyEvent;
class QTimer;
class HistoryItemDelegate;

// The history tab: every sample, newest first, following the store live, with a button that
// takes a sample now. It also writes the whole log as comma-separated text for the export.
class HistoryViewController : public TabScreen {
    Q_OBJECT
public:
    explicit HistoryViewController(BatteryLogHandler& handler, QWidget* parent = nullptr);
    ~HistoryViewController() override;

    BatteryLogHandler& batteryLogHandler() const { return batteryLogHandler_; }

    static QString stateDescr(int state);
    // The whole saved log as comma-separated text, newest first.
    QString csvData() const;
    // The same text written to a file, which appears only once complete; false with the
    // reason in `error` when the log could not be read or the file not written.
    bool saveCsv(const QString& path, QString* error) const;

    QListView* tableView();
    HistoryListModel* model() const { return model_; }
    QPushButton* addButton() const { return addButton_; }
    QPushButton* editButton() const { return editButton_; }
    bool isEditing() const { return editing_; }
    void setEditing(bool editing);
    // Removes the sample shown at `row` from the log; the list and the graph follow the log.
    bool deleteRow(int row);
    // Where a row's delete control is drawn in edit mode, in the list's viewport.
    QRect deleteControlRect(int row);
    // Takes a sample now and says in statusMessage whether one was added.
    void addSample();
    // Paints the list's ground in the current light or dark scheme.
    void applyTheme();

signals:
    // A short note for the window's status strip.
    void statusMessage(const QString& text);

protected:
    void prepareToAppear() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void viewDidLoad();
    void startFade();
    void showContextMenu(const QPoint& position);
    bool handleKey(QKeyEvent* event);

    BatteryLogHandler& batteryLogHandler_;
    HistoryListModel* model_ = nullptr;
    QListView* list_ = nullptr;
    HistoryItemDelegate* delegate_ = nullptr;
    QLabel* title_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QTimer* fadeTimer_ = nullptr;
    bool loaded_ = false;
    bool editing_ = false;
};
