// The echo-dynamics window's rules without a window: which frames the strips
// show after a zoom, a pan, a fit, a new overview or a new frame on screen;
// the threshold a drag to a row sets; and the marks of a file.
#include <gtest/gtest.h>

#include "analysis/echo_overview.h"
#include "analysis/file_health.h"
#include "analysis/overview_marks.h"
#include "analysis/overview_view.h"
#include "test_files.h"

using namespace vantrel;
using namespace vantrel::testing;

TEST(OverviewView, ShowFramesKeepsTheViewWithinTheFile) {
    const struct {
        int64_t from, to, total;
        OverviewView expected;
    } cases[] = {
        {100, 200, 1000, {100, 200, 7}},   // inside: as asked
        {-50, 50, 1000, {0, 100, 7}},      // before the start: moved in, same width
        {950, 1050, 1000, {900, 1000, 7}}, // past the end: moved in
        {10, 12, 1000, {10, 18, 7}},       // too few frames: the fewest a zoom leaves
        {-500, 5000, 1000, {0, 1000, 7}},  // more than the file: all of it
        {0, 1, 5, {0, 5, 7}},              // a file of fewer frames than the fewest
        {3, 2, 1000, {3, 11, 7}},          // reversed: the fewest frames from `from`
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.from) + ".." + std::to_string(c.to));
        EXPECT_EQ(showFrames({0, 0, 7}, c.from, c.to, c.total), c.expected);
    }
    EXPECT_EQ(fitView({40, 60, 3}, 500), (OverviewView{0, 500, 3}));
}

TEST(OverviewView, TheFrameUnderAColumnLiesWithinTheFile) {
    const struct {
        OverviewView view;
        int width, x;
        int64_t total, expected;
    } cases[] = {
        {{0, 300, -1}, 600, 0, 300, 0},      // the first column
        {{0, 300, -1}, 600, 599, 300, 299},  // the last: its first frame
        {{0, 300, -1}, 600, 600, 300, 299},  // the edge past the plot: the file's last
        {{0, 300, -1}, 600, 900, 300, 299},  // farther out still
        {{290, 300, -1}, 100, 95, 300, 299}, // fewer frames than columns
        {{0, 100, -1}, 50, 50, 300, 100},    // a view short of the end: not kept back
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.view.from) + ".." + std::to_string(c.view.to) + " at " +
                     std::to_string(c.x));
        EXPECT_EQ(frameUnderColumn(c.view, c.width, c.x, c.total), c.expected);
    }
}

TEST(OverviewView, ZoomKeepsTheFrameUnderThePointer) {
    const int width = 200;
    const struct {
        OverviewView view;
        int x, steps;
    } cases[] = {
        {{0, 10000, -1}, 0, 1},    {{0, 10000, -1}, 100, 1},   {{0, 10000, -1}, 199, 3},
        {{2000, 3000, -1}, 57, 2}, {{2000, 3000, -1}, 57, -2}, {{0, 400, -1}, 150, 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + " by " + std::to_string(c.steps));
        const int64_t anchor = frameAtColumn(c.view, width, c.x);
        const OverviewView z = zoomView(c.view, 10000, width, c.x, c.steps);
        const int64_t n = c.view.to - c.view.from;
        EXPECT_EQ(z.to - z.from,
                  std::max<int64_t>(std::llround(n * std::pow(0.8, c.steps)), kFewestFramesInView));
        // The anchor frame is in the same column, or the one beside it where
        // frames are fewer than columns.
        EXPECT_NEAR(columnOfFrame(z, width, anchor), c.x, 1);
    }
    // Zooming in stops at the fewest frames; no steps change nothing; the
    // pointer left or right of the plot counts as its edge.
    OverviewView v{0, 10000, -1};
    for (int i = 0; i < 100; ++i)
        v = zoomView(v, 10000, width, 100, 1);
    EXPECT_EQ(v.to - v.from, kFewestFramesInView);
    EXPECT_EQ(zoomView({5, 500, 2}, 10000, width, 100, 0), (OverviewView{5, 500, 2}));
    EXPECT_EQ(zoomView({0, 1000, -1}, 10000, width, -40, 1),
              zoomView({0, 1000, -1}, 10000, width, 0, 1));
}

