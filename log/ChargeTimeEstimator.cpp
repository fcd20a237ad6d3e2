#include "ChargeTimeEstimator.h"

#include <cmath>

ChargeReading ChargeReading::from(const PowerSource& source, double time) {
    ChargeReading reading;
    reading.time = time;
    reading.level = source.combinedBatteryLevel();
    if (reading.level < 0)
        reading.level = source.level();
    reading.state = source.state();
    reading.notCharging = source.isNotCharging();
    // The table is the first battery's; with several, one may rest while another drains, so
    // the combined level's slope gives the rate instead.
    if (source.batteries().size() > 1)
        return reading;
    const PowerSource::Properties properties = source.properties();
    reading.instantAmperage = PowerSource::find(properties, PowerSource::InstantAmperage);
    // A battery reporting in percent has no capacity to turn a current into a rate.
    if (const auto max = PowerSource::find(properties, PowerSource::MaxCapacity);
        max && *max > 0 && *max != 100.0)
        reading.maxCapacity = max;
    return reading;
}

QString ChargeTimeEstimate::duration() const {
    if (kind == None)
        return none();
    const qint64 minutes = std::llround(seconds / 60.0);
    return QString::asprintf("%lld:%02lld", minutes / 60, minutes % 60);
}

QString ChargeTimeEstimate::text() const {
    switch (kind) {
    case ToEmpty:
        return duration() + QStringLiteral(" left");
    case ToFull:
        return duration() + QStringLiteral(" to full");
    case None:
        break;
    }
    return duration();
}

ChargeTimeEstimator::ChargeTimeEstimator(double windowSeconds) : window_(windowSeconds) {}

void ChargeTimeEstimator::addReading(const ChargeReading& reading) {
    if (reading.level < 0)
        return;
    if (!readings_.empty()) {
        const ChargeReading& last = readings_.back();
        // A new state (or a clock that went back) starts a new curve.
        if (last.state != reading.state || last.notCharging != reading.notCharging ||
            reading.time < last.time)
            readings_.clear();
    }
    readings_.push_back(reading);
    while (readings_.size() > 2 && readings_.front().time < reading.time - window_)
        readings_.pop_front();
}

std::optional<double> ChargeTimeEstimator::rateFromCurrent() const {
    const ChargeReading& last = readings_.back();
    if (!last.instantAmperage || !last.maxCapacity)
        return std::nullopt;
    // The mean over the window smooths the current's jumps with the load.
    double sum = 0.0;
    int count = 0;
    for (const ChargeReading& r : readings_) {
        if (r.instantAmperage && r.time >= last.time - window_) {
            sum += *r.instantAmperage;
            ++count;
        }
    }
    return sum / count / *last.maxCapacity / 3600.0;
}

std::optional<double> ChargeTimeEstimator::rateFromSlope() const {
    const double t0 = readings_.front().time;
    if (readings_.back().time - t0 < MinSlopeSpanSeconds)
        return std::nullopt;
    double st = 0, sl = 0, stt = 0, stl = 0;
    for (const ChargeReading& r : readings_) {
        const double t = r.time - t0;
        st += t;
        sl += r.level;
        stt += t * t;
        stl += t * r.level;
    }
    const double n = static_cast<double>(readings_.size());
    const double denominator = n * stt - st * st;
    if (denominator <= 0)
        return std::nullopt;
    return (n * stl - st * sl) / denominator;
}

std::optional<double> ChargeTimeEstimator::rate() const {
    if (readings_.empty())
        return std::nullopt;
    if (auto current = rateFromCurrent())
        return current;
    return rateFromSlope();
}

ChargeTimeEstimate ChargeTimeEstimator::estimate() const {
    if (readings_.empty())
        return {};
    const ChargeReading& last = readings_.back();
    if (last.notCharging ||
        (last.state != BatteryStateUnplugged && last.state != BatteryStateCharging))
        return {};
    const std::optional<double> perSecond = rate();
    if (!perSecond || std::abs(*perSecond) * 3600.0 < MinRatePerHour)
        return {};
    ChargeTimeEstimate result;
    // A rate against the state (current still flowing in just after unplugging) is no estimate.
    if (last.state == BatteryStateUnplugged && *perSecond < 0) {
        result = {ChargeTimeEstimate::ToEmpty, last.level / -*perSecond};
    } else if (last.state == BatteryStateCharging && *perSecond > 0) {
        result = {ChargeTimeEstimate::ToFull, std::max(0.0, 1.0 - last.level) / *perSecond};
    } else {
        return {};
    }
    if (result.seconds > MaxSeconds)
        return {};
    return result;
}
