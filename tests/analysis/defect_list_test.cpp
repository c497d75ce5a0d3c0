// The defect list's rows from a recording evaluated against its DAC lines:
// which indications are listed, and every cell's text with and without a
// scan travel, in both readout forms and both length units.
#include <gtest/gtest.h>

#include <array>

#include "analysis/defect_list.h"
#include "dac_recording.h"
#include "display/display_text.h"

using namespace vantrel;
using namespace vantrel::testing;

namespace {

using Cells = std::array<std::string, 12>;

Cells cellsOf(const DefectRow& r) {
    return {r.number,  r.span,      r.peak,     r.aboveSl, r.zone,  r.depth,
            r.surface, r.length6dB, r.lengthEl, r.nature,  r.grade, r.remark};
}

// Record 0 one-gate in mm: a run of three frames peaking at -6.0 dB (II),
// one at -14.0 (I), one exactly on SL (II); record 1 one-gate in inches,
// two frames from -3.0 (III); record 2 two-gate, one frame at -10.0 (II).
// Positions at frame f: depth 200.0 + f/10, surface 300.0 + f/10.
std::string listRecording() {
    using namespace param;
    const int32_t x = kNoEcho;
    return dacFileOf({{{-300, -74, -60, -74, -300, -140, -300, -120, -300}, dac(1)},
                      {{-30, -45, x}, dac(1).bits(kInchUnits, 1)},
                      {{-100}, dac(1).bits(kTwoGateReadout, 1)}},
                     "defect-list.DAT");
}

} // namespace

