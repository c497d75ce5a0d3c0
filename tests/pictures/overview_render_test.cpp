// The echo-dynamics strips: each column draws the least and greatest value of
// its frames, % and dB in their own colours, indications behind, the cursor.
#include <gtest/gtest.h>

#include <random>

#include "pictures/overview_render.h"
#include "test_files.h"
#include "viewer/record_query.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

// 1000 shown frames in two records of 500: % then dB. All amplitudes 0 but a
// one-frame spike; one indication around the spike.
EchoOverview twoUnits(int64_t spike) {
    std::vector<int32_t> amplitude(1000, 0);
    amplitude[static_cast<size_t>(spike)] = 1000;
    return EchoOverview({{.firstFrame = 0,
                          .threshold = 500,
                          .record = 0,
                          .frames = 500,
                          .unit = AmplitudeUnit::Percent,
                          .inch = false},
                         {.firstFrame = 500,
                          .threshold = 0,
                          .record = 1,
                          .frames = 500,
                          .unit = AmplitudeUnit::Db,
                          .inch = false}},
                        std::move(amplitude), std::vector<int32_t>(1000, 100), {},
                        {{spike, spike, spike}});
}

QRgb at(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000u; }

bool columnHas(const QImage& image, const QRect& r, int x, QRgb colour) {
    for (int y = r.top(); y <= r.bottom(); ++y)
        if (at(image, r.left() + x, y) == colour) return true;
    return false;
}

const QRgb kGreen = qRgb(0, 150, 0), kOrange = qRgb(220, 110, 0), kPink = qRgb(255, 225, 225),
           kPurple = qRgb(120, 0, 160), kBlue = qRgb(30, 80, 200), kMagenta = qRgb(255, 0, 255);

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
        const int64_t first = frameAtColumn({0, 1000, -1}, width, x);
        const int64_t next = frameAtColumn({0, 1000, -1}, width, x + 1);
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
    EXPECT_EQ(frameAtColumn({500, 520, -1}, width, x), 510);
    EXPECT_EQ(at(image, layout.amplitude.left() + x, layout.amplitude.top()), kOrange);
    for (int c = 0; c < width; ++c)
        EXPECT_FALSE(columnHas(image, layout.amplitude, c, kGreen)) << c;
}

// Drawn from the overview's block summaries, the strips are the pixels a
// walk over every frame gives: each column's summary and the view's are
// those of a walk, for the whole file, parts with thousands of frames a
// column, parts where a column holds less than one frame, and views that
// begin and end off any block boundary.
TEST(OverviewStrips, BlockSummariesDrawWhatEveryFrameDraws) {
    std::vector<OverviewRecord> records;
    std::vector<int32_t> amplitude, position;
    std::mt19937 rng(7);
    AmplitudeUnit unit = AmplitudeUnit::Percent;
    auto count = [&] { return static_cast<int64_t>(amplitude.size()); };
    for (int32_t r = 0; count() < 70001; ++r) {
        if (rng() % 16 == 0)
            unit = unit == AmplitudeUnit::Db ? AmplitudeUnit::Percent : AmplitudeUnit::Db;
        const int32_t frames = 1 + static_cast<int32_t>(rng() % 20);
        records.push_back({.firstFrame = count(),
                           .record = r,
                           .frames = frames,
                           .gateLevel = static_cast<int32_t>(rng() % 1000),
                           .unit = unit});
        for (int32_t f = 0; f < frames; ++f) {
            // A slow swell with noise, and now and then a spike.
            const int32_t swell = static_cast<int32_t>((count() / 300) % 500);
            amplitude.push_back(swell + static_cast<int32_t>(rng() % 200) +
                                (rng() % 997 == 0 ? 600 : 0));
            position.push_back(static_cast<int32_t>(rng() % 5000) + swell * 10);
        }
    }
    OverviewSettings settings;
    settings.gap = 2;
    EchoOverview o(std::move(records), std::move(amplitude), std::move(position), {}, {});
    o.applyThresholds(settings);
    const int64_t n = o.frameCount();
    const std::vector<OverviewView> views = {
        {0, n, -1},         {0, n, n / 3},      {12345, 61111, 20000},
        {17, 4113, -1},     {40000, 40300, -1}, {40001, 40101, 40050},
        {n - 50, n, n - 1}, {33333, 33334, -1}, {4095, 4097 + 256, -1},
    };
    // The strips draw each column from the summary of its frames, and the
    // scales from the summary of the view: those are what a walk finds.
    for (const QSize size : {QSize(1200, 360), QSize(333, 171)}) {
        const int width = OverviewLayout::forSize(size).amplitude.width();
        for (const OverviewView& view : views) {
            SCOPED_TRACE(std::to_string(size.width()) + " wide, frames " +
                         std::to_string(view.from) + ".." + std::to_string(view.to));
            ASSERT_EQ(o.summarize(view.from, view.to), o.summarizeByWalking(view.from, view.to));
            for (int x = 0; x < width; ++x) {
                const int64_t first = frameAtColumn(view, width, x);
                const int64_t last =
                    std::min(std::max(frameAtColumn(view, width, x + 1), first + 1), view.to);
                ASSERT_EQ(o.summarize(first, last), o.summarizeByWalking(first, last)) << x;
            }
        }
    }
}

