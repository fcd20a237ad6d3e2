#pragma once

#include <QByteArray>
#include <QString>

struct BatteryMetrics;

// The battery's figures in the Prometheus text exposition format, as the node exporter's
// textfile collector reads it: every series carries the battery's model and serial as labels,
// so one query covers a whole fleet.
namespace PrometheusTextfile {
QByteArray format(const BatteryMetrics& metrics);
// A label value inside its double quotes: backslash, quote and line feed escaped.
QByteArray escapeLabelValue(const QString& value);
// The file name the collector picks up (it reads *.prom only).
inline const char* FileName = "ampelio.prom";
} // namespace PrometheusTextfile