TEST(OverviewView, PanMovesTheFramesWithThePointer) {
    const OverviewView grabbed{1000, 2000, 4};
    const struct {
        int dx;
        OverviewView expected;
    } cases[] = {
        {0, {1000, 2000, 9}},      {100, {500, 1500, 9}}, // right: earlier frames
        {-50, {1250, 2250, 9}},    {1000, {0, 1000, 9}},  // stops at the start
        {-10000, {4000, 5000, 9}},                        // and at the end
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dx);
        // The cursor is the current view's, not the one grabbed.
        EXPECT_EQ(panView({1, 2, 9}, grabbed, c.dx, 200, 5000), c.expected);
    }
}

TEST(OverviewView, TheViewFollowsTheFrameOnScreen) {
    const struct {
        const char* what;
        OverviewView view;
        int64_t cursor;
        OverviewView expected;
    } cases[] = {
        {"same frame", {100, 200, 150}, 150, {100, 200, 150}},
        {"within the view", {100, 200, 150}, 199, {100, 200, 199}},
        {"leaves the view: centred on it", {100, 200, 199}, 200, {150, 250, 200}},
        {"leaves near the end", {100, 200, 150}, 990, {900, 1000, 990}},
        {"user had moved away", {100, 200, 50}, 300, {100, 200, 300}},
        {"first cursor", {100, 200, -1}, 500, {100, 200, 500}},
        {"no frame on screen", {100, 200, 150}, -1, {100, 200, -1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(followCursor(c.view, c.cursor, 1000), c.expected);
    }
    // A new overview keeps a view its frames still hold and shows a new file
    // whole.
    EXPECT_EQ(viewForNewOverview({10, 20, 15}, 1000), (OverviewView{10, 20, 15}));
    EXPECT_EQ(viewForNewOverview({10, 2000, 15}, 1000), (OverviewView{0, 1000, -1}));
    EXPECT_EQ(viewForNewOverview({0, 0, -1}, 1000), (OverviewView{0, 1000, -1}));
}

// A drag to a row sets the whole % or dB that row draws where it draws one,
// else the nearest whole value; valueAt gives back a value drawn on the row.
TEST(OverviewView, ThresholdRowsAndValues) {
    const struct {
        PlotRows plot;
        int64_t low, high;
    } scales[] = {
        {{6, 150}, 0, 1000},   // 0 .. 100 %: rows coarser than whole %
        {{6, 150}, -200, 100}, // -20 .. +10 dB: rows finer than whole dB
        {{0, 2}, 0, 1000},     // a plot of two rows
        {{10, 400}, 0, 1275},
    };
    for (const auto& s : scales) {
        SCOPED_TRACE(std::to_string(s.plot.height) + " rows, " + std::to_string(s.low) + ".." +
                     std::to_string(s.high));
        for (int y = s.plot.top; y <= s.plot.bottom(); ++y) {
            const int64_t v = OverviewScales::valueAt(s.plot, y, s.low, s.high);
            EXPECT_EQ(OverviewScales::rowOf(s.plot, v, s.low, s.high), y) << y;
            const int64_t t = OverviewScales::thresholdAt(s.plot, y, s.low, s.high);
            EXPECT_EQ(t % 10, 0) << y;
            const bool rowHoldsAWhole = [&] {
                for (int64_t w = s.low - s.low % 10; w <= s.high; w += 10)
                    if (OverviewScales::rowOf(s.plot, w, s.low, s.high) == y) return true;
                return false;
            }();
            if (rowHoldsAWhole) {
                EXPECT_EQ(OverviewScales::rowOf(s.plot, t, s.low, s.high), y) << y;
            } else {
                EXPECT_LE(std::abs(t - v), 5) << y;
            }
        }
    }
    // Outside the plot: its edge rows.
    EXPECT_EQ(OverviewScales::valueAt({6, 150}, 0, 0, 1000), 1000);
    EXPECT_EQ(OverviewScales::valueAt({6, 150}, 500, 0, 1000),
              OverviewScales::valueAt({6, 150}, 155, 0, 1000));
}

namespace {

// Records of `frames` frames (one stepping shows less); note, block and
// damage as each Rec says; a record of less than a frame shows nothing.
struct Rec {
    int frames = 3;
    bool block = false;
    const char* note = nullptr;
    bool damaged = false; // its trailer lies outside it: frames kept, marked damaged
};

EchoOverview overviewOf(const RecordQuery& query) { return computeOverview(query, {}); }

} // namespace

TEST(OverviewMarks, NotesBlocksDamageAndGaps) {
    const Rec recs[] = {
        {3, true, nullptr},        // 0: block (frames 0, 1)
        {3, false, "start"},       // 1: frames 2, 3; a note carries a block
        {0},                       // 2: less than a frame: missing
        {0},                       // 3: missing
        {3},                       // 4: frames 4, 5
        {3, false, nullptr, true}, // 5: damaged, frames 6, 7
        {3, true, "end"},          // 6: frames 8, 9
    };
    RecordWriter w;
    for (const Rec& r : recs) {
        if (r.frames == 0) {
            w.addRecord(Bytes(100, 7));
            continue;
        }
        if (r.damaged) {
            w.addDecoded(makeFrames(r.frames), -5);
            continue;
        }
        const ParameterBlock block = makeBlock(100);
        const std::vector<uint16_t> cells =
            r.note ? noteCellsFromUtf8(r.note) : std::vector<uint16_t>{};
        w.addRecord(makeFrames(r.frames), r.block || r.note ? &block : nullptr, cells);
    }
    RecordQuery query;
    // The header announces 8 records: record 7 is missing at the end.
    ASSERT_TRUE(query.open(writeTemp("marks.DAT", w.bytes(8))).ok());
    const EchoOverview o = overviewOf(query);
    ASSERT_EQ(o.frameCount(), 10);

    using K = OverviewMark::Kind;
    auto mark = [](K kind, int64_t first, int64_t end, int32_t record, int32_t last) {
        OverviewMark m;
        m.kind = kind;
        m.first = first;
        m.end = end;
        m.record = record;
        m.lastRecord = last;
        return m;
    };
    std::vector<OverviewMark> expected = {
        mark(K::Missing, 4, 4, 2, 3), mark(K::Missing, 10, 10, 7, 7), mark(K::Damaged, 6, 8, 5, 5),
        mark(K::Block, 0, 0, 0, 0),   mark(K::Block, 2, 2, 1, 1),     mark(K::Block, 8, 8, 6, 6),
        mark(K::Note, 2, 2, 1, 1),    mark(K::Note, 8, 8, 6, 6),
    };
    expected[2].damage = RecordDamage::TrailerOutside;
    expected[6].note = "start";
    expected[7].note = "end";
    const std::vector<OverviewMark> marks = overviewMarks(o, query.file());
    ASSERT_EQ(marks.size(), expected.size());
    for (size_t k = 0; k < marks.size(); ++k)
        EXPECT_EQ(marks[k], expected[k]) << k;

    // What a pointer names, on a plot of 100 columns showing all ten frames
    // (ten columns a frame): the damaged run over its columns, a boundary
    // within the grip; blocks never.
    const OverviewView all{0, 10, -1};
    auto named = [&](int x) {
        std::vector<K> kinds;
        for (const OverviewMark* m : marksNearColumn(marks, all, 100, x, 3))
            kinds.push_back(m->kind);
        return kinds;
    };
    EXPECT_EQ(named(0), std::vector<K>{});
    EXPECT_EQ(named(22), std::vector<K>{K::Note});
    EXPECT_EQ(named(41), std::vector<K>{K::Missing});
    EXPECT_EQ(named(70), std::vector<K>{K::Damaged});
    EXPECT_EQ(named(81), (std::vector<K>{K::Damaged, K::Note}));
    EXPECT_EQ(named(97), std::vector<K>{K::Missing});
}

// A record of frames only whose stream breaks off decodes short of its
// frames; the open does not decode such records, so only the overview's walk
// finds it. Once walked (on two threads: 600 records), it is marked as
// damaged over its shown frames and counted by the file's health; a damaged
// record the open found too is marked and counted once.
TEST(OverviewMarks, DamageTheWalkFinds) {
    const ParameterBlock block = makeBlock(100);
    // Records 77 and 450: streams that break off after 9 frames and half of
    // the tenth of their 11.
    const Bytes frames = makeFrames(11);
    const auto [short9, decodes9] = literalStreamEndingInsideACode(
        Bytes(frames.begin(), frames.begin() + 9 * kFrameSize + kFrameSize / 2));
    ASSERT_EQ(decodes9 / kFrameSize, 9u);
    RecordWriter w;
    for (int r = 0; r < 600; ++r) {
        if (r == 77 || r == 450)
            w.addRaw(static_cast<int32_t>(short9.size()), 0, short9);
        else if (r == 300)
            w.addDecoded(makeFrames(11), -5); // a trailer outside: the open finds it
        else
            w.addRecord(makeFrames(11), r == 0 ? &block : nullptr);
    }
    RecordQuery query;
    ASSERT_TRUE(query.open(writeTemp("walk-damage.DAT", w.bytes())).ok());
    const RecordFile& file = query.file();
    ASSERT_EQ(file.recordIndex().size(), 600u);
    ASSERT_EQ(file.damagedRecords().size(), 1u); // the open: record 300 only
    EXPECT_EQ(fileHealthOf(file).damaged, 1);

    const EchoOverview o = overviewOf(query);
    std::vector<int32_t> walked;
    for (const DamagedRecord& d : o.damagedRecords())
        walked.push_back(d.record);
    EXPECT_EQ(walked, (std::vector<int32_t>{77, 300, 450}));
    EXPECT_EQ(o.damagedRecords()[0].damage, RecordDamage::StreamTruncated);
    EXPECT_EQ(o.damagedRecords()[0].fileOffset, file.recordIndex()[77].fileOffset);

    const FileHealth health = fileHealthOf(file, o);
    EXPECT_EQ(health.damaged, 3);
    EXPECT_EQ(health.namedDamaged, (std::vector<int32_t>{77, 300, 450}));
    EXPECT_TRUE(health.needsNotice());

    std::vector<OverviewMark> damaged;
    for (const OverviewMark& m : overviewMarks(o, file))
        if (m.kind == OverviewMark::Kind::Damaged) damaged.push_back(m);
    ASSERT_EQ(damaged.size(), 3u);
    // Record 77's 9 frames: 8 shown, from where its first shown frame lies.
    EXPECT_EQ(damaged[0].record, 77);
    EXPECT_EQ(damaged[0].first, o.indexOf(77, 0));
    EXPECT_EQ(damaged[0].end - damaged[0].first, 8);
    EXPECT_EQ(damaged[0].damage, RecordDamage::StreamTruncated);
    EXPECT_EQ(damaged[1].record, 300);
    EXPECT_EQ(damaged[1].damage, RecordDamage::TrailerOutside); // as the open found it
    EXPECT_EQ(damaged[2].record, 450);
}

// The position scale names the unit of the records in view, both where the
// file changes its unit there.
TEST(OverviewView, PositionUnitOfTheFramesInView) {
    const EchoOverview o({{.firstFrame = 0,
                           .threshold = 0,
                           .record = 0,
                           .frames = 10,
                           .unit = AmplitudeUnit::Percent,
                           .inch = false},
                          {.firstFrame = 10,
                           .threshold = 0,
                           .record = 1,
                           .frames = 10,
                           .unit = AmplitudeUnit::Percent,
                           .inch = true},
                          {.firstFrame = 20,
                           .threshold = 0,
                           .record = 2,
                           .frames = 10,
                           .unit = AmplitudeUnit::Percent,
                           .inch = false}},
                         std::vector<int32_t>(30, 0), std::vector<int32_t>(30, 0), {}, {});
    const struct {
        int64_t from, to;
        const char* unit;
    } cases[] = {{0, 10, "mm"},    {10, 20, "in"}, {12, 15, "in"}, {5, 11, "mm/in"},
                 {0, 30, "mm/in"}, {20, 30, "mm"}, {19, 20, "in"}, {25, 25, "mm"}};
    for (const auto& c : cases)
        EXPECT_EQ(positionUnitText(o, {c.from, c.to, -1}), c.unit) << c.from << ".." << c.to;
    EXPECT_EQ(positionUnitText(EchoOverview{}, {0, 0, -1}), "mm");
}

// Ticks at round values: the finest step of 1, 2 or 5 x 10^k that gives no
// more ticks than there is room for.
TEST(OverviewView, RoundTicks) {
    const struct {
        int64_t low, high;
        int most;
        std::vector<int64_t> expected;
    } cases[] = {
        {0, 1000, 6, {0, 200, 400, 600, 800, 1000}},
        {0, 1225, 6, {0, 500, 1000}},
        {-200, 100, 4, {-200, -100, 0, 100}},
        {-200, 100, 8, {-200, -150, -100, -50, 0, 50, 100}},
        {0, 299, 5, {0, 100, 200}},
        {0, 299, 6, {0, 50, 100, 150, 200, 250}},
        {3, 7, 10, {3, 4, 5, 6, 7}},
        {5, 5, 3, {5}},
        {-17, -3, 3, {-15, -10, -5}},
        {-17, -3, 2, {-10}},
        {7, 3, 5, {}},
        {0, 10, 0, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(roundTicks(c.low, c.high, c.most), c.expected)
            << c.low << ".." << c.high << " at most " << c.most;
}
