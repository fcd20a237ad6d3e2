#pragma once

#include <QtGlobal>

// The readers log one line per refused input; millions of them would only slow the engine.
inline const bool quietLog = [] {
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    return true;
}();
