#include "DateIntervalFormatter.h"

#include <gtest/gtest.h>

namespace {
QString coarse(double s) {
    return DateIntervalFormatter::formatRelativeTime(s);
}
QString detailed(double s) {
    return DateIntervalFormatter::formatDetailledRelativeTime(s);
}
} // namespace

TEST(DateIntervalFormatter, SecondsAndMinutesAreCutInBothForms) {
    for (auto* format : {&coarse, &detailed}) {
        EXPECT_EQ(format(0), "0 seconds");
        EXPECT_EQ(format(-45), "45 seconds");
        EXPECT_EQ(format(59.9), "59 seconds");
        EXPECT_EQ(format(1), "1 second");
        EXPECT_EQ(format(60), "1 minute");
        EXPECT_EQ(format(119), "1 minute");
        EXPECT_EQ(format(3599), "59 minutes");
    }
}

TEST(DateIntervalFormatter, CoarseFormRoundsHalvesUp) {
    EXPECT_EQ(coarse(3600), "1 hour");
    EXPECT_EQ(coarse(5399), "1 hour");
    EXPECT_EQ(coarse(5400), "2 hours");
    EXPECT_EQ(coarse(86399), "24 hours");
    EXPECT_EQ(coarse(86400), "1 day");
    EXPECT_EQ(coarse(129600), "2 days");
    EXPECT_EQ(coarse(604799), "7 days");
    EXPECT_EQ(coarse(604800), "1 week");
    EXPECT_EQ(coarse(907200), "2 weeks");
    EXPECT_EQ(coarse(-907200), "2 weeks");
}

TEST(DateIntervalFormatter, DetailedFormHasOneDecimal) {
    EXPECT_EQ(detailed(3600), "1.0 hours");
    EXPECT_EQ(detailed(5400), "1.5 hours");
    EXPECT_EQ(detailed(86399), "24.0 hours");
    EXPECT_EQ(detailed(129600), "1.5 days");
    EXPECT_EQ(detailed(1209600), "2.0 weeks");
}

TEST(DateIntervalFormatter, HugeAndInvalidDurationsDoNotWrap) {
    EXPECT_EQ(coarse(1e300), "2147483647 weeks");
    EXPECT_EQ(coarse(std::numeric_limits<double>::quiet_NaN()), "0 weeks");
    EXPECT_EQ(detailed(std::numeric_limits<double>::infinity()), "inf weeks");
}
