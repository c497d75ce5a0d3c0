// Indications evaluated against the DAC family of each frame's parameters:
// which frames count, A against the DAC curve, runs reaching EL, peak, zone,
// the 6 dB run and lengths in millimetres.
#include <gtest/gtest.h>

#include "analysis/evaluation.h"
#include "analysis/inspection.h"
#include "dac_recording.h"
#include "demo_scene.h"
#include "test_seed.h"

#include <map>
#include <random>
#include <set>

using namespace vantrel;
using namespace vantrel::testing;
using namespace vantrel::param;

namespace {

struct Found {
    const char *start, *end, *peak;
    int64_t dac;
    Zone zone;
    const char *drop6Start, *drop6End;
    bool operator==(const Found&) const = default;
};

} // namespace

TEST(Evaluation, IndicationsAgainstTheDacLines) {
    const int x = kNoEcho;
    const struct Case {
        const char* what;
        std::vector<Rec> recs;
        int64_t gap;
        std::vector<Found> expected;
    } cases[] = {
        {"on EL, SL and RL exactly: zones I, II, III; below EL nothing",
         {{{-181, -180, -181, -120, -181, -40, -181}, dac(1)}},
         0,
         {{"0:1", "0:1", "0:1", -180, Zone::I, "0:0", "0:6"},
          {"0:3", "0:3", "0:3", -120, Zone::II, "0:3", "0:3"},
          {"0:5", "0:5", "0:5", -40, Zone::III, "0:5", "0:5"}}},
        {"the readout against SL: A = a + g[3] - g[1]",
         {{{0, 80, 200, 50}, dac(3)}},
         0,
         {{"0:0", "0:3", "0:2", 80, Zone::III, "0:2", "0:2"}}},
        {"no echo, % and DGS frames end a run and are not evaluated",
         {{{-100, x, -100}, dac(1)},
          {{500, 500}, percent()},
          {{-100}, dac(1)},
          {{0}, dgs()},
          {{-90, -90}, dac(1)}},
         0,
         {{"0:0", "0:0", "0:0", -100, Zone::II, "0:0", "0:0"},
          {"0:2", "0:2", "0:2", -100, Zone::II, "0:2", "0:2"},
          {"2:0", "2:0", "2:0", -100, Zone::II, "2:0", "2:0"},
          {"4:0", "4:1", "4:0", -90, Zone::II, "4:0", "4:1"}}},
        {"a block raising EL inside a run: each frame against its own lines",
         {{{-150, -150}, dac(1)}, {{-150, -150}, dac(1, {100, 90, 0, -40})}},
         0,
         {{"0:0", "0:1", "0:0", -150, Zone::I, "0:0", "1:1"}}},
        {"the 6 dB run stops below 6.0 dB down",
         {{{-200, -190, -150, -100, -160, -161, -190}, dac(1)}},
         0,
         {{"0:2", "0:5", "0:3", -100, Zone::II, "0:2", "0:4"}}},
        {"the 6 dB run reaches past the indication",
         {{{-240, -185, -170, -185, -200}, dac(1)}},
         0,
         {{"0:2", "0:2", "0:2", -170, Zone::I, "0:1", "0:4"}}},
        {"a merge gap joins across frames of any kind; the peak among those reaching EL",
         {{{-100, -300, x, -50}, dac(1)}, {{900}, percent()}, {{-170}, dac(1)}},
         3,
         {{"0:0", "2:0", "0:3", -50, Zone::II, "0:3", "0:3"}}},
        {"two gates: gate A's amplitude is value 1",
         {{{-100, -30}, dac(1).bits(kTwoGateReadout, 1)}},
         0,
         {{"0:0", "0:1", "0:1", -30, Zone::III, "0:1", "0:1"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordQuery query;
        ASSERT_TRUE(query.open(dacFileOf(c.recs, "evaluate.DAT")).ok());
        const EchoOverview o = computeOverview(query, {});
        const Evaluation e(o, c.gap);
        std::vector<std::string> places; // kept alive for the const char*s below
        std::vector<Found> got;
        places.reserve(e.indications().size() * 5);
        for (const EvaluatedIndication& d : e.indications()) {
            for (int64_t i : {d.start, d.end, d.peak, d.drop6Start, d.drop6End})
                places.push_back(std::to_string(o.recordNumber(i)) + ":" +
                                 std::to_string(o.frameNumber(i)));
            const size_t k = places.size() - 5;
            got.push_back({places[k].c_str(), places[k + 1].c_str(), places[k + 2].c_str(), d.dac,
                           d.zone, places[k + 3].c_str(), places[k + 4].c_str()});
        }
        ASSERT_EQ(got.size(), c.expected.size());
        for (size_t k = 0; k < got.size(); ++k) {
            EXPECT_STREQ(got[k].start, c.expected[k].start) << k;
            EXPECT_STREQ(got[k].end, c.expected[k].end) << k;
            EXPECT_STREQ(got[k].peak, c.expected[k].peak) << k;
            EXPECT_EQ(got[k].dac, c.expected[k].dac) << k;
            EXPECT_EQ(got[k].zone, c.expected[k].zone) << k;
            EXPECT_STREQ(got[k].drop6Start, c.expected[k].drop6Start) << k;
            EXPECT_STREQ(got[k].drop6End, c.expected[k].drop6End) << k;
        }
    }
}

// An indication is cut where gate A's echo jumps between frames reaching EL
// (a weld root's echo must not lengthen a flaw's), and the 6 dB run stops
// there too. EL is -18.0 dB: -100 reaches it, -300 does not.
TEST(Evaluation, CutWhereTheEchoJumps) {
    const auto inch = [] { return dac(1).bits(kInchUnits, 1); };
    const auto twoGate = [](uint32_t pathMode) {
        return dac(1).bits(kTwoGateReadout, 1).bits(kPathMode, pathMode);
    };
    const struct Case {
        const char* what;
        std::vector<Rec> recs;
        int64_t gap, split;
        std::vector<const char*> expected; // start-end/peak [6 dB start-end]
    } cases[] = {
        {"3.0 mm apart stays one echo, 3.1 mm is another",
         {{{-100, -100, -100, -90}, dac(1), {1000, 1030, 1061, 1061}}},
         0,
         3000,
         {"0:0-0:1/0:0 [0:0-0:1]", "0:2-0:3/0:3 [0:2-0:3]"}},
        {"the split as typed, to the micrometre",
         {{{-100, -100}, dac(1), {1000, 1025}}},
         0,
         2499,
         {"0:0-0:0/0:0 [0:0-0:0]", "0:1-0:1/0:1 [0:1-0:1]"}},
        {"inches: 0.1 in is 2.54 mm, 0.2 in is 5.08 mm",
         {{{-100, -100, -100}, inch(), {100, 101, 103}}},
         0,
         3000,
         {"0:0-0:1/0:0 [0:0-0:1]", "0:2-0:2/0:2 [0:2-0:2]"}},
        {"a jump across frames below EL that the gap merged: cut there",
         {{{-100, -300, -100, -300, -100}, dac(1), {1000, 1000, 1040, 1040, 1045}}},
         1,
         3000,
         {"0:0-0:0/0:0 [0:0-0:0]", "0:2-0:4/0:2 [0:2-0:2]"}},
        {"the frames below EL between are passed over, not compared",
         {{{-100, -300, -100}, dac(1), {1000, 2000, 1010}}},
         1,
         3000,
         {"0:0-0:2/0:0 [0:0-0:0]"}},
        {"the 6 dB run stops at a jump, also past the indication",
         {{{-150, -100, -150, -300, -240, -170, -185},
           dac(1),
           {1000, 1000, 1050, 1050, 1000, 1000, 1100}}},
         0,
         3000,
         {"0:0-0:1/0:1 [0:0-0:1]", "0:2-0:2/0:2 [0:2-0:2]", "0:5-0:5/0:5 [0:5-0:5]"}},
        {"split 0: nothing is cut",
         {{{-150, -100, -150, -300, -240, -170, -185},
           dac(1),
           {1000, 1000, 1050, 1050, 1000, 1000, 1100}}},
         0,
         0,
         {"0:0-0:2/0:1 [0:0-0:2]", "0:5-0:5/0:5 [0:5-0:6]"}},
        {"another length unit cannot be compared",
         {{{-100}, dac(1), {100}}, {{-100}, inch(), {100}}},
         0,
         3000,
         {"0:0-0:0/0:0 [0:0-0:0]", "1:0-1:0/1:0 [1:0-1:0]"}},
        {"another readout form cannot be compared",
         {{{-100}, dac(1), {1000}}, {{-100}, twoGate(2), {1000}}},
         0,
         3000,
         {"0:0-0:0/0:0 [0:0-0:0]", "1:0-1:0/1:0 [1:0-1:0]"}},
        {"two gates: another position kind cannot be compared, the same can",
         {{{-100}, twoGate(2), {1000}}, {{-100}, twoGate(3), {1000}}, {{-100}, twoGate(0), {1000}}},
         0,
         3000,
         {"0:0-1:0/0:0 [0:0-1:0]", "2:0-2:0/2:0 [2:0-2:0]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordQuery query;
        ASSERT_TRUE(query.open(dacFileOf(c.recs, "split.DAT")).ok());
        const EchoOverview o = computeOverview(query, {});
        const Evaluation e(o, c.gap, c.split);
        auto at = [&](int64_t i) {
            return std::to_string(o.recordNumber(i)) + ":" + std::to_string(o.frameNumber(i));
        };
        std::vector<std::string> got;
        for (const EvaluatedIndication& d : e.indications())
            got.push_back(at(d.start) + "-" + at(d.end) + "/" + at(d.peak) + " [" +
                          at(d.drop6Start) + "-" + at(d.drop6End) + "]");
        EXPECT_EQ(got, std::vector<std::string>(c.expected.begin(), c.expected.end()));
    }
}

// A split as typed: whole micrometres, the further decimals dropped (no
// position difference lies between D and its whole micrometres), the
// largest distances held at 10^12 mm; no sign, exponent or blank.
TEST(Evaluation, SplitAsTyped) {
    const struct {
        const char* text;
        std::optional<int64_t> um;
    } cases[] = {{"3", 3000},
                 {"3.0", 3000},
                 {"2.54", 2540},
                 {"0", 0},
                 {".5", 500},
                 {"5.", 5000},
                 {"0.001", 1},
                 {"1.2345", 1234},
                 {"2.4999999", 2499},
                 {"0.0009", 0},
                 {"999999.999", 999999999},
                 {"99999999999999999999", int64_t{1'000'000'000'000'000}},
                 {"-1", {}},
                 {"+3", {}},
                 {"", {}},
                 {".", {}},
                 {"1e3", {}},
                 {"3 ", {}}};
    for (const auto& c : cases)
        EXPECT_EQ(parseSplitMicrometres(c.text), c.um) << c.text;
    for (const auto& [um, text] : std::map<int64_t, const char*>{
             {3000, "3.0"}, {2540, "2.54"}, {0, "0.0"}, {1, "0.001"}, {1234, "1.234"}})
        EXPECT_EQ(splitText(um), text);
}

// Lines whose order is not RL >= SL >= EL: the first test that holds.
TEST(Evaluation, LinesOutOfOrder) {
    RecordQuery query;
    ASSERT_TRUE(query.open(dacFileOf({{{-150}, dac(1, {100, -100, 40, -80})}}, "order.DAT")).ok());
    const EchoOverview o = computeOverview(query, {});
    const Evaluation e(o, 0);
    ASSERT_EQ(e.indications().size(), 1u);         // EL -18.0: -15.0 reaches it
    EXPECT_EQ(e.indications()[0].zone, Zone::III); // RL -20.0 first: -15.0 >= RL
    EXPECT_EQ(e.evaluatedFrames(), 1);
}

TEST(Evaluation, TravelAndMillimetres) {
    const struct {
        const char* text;
        int64_t frames;
        int64_t tenths; // -1: refused
    } cases[] = {
        {"0.5", 8, 40},       {"0.25", 3, 8},   {"0.25", 1, 3},       {"0.35", 1, 4},
        {"0.05", 1, 1},       {"0.04", 1, 0},   {"2", 767, 15340},    {"0.333333", 3, 10},
        {"1.0000000", 2, 20}, {"0", 1, -1},     {"-1", 1, -1},        {"abc", 1, -1},
        {"", 1, -1},          {"1.5.2", 1, -1}, {"0.0000001", 1, -1},
    };
    for (const auto& c : cases) {
        const std::optional<Travel> t = Travel::parse(c.text);
        if (c.tenths < 0) {
            EXPECT_FALSE(t) << c.text;
            continue;
        }
        ASSERT_TRUE(t) << c.text;
        EXPECT_EQ(t->tenthsOfMm(c.frames), c.tenths) << c.text << " x " << c.frames;
    }
}

// The travel from the distance between two frames: the frames between them
// are the probe's steps, in either order; frames the overview does not hold,
// one frame twice or a distance that is no positive number give none, and
// say which of these it is.
TEST(Evaluation, TravelFromTwoFrames) {
    RecordQuery query;
    ASSERT_TRUE(
        query.open(dacFileOf({{{0, 0, 0, 0}, dac(1)}, {{0, 0, 0}, std::nullopt}}, "travel.DAT"))
            .ok());
    const EchoOverview o = computeOverview(query, {});
    ASSERT_EQ(o.frameCount(), 7);
    using M = TravelCalibration::Method;
    using R = TravelRefusal;
    const struct {
        TravelCalibration c;
        int64_t tenthsFor3; // -1: no travel
        TravelRefusal why;
    } cases[] = {
        {{M::TwoFrames, "", {0, 0}, {1, 2}, "600"}, 3000, R::None}, // 6 steps of 100 mm
        {{M::TwoFrames, "", {1, 2}, {0, 0}, "600"}, 3000, R::None},
        {{M::TwoFrames, "", {0, 1}, {1, 0}, "10"}, 100, R::None}, // 3 steps: 3 frames are 10 mm
        {{M::TwoFrames, "", {0, 0}, {0, 3}, "1"}, 10, R::None},
        // Frame 4 of record 0 is never shown; record 2 is not in the file.
        {{M::TwoFrames, "", {0, 0}, {0, 4}, "1"}, -1, R::FrameNotShown},
        {{M::TwoFrames, "", {2, 0}, {0, 0}, "1"}, -1, R::FrameNotShown},
        {{M::TwoFrames, "", {0, 2}, {0, 2}, "1"}, -1, R::SameFrame},
        {{M::TwoFrames, "", {0, 0}, {1, 0}, "-5"}, -1, R::NotADistance},
        {{M::TwoFrames, "", {0, 0}, {1, 0}, ""}, -1, R::NotADistance},
        {{M::Typed, "0.5", {}, {}, ""}, 15, R::None},
        {{M::Typed, "-1", {}, {}, ""}, -1, R::NotATravel},
        {{M::Typed, "0", {}, {}, ""}, -1, R::NotATravel},
        {{M::Typed, "abc", {}, {}, ""}, -1, R::NotATravel},
        {{M::None, "0.5", {}, {}, ""}, -1, R::None},
        {{M::None, "-1", {}, {}, ""}, -1, R::None}, // no travel asked for: nothing to refuse
    };
    for (const auto& c : cases) {
        const std::optional<Travel> t = travelOf(c.c, o);
        EXPECT_EQ(t ? t->tenthsOfMm(3) : -1, c.tenthsFor3)
            << c.c.from.record << ':' << c.c.from.frame << " " << c.c.distanceMm;
        EXPECT_EQ(travelRefusal(c.c, o), c.why)
            << c.c.from.record << ':' << c.c.from.frame << " " << c.c.mmPerFrame << c.c.distanceMm;
    }
    // 2 frames of 1 mm over 3 steps: 0.666.. mm rounds half up to 0.7.
    EXPECT_EQ(travelOf({M::TwoFrames, "", {0, 0}, {0, 3}, "1"}, o)->tenthsOfMm(2), 7);
}

TEST(Evaluation, DecisionsKeptByTheirFrames) {
    Inspection in;
    EXPECT_EQ(in.decisionFor({1, 0}, {2, 3}), nullptr);
    in.decide({1, 0}, {2, 3}).grade = "II";
    in.decide({4, 0}, {4, 1}).reported = false;
    in.decide({1, 0}, {2, 3}).remark = "root";
    ASSERT_EQ(in.decisions.size(), 2u);
    const IndicationDecision* d = in.decisionFor({1, 0}, {2, 3});
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->grade, "II");
    EXPECT_EQ(d->remark, "root");
    EXPECT_TRUE(d->reported);
    EXPECT_EQ(in.decisionFor({1, 0}, {2, 4}), nullptr);
}

// The strip's block summaries answer any run of frames as a walk over each
// frame would, on the demo recording (DAC, % and DGS records, frames without
// an echo, indications); the scale holds A and the lines in view.
TEST(Evaluation, SummariesAnswerAsAWalk) {
    RecordQuery query;
    ASSERT_TRUE(query.open(VANTREL_DEMO).ok());
    const EchoOverview o = computeOverview(query, {});
    const Evaluation e(o, 2);
    const EvaluationSummaries s(e);
    const int64_t n = o.frameCount();
    const TestSeed seed;
    std::mt19937 rng(seed.value());
    for (int k = 0; k < 300; ++k) {
        int64_t a = static_cast<int64_t>(rng() % static_cast<uint32_t>(n));
        int64_t b = static_cast<int64_t>(rng() % static_cast<uint32_t>(n));
        if (k % 3 == 0) b = a + static_cast<int64_t>(rng() % 40); // short runs: ragged ends only
        if (a > b) std::swap(a, b);
        b = std::min(b + 1, n);
        ASSERT_EQ(s.summarize(a, b), s.summarizeByWalking(a, b)) << a << ".." << b;
    }
    const EvaluationRunSummary all = s.summarize(0, n);
    ASSERT_FALSE(all.dac.empty());
    EXPECT_TRUE(all.notEvaluated);
    EXPECT_TRUE(all.indication);
    const EvaluationScale scale = EvaluationScale::of(s, 0, n);
    EXPECT_LE(scale.low, std::min<int64_t>(all.dac.low, all.el.low) - 10);
    EXPECT_GE(scale.high, std::max<int64_t>(all.dac.high, all.rl.high) + 10);
    EXPECT_EQ(scale.low % 10, 0);
    EXPECT_EQ(scale.high % 10, 0);
    EXPECT_LE(s.bytes(), static_cast<size_t>(n) * 3);
}

// The demo recording against the flaws its generator placed. Gate A sees a
// DAC flaw where its sound path at the flaw's peak is the flaw's; every such
// flaw lies inside an evaluated indication whose zone is the zone of the
// largest amplitude the generator gave the flaws gate A sees inside it,
// against the lines the recording holds there. The root-side crack at 248
// lies in the second leg, 76 mm of sound path, where gate B watches: gate A
// does not see it, and no indication can hold it. Every other indication is
// the weld root's echo (50 mm of sound path, about -15 dB against the DAC
// curve: above EL, below SL, zone I), which gate A, standing on the gate
// curve in DAC mode, takes up wherever no flaw echo is higher; it also
// carries one indication across hundreds of frames from one flaw to the
// next.
// The demo's DAC flaws in gate A each stand in an indication of their own,
// peaking on the flaw's echo in the zone its generator amplitude gives; the
// weld root's echo, above EL all along the DAC stretch, joins neither (it
// once gave the flaw at 185 the length of the weld, 767 frames).
TEST(Evaluation, DemoFlawsInsideTheirZones) {
    RecordQuery query;
    ASSERT_TRUE(query.open(VANTREL_DEMO).ok());
    const EchoOverview o = computeOverview(query, {});
    const Evaluation e(o, 0);
    std::set<const EvaluatedIndication*> flaws;
    for (const demo::Flaw& f : demo::kFlaws) {
        if (f.reference != demo::CurveMode::Dac) continue;
        const int64_t peak = o.indexOf(static_cast<int32_t>(f.peakRecord), 0);
        ASSERT_GE(peak, 0) << f.peakRecord;
        const bool inGateA = std::abs(o.gatePosition(peak) - f.path) <= 20;
        if (f.peakRecord == 248) {
            EXPECT_FALSE(inGateA) << "the second-leg crack is gate B's";
            continue;
        }
        ASSERT_TRUE(inGateA) << f.peakRecord;
        const EvaluatedIndication* d = e.indicationAt(peak);
        ASSERT_NE(d, nullptr) << "flaw at " << f.peakRecord;
        EXPECT_TRUE(flaws.insert(d).second) << "flaw at " << f.peakRecord << " shares one";
        EXPECT_NEAR(o.gatePosition(d->peak), f.path, 10) << "flaw at " << f.peakRecord;
        const OverviewRecord& rec = o.recordOf(d->peak);
        const Zone expected = f.amplitude >= rec.rl   ? Zone::III
                              : f.amplitude >= rec.sl ? Zone::II
                                                      : Zone::I;
        EXPECT_EQ(d->zone, expected) << "flaw at " << f.peakRecord;
        // Its frames reaching EL are the flaw's echo, not the root's at
        // 50 mm of path (the generator's 49..51 mm).
        for (int64_t i = d->start; i <= d->end; ++i) {
            if (!e.evaluated(i) || e.dac(i) < o.recordOf(i).el) continue;
            EXPECT_GT(std::abs(o.gatePosition(i) - 500), 12)
                << "flaw at " << f.peakRecord << ", frame " << i;
        }
        EXPECT_LT(d->frames(), 2 * d->drop6Frames()) << "flaw at " << f.peakRecord;
    }
    EXPECT_EQ(flaws.size(), 2u);
}
