// What a window needs to put marks over the echo-dynamics strips and to take
// values from them: the column a frame starts in, and the amplitude scales
// the strips are drawn on.
#include <gtest/gtest.h>

#include "pictures/overview_render.h"

using namespace vantrel;

namespace {

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }
const QRgb kRed = qRgb(200, 0, 0);

} // namespace

// columnOf is the least column whose first frame is the frame or a later one,
// for views narrower and wider than the plot and views of part of the file.
TEST(OverviewMarks, ColumnOfAFrame) {
    const struct {
        int64_t from, to;
        int width;
    } views[] = {{0, 1000, 204}, {0, 204, 204}, {0, 20, 204},   {500, 520, 204},
                 {3, 7, 5},      {0, 1, 50},    {17, 1017, 333}};
    for (const auto& v : views) {
        const OverviewView view{v.from, v.to, -1};
        for (int64_t i = v.from; i <= v.to; ++i) {
            int expected = v.width;
            for (int x = 0; x < v.width; ++x)
                if (frameAtColumn(view, v.width, x) >= i) {
                    expected = x;
                    break;
                }
            ASSERT_EQ(columnOfFrame(view, v.width, i), expected)
                << v.from << ".." << v.to << " over " << v.width << ", frame " << i;
        }
        EXPECT_EQ(columnOfFrame(view, v.width, v.from - 5), 0);
        EXPECT_EQ(columnOfFrame(view, v.width, v.to + 5), v.width);
    }
}

// The thresholds are drawn on the rows the scales give them, the scales grow
// with the values in view only, and a row taken back gives the value drawn
// there.
TEST(OverviewMarks, AmplitudeScalesAreTheOnesDrawn) {
    // % frames 0..99 (threshold 35.0 %), dB frames 100..199 (threshold -6.0
    // dB); a % value of 120.0 in frame 10 and a dB value of -32.0 in 150.
    std::vector<int32_t> amplitude(200, 0);
    amplitude[10] = 1200;
    amplitude[150] = -320;
    amplitude[160] = -250;
    const EchoOverview o({{.firstFrame = 0,
                           .threshold = 350,
                           .record = 0,
                           .frames = 100,
                           .unit = AmplitudeUnit::Percent,
                           .inch = false},
                          {.firstFrame = 100,
                           .threshold = -60,
                           .record = 1,
                           .frames = 100,
                           .unit = AmplitudeUnit::Db,
                           .inch = false}},
                         std::move(amplitude), std::vector<int32_t>(200, 0), {}, {});

    struct Case {
        OverviewView view;
        OverviewScales scales;
    };
    const Case cases[] = {
        {{0, 200, -1}, {0, 1200, -320, 100}},
        {{20, 140, -1}, {0, 1000, -200, 100}}, // neither extreme in view
        {{155, 200, -1}, {0, 1000, -250, 100}},
        {{0, 5000, -1}, {0, 1200, -320, 100}}, // clamped to the file
    };
    for (const Case& c : cases) {
        const OverviewScales s = OverviewScales::of(o, c.view);
        EXPECT_EQ(s.percentLow, c.scales.percentLow);
        EXPECT_EQ(s.percentHigh, c.scales.percentHigh);
        EXPECT_EQ(s.dbLow, c.scales.dbLow);
        EXPECT_EQ(s.dbHigh, c.scales.dbHigh);
    }

    QImage image(400, 260, QImage::Format_RGB32);
    const OverviewLayout layout = OverviewLayout::forSize(image.size());
    const QRect& plot = layout.amplitude;
    const OverviewView view{0, 200, -1};
    drawOverviewStrips(image, o, view);
    const OverviewScales s = OverviewScales::of(o, view);
    const int percentColumn = columnOfFrame(view, plot.width(), 50);
    const int dbColumn = columnOfFrame(view, plot.width(), 120);
    EXPECT_EQ(at(image, plot.left() + percentColumn,
                 OverviewScales::rowOf(plotRows(plot), 350, s.percentLow, s.percentHigh)),
              kRed);
    EXPECT_EQ(at(image, plot.left() + dbColumn,
                 OverviewScales::rowOf(plotRows(plot), -60, s.dbLow, s.dbHigh)),
              kRed);
    for (int y = plot.top(); y <= plot.bottom(); ++y) {
        for (auto [low, high] : {std::pair{s.percentLow, s.percentHigh}, {s.dbLow, s.dbHigh}}) {
            const int64_t v = OverviewScales::valueAt(plotRows(plot), y, low, high);
            ASSERT_GE(v, low);
            ASSERT_LE(v, high);
            // Each row stands for more than one tenth here: exactly that row.
            ASSERT_EQ(OverviewScales::rowOf(plotRows(plot), v, low, high), y) << y;
        }
    }
    EXPECT_EQ(OverviewScales::valueAt(plotRows(plot), plot.top(), s.percentLow, s.percentHigh),
              1200);
    // Rows beyond the plot stand for its edges.
    EXPECT_EQ(OverviewScales::valueAt(plotRows(plot), plot.top() - 30, s.percentLow, s.percentHigh),
              1200);
    EXPECT_EQ(OverviewScales::valueAt(plotRows(plot), plot.bottom() + 30, s.dbLow, s.dbHigh),
              OverviewScales::valueAt(plotRows(plot), plot.bottom(), s.dbLow, s.dbHigh));
}

