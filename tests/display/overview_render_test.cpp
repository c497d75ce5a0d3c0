// The echo-dynamics strips: each column draws the least and greatest value of
// its frames, % and dB in their own colours, indications behind, the cursor.
#include <gtest/gtest.h>

#include "overview_render.h"

using namespace vantrel;

namespace {

// 1000 shown frames in two records of 500: % then dB. All amplitudes 0 but a
// one-frame spike; one indication around the spike.
EchoOverview twoUnits(int64_t spike) {
    EchoOverview o;
    o.records = {{0, 0, 500, 500, AmplitudeUnit::Percent, false},
                 {1, 500, 500, 0, AmplitudeUnit::Db, false}};
    o.amplitude.assign(1000, 0);
    o.position.assign(1000, 100);
    o.amplitude[static_cast<size_t>(spike)] = 1000;
    o.indications = {{spike, spike, spike}};
    return o;
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

bool columnHas(const QImage& image, const QRect& r, int x, QRgb colour) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        if (at(image, r.left() + x, y) == colour) return true;
    return false;
}

const QRgb kGreen = qRgb(0, 150, 0), kOrange = qRgb(220, 110, 0), kPink = qRgb(255, 225, 225),
           kPurple = qRgb(120, 0, 160);

} // namespace

TEST(OverviewStrips, ColumnsShowTheirFramesExtremesUnitsAndMarks) {
    QImage image(300, 160, QImage::Format_RGB32);
    const OverviewLayout layout = OverviewLayout::forSize(image.size());
    const int width = layout.amplitude.width(); // 204 columns for 1000 frames
    const int64_t spike = 123;
    const EchoOverview o = twoUnits(spike);
    drawOverviewStrips(image, o, {0, 1000, 700});
    int spikeColumn = -1, cursorColumn = -1;
    for (int x = 0; x < width; ++x) {
        const int64_t first = OverviewLayout::frameAt({0, 1000, -1}, width, x);
        const int64_t next = OverviewLayout::frameAt({0, 1000, -1}, width, x + 1);
        if (first <= spike && spike < next) spikeColumn = x;
        if (first <= 700 && 700 < next) cursorColumn = x;
        // % frames green, dB frames orange, never both in one column.
        const bool percent = next <= 500, db = first >= 500;
        if ((percent || db) && x != cursorColumn) {
            EXPECT_EQ(columnHas(image, layout.amplitude, x, kGreen), percent) << x;
            EXPECT_EQ(columnHas(image, layout.amplitude, x, kOrange), db) << x;
        }
    }
    ASSERT_GE(spikeColumn, 0);
    // The spike is one frame of about five in its column, and its column
    // still reaches the top: the greatest value is drawn, not a sample.
    EXPECT_EQ(at(image, layout.amplitude.left() + spikeColumn, layout.amplitude.top()), kGreen);
    // The indication lies behind its column only.
    EXPECT_EQ(at(image, layout.position.left() + spikeColumn, layout.position.top() + 2), kPink);
    EXPECT_NE(at(image, layout.position.left() + spikeColumn + 3, layout.position.top() + 2),
              kPink);
    // The cursor marks the column of frame 700 in both strips.
    EXPECT_EQ(at(image, layout.amplitude.left() + cursorColumn, layout.amplitude.top() + 2),
              kPurple);
    EXPECT_EQ(at(image, layout.position.left() + cursorColumn, layout.position.top() + 2), kPurple);
}

// A view of part of the file spreads its frames over the whole width.
TEST(OverviewStrips, AViewOfPartOfTheFile) {
    QImage image(300, 160, QImage::Format_RGB32);
    const OverviewLayout layout = OverviewLayout::forSize(image.size());
    const EchoOverview o = twoUnits(510);
    drawOverviewStrips(image, o, {500, 520, -1});
    const int width = layout.amplitude.width();
    // Frame 510 is the middle of the view: its columns hold the spike.
    const int x = width / 2;
    EXPECT_EQ(OverviewLayout::frameAt({500, 520, -1}, width, x), 510);
    EXPECT_EQ(at(image, layout.amplitude.left() + x, layout.amplitude.top()), kOrange);
    for (int c = 0; c < width; ++c)
        EXPECT_FALSE(columnHas(image, layout.amplitude, c, kGreen)) << c;
}
