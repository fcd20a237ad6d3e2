#include "UpowerImportOffer.h"

#include "BatteryLogHandler.h"
#include "LogCategories.h"
#include "ManagedObjectContext.h"
#include "UpowerImport.h"
#include "UserDefaults.h"

#include <QMessageBox>

namespace {
const QString OfferedKey = QStringLiteral("upowerImportOffered");
}

QString UpowerImportOffer::directory() {
    const QString configured = qEnvironmentVariable("AMPELIO_UPOWER_DIR");
    return configured.isEmpty() ? UpowerImport::DefaultDirectory : configured;
}

void UpowerImportOffer::offer(BatteryLogHandler& log, UserDefaults& defaults, QWidget* parent) {
    const QString dir = directory();
    if (defaults.boolForKey(OfferedKey) || !UpowerImport::hasHistory(dir))
        return;
    if (!parent) {
        qCInfo(lcApp,
               "Earlier battery history found in %s; import it with "
               "ampelio --import-upower",
               qPrintable(dir));
        return;
    }
    // Asked once, whatever the answer: the command stays for later.
    defaults.setObject(OfferedKey, true);
    const auto answer = QMessageBox::question(
        parent, QStringLiteral("Import battery history"),
        QStringLiteral("The system kept battery history in %1. Import it into Ampelio's log? "
                       "(It can also be done later with ampelio --import-upower.)")
            .arg(dir));
    ManagedObjectContext* context = log.managedObjectContext();
    if (answer != QMessageBox::Yes || !context)
        return;
    const UpowerImport::Result result = UpowerImport::run(*context, dir);
    const QString summary = UpowerImport::summary(result, dir);
    qCInfo(lcApp, "%s", qPrintable(summary));
    if (result.taken > 0)
        emit log.dataChanged(-1);
    QMessageBox::information(parent, QStringLiteral("Import battery history"), summary);
}
