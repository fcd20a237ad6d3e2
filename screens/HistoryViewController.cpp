#include "HistoryViewController.h"

#include "BatteryLogHandler.h"
#include "EventCsvWriter.h"
#include "HistoryItemDelegate.h"
#include "HistoryListModel.h"
#include "ManagedObjectContext.h"
#include "NavigationBar.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

HistoryViewController::HistoryViewController(QWidget* parent) : TabScreen(parent) {}

HistoryViewController::~HistoryViewController() = default;

void HistoryViewController::setBatteryLogHandler(BatteryLogHandler* handler) {
    batteryLogHandler_ = handler;
}

QString HistoryViewController::stateDescr(int state) {
    return EventCsvWriter::stateDescr(state);
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
    connect(addButton_, &QPushButton::clicked, this, [this] {
        if (batteryLogHandler_)
            batteryLogHandler_->addEvent();
    });

    list_ = new QListView(this);
    list_->setUniformItemSizes(true);
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::NoFocus);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list_->setItemDelegate(new HistoryItemDelegate(list_));
    ManagedObjectContext* context =
        batteryLogHandler_ ? batteryLogHandler_->managedObjectContext() : nullptr;
    if (context) {
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

QString HistoryViewController::csvData() {
    tableView();
    const EventCsvWriter writer;
    const int rows = model_ ? model_->rowCount() : 0;
    QString csv;
    csv.reserve(static_cast<qsizetype>(rows) * 45);
    csv += EventCsvWriter::Header;
    // The count is read again each round: a save during the export may add rows.
    for (int row = 0; model_ && row < model_->rowCount(); ++row)
        writer.appendRow(csv, model_->eventAt(row));
    return csv;
}
