#include "DemoGraphController.h"

#include "Clock.h"
#include "GraphBackgroundView.h"
#include "MainScreen.h"
#include "ResourceImage.h"

#include <algorithm>

namespace {
class SampleObject : public GraphDataObject {
public:
    explicit SampleObject(const BatterySample& sample) : sample_(sample) {}
    QVariant valueForKey(const QString& key) const override {
        if (key == QLatin1String("creationDate"))
            return sample_.date;
        if (key == QLatin1String("batteryLevel"))
            return sample_.level;
        if (key == QLatin1String("batteryState"))
            return sample_.state;
        return QVariant();
    }

private:
    BatterySample sample_;
};
} // namespace

DemoGraphController::DemoGraphController(std::shared_ptr<const SyntheticBatteryCurve> curve,
                                         const Options& options, QObject* parent)
    : ScrollingGraphViewController(parent), curve_(std::move(curve)), options_(options) {
    StateBadges states{QStringLiteral("batteryState"), {}};
    const char* const names[] = {"bullet-onbattery", "bullet-charging", "bullet-full"};
    for (int state = 1; state <= 3; ++state)
        states.imageForValue.insert(state,
                                    ResourceImage::bitmap(QLatin1String(names[state - 1]), 29));
    badges_.append(states);
}

UIBackgroundView* DemoGraphController::backgroundView() {
    const QRectF app = MainScreen::applicationFrame();
    return new GraphBackgroundView(
        QRectF(0, 5, app.width(), app.height() - MainScreen::tabBarHeight - 5));
}

GraphData DemoGraphController::dataFromX(float fromSecs, float toSecs) const {
    if (options_.empty || !curve_)
        return {};
    const double later = Clock::now() + std::max(fromSecs, toSecs);
    const double earlier = Clock::now() + std::min(fromSecs, toSecs);
    GraphData data;
    for (const BatterySample& sample : curve_->window(earlier, later))
        data.append(std::make_shared<SampleObject>(sample));
    return data;
}

std::optional<int> DemoGraphController::lineType(const QString&) const {
    if (options_.bars)
        return 1;
    return std::nullopt;
}
