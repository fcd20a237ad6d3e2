#include "DateIntervalFormatter.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace {
using Format = QString (*)(double);
using Cases = std::vector<std::pair<double, const char*>>;

QString coarse(double s) {
    return DateIntervalFormatter::formatRelativeTime(s);
}
QString detailed(double s) {
    return DateIntervalFormatter::formatDetailledRelativeTime(s);
}

void expectAll(Format format, const Cases& cases) {
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(format(seconds), QString::fromUtf8(text)) << seconds << " s";
}
} // namespace

TEST(DateIntervalFormatter, SecondsAndMinutesAreCutInBothForms) {
    const Cases cases{{0, "0 seconds"}, {-45, "45 seconds"}, {59.9, "59 seconds"}, {1, "1 second"},
                      {60, "1 minute"}, {119, "1 minute"},   {3599, "59 minutes"}};
    expectAll(coarse, cases);
    expectAll(detailed, cases);
}

TEST(DateIntervalFormatter, CoarseFormRoundsHalvesUp) {
    expectAll(coarse, {{3600, "1 hour"},
                       {5399, "1 hour"},
                       {5400, "2 hours"},
                       {86399, "24 hours"},
                       {86400, "1 day"},
                       {129600, "2 days"},
                       {604799, "7 days"},
                       {604800, "1 week"},
                       {907200, "2 weeks"},
                       {-907200, "2 weeks"}});
}

TEST(DateIntervalFormatter, DetailedFormHasOneDecimal) {
    expectAll(detailed, {{3600, "1.0 hours"},
                         {5400, "1.5 hours"},
                         {86399, "24.0 hours"},
                         {129600, "1.5 days"},
                         {1209600, "2.0 weeks"}});
}

TEST(DateIntervalFormatter, HugeAndInvalidDurationsDoNotWrap) {
    expectAll(coarse,
              {{1e300, "2147483647 weeks"}, {std::numeric_limits<double>::quiet_NaN(), "0 weeks"}});
    expectAll(detailed, {{std::numeric_limits<double>::infinity(), "inf weeks"}});
}
