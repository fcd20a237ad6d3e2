#include "HistoryViewController.h"

#include "BatteryLogHandler.h"
#include "EventCsvWriter.h"
#include "EventStateText.h"
#include "EventStore.h"
#include "HistoryItemDelegate.h"
#include "HistoryListModel.h"
#include "ManagedObjectContext.h"
#include "NavigationBar.h"
#include "ReadContext.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

HistoryViewController::HistoryViewController(BatteryLogHandler& handler, QWidget* parent)
    : TabScreen(parent), batteryLogHandler_(handler) {}

HistoryViewController::~HistoryViewController() = default;

QString HistoryViewController::stateDescr(int state) {
    return EventStateText::history(state);
}

QListView* HistoryViewController::tableView() {
    viewDidLoad();
    return list_;
}

void HistoryViewController::viewDidLoad() {
    if (loaded_)
        return;
    loaded_ = true;
    auto* bar = new NavigationBar(QStringLiteral("Ampelio"), this);
    editButton_ = bar->addLeftButton(QStringLiteral("Edit"));
    addButton_ = bar->addRightButton(QStringLiteral("+"));
    addButton_->setAccessibleName(QStringLiteral("Add"));
    connect(editButton_, &QPushButton::clicked, this, [this] { setEditing(!editing_); });
    connect(addButton_, &QPushButton::clicked, &batteryLogHandler_, &BatteryLogHandler::addEvent);

    list_ = new QListView(this);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setItemDelegate(new HistoryItemDelegate(list_));
    if (ManagedObjectContext* context = batteryLogHandler_.managedObjectContext()) {
        model_ = new HistoryListModel(*context, this);
        list_->setModel(model_);
        connect(model_, &QAbstractItemModel::rowsInserted, this, &HistoryViewController::startFade);
    }
    // New rows fade in: repaint while any is younger than the fade.
    fadeTimer_ = new QTimer(this);
    fadeTimer_->setInterval(16);
    connect(fadeTimer_, &QTimer::timeout, this, [this] {
        list_->viewport()->update();
        if (!model_ || model_->rowCount() == 0 ||
            model_->millisecondsSinceInserted(0) > HistoryItemDelegate::FadeMilliseconds)
            fadeTimer_->stop();
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(list_);
    // Built on first show, when the parent is already visible: children must be shown too.
    bar->show();
    list_->show();
    layout->activate();
}

void HistoryViewController::setEditing(bool editing) {
    editing_ = editing;
    editButton_->setText(editing ? QStringLiteral("Done") : QStringLiteral("Edit"));
}

void HistoryViewController::startFade() {
    if (isVisible())
        fadeTimer_->start();
}

void HistoryViewController::prepareToAppear() {
    viewDidLoad();
    if (model_)
        model_->reload();
}

// From the saved records, like every export of the log, so that all of them match byte for byte.
QString HistoryViewController::csvData() const {
    EventStore* store = batteryLogHandler_.persistentStoreCoordinator();
    if (!store || !store->hasStore())
        return EventCsvWriter::text(nullptr);
    ReadContext log(store->path());
    return EventCsvWriter::text(&log);
}
