#include "GraphBackgroundView.h"
#include "FakeGraphSource.h"
#include "GraphView.h"

#include <gtest/gtest.h>

namespace {
const QColor minorGrey = QColor::fromRgbF(0.9f, 0.9f, 0.9f);
const QColor majorGrey = QColor::fromRgbF(0.7f, 0.7f, 0.7f);

class GraphBackgroundViewTest : public ::testing::Test {
protected:
    FakeGraphSource source;
    GraphView graph{QRectF(0, 0, 116800, 416)};
    GraphBackgroundView background{QRectF(0, 0, 320, 416)};

    void SetUp() override {
        graph.setGraphDelegate(&source);
        background.setGraphView(&graph);
    }

    QImage render() {
        QImage image(background.size(), QImage::Format_ARGB32);
        image.fill(Qt::black);
        background.render(&image);
        return image;
    }
};

// Lines on whole-point coordinates are antialiased over two rows, so a pixel on a line is a
// lighter shade of its grey, but never white and never darker than the grey.
bool isGrey(const QImage& image, int x, int y, const QColor& grey) {
    const int red = image.pixelColor(x, y).red();
    return red >= grey.red() - 2 && red < 250;
}

bool isWhite(const QImage& image, int x, int y) {
    return image.pixelColor(x, y) == Qt::white;
}

// The rectangle holding every drawn pixel inside `area`.
QRect inkBox(const QImage& image, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (image.pixelColor(x, y).red() < 235)
                box |= QRect(x, y, 1, 1);
    return box;
}
} // namespace

TEST_F(GraphBackgroundViewTest, MajorLinesAtQuarterLevelsLeaveAGapForTheLabels) {
    const QImage image = render();
    for (const int y : {379, 20}) {
        EXPECT_TRUE(isGrey(image, 11, y, majorGrey)) << y;
        EXPECT_TRUE(isGrey(image, 141, y, majorGrey)) << y;
        EXPECT_TRUE(isGrey(image, 179, y, majorGrey)) << y;
        EXPECT_TRUE(isGrey(image, 308, y, majorGrey)) << y;
        EXPECT_TRUE(isWhite(image, 143, y)) << y; // the gap runs from 142 to 178
        EXPECT_TRUE(isWhite(image, 8, y)) << y;
    }
    EXPECT_TRUE(isWhite(image, 172, 379));           // right of the short "0%" label
    EXPECT_TRUE(isGrey(image, 100, 199, majorGrey)); // 50%: (379 + 20) / 2 = 199.5
}

TEST_F(GraphBackgroundViewTest, SixteenMinorLinesBetween) {
    const QImage image = render();
    // Column 15 meets only the major lines (minor ones start at 20), column 25 meets all.
    const auto linesAt = [&](int x) {
        int lines = 0;
        for (int y = 1; y < 385; ++y)
            lines += !isWhite(image, x, y) && isWhite(image, x, y - 1) ? 1 : 0;
        return lines;
    };
    EXPECT_EQ(linesAt(15), 5);
    EXPECT_EQ(linesAt(25) - linesAt(15), 16);
    EXPECT_TRUE(isWhite(image, 15, 361)); // 5%: y = 379 - 0.05 * 359 = 361.05
    EXPECT_TRUE(isGrey(image, 25, 361, minorGrey));
}

TEST_F(GraphBackgroundViewTest, LabelsSitOnTheirBaselinesLeftAlignedAt146) {
    const QImage image = render();
    const QRect zero = inkBox(image, QRect(143, 360, 34, 30));
    EXPECT_EQ(zero.bottom(), 381); // baseline 382: the glyphs end on the row above
    EXPECT_NEAR(zero.left(), 146, 1.5);
    EXPECT_GE(zero.height(), 8);
    const QRect hundred = inkBox(image, QRect(143, 5, 34, 30));
    EXPECT_EQ(hundred.bottom(), 22);
    EXPECT_NEAR(hundred.left(), 146, 1.5);
}

TEST_F(GraphBackgroundViewTest, ArrowsAndDirectionWordsAlongTheBottom) {
    const QImage image = render();
    // Left arrow points left: tip at (5, 395), base from 391 to 399 at x 13.
    EXPECT_TRUE(isGrey(image, 12, 395, majorGrey));
    EXPECT_TRUE(isWhite(image, 6, 391));
    EXPECT_TRUE(isGrey(image, 307, 395, majorGrey));
    EXPECT_NEAR(inkBox(image, QRect(16, 380, 40, 30)).left(), 18, 1.5);
    // "ast" rests on the baseline at 399; the "p" hangs below it.
    EXPECT_EQ(inkBox(image, QRect(27, 380, 30, 30)).bottom(), 398);
    EXPECT_GT(inkBox(image, QRect(16, 380, 10, 30)).bottom(), 399);
    const QRect future = inkBox(image, QRect(262, 380, 45, 19));
    EXPECT_NEAR(future.left(), 264, 1.5);
}

TEST_F(GraphBackgroundViewTest, ReversedSwapsTheWordsButNotTheArrows) {
    graph.setREVERSED(true);
    const QImage image = render();
    const QRect future = inkBox(image, QRect(16, 380, 60, 19));
    EXPECT_NEAR(future.left(), 18, 1.5);
    EXPECT_GT(future.width(), 30); // "future" is the longer word
    EXPECT_TRUE(isGrey(image, 12, 395, majorGrey));
    EXPECT_TRUE(isWhite(image, 6, 391));
}
