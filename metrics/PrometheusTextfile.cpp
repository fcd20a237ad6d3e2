#include "PrometheusTextfile.h"

#include "BatteryMetrics.h"
#include "EventStateText.h"

#include <cmath>
#include <optional>

namespace {
class Writer {
public:
    explicit Writer(QByteArray labels) : labels_(std::move(labels)) {}

    void gauge(const char* name, const char* help, const std::optional<double>& value,
               const char* type = "gauge") {
        if (!value)
            return;
        header(name, help, type);
        sample(name, labels_, *value);
    }

    // One series per state, 1 for the current one, so a query can count or select states.
    void stateSet(const char* name, const char* help, const QByteArray& current) {
        header(name, help, "gauge");
        for (const char* state : {"unknown", "discharging", "charging", "full", "not_charging"})
            sample(name, labels_ + ",state=\"" + state + '"', current == state);
    }

    QByteArray text() const { return out_; }

private:
    void header(const char* name, const char* help, const char* type) {
        out_ += QByteArray("# HELP ") + name + ' ' + help + '\n';
        out_ += QByteArray("# TYPE ") + name + ' ' + type + '\n';
    }

    void sample(const char* name, const QByteArray& labels, double value) {
        out_ += name;
        out_ += '{' + labels + "} ";
        // The exposition format spells these out; printf's "inf" and "nan" are not accepted.
        if (std::isnan(value))
            out_ += "NaN";
        else if (std::isinf(value))
            out_ += value > 0 ? "+Inf" : "-Inf";
        else
            out_ += QByteArray::number(value, 'g', 12);
        out_ += '\n';
    }

    QByteArray labels_;
    QByteArray out_;
};

QByteArray stateWord(const BatteryMetrics& m) {
    if (m.notCharging)
        return "not_charging";
    return EventStateText::plain(m.state).toLatin1();
}
} // namespace

QByteArray PrometheusTextfile::escapeLabelValue(const QString& value) {
    QByteArray escaped;
    for (const char c : value.toUtf8()) {
        if (c == '\\')
            escaped += "\\\\";
        else if (c == '"')
            escaped += "\\\"";
        else if (c == '\n')
            escaped += "\\n";
        else
            escaped += c;
    }
    return escaped;
}

QByteArray PrometheusTextfile::format(const BatteryMetrics& m) {
    Writer w("model=\"" + escapeLabelValue(m.model) + "\",serial=\"" + escapeLabelValue(m.serial) +
             '"');
    w.gauge("ampelio_battery_level_percent", "Charge as a percentage of the full-charge capacity.",
            m.levelPercent);
    w.stateSet("ampelio_battery_state", "What the battery does, 1 for the current state.",
               stateWord(m));
    w.gauge("ampelio_battery_health_percent",
            "Full-charge capacity as a percentage of the design capacity.", m.healthPercent);
    w.gauge("ampelio_battery_full_capacity_mah", "Full-charge capacity in mAh.", m.fullCapacityMah);
    w.gauge("ampelio_battery_design_capacity_mah", "Design capacity in mAh.", m.designCapacityMah);
    w.gauge("ampelio_battery_cycle_count", "Charge cycles counted by the battery.", m.cycleCount);
    w.gauge("ampelio_battery_temperature_celsius", "Battery temperature.", m.temperatureCelsius);
    w.gauge("ampelio_battery_time_to_empty_seconds",
            "Estimated time until empty at the recent rate; absent when there is no estimate.",
            m.timeToEmptySeconds);
    w.gauge("ampelio_battery_time_to_full_seconds",
            "Estimated time until full at the recent rate; absent when there is no estimate.",
            m.timeToFullSeconds);
    w.gauge("ampelio_samples_logged_total", "Samples kept in the battery log.",
            static_cast<double>(m.samplesLogged), "counter");
    return w.text();
}
