#include "Theme.h"
#include "GroupedTableView.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {
double luminance(const QColor& colour) {
    const auto channel = [](double c) {
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

// The contrast ratio of two colours, a translucent foreground laid over the background.
double contrast(QColor foreground, const QColor& background) {
    const double a = foreground.alphaF();
    foreground = QColor::fromRgbF(
        static_cast<float>(foreground.redF() * a + background.redF() * (1 - a)),
        static_cast<float>(foreground.greenF() * a + background.greenF() * (1 - a)),
        static_cast<float>(foreground.blueF() * a + background.blueF() * (1 - a)));
    const double l1 = luminance(foreground);
    const double l2 = luminance(background);
    return (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
}

struct Pair {
    const char* name;
    QColor (*foreground)();
    QColor (*background)();
};

const Pair Pairs[] = {
    {"list title", Theme::primaryText, Theme::background},
    {"list detail", Theme::secondaryText, Theme::background},
    {"graph line", Theme::graphLine, Theme::background},
    {"grid", Theme::gridMajor, Theme::background},
    {"table title", Theme::primaryText, Theme::groupFill},
    {"table value", Theme::detailText, Theme::groupFill},
    {"section header", Theme::groupHeader, Theme::groupedBackground},
};

class ThemeTest : public ::testing::Test {
protected:
    void TearDown() override { Theme::setScheme(Theme::Scheme::Auto); }
};
} // namespace

// Dark is not merely darker: every text and line keeps (near enough) the contrast it has in the
// light scheme, up to 7:1, past which text reads alike (and pure white on black glares), and
// readable text stays above 4.5:1.
TEST_F(ThemeTest, DarkKeepsTheContrastOfLight) {
    for (const Pair& pair : Pairs) {
        Theme::setScheme(Theme::Scheme::Light);
        const double light = contrast(pair.foreground(), pair.background());
        Theme::setScheme(Theme::Scheme::Dark);
        ASSERT_TRUE(Theme::isDark());
        const double dark = contrast(pair.foreground(), pair.background());
        EXPECT_GE(dark, std::min(light * 0.8, 7.0))
            << pair.name << ": " << dark << " against " << light;
        EXPECT_LT(luminance(pair.background()), 0.05) << pair.name << ": a dark ground";
    }
    Theme::setScheme(Theme::Scheme::Dark);
    EXPECT_GE(contrast(Theme::primaryText(), Theme::background()), 4.5);
    EXPECT_GE(contrast(Theme::detailText(), Theme::groupFill()), 4.5);
}

TEST_F(ThemeTest, TheStatisticsTablePaintsDark) {
    Theme::setScheme(Theme::Scheme::Dark);
    GroupedTableView table;
    table.resize(320, 200);
    table.setSections({{"Overall", {{"Load Cycles", "22.3"}}}});
    table.show();
    const QImage image = table.grab().toImage();
    const QRect row = table.rowRect(0, 0);
    EXPECT_LT(image.pixelColor(row.center().x(), row.top() + 4).lightness(), 60) << "the group";
    EXPECT_LT(image.pixelColor(2, 2).lightness(), 60) << "the ground";
}
