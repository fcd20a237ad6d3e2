#pragma once

#include "TabScreen.h"

#include <QPointer>
#include <QString>

class BatteryLogHandler;
class HistoryListModel;
class QLabel;
class QListView;
class QPushButton;
class QTimer;

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

    QListView* tableView();
    HistoryListModel* model() const { return model_; }
    QPushButton* addButton() const { return addButton_; }
    QPushButton* editButton() const { return editButton_; }

protected:
    void prepareToAppear() override;

private:
    void viewDidLoad();
    void setEditing(bool editing);
    void startFade();

    BatteryLogHandler& batteryLogHandler_;
    HistoryListModel* model_ = nullptr;
    QListView* list_ = nullptr;
    QLabel* title_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QTimer* fadeTimer_ = nullptr;
    bool loaded_ = false;
    bool editing_ = false;
};
