#include "AmpelioResources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void initResourcesOnce() {
    Q_INIT_RESOURCE(resources);
}

void initAmpelioResources() {
    static const bool done = (initResourcesOnce(), true);
    (void)done;
}
