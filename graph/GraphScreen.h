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

protected:
    // Left/Right scroll, +/- zoom, Home returns to the present, Esc closes the callout.
    void keyPressEvent(QKeyEvent* event) override;

private:
    AmpelioGraphController* controller_; // a child of the screen
};
