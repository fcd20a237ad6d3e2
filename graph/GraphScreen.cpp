#include "GraphScreen.h"

#include "AmpelioGraphController.h"

#include <QKeyEvent>
#include <QVBoxLayout>

namespace {
// A quarter of the visible width per arrow press, a whole one with Page keys.
constexpr double arrowStep = 0.25;
constexpr float keyZoom = 2.0f;
} // namespace

GraphScreen::GraphScreen(BatteryLogHandler& handler, QWidget* parent)
    : TabScreen(parent), controller_(new AmpelioGraphController(handler, this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(controller_->view());
    setFocusPolicy(Qt::StrongFocus);
}

void GraphScreen::keyPressEvent(QKeyEvent* event) {
    AmpelioGraphController& graph = *controller_;
    switch (event->key()) {
    case Qt::Key_Left:
        graph.scrollByScreens(-arrowStep);
        break;
    case Qt::Key_Right:
        graph.scrollByScreens(arrowStep);
        break;
    case Qt::Key_PageUp:
        graph.scrollByScreens(-1.0);
        break;
    case Qt::Key_PageDown:
        graph.scrollByScreens(1.0);
        break;
    case Qt::Key_Plus:
    case Qt::Key_Equal: // "+" without Shift on most layouts
        graph.zoomAboutCentre(keyZoom);
        break;
    case Qt::Key_Minus:
        graph.zoomAboutCentre(1.0f / keyZoom);
        break;
    case Qt::Key_Home:
        graph.scrollToNow();
        break;
    case Qt::Key_Escape:
        if (!graph.graphView() || !graph.graphView()->closeOpenCallouts())
            event->ignore();
        break;
    default:
        TabScreen::keyPressEvent(event);
        return;
    }
}
