#include "HistoryViewController.h"

#include "AtomicFile.h"
#include "AtomicFileDevice.h"
#include "BatteryLogHandler.h"
#include "EventCsvWriter.h"
#include "EventStateText.h"
#include "EventStore.h"
#include "HistoryItemDelegate.h"
#include "HistoryListModel.h"
#include "ManagedObjectContext.h"
#include "NavigationBar.h"
#include "ReadContext.h"
#include "Theme.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
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
    connect(addButton_, &QPushButton::clicked, this, &HistoryViewController::addSample);

    list_ = new QListView(this);
    list_->setUniformItemSizes(true);
    // A selection only in edit mode, for the Delete key; the arrows and Page keys move it.
    list_->setSelectionMode(QAbstractItemView::NoSelection);
    list_->setFocusPolicy(Qt::StrongFocus);
    list_->setFrameShape(QFrame::NoFrame);
    list_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    delegate_ = new HistoryItemDelegate(list_);
    list_->setItemDelegate(delegate_);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list_, &QWidget::customContextMenuRequested, this,
            &HistoryViewController::showContextMenu);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    setFocusProxy(list_);
    applyTheme();
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
    viewDidLoad();
    editing_ = editing;
    editButton_->setText(editing ? QStringLiteral("Done") : QStringLiteral("Edit"));
    delegate_->setEditing(editing);
    list_->setSelectionMode(editing ? QAbstractItemView::SingleSelection
                                    : QAbstractItemView::NoSelection);
    if (editing && model_ && model_->rowCount() > 0 && !list_->currentIndex().isValid())
        list_->setCurrentIndex(model_->index(0));
    if (!editing)
        list_->clearSelection();
    list_->viewport()->update();
}

bool HistoryViewController::deleteRow(int row) {
    if (!model_ || row < 0 || row >= model_->rowCount())
        return false;
    const Event event = model_->eventAt(row);
    if (!batteryLogHandler_.deleteSample(event)) {
        emit statusMessage(QStringLiteral("The sample could not be deleted"));
        return false;
    }
    return true;
}

QRect HistoryViewController::deleteControlRect(int row) {
    viewDidLoad();
    if (!model_)
        return {};
    return HistoryItemDelegate::deleteControlRect(list_->visualRect(model_->index(row)));
}

void HistoryViewController::applyTheme() {
    if (!list_)
        return;
    QPalette palette = list_->palette();
    palette.setColor(QPalette::Base, Theme::background());
    list_->setPalette(palette);
    list_->viewport()->update();
}

void HistoryViewController::addSample() {
    const bool added = batteryLogHandler_.addEvent();
    emit statusMessage(added ? QStringLiteral("Sample added")
                             : QStringLiteral("Level and state unchanged; nothing to add"));
}

void HistoryViewController::showContextMenu(const QPoint& position) {
    const QModelIndex index = list_->indexAt(position);
    if (!index.isValid())
        return;
    QMenu menu(this);
    QAction* remove = menu.addAction(QStringLiteral("Delete"));
    if (menu.exec(list_->viewport()->mapToGlobal(position)) == remove)
        deleteRow(index.row());
}

bool HistoryViewController::handleKey(QKeyEvent* event) {
    if (!editing_ || !model_)
        return false;
    if (event->key() != Qt::Key_Delete && event->key() != Qt::Key_Backspace)
        return false;
    const int row = list_->currentIndex().row();
    if (row < 0)
        return false;
    deleteRow(row);
    // The next sample takes the deleted one's place under the selection.
    if (model_->rowCount() > 0)
        list_->setCurrentIndex(model_->index(std::min(row, model_->rowCount() - 1)));
    return true;
}

bool HistoryViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress)
        return handleKey(static_cast<QKeyEvent*>(event));
    if (list_ && watched == list_->viewport() && editing_ &&
        event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex index = list_->indexAt(mouse->position().toPoint());
        if (index.isValid() && mouse->button() == Qt::LeftButton &&
            deleteControlRect(index.row()).contains(mouse->position().toPoint())) {
            deleteRow(index.row());
            return true;
        }
    }
    return TabScreen::eventFilter(watched, event);
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

bool HistoryViewController::saveCsv(const QString& path, QString* error) const {
    EventStore* store = batteryLogHandler_.persistentStoreCoordinator();
    std::unique_ptr<ReadContext> log;
    if (store && store->hasStore())
        log = std::make_unique<ReadContext>(store->path());
    AtomicFile out(path);
    bool written = out.open();
    if (written) {
        AtomicFileDevice device(out);
        written = EventCsvWriter::write(device, log.get());
    }
    if (written && out.commit())
        return true;
    if (error)
        *error = out.errorString().isEmpty()
                     ? QStringLiteral("the log could not be read to its end")
                     : out.errorString();
    return false;
}