// A long file with a note in every record: the notes thin out to ticks at
// the top of the strips, so every column still shows its data; a few notes
// stay lines through both strips; hidden, neither is drawn.
TEST(OverviewMarks, NotesThinOutToWhatThePixelsShow) {
    const int64_t n = 50000;
    std::vector<OverviewRecord> records;
    for (int32_t r = 0; r < n; ++r)
        records.push_back({.firstFrame = r, .threshold = 100, .record = r, .frames = 1});
    const EchoOverview o(std::move(records), std::vector<int32_t>(n, 500),
                         std::vector<int32_t>(n, 300), {}, {});
    std::vector<OverviewMark> many, few;
    for (int32_t r = 0; r < n; ++r) {
        OverviewMark m;
        m.kind = OverviewMark::Kind::Note;
        m.first = m.end = r;
        m.record = m.lastRecord = r;
        many.push_back(m);
        if (r % 10000 == 5000) few.push_back(m);
    }
    const OverviewView view{0, n, -1};
    QImage plain(1200, 360, QImage::Format_RGB32);
    drawOverviewStrips(plain, o, view);
    const OverviewLayout layout = OverviewLayout::forSize(plain.size());
    const QRect& a = layout.amplitude;
    const int dataRow = OverviewScales::rowOf(plotRows(a), 500, 0, 1000);
    const QRgb kTeal = qRgb(0, 130, 150);

    QImage image = plain.copy();
    drawOverviewMarks(image, many, view);
    int ticks = 0;
    for (int x = 0; x < a.width(); ++x) {
        // The data row is as the strips drew it, in every column.
        ASSERT_EQ(at(image, a.left() + x, dataRow), at(plain, a.left() + x, dataRow)) << x;
        ticks += at(image, a.left() + x, a.top()) == kTeal;
    }
    EXPECT_GT(ticks, a.width() * 9 / 10);

    image = plain.copy();
    drawOverviewMarks(image, few, view);
    int lines = 0;
    for (int x = 0; x < a.width(); ++x)
        lines += at(image, a.left() + x, dataRow) == kTeal;
    EXPECT_EQ(lines, 5);

    image = plain.copy();
    drawOverviewMarks(image, many, view, false);
    EXPECT_TRUE(image == plain);
}

// The strips explain themselves: a legend of every colour above them, and
// titles (turned) beside the amplitude and position strips.
TEST(OverviewMarks, LegendAndAxisTitles) {
    const EchoOverview o({{.firstFrame = 0,
                           .threshold = 400,
                           .record = 0,
                           .frames = 100,
                           .unit = AmplitudeUnit::Percent,
                           .inch = false}},
                         std::vector<int32_t>(100, 500), std::vector<int32_t>(100, 300), {}, {});
    QImage image(1200, 360, QImage::Format_RGB32);
    drawOverviewStrips(image, o, {0, 100, -1});
    const OverviewLayout layout = OverviewLayout::forSize(image.size());
    auto has = [&](const QRect& band, QRgb colour) {
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                if (at(image, x, y) == colour) return true;
        return false;
    };
    const QRect legend(0, 0, image.width(), layout.amplitude.top() - 2);
    for (const QRgb colour :
         {qRgb(0, 150, 0), qRgb(220, 110, 0), qRgb(30, 80, 200), qRgb(200, 0, 0),
          qRgb(255, 225, 225), qRgb(0, 130, 150), qRgb(60, 60, 60), qRgb(150, 150, 150),
          qRgb(120, 0, 160), qRgb(255, 0, 255)})
        EXPECT_TRUE(has(legend, colour)) << std::hex << colour;
    // Something is written in each title band, and nothing outside the
    // legend's row above the plots but the legend.
    auto written = [&](const QRect& band) {
        for (int y = band.top(); y <= band.bottom(); ++y)
            for (int x = band.left(); x <= band.right(); ++x)
                if (at(image, x, y) != qRgb(255, 255, 255)) return true;
        return false;
    };
    const QRect& a = layout.amplitude;
    const QRect& q = layout.position;
    EXPECT_TRUE(written(QRect(0, a.top(), 14, a.height())));
    EXPECT_TRUE(written(QRect(image.width() - 15, a.top(), 14, a.height())));
    EXPECT_TRUE(written(QRect(0, q.top(), 14, q.height())));
    EXPECT_TRUE(written(QRect(q.left(), q.bottom() + 17, q.width(), 14))); // 记录
}