TEST(DefectList, RowsOfTheReportedIndications) {
    RecordQuery query;
    ASSERT_TRUE(query.open(listRecording()).ok());
    const EchoOverview o = computeOverview(query, {});
    const Evaluation e(o, 0);
    ASSERT_EQ(e.indications().size(), 5u);
    RecordQuery reader;
    ASSERT_TRUE(reader.openAlongside(query));

    // The second indication is not reported; the first and fourth carry the
    // inspector's words; the others have no decision and are reported.
    Inspection in;
    IndicationDecision& first = in.decide({0, 1}, {0, 3});
    first.nature = "裂纹";
    first.grade = "III";
    first.remark = "根部未熔合";
    in.decide({0, 5}, {0, 5}).reported = false;
    in.decide({1, 0}, {1, 1}).nature = "气孔";
    in.decide({7, 0}, {7, 1}).reported = false; // an indication this evaluation does not find
    in.reportCells["检测单位"] = "华东检测站";

    using M = TravelCalibration::Method;
    const struct {
        const char* what;
        TravelCalibration calibration;
        DefectListWords words;
        bool travel;                                       // it gives a travel
        std::array<std::array<const char*, 2>, 4> lengths; // 6 dB, EL by row
    } cases[] = {
        {"no travel: lengths in frames",
         {},
         {},
         false,
         {{{"3 帧 (6 dB)", "3 帧 (EL)"},
           {"1 帧 (6 dB)", "1 帧 (EL)"},
           {"2 帧 (6 dB)", "2 帧 (EL)"},
           {"1 帧 (6 dB)", "1 帧 (EL)"}}}},
        {"a typed travel: millimetres, rounded half up",
         {M::Typed, "0.25", {}, {}, ""},
         {},
         true,
         {{{"0.8 mm (6 dB)", "0.8 mm (EL)"},
           {"0.3 mm (6 dB)", "0.3 mm (EL)"},
           {"0.5 mm (6 dB)", "0.5 mm (EL)"},
           {"0.3 mm (6 dB)", "0.3 mm (EL)"}}}},
        {"the distance between two frames: 2 mm over 4 shown frames",
         {M::TwoFrames, "", {0, 0}, {0, 4}, "2"},
         {},
         true,
         {{{"1.5 mm (6 dB)", "1.5 mm (EL)"},
           {"0.5 mm (6 dB)", "0.5 mm (EL)"},
           {"1.0 mm (6 dB)", "1.0 mm (EL)"},
           {"0.5 mm (6 dB)", "0.5 mm (EL)"}}}},
        {"a travel that makes none, in another language's words",
         {M::Typed, "fast", {}, {}, ""},
         {"frames", "zone {}"},
         false,
         {{{"3 frames (6 dB)", "3 frames (EL)"},
           {"1 frames (6 dB)", "1 frames (EL)"},
           {"2 frames (6 dB)", "2 frames (EL)"},
           {"1 frames (6 dB)", "1 frames (EL)"}}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        in.travel = c.calibration;
        const DefectList list = defectList(o, e, in, reader, c.words);
        EXPECT_EQ(list.evaluated, 5u);
        EXPECT_EQ(list.calibration, c.calibration);
        EXPECT_EQ(list.travel.has_value(), c.travel);
        EXPECT_EQ(list.cells, in.reportCells);
        // The decision on frames this evaluation does not find is kept.
        EXPECT_EQ(list.orphans, (std::vector<std::string>{"7:0–7:1"}));
        const Cells expected[] = {
            {"0", "0:1–0:3", "0:2", "SL+6.0dB", "II", "200.2 mm", "300.2 mm", c.lengths[0][0],
             c.lengths[0][1], "裂纹", "III", "根部未熔合"},
            {"2", "0:7–0:7", "0:7", "SL±0.0dB", "II", "200.7 mm", "300.7 mm", c.lengths[1][0],
             c.lengths[1][1], "", "", ""},
            {"3", "1:0–1:1", "1:0", "SL+9.0dB", "III", "200.0 in", "300.0 in", c.lengths[2][0],
             c.lengths[2][1], "气孔", "", ""},
            {"4", "2:0–2:0", "2:0", "SL+2.0dB", "II", "", "", c.lengths[3][0], c.lengths[3][1], "",
             "", ""},
        };
        ASSERT_EQ(list.rows.size(), std::size(expected));
        for (size_t k = 0; k < list.rows.size(); ++k) {
            EXPECT_EQ(cellsOf(list.rows[k]), expected[k]) << "row " << k;
            // Numbered as vantrel-inspect evaluate numbers them, from 0.
            EXPECT_EQ(list.rows[k].indication, std::stoul(expected[k][0]));
        }
    }

    // The positions at a peak, as `evaluate` prints them: the two-gate form
    // holds the path only.
    const PeakPositions oneGate = peakPositions(o, reader, e.indications()[0].peak);
    EXPECT_EQ(oneGate.path, 1002);
    EXPECT_EQ(oneGate.surface, 3002);
    EXPECT_EQ(oneGate.depth, 2002);
    EXPECT_EQ(oneGate.unit, "mm");
    const PeakPositions twoGates = peakPositions(o, reader, e.indications()[4].peak);
    EXPECT_EQ(twoGates.path, 1000);
    EXPECT_FALSE(twoGates.surface || twoGates.depth);
}

// SL±dB with its sign and one decimal; the zone as a remark; a length says
// what it counts and how it was measured.
TEST(DefectList, Texts) {
    const struct {
        int64_t dac, sl;
        const char* aboveSl;
        Zone zone;
        const char* remark;
    } cases[] = {
        {-74, -120, "SL+4.6dB", Zone::II, "II区 SL+4.6dB"},
        {-140, -120, "SL-2.0dB", Zone::I, "I区 SL-2.0dB"},
        {-120, -120, "SL±0.0dB", Zone::II, "II区 SL±0.0dB"},
        {-125, -120, "SL-0.5dB", Zone::I, "I区 SL-0.5dB"},
        {-119, -120, "SL+0.1dB", Zone::II, "II区 SL+0.1dB"},
        {30, -120, "SL+15.0dB", Zone::III, "III区 SL+15.0dB"},
    };
    for (const auto& c : cases) {
        EvaluatedIndication d;
        d.dac = c.dac;
        d.sl = static_cast<int32_t>(c.sl);
        d.zone = c.zone;
        EXPECT_EQ(aboveSlText(d), c.aboveSl);
        EXPECT_EQ(zoneRemarkText(d), c.remark);
    }
    EvaluatedIndication d;
    d.zone = Zone::III;
    EXPECT_EQ(zoneRemarkText(d, {"frames", "zone {}"}), "zone III SL±0.0dB");
    EXPECT_EQ(zoneRemarkText(d, {"frames", "Zone"}), "Zone SL±0.0dB"); // no place for the zone
    const Travel quarter = *Travel::parse("0.25");
    EXPECT_EQ(lengthText(50, quarter, "6 dB"), "12.5 mm (6 dB)");
    EXPECT_EQ(lengthText(50, std::nullopt, "EL"), "50 帧 (EL)");
    EXPECT_EQ(lengthText(3, quarter, "EL"), "0.8 mm (EL)");
}

// The evaluated indication that holds a frame, whatever the frames of a
// merged gap are.
TEST(DefectList, IndicationAtAFrame) {
    RecordQuery query;
    const int32_t x = kNoEcho;
    ASSERT_TRUE(query
                    .open(dacFileOf({{{-300, -100, -100, -300, x, -300, -50, -300}, dac(1)}},
                                    "indication-at.DAT"))
                    .ok());
    const EchoOverview o = computeOverview(query, {});
    for (const int64_t gap : {0, 3}) {
        const Evaluation e(o, gap);
        // Frames 1-2 and 6 reach EL; with a gap of 3 they are one.
        const int expected[2][8] = {{-1, 0, 0, -1, -1, -1, 1, -1}, {-1, 0, 0, 0, 0, 0, 0, -1}};
        for (int64_t i = 0; i < o.frameCount(); ++i) {
            const EvaluatedIndication* d = e.indicationAt(i);
            EXPECT_EQ(d ? static_cast<int>(d - e.indications().data()) : -1, expected[gap > 0][i])
                << "gap " << gap << ", frame " << i;
        }
        EXPECT_EQ(e.indicationAt(-1), nullptr);
        EXPECT_EQ(e.indicationAt(o.frameCount()), nullptr);
    }
}

// What the evaluation covered: the evaluated frames and their records, the
// DAC lines of each block with the records they stand over, the threshold
// runs on frames no DAC line judges (% and DGS blocks), and the file's
// damage. Nothing evaluated, or damage, is never a clean sheet.
TEST(Coverage, WhatTheEvaluationCovered) {
    const int32_t x = kNoEcho;
    const Lines other{100, 80, 0, -60}; // RL -2.0, SL -10.0, EL -16.0
    const struct Case {
        const char* what;
        std::vector<Rec> recs;
        FileHealth health;
        int64_t evaluatedFrames, dacFrames;
        std::string evaluated; // record ranges
        std::vector<std::string> lines;
        std::string percent, dgs; // records of unevaluated echoes
        NothingEvaluatedWhy nothing;
        bool incomplete;
    } cases[] = {
        {"all DAC: one set of lines over both records, frames below EL evaluated too",
         {{{-100, x}, dac(1)}, {{-300}}},
         {2, 2, 0, {}},
         2,
         3,
         "0–1",
         {"-4.0 -12.0 -18.0: 0–1"},
         "",
         "",
         NothingEvaluatedWhy::None,
         false},
        {"two blocks of other lines, a % block between with an echo over its gate level",
         {{{-100}, dac(1)}, {{600, 100, 700}, percent()}, {{-100}, dac(1, other)}, {{-100}}},
         {4, 4, 0, {}},
         3,
         3,
         "0, 2–3",
         {"-4.0 -12.0 -18.0: 0", "-2.0 -10.0 -16.0: 2–3"},
         "1",
         "",
         NothingEvaluatedWhy::None,
         false},
        {"a DGS block's echoes and a % one's, each said with its records",
         {{{10, 20}, dgs()}, {{5}}, {{600}, percent()}, {{-100}, dac(1)}},
         {4, 4, 0, {}},
         1,
         1,
         "3",
         {"-4.0 -12.0 -18.0: 3"},
         "2",
         "0–1",
         NothingEvaluatedWhy::None,
         false},
        {"only %: nothing evaluated",
         {{{600}, percent()}},
         {1, 1, 0, {}},
         0,
         0,
         "",
         {},
         "0",
         "",
         NothingEvaluatedWhy::NoDacFrame,
         true},
        {"DAC frames without an echo in gate A",
         {{{x, x}, dac(1)}},
         {1, 1, 0, {}},
         0,
         2,
         "0",
         {"-4.0 -12.0 -18.0: 0"},
         "",
         "",
         NothingEvaluatedWhy::NoEcho,
         true},
        {"records missing from a damaged file",
         {{{-100}, dac(1)}},
         {5, 1, 0, {}},
         1,
         1,
         "0",
         {"-4.0 -12.0 -18.0: 0"},
         "",
         "",
         NothingEvaluatedWhy::None,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordQuery query;
        ASSERT_TRUE(query.open(dacFileOf(c.recs, "coverage.DAT")).ok());
        const EchoOverview o = computeOverview(query, {});
        const Evaluation e(o, 0);
        const Coverage got = coverageOf(e, c.health);
        EXPECT_EQ(got.frames, o.frameCount());
        EXPECT_EQ(got.evaluatedFrames, c.evaluatedFrames);
        EXPECT_EQ(got.dacFrames, c.dacFrames);
        EXPECT_EQ(recordRangesText(got.evaluated), c.evaluated);
        std::vector<std::string> lines;
        for (const LinesUsed& l : got.lines)
            lines.push_back(tenths(l.rl) + " " + tenths(l.sl) + " " + tenths(l.el) + ": " +
                            recordRangesText(l.records));
        EXPECT_EQ(lines, c.lines);
        std::vector<RecordRange> percent, dgs;
        for (const NotEvaluatedEchoes& n : got.notEvaluated)
            (n.why == NotEvaluatedWhy::Dgs ? dgs : percent).push_back(n.records);
        EXPECT_EQ(recordRangesText(percent), c.percent);
        EXPECT_EQ(recordRangesText(dgs), c.dgs);
        EXPECT_EQ(got.nothingEvaluated(), c.nothing);
        EXPECT_EQ(got.incomplete(), c.incomplete);
    }
    // No record at all; and long lists of ranges end in a count.
    EXPECT_EQ(Coverage{}.nothingEvaluated(), NothingEvaluatedWhy::NoRecord);
    EXPECT_EQ(recordRangesText({{1, 1}, {3, 5}, {7, 7}}, 2), "1, 3–5, … (+1)");
}

// A decision belongs to the indication holding its peak frame: it follows
// when the gap or the split change the indications, a second decision in
// one indication and a decision no indication holds are orphans (listed,
// never dropped), and a decision of the first file version (no peak) takes
// the peak its own frames give.
TEST(DefectList, DecisionsFollowTheirIndication) {
    // Frames reaching EL: 0:0 (path 100.0), 0:2 (-80, path 100.0), 0:4 (-20,
    // path 140.0); below EL between them.
    RecordQuery query;
    ASSERT_TRUE(query
                    .open(dacFileOf(
                        {{{-100, -300, -80, -300, -20}, dac(1), {1000, 1000, 1000, 1000, 1400}}},
                        "follow.DAT"))
                    .ok());
    const EchoOverview o = computeOverview(query, {});
    RecordQuery reader;
    ASSERT_TRUE(reader.openAlongside(query));

    Inspection in;
    {
        const Evaluation apart(o, 0); // three indications
        ASSERT_EQ(apart.indications().size(), 3u);
        IndicationDecision& lof = decideIndication(apart, in, 1);
        lof.nature = "未熔合";
        lof.grade = "III";
        decideIndication(apart, in, 0).nature = "气孔";
        EXPECT_EQ(in.decisions[0].peak, (FramePlace{0, 2}));
        // Deciding the same indication again changes its decision.
        decideIndication(apart, in, 1).remark = "根部";
        EXPECT_EQ(in.decisions.size(), 2u);
    }
    auto natures = [&](const Evaluation& e) {
        const DecisionMatch m = matchDecisions(e, in);
        std::vector<std::string> held, orphans;
        for (const IndicationDecision* d : m.byIndication)
            held.push_back(d ? d->nature : "-");
        for (const IndicationDecision* d : m.orphans)
            orphans.push_back(d->nature);
        return std::make_pair(held, orphans);
    };
    using Held = std::pair<std::vector<std::string>, std::vector<std::string>>;
    // A gap of 1 joins 0:0 and 0:2; the split keeps 0:4 apart: the 未熔合
    // decision, made first, is held, 气孔 (same indication) is an orphan.
    EXPECT_EQ(natures(Evaluation(o, 1)), (Held{{"未熔合", "-"}, {"气孔"}}));
    // Without a split all three join: still held by its peak frame.
    EXPECT_EQ(natures(Evaluation(o, 1, 0)), (Held{{"未熔合"}, {"气孔"}}));
    // The orphan shows on the list.
    {
        const Evaluation joined(o, 1);
        const DefectList list = defectList(o, joined, in, reader);
        EXPECT_EQ(list.orphans, (std::vector<std::string>{"0:0–0:0 (0:0) 气孔"}));
        ASSERT_EQ(list.rows.size(), 2u);
        EXPECT_EQ(list.rows[0].number, "0");
        EXPECT_EQ(list.rows[0].nature, "未熔合");
        EXPECT_EQ(list.rows[0].remark, "根部");
    }
    // A first-version decision names 0:0-0:4 (cut by no rule then): its
    // peak is the largest of its frames reaching EL, 0:4, which now stands
    // apart. One on frames the recording lacks holds nowhere.
    Inspection old;
    old.decisions.push_back({{0, 0}, {0, 4}, std::nullopt, false, "裂纹", "III", "", true, {}});
    old.decisions.push_back({{9, 0}, {9, 1}, std::nullopt, false, "夹渣", "", "", true, {}});
    const Evaluation now(o, 0);
    EXPECT_EQ(decisionPeak(now, old.decisions[0]), (FramePlace{0, 4}));
    const DecisionMatch m = matchDecisions(now, old);
    EXPECT_EQ(m.byIndication,
              (std::vector<const IndicationDecision*>{nullptr, nullptr, &old.decisions[0]}));
    EXPECT_EQ(m.orphans, (std::vector<const IndicationDecision*>{&old.decisions[1]}));
}

// The report's cells of a flaw go with the flaw: kept with the indication
// holding the frame typed on and found at any of its frames, never at
// another's; on a frame no indication holds (or before anything was
// evaluated) by the frame itself, found again once an indication holds it.
TEST(DefectList, FlawCellsGoWithTheirIndication) {
    // Indications 0:0-0:1 and 0:3; 0:5 lies in none.
    RecordQuery query;
    ASSERT_TRUE(
        query.open(dacFileOf({{{-100, -100, -300, -60, -300, -300}, dac(1)}}, "flaw-cells.DAT"))
            .ok());
    const EchoOverview o = computeOverview(query, {});
    const Evaluation e(o, 0);
    ASSERT_EQ(e.indications().size(), 2u);
    Inspection in;
    keepFlawCells(&e, in, {0, 1}, {{"备注", "未熔合"}, {"长度", "12 mm"}});
    keepFlawCells(&e, in, {0, 5}, {{"备注", "根部"}});
    const struct {
        FramePlace frame;
        ReportCells cells;
    } cases[] = {
        {{0, 0}, {{"备注", "未熔合"}, {"长度", "12 mm"}}}, // another frame of the same flaw
        {{0, 1}, {{"备注", "未熔合"}, {"长度", "12 mm"}}},
        {{0, 3}, {}},                 // another flaw
        {{0, 5}, {{"备注", "根部"}}}, // a frame of none
        {{0, 4}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(flawCellsAt(&e, in, c.frame), c.cells) << placeText(c.frame);
    // Kept as the indication's decision (with its peak), not a new row.
    ASSERT_EQ(in.decisions.size(), 1u);
    EXPECT_EQ(in.decisions[0].peak, (FramePlace{0, 0}));
    EXPECT_EQ(in.frameCells.size(), 1u);
    // Cleared cells are dropped; typed before any evaluation, by the frame,
    // and found there once an indication holds it.
    keepFlawCells(&e, in, {0, 5}, {{"备注", ""}});
    EXPECT_TRUE(in.frameCells.empty());
    keepFlawCells(nullptr, in, {0, 3}, {{"等级", "III"}});
    EXPECT_EQ(flawCellsAt(&e, in, {0, 3}), (ReportCells{{"等级", "III"}}));
    EXPECT_EQ(flawCellsAt(nullptr, in, {0, 0}), ReportCells{});
}

namespace {

// A record of `echoes` frames under a DAC block whose gate A spans samples
// 40 .. 79 and gate B 150 .. 209; frame f carries sample `height[f]` at
// position `at[f]` (0: none), and gate A's amplitude -300 (below EL: the
// evaluation finds nothing).
std::string manualRecording(const std::vector<std::pair<int, uint8_t>>& samples,
                            const std::string& name) {
    using namespace param;
    const std::vector<int32_t> a(samples.size(), -300);
    Bytes b = dacFrames(a, false);
    for (size_t f = 0; f < samples.size(); ++f)
        b[f * kFrameSize + static_cast<size_t>(samples[f].first)] = samples[f].second;
    const ParameterBlock block = dac(1)
                                     .u16(kGateAStart, 40)
                                     .u16(kGateAWidth, 40)
                                     .u16(kGateBStart, 150)
                                     .u16(kGateBWidth, 60)
                                     .u16(kGateBLevel, 20)
                                     .b;
    RecordWriter w;
    w.addRecord(b, &block);
    w.addRecord(dacFrames({-300, -300}, false));
    return writeTemp(name, w.bytes());
}

} // namespace

TEST(ManualIndications, MarkedFromADrag) {
    // Record 0: frames 0..5, a sample of 200 in gate B at frame 3, 90 in
    // gate A at frame 1, 250 outside both gates at frame 5; record 1:
    // frames 6, 7.
    RecordQuery query;
    ASSERT_TRUE(query
                    .open(manualRecording(
                        {{0, 0}, {50, 90}, {0, 0}, {180, 200}, {0, 0}, {260, 250}}, "manual.DAT"))
                    .ok());
    const EchoOverview o = computeOverview(query, {});
    ASSERT_EQ(o.frameCount(), 8);
    RecordQuery reader;
    ASSERT_TRUE(reader.openAlongside(query));

    const struct {
        const char* what;
        int64_t first, last;
        bool read; // the peak read from the records
        FramePlace start, end, peak;
    } cases[] = {
        {"a drag to the right; the gate B echo is the peak", 0, 5, true, {0, 0}, {0, 5}, {0, 3}},
        {"a drag to the left marks the same frames", 5, 0, true, {0, 0}, {0, 5}, {0, 3}},
        {"kept within the file at both ends", -4, 99, true, {0, 0}, {1, 1}, {0, 3}},
        {"one frame", 2, 2, true, {0, 2}, {0, 2}, {0, 2}},
        {"gate A's echo where gate B holds none", 0, 2, true, {0, 0}, {0, 2}, {0, 1}},
        {"nothing in the gates: the middle frame", 5, 7, true, {0, 5}, {1, 1}, {1, 0}},
        {"without a reader: the middle frame", 0, 5, false, {0, 0}, {0, 5}, {0, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Inspection in;
        in.decide({0, 0}, {0, 1}).nature = "气孔"; // an evaluated indication's, untouched
        const std::optional<size_t> k =
            markManual(in, o, c.first, c.last, c.read ? &reader : nullptr);
        ASSERT_EQ(k, std::optional<size_t>(1));
        const IndicationDecision& d = in.decisions[1];
        EXPECT_TRUE(d.manual);
        EXPECT_EQ(d.start, c.start);
        EXPECT_EQ(d.end, c.end);
        EXPECT_EQ(d.peak, c.peak);
        EXPECT_EQ(d.nature + d.grade + d.remark, "");
        EXPECT_TRUE(d.reported);
        EXPECT_EQ(in.decisions[0].nature, "气孔");
        EXPECT_FALSE(in.decisions[0].manual);
    }

    // Two overlapping marks, and one on the same frames, are all kept and
    // all manual: none belongs to an evaluated indication.
    Inspection in;
    markManual(in, o, 1, 4, &reader);
    markManual(in, o, 3, 6, &reader);
    markManual(in, o, 1, 4, &reader);
    in.decisions[2].grade = "II";
    ASSERT_EQ(in.decisions.size(), 3u);
    const Evaluation e(o, 0);
    const DecisionMatch m = matchDecisions(e, in);
    EXPECT_EQ(m.manual.size(), 3u);
    EXPECT_TRUE(m.orphans.empty());
    EXPECT_EQ(manualRuns(o, in).size(), 3u);
    EXPECT_EQ(manualRuns(o, in)[1].start, 3);
    EXPECT_EQ(manualRuns(o, in)[1].end, 6);
    EXPECT_EQ(manualDecisionIndex(in, 2), std::optional<size_t>(2));
    EXPECT_EQ(manualDecisionIndex(in, 3), std::nullopt);

    // An overview without frames marks nothing.
    Inspection none;
    EXPECT_EQ(markManual(none, EchoOverview(), 0, 3), std::nullopt);
    EXPECT_TRUE(none.decisions.empty());
}

TEST(ManualIndications, ListedAfterTheEvaluatedOnes) {
    RecordQuery query;
    ASSERT_TRUE(query.open(listRecording()).ok());
    const EchoOverview o = computeOverview(query, {});
    const Evaluation e(o, 0);
    ASSERT_EQ(e.indications().size(), 5u);
    RecordQuery reader;
    ASSERT_TRUE(reader.openAlongside(query));

    Inspection in;
    in.decide({0, 5}, {0, 5}).reported = false; // evaluated indication 1
    markManual(in, o, 0, 3);                    // 0:0-0:3, over evaluated indication 0
    in.decisions.back().nature = "裂纹";
    in.decisions.back().grade = "III";
    in.decisions.back().remark = "根部";
    markManual(in, o, 4, 4);
    in.decisions.back().reported = false;
    markManual(in, o, 9, 10); // 1:0-1:1
    using M = TravelCalibration::Method;
    const struct {
        const char* what;
        TravelCalibration calibration;
        DefectListWords words;
        std::array<const char*, 2> lengths;
    } cases[] = {
        {"lengths in frames", {}, {}, {"4 帧 (人工)", "2 帧 (人工)"}},
        {"lengths in mm", {M::Typed, "0.25", {}, {}, ""}, {}, {"1.0 mm (人工)", "0.5 mm (人工)"}},
        {"another language's words",
         {},
         {"frames", "zone {}", "manual"},
         {"4 frames (manual)", "2 frames (manual)"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        in.travel = c.calibration;
        const DefectList list = defectList(o, e, in, reader, c.words);
        EXPECT_EQ(list.evaluated, 5u);
        EXPECT_EQ(list.manual, 2u);
        EXPECT_TRUE(list.orphans.empty());
        // Four reported evaluated rows, then the two reported manual ones,
        // numbered on after the evaluated indications.
        ASSERT_EQ(list.rows.size(), 6u);
        EXPECT_FALSE(list.rows[3].manual);
        const std::string& manual = c.words.manual;
        EXPECT_EQ(cellsOf(list.rows[4]),
                  (Cells{"5", "0:0–0:3", "0:1", "", manual, "", "", c.lengths[0], c.lengths[0],
                         "裂纹", "III", "根部"}));
        EXPECT_EQ(cellsOf(list.rows[5]), (Cells{"7", "1:0–1:1", "1:0", "", manual, "", "",
                                                c.lengths[1], c.lengths[1], "", "", ""}));
        EXPECT_TRUE(list.rows[4].manual);
        EXPECT_EQ(list.rows[4].indication, 0u);
        EXPECT_EQ(list.rows[5].indication, 2u);
    }
}
