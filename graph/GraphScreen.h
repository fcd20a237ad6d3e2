#pragma once

#include "TabScreen.h"

class AmpelioGraphController;
class BatteryLogHandler;

// The graph tab: a screen like the others, holding the graph controller's view.
class GraphScreen : public TabScreen {
    Q_OBJECT
public:
    explicit GraphScreen(BatteryLogHandler& handler, QWidget* parent = nullptr);

    AmpelioGraphController& controller() const { return *controller_; }

private:
    AmpelioGraphController* controller_; // a child of the screen
};
