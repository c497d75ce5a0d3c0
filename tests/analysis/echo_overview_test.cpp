// The echo dynamics of a recording: the shown frames with their amplitude,
// unit, position and threshold, and the indications found in them.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>

#include "analysis/echo_overview.h"
#include "demo_scene.h"
#include "test_files.h"
#include "test_seed.h"

using namespace vantrel;
using namespace vantrel::testing;
using namespace vantrel::param;

namespace {

// A record whose shown frames carry `amplitudes` (tenths) as both gate A
// amplitudes (value 3 one-gate, value 1 two-gate) and paths 1000 + f (or
// `paths` where given; 0: no echo in gate A), depths 2000 + f; one more frame
// follows that stepping never shows.
Bytes framesWith(const std::vector<int32_t>& amplitudes, const std::vector<int32_t>& paths) {
    Bytes b((amplitudes.size() + 1) * kFrameSize, 0);
    for (size_t f = 0; f <= amplitudes.size(); ++f) {
        const int32_t a = f < amplitudes.size() ? amplitudes[f] : 9999;
        const int32_t path = f < paths.size() ? paths[f] : 1000 + static_cast<int32_t>(f);
        const int32_t values[4] = {path, a, 2000 + static_cast<int32_t>(f), a};
        for (int i = 0; i < 4; ++i)
            storeU32(b.data() + f * kFrameSize + kFrameValuesOffset + 4 * i,
                     static_cast<uint32_t>(values[i]));
    }
    return b;
}

struct Rec {
    std::vector<int32_t> amplitudes; // empty: a record of less than one frame
    std::optional<ParamBuilder> block;
    bool oneFrame = false;           // the record holds its one frame only
    std::vector<int32_t> paths = {}; // gate A's sound paths, where not 1000 + f
};

// Gate A at level 100: 50.0 % of screen height.
ParamBuilder percent() { return ParamBuilder().u16(kGateALevel, 100).u16(kVelocity, 3230); }
ParamBuilder db() { return percent().bits(kDacOn, 1); }

struct Place {
    int32_t record, frame;
    bool operator==(const Place&) const = default;
};
struct Expected {
    Place start, end, peak;
    bool operator==(const Expected&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Expected& e) {
    return os << "[" << e.start.record << "," << e.start.frame << "]-[" << e.end.record << ","
              << e.end.frame << "] peak [" << e.peak.record << "," << e.peak.frame << "]";
}

EchoOverview overviewOf(const std::vector<Rec>& recs, const OverviewSettings& settings) {
    RecordWriter w;
    for (const Rec& r : recs) {
        Bytes frames = r.amplitudes.empty() ? Bytes(100, 7) : framesWith(r.amplitudes, r.paths);
        if (r.oneFrame) frames.resize(kFrameSize);
        if (r.block) {
            const ParameterBlock b = r.block->b;
            w.addRecord(frames, &b);
        } else {
            w.addRecord(frames);
        }
    }
    RecordQuery query;
    EXPECT_TRUE(query.open(writeTemp("overview.DAT", w.bytes())).ok());
    return computeOverview(query, settings);
}

std::vector<Expected> found(const EchoOverview& o) {
    std::vector<Expected> v;
    auto at = [&](int64_t i) { return Place{o.recordNumber(i), o.frameNumber(i)}; };
    for (const Indication& d : o.indications())
        v.push_back({at(d.start), at(d.end), at(d.peak)});
    return v;
}

} // namespace

TEST(EchoOverview, Indications) {
    struct Case {
        const char* name;
        std::vector<Rec> recs;
        OverviewSettings settings;
        std::vector<Expected> expected;
    };
    OverviewSettings gap2;
    gap2.gap = 2;
    OverviewSettings given;
    given.percentThreshold = 501; // 50.05 % on the command line
    OverviewSettings depthPosition;
    depthPosition.position = OverviewPosition::Depth;
    const std::vector<Rec> edges = {{{600, 500, 400, 499, 500}, percent()}, {{100, 100, 700}, {}}};
    const std::vector<Case> cases = {
        {"runs at the start and the end, a one-frame run, the threshold itself counts",
         edges,
         {},
         {{{0, 0}, {0, 1}, {0, 0}}, {{0, 4}, {0, 4}, {0, 4}}, {{1, 2}, {1, 2}, {1, 2}}}},
        {"a given threshold", edges, given, {{{0, 0}, {0, 0}, {0, 0}}, {{1, 2}, {1, 2}, {1, 2}}}},
        {"a change of unit ends a run, and no gap bridges it",
         {{{600, 600}, percent()}, {{0, 20, -1}, db()}},
         gap2,
         {{{0, 0}, {0, 1}, {0, 0}}, {{1, 0}, {1, 1}, {1, 1}}}},
        {"a record without shown frames does not end a run",
         {{{600, 650}, percent()}, {{}, {}}, {{600}, {}}},
         {},
         {{{0, 0}, {2, 0}, {0, 1}}}},
        {"one-frame records show their frame 0",
         {{{600}, percent(), true}, {{700}, {}, true}, {{100}, {}, true}},
         {},
         {{{0, 0}, {1, 0}, {1, 0}}}},
        {"merged across gaps of at most two frames, the first largest peak",
         {{{600, 100, 100, 650, 100, 100, 100, 650}, percent()}},
         gap2,
         {{{0, 0}, {0, 3}, {0, 3}}, {{0, 7}, {0, 7}, {0, 7}}}},
        {"without a gap the same frames give three runs",
         {{{600, 100, 100, 650, 100, 100, 100, 650}, percent()}},
         {},
         {{{0, 0}, {0, 0}, {0, 0}}, {{0, 3}, {0, 3}, {0, 3}}, {{0, 7}, {0, 7}, {0, 7}}}},
        {"before the first block every parameter is zero: threshold 0.0 %",
         {{{0, -1, 5}, {}}},
         {},
         {{{0, 0}, {0, 0}, {0, 0}}, {{0, 2}, {0, 2}, {0, 2}}}},
        {"a frame without an echo (path 0) reads 0.0 dB and still does not reach the curve",
         {{{0, 0, 0, 20, 0}, db(), false, {0, 1000, 0, 1002, 0}}},
         {},
         {{{0, 1}, {0, 1}, {0, 1}}, {{0, 3}, {0, 3}, {0, 3}}}},
        {"nor any threshold, in the % form or across a gap",
         {{{600, 700, 600, 800}, percent(), false, {1000, 0, 1002, 0}}},
         gap2,
         {{{0, 0}, {0, 2}, {0, 0}}}},
        {"the two-gate form, whose path is gate A's position",
         {{{0, 10, 0}, db().bits(kTwoGateReadout, 1), false, {0, 5, 0}}},
         {},
         {{{0, 1}, {0, 1}, {0, 1}}}},
        {"a one-gate depth position does not hide a missing echo",
         {{{0, 0}, db(), false, {0, 1000}}},
         depthPosition,
         {{{0, 1}, {0, 1}, {0, 1}}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EchoOverview o = overviewOf(c.recs, c.settings);
        EXPECT_EQ(found(o), c.expected);
    }
}

// Units, thresholds and positions of the frames: both readout forms, inch
// units, the position the one-gate form is asked for.
TEST(EchoOverview, FramesCarryUnitThresholdAndPosition) {
    OverviewSettings depth;
    depth.position = OverviewPosition::Depth;
    depth.dbThreshold = -5;
    const EchoOverview o = overviewOf({{{600, 601}, percent()},
                                       {{30}, db()},
                                       {{40, 41}, percent().bits(kTwoGateReadout, 1)},
                                       {{50}, percent().bits(kInchUnits, 1)}},
                                      depth);
    ASSERT_EQ(o.frameCount(), 6);
    ASSERT_EQ(o.records().size(), 4u);
    EXPECT_EQ(o.records()[0].threshold, 500);
    EXPECT_EQ(o.records()[1].unit, AmplitudeUnit::Db);
    EXPECT_EQ(o.records()[1].threshold, -5);
    EXPECT_FALSE(o.records()[2].inch);
    EXPECT_TRUE(o.records()[3].inch);
    EXPECT_EQ(o.amplitude(), (std::vector<int32_t>{600, 601, 30, 40, 41, 50}));
    // Depth in the one-gate form, gate A's position in the two-gate form.
    EXPECT_EQ(o.position(), (std::vector<int32_t>{2000, 2001, 2000, 1000, 1001, 2000}));
    // The kind each record's positions are: asked for in the one-gate form,
    // gate A's as its path mode projects it in the two-gate form (depth for
    // path mode 0, whatever the window asks).
    const OverviewPosition depthKind = OverviewPosition::Depth;
    for (const size_t r : {0u, 1u, 2u, 3u})
        EXPECT_EQ(o.records()[r].positionKind, depthKind) << r;
    const struct {
        uint32_t pathMode;
        OverviewPosition kind;
    } twoGate[] = {{0, OverviewPosition::Depth},
                   {1, OverviewPosition::Surface},
                   {2, OverviewPosition::Path},
                   {3, OverviewPosition::Path}};
    for (const auto& t : twoGate) {
        OverviewSettings surface;
        surface.position = OverviewPosition::Surface;
        const EchoOverview g = overviewOf(
            {{{40}, percent().bits(kTwoGateReadout, 1).bits(kPathMode, t.pathMode)}}, surface);
        ASSERT_EQ(g.records().size(), 1u);
        EXPECT_EQ(g.records()[0].positionKind, t.kind) << t.pathMode;
        EXPECT_EQ(g.position(), (std::vector<int32_t>{1000})) << t.pathMode; // value 0 always
    }
}

// The overview of the demo recording agrees frame by frame with what the
// record query reads, and every flaw the generator placed lies inside an
// indication whose peak is within a few records of it.
TEST(EchoOverview, DemoRecording) {
    for (int64_t gap : {0, 5}) {
        SCOPED_TRACE("gap " + std::to_string(gap));
        RecordQuery query;
        ASSERT_TRUE(query.open(VANTREL_DEMO).ok());
        OverviewSettings settings;
        settings.gap = gap;
        const EchoOverview o = computeOverview(query, settings);
        ASSERT_EQ(o.frameCount(), 300 * 10);
        RecordQuery check;
        ASSERT_TRUE(check.open(VANTREL_DEMO).ok());
        for (int64_t i = 0; i < o.frameCount(); ++i) {
            const int32_t r = o.recordNumber(i), f = o.frameNumber(i);
            if (f == 0) {
                check.loadRecord(r);
                // The parameters in force as a walk from the start has them,
                // on either side of the second thread's first record.
                const OverviewRecord& rec = o.recordOf(i);
                const bool db = readoutMode(check.params()) >= 1;
                ASSERT_EQ(rec.unit == AmplitudeUnit::Db, db) << r;
                ASSERT_EQ(rec.threshold, db ? 0 : int64_t{check.params().gateALevel()} * 5) << r;
            }
            ASSERT_EQ(o.indexOf(r, f), i);
            const FrameValues v = check.values(f);
            const bool twoGate = check.params().twoGateReadout();
            ASSERT_EQ(o.amplitude()[static_cast<size_t>(i)], twoGate ? v[1] : v[3])
                << r << "," << f;
            ASSERT_EQ(o.position()[static_cast<size_t>(i)], v[0]) << r << "," << f;
        }
        for (const demo::Flaw& flaw : demo::kFlaws) {
            const auto record = static_cast<int32_t>(flaw.peakRecord);
            const auto it = std::find_if(
                o.indications().begin(), o.indications().end(), [&](const Indication& d) {
                    return o.recordNumber(d.start) <= record && record <= o.recordNumber(d.end);
                });
            ASSERT_NE(it, o.indications().end()) << "flaw at record " << record;
            EXPECT_LE(std::abs(o.recordNumber(it->peak) - record), 3)
                << "flaw at record " << record;
        }
    }
}

// A file long enough for two threads: the block in force where the second
// half starts comes from the first half, and before the first block every
// parameter is zero; the halves join without a seam in the runs.
TEST(EchoOverview, TwoThreadsGiveTheWalkFromTheStart) {
    for (const int firstBlock : {10, 200, 400}) {
        SCOPED_TRACE("first block at record " + std::to_string(firstBlock));
        std::vector<Rec> recs;
        for (int r = 0; r < 400; ++r) {
            Rec rec{{600, 600}, std::nullopt};
            if (r == firstBlock) rec.block = percent().u16(kGateALevel, 140); // 70.0 %
            recs.push_back(rec);
        }
        const EchoOverview o = overviewOf(recs, {});
        ASSERT_EQ(o.records().size(), 400u);
        for (const OverviewRecord& rec : o.records())
            ASSERT_EQ(rec.threshold, rec.record < firstBlock ? 0 : 700) << rec.record;
        // Below the block every frame is a hit (threshold 0.0 %), from it on
        // none (60.0 % < 70.0 %): one run across the middle when the block
        // lies beyond it.
        const std::vector<Expected> expected =
            firstBlock == 400 ? std::vector<Expected>{{{0, 0}, {399, 1}, {0, 0}}}
                              : std::vector<Expected>{{{0, 0}, {firstBlock - 1, 1}, {0, 0}}};
        EXPECT_EQ(found(o), expected);
    }
}

// New thresholds on an overview already computed give what a computation
// with them gives; a cancelled computation says so and holds nothing, and
// progress ends at every record.
TEST(EchoOverview, ThresholdsAgainProgressAndCancel) {
    RecordQuery query;
    ASSERT_TRUE(query.open(VANTREL_DEMO).ok());
    OverviewProgress progress;
    EchoOverview o = computeOverview(query, {}, &progress);
    EXPECT_FALSE(o.cancelled());
    EXPECT_EQ(progress.total(), 300);
    EXPECT_EQ(progress.done(), 300);
    // Frames the overview does not hold: the last frame of a record, records
    // outside the file.
    EXPECT_EQ(o.indexOf(0, 10), -1);
    EXPECT_EQ(o.indexOf(-1, 0), -1);
    EXPECT_EQ(o.indexOf(300, 0), -1);
    EXPECT_EQ(o.indexOf(299, 9), o.frameCount() - 1);

    OverviewSettings other;
    other.percentThreshold = 300;
    other.dbThreshold = -60;
    other.gap = 4;
    o.applyThresholds(other);
    const EchoOverview fresh = computeOverview(query, other);
    EXPECT_EQ(found(o), found(fresh));
    for (size_t k = 0; k < o.records().size(); ++k)
        ASSERT_EQ(o.records()[k].threshold, fresh.records()[k].threshold) << k;

    OverviewProgress stopped;
    stopped.cancel();
    const EchoOverview none = computeOverview(query, {}, &stopped);
    EXPECT_TRUE(none.cancelled());
    EXPECT_EQ(none.frameCount(), 0);
    EXPECT_TRUE(none.records().empty());
    EXPECT_TRUE(none.indications().empty());
}

namespace {

// An overview of `frames` shown frames in records of 1 to 30 frames, % and dB
// records in runs, amplitudes and positions at random; thresholds from
// `settings`, indications found.
EchoOverview randomOverview(int64_t frames, uint32_t seed, const OverviewSettings& settings) {
    std::mt19937 rng(seed);
    std::vector<OverviewRecord> records;
    std::vector<int32_t> amplitude, position;
    AmplitudeUnit unit = AmplitudeUnit::Percent;
    auto count = [&] { return static_cast<int64_t>(amplitude.size()); };
    for (int32_t r = 0; count() < frames; ++r) {
        if (rng() % 8 == 0)
            unit = unit == AmplitudeUnit::Db ? AmplitudeUnit::Percent : AmplitudeUnit::Db;
        OverviewRecord rec;
        rec.record = r * 2 + static_cast<int32_t>(rng() % 2); // some records missing
        rec.firstFrame = count();
        rec.frames = static_cast<int32_t>(
            std::min<int64_t>(1 + static_cast<int64_t>(rng() % 30), frames - count()));
        rec.unit = unit;
        rec.gateLevel = static_cast<int32_t>(rng() % 1000);
        rec.inch = rng() % 4 == 0;
        records.push_back(rec);
        for (int32_t f = 0; f < rec.frames; ++f) {
            // Now and then a value no real frame holds, either way.
            const bool wild = rng() % 50 == 0;
            amplitude.push_back(wild ? static_cast<int32_t>(rng() % 4'000'000) - 2'000'000
                                     : static_cast<int32_t>(rng() % 1400) - 300);
            position.push_back(static_cast<int32_t>(rng() % (wild ? 400000 : 100000)) -
                               (wild ? 200000 : 50000));
        }
    }
    EchoOverview o(std::move(records), std::move(amplitude), std::move(position), {}, {});
    o.applyThresholds(settings);
    return o;
}

std::ostream& operator<<(std::ostream& os, const ValueRange& r) {
    return r.empty() ? os << "[]" : os << "[" << r.low << ", " << r.high << "]";
}

} // namespace

namespace vantrel {
void PrintTo(const FrameRunSummary& s, std::ostream* os) {
    *os << "% " << s.percent << " dB " << s.db << " position " << s.position << " thresholds % "
        << s.percentThreshold << " dB " << s.dbThreshold << (s.indication ? " indication" : "");
}
} // namespace vantrel

namespace {

// What a walk over every frame of the run finds; `inside` marks the frames
// of the indications.
FrameRunSummary walkEveryFrame(const EchoOverview& o, const std::vector<bool>& inside,
                               int64_t first, int64_t last) {
    FrameRunSummary s;
    for (int64_t i = first; i < last; ++i) {
        const OverviewRecord& rec = o.recordOf(i);
        const auto threshold =
            static_cast<int32_t>(std::clamp<int64_t>(rec.threshold, INT32_MIN, INT32_MAX));
        const int32_t a = o.amplitude()[static_cast<size_t>(i)];
        const int32_t p = o.position()[static_cast<size_t>(i)];
        // Values a real frame cannot hold only say they are there.
        auto add = [](ValueRange& range, Beyond& beyond, bool plausible, int32_t v) {
            if (plausible)
                range.add(v);
            else
                (v > 0 ? beyond.above : beyond.below) = true;
        };
        if (rec.unit == AmplitudeUnit::Db) {
            add(s.db, s.dbBeyond, std::abs(a) <= 1000, a);
            s.dbThreshold.add(threshold);
        } else {
            add(s.percent, s.percentBeyond, a >= 0 && a <= 1275, a);
            s.percentThreshold.add(threshold);
        }
        add(s.position, s.positionBeyond, std::abs(p) <= (rec.inch ? 4000 : 100000), p);
        s.indication = s.indication || inside[static_cast<size_t>(i)];
    }
    return s;
}

} // namespace

// The block summaries answer for any run of frames what a walk over each of
// its frames finds: runs on and beside the block boundaries of every level,
// single frames, the whole overview, random runs; after new thresholds too;
// and an overview made anew from changed frames summarizes the changes.
TEST(EchoOverview, SummariesOfRunsAreThoseOfTheirFrames) {
    const int64_t n = 20000; // levels of 16, 256 and 4096 frames a block
    const TestSeed seed;
    OverviewSettings settings;
    settings.dbThreshold = -40;
    settings.gap = 3;
    EchoOverview o = randomOverview(n, seed.value(), settings);
    std::vector<std::pair<int64_t, int64_t>> runs = {{0, n}, {0, 1}, {n - 1, n}};
    const std::vector<int64_t> edges = {0,    1,    15,   16,   17,    255,    256,    257,   4095,
                                        4096, 4097, 8191, 8192, 12289, n - 17, n - 16, n - 1, n};
    for (int64_t a : edges)
        for (int64_t b : edges)
            if (a < b) runs.push_back({a, b});
    std::mt19937 rng(seed.value());
    for (int k = 0; k < 300; ++k) {
        const int64_t a = static_cast<int64_t>(rng() % n);
        const int64_t length = 1 + static_cast<int64_t>(rng() % (k % 2 ? 40 : 9000));
        runs.push_back({a, std::min(n, a + length)});
    }
    OverviewSettings other;
    other.percentThreshold = int64_t{5'000'000'000}; // beyond 32 bits: the greatest 32-bit value
    other.dbThreshold = -int64_t{5'000'000'000};
    for (const char* stage : {"computed", "new thresholds", "made from changed frames"}) {
        SCOPED_TRACE(stage);
        if (std::string(stage) == "new thresholds") o.applyThresholds(other);
        if (std::string(stage) == "made from changed frames") {
            std::vector<OverviewRecord> records = o.records();
            std::vector<int32_t> amplitude = o.amplitude(), position = o.position();
            amplitude[4096] = 5000;
            amplitude.push_back(7);
            position.push_back(7);
            records.back().frames += 1;
            o = EchoOverview(std::move(records), std::move(amplitude), std::move(position), {},
                             o.indications());
        }
        std::vector<bool> inside(o.amplitude().size());
        for (const Indication& d : o.indications())
            for (int64_t i = d.start; i <= d.end; ++i)
                inside[static_cast<size_t>(i)] = true;
        for (const auto& [a, b] : runs)
            ASSERT_EQ(o.summarize(a, b), walkEveryFrame(o, inside, a, b)) << a << ".." << b;
    }
}
