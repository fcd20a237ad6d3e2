#include "GraphScreen.h"

#include "AmpelioGraphController.h"

#include <QVBoxLayout>

GraphScreen::GraphScreen(BatteryLogHandler& handler, QWidget* parent)
    : TabScreen(parent), controller_(new AmpelioGraphController(handler, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(controller_->view());
}