// A damaged record among real ones: gate A amplitudes of 12544.0 % and
// -500000.0 dB and a path of 100 km, next to real frames of 30.0 .. 60.0 %,
// -2.0 .. +5.0 dB and 50.0 .. 56.0 mm. The scales stay at the real range; the
// frames no instrument could measure are marks on the edge beyond which
// they lie, in their own colour, and nothing else.
TEST(OverviewStrips, ValuesNoRealFrameHoldsAreMarksOnTheEdge) {
    struct Frame {
        int32_t amplitude, path;
    };
    auto frames = [](const std::vector<Frame>& shown) {
        Bytes b = makeFrames(static_cast<int>(shown.size()) + 1);
        for (size_t f = 0; f < shown.size(); ++f) {
            const int32_t values[4] = {shown[f].path, shown[f].amplitude, 0, shown[f].amplitude};
            for (int i = 0; i < 4; ++i)
                storeU32(b.data() + f * kFrameSize + kFrameValuesOffset + 4 * i,
                         static_cast<uint32_t>(values[i]));
        }
        return b;
    };
    ParameterBlock percent = makeBlock(325), db = makeBlock(325);
    param::setBits(db.data(), param::kDacOn, 1);
    RecordWriter w;
    w.addRecord(frames({{300, 500}, {600, 520}, {125440, 540}, {450, 560}, {500, 1'000'000'000}}),
                &percent);
    w.addRecord(frames({{-20, 500}, {-5'000'000, 510}, {50, 530}}), &db);
    RecordQuery query;
    ASSERT_TRUE(query.open(writeTemp("beyond.DAT", w.bytes())).ok());
    const EchoOverview o = computeOverview(query, {});
    ASSERT_EQ(o.frameCount(), 8);

    const OverviewView view{0, 8, -1};
    const OverviewScales scales = OverviewScales::of(o, view);
    EXPECT_EQ(scales.percentLow, 0);
    EXPECT_EQ(scales.percentHigh, 1000);
    EXPECT_EQ(scales.dbLow, -200);
    EXPECT_EQ(scales.dbHigh, 100);

    QImage image(300, 160, QImage::Format_RGB32);
    drawOverviewStrips(image, o, view);
    const OverviewLayout layout = OverviewLayout::forSize(image.size());
    const QRect &a = layout.amplitude, &q = layout.position;
    const int width = a.width();
    // The middle column of shown frame i.
    auto column = [&](int64_t i) {
        return (columnOfFrame(view, width, i) + columnOfFrame(view, width, i + 1) - 1) / 2;
    };
    auto pixel = [&](const QRect& r, int64_t i, int y) {
        return at(image, r.left() + column(i), y);
    };
    struct Case {
        const char* name;
        int64_t frame;
        const QRect& strip;
        int row; // where its value is drawn, on the real scale
        QRgb colour;
    };
    const Case cases[] = {
        {"60.0 % on the 0 .. 100 % scale", 1, a, OverviewScales::rowOf(plotRows(a), 600, 0, 1000),
         kGreen},
        {"12544.0 % above the top", 2, a, a.top(), kMagenta},
        {"-500000.0 dB below the bottom", 6, a, a.bottom(), kMagenta},
        {"+5.0 dB on the -20 .. +10 dB scale", 7, a,
         OverviewScales::rowOf(plotRows(a), 50, -200, 100), kOrange},
        {"50.0 mm on the 0 .. 56.0 mm scale", 0, q, OverviewScales::rowOf(plotRows(q), 500, 0, 560),
         kBlue},
        {"100 km above the top", 4, q, q.top(), kMagenta},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(pixel(c.strip, c.frame, c.row), c.colour);
    }
    // The frames beyond the range draw their mark and no value.
    for (const int64_t i : {2, 6}) {
        EXPECT_FALSE(columnHas(image, a, column(i), kGreen)) << i;
        EXPECT_FALSE(columnHas(image, a, column(i), kOrange)) << i;
    }
    EXPECT_FALSE(columnHas(image, q, column(4), kBlue));
    // Real frames carry no mark.
    for (const int64_t i : {0, 1, 3, 5, 7}) {
        EXPECT_FALSE(columnHas(image, a, column(i), kMagenta)) << i;
        EXPECT_FALSE(columnHas(image, q, column(i), kMagenta)) << i;
    }
}

// The inspector's manual indications: a box over exactly their columns
// through every strip, tagged in the amplitude strip and the B-scan; one
// out of view is not drawn, one running past the view's edge is cut there.
TEST(OverviewStrips, ManualIndicationsAreOutlined) {
    const QRgb manual = kManualOutline | 0xFF000000u;
    for (const bool bscan : {false, true}) {
        SCOPED_TRACE(bscan ? "with the B-scan" : "strips only");
        QImage image(400, bscan ? 300 : 160, QImage::Format_RGB32);
        image.fill(Qt::white);
        const OverviewLayout layout = OverviewLayout::forSize(image.size(), bscan);
        const int width = layout.amplitude.width(); // 272 columns for 500 frames
        const OverviewView view{200, 700, -1};
        // Frames 300..349 in view; 100..150 before it; 650..800 past its end.
        drawManualIndications(image, {{300, 349, 320}, {100, 150, 120}, {650, 800, 700}}, view,
                              bscan);
        const int x1 = columnOfFrame(view, width, 300), x2 = columnOfFrame(view, width, 350) - 1;
        for (const QRect& r : layout.strips()) {
            const int mid = r.top() + r.height() / 2;
            EXPECT_EQ(at(image, r.left() + x1, mid), manual);
            EXPECT_EQ(at(image, r.left() + x2, mid), manual);
            EXPECT_NE(at(image, r.left() + x1 - 1, mid), manual);
            EXPECT_NE(at(image, r.left() + x2 + 1, mid), manual);
            EXPECT_NE(at(image, r.left() + (x1 + x2) / 2, mid), manual); // a box, not a band
            EXPECT_EQ(at(image, r.left() + (x1 + x2) / 2, r.bottom()), manual);
            // Past the view's end the box stops at the plot's last column.
            const int x3 = columnOfFrame(view, width, 650);
            EXPECT_EQ(at(image, r.left() + x3, mid), manual);
            EXPECT_EQ(at(image, r.left() + width - 1, mid), manual);
            EXPECT_NE(at(image, r.right() + 1, mid), manual);
        }
        // Nothing before the box of frames 300..349 but the plots' frames.
        for (int x = layout.amplitude.left(); x < layout.amplitude.left() + x1; ++x)
            EXPECT_FALSE(columnHas(image, layout.position, x - layout.amplitude.left(), manual))
                << x;
        // The tag: a label of the box's colour at its top left, inside the
        // border, in the amplitude strip and the B-scan, not in the
        // position strip.
        auto tagged = [&](const QRect& r) {
            int label = 0;
            for (int y = r.top() + 2; y < r.top() + 10; ++y)
                for (int x = r.left() + x1 + 2; x < r.left() + x1 + 20; ++x)
                    label += at(image, x, y) == manual;
            return label;
        };
        EXPECT_GT(tagged(layout.amplitude), 50);
        EXPECT_EQ(tagged(layout.position), 0);
        if (bscan) {
            EXPECT_GT(tagged(layout.bscan), 50);
        }
    }
}
