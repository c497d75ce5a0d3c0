// The owner of a recording's analysis: what a change of settings computes
// again and what it leaves (a threshold finds the overview's indications
// only; a gap or split evaluates anew; a peak's record is read once), that
// what it keeps is what the parts computed on their own give, and that the
// parts referring to one another cannot be copied, moved or built on a
// temporary.
#include <gtest/gtest.h>

#include <type_traits>

#include "analysis/evaluated_recording.h"
#include "dac_recording.h"

using namespace vantrel;
using namespace vantrel::testing;

// Holders of references that cannot outlive what they refer to.
static_assert(!std::is_copy_constructible_v<Evaluation>);
static_assert(!std::is_move_constructible_v<Evaluation>);
static_assert(!std::is_constructible_v<Evaluation, EchoOverview&&, int64_t>);
static_assert(std::is_constructible_v<Evaluation, const EchoOverview&, int64_t>);
static_assert(!std::is_copy_constructible_v<EvaluationSummaries>);
static_assert(!std::is_move_constructible_v<EvaluationSummaries>);
static_assert(!std::is_constructible_v<EvaluationSummaries, Evaluation&&>);
static_assert(!std::is_copy_constructible_v<EvaluatedRecording>);
static_assert(!std::is_move_constructible_v<EvaluatedRecording>);

namespace {

// Record 0: three indications reaching EL (-18.0 dB) one frame apart at
// frames 1..2, 4 and 6..7; record 1: one more at frame 1. Every frame
// reads against the DAC curve and holds an echo, so a threshold of 0.0 dB
// finds frames 0:4 and 0:7, one of -20.0 dB the four runs, one of
// -40.0 dB every frame as one run.
std::string recording() {
    return dacFileOf(
        {{{-300, -60, -50, -300, 20, -300, -100, 30, -300}, dac(1)}, {{-300, -40, -300}}},
        "evaluated-recording.DAT");
}

struct Opened {
    RecordQuery query;
    Opened() { EXPECT_TRUE(query.open(recording()).ok()); }
};

std::vector<int64_t> peaks(const Evaluation& e) {
    std::vector<int64_t> v;
    for (const EvaluatedIndication& d : e.indications())
        v.push_back(d.peak);
    return v;
}

} // namespace

TEST(EvaluatedRecording, AThresholdFindsTheOverviewsIndicationsAndNothingElse) {
    Opened f;
    OverviewSettings settings;
    EvaluatedRecording r(computeOverview(f.query, settings), f.query, settings);
    ASSERT_EQ(r.evaluation().indications().size(), 4u);
    for (size_t k = 0; k < 4; ++k)
        r.peakAt(k);
    r.summaries();
    const Evaluation* before = &r.evaluation();
    const std::vector<int64_t> evaluated = peaks(r.evaluation());
    const int64_t read = RecordQuery::recordsRead();
    const size_t above = r.overview().indications().size();

    const struct {
        int64_t db;
        size_t indications;
    } steps[] = {{-200, 4}, {25, 1}, {-400, 1}, {0, above}};
    for (const auto& s : steps) {
        settings.dbThreshold = s.db;
        const EvaluatedRecording::Changed c = r.apply(settings);
        EXPECT_TRUE(c.indications) << s.db;
        EXPECT_FALSE(c.evaluation) << s.db;
        EXPECT_EQ(r.overview().indications().size(), s.indications) << s.db;
        for (size_t k = 0; k < 4; ++k)
            r.peakAt(k);
        r.summaries();
    }
    // The same settings again change nothing at all.
    EXPECT_FALSE(r.apply(settings).indications);
    EXPECT_EQ(RecordQuery::recordsRead(), read);
    EXPECT_EQ(r.evaluationsBuilt(), 1);
    EXPECT_EQ(r.summariesBuilt(), 1);
    EXPECT_EQ(&r.evaluation(), before);
    EXPECT_EQ(peaks(r.evaluation()), evaluated);
}

TEST(EvaluatedRecording, AGapEvaluatesAnewAndReadsOnlyPeaksNotReadBefore) {
    Opened f;
    OverviewSettings settings;
    EvaluatedRecording r(computeOverview(f.query, settings), f.query, settings);
    auto readAll = [&r] {
        const int64_t before = RecordQuery::recordsRead();
        for (size_t k = 0; k < r.evaluation().indications().size(); ++k)
            r.peakAt(k);
        return RecordQuery::recordsRead() - before;
    };
    EXPECT_GT(readAll(), 0);
    EXPECT_EQ(r.peaksRead(), 4);
    EXPECT_EQ(readAll(), 0); // kept

    // Gap 1 joins the three of record 0; its peak is one read already.
    settings.gap = 1;
    EvaluatedRecording::Changed c = r.apply(settings);
    EXPECT_TRUE(c.evaluation);
    EXPECT_TRUE(c.indications); // the overview's merge gap too
    EXPECT_EQ(r.evaluation().indications().size(), 2u);
    EXPECT_EQ(r.evaluation().gap(), 1);
    EXPECT_EQ(readAll(), 0);
    // Back again: nothing new to read; the summaries follow the evaluation.
    r.summaries();
    settings.gap = 0;
    EXPECT_TRUE(r.apply(settings).evaluation);
    EXPECT_EQ(r.evaluation().indications().size(), 4u);
    EXPECT_EQ(readAll(), 0);
    r.summaries();
    EXPECT_EQ(r.summariesBuilt(), 2);
    // The split alone evaluates anew too.
    settings.splitMicrometres = 0;
    c = r.apply(settings);
    EXPECT_TRUE(c.evaluation);
    EXPECT_FALSE(c.indications);
    EXPECT_EQ(r.evaluationsBuilt(), 4);
    EXPECT_EQ(r.peaksRead(), 4);
}

TEST(EvaluatedRecording, KeepsWhatThePartsGiveOnTheirOwn) {
    Opened f;
    const EchoOverview o = computeOverview(f.query, {});
    OverviewSettings settings;
    settings.gap = 1;
    const Evaluation e(o, settings.gap);
    const EvaluatedRecording r(computeOverview(f.query, {}), f.query, settings);
    ASSERT_TRUE(r.readerOpen());
    ASSERT_EQ(peaks(r.evaluation()), peaks(e));
    RecordQuery reader;
    ASSERT_TRUE(reader.openAlongside(f.query));
    for (size_t k = 0; k < e.indications().size(); ++k) {
        const PeakPositions at = peakPositions(o, reader, e.indications()[k].peak);
        EXPECT_EQ(r.peakAt(k).path, at.path);
        EXPECT_EQ(r.peakAt(k).depth, at.depth);
        EXPECT_EQ(r.peakAt(k).surface, at.surface);
        EXPECT_EQ(r.peakAt(k).unit, at.unit);
    }
    // The defect list, with a decision that leaves one out.
    Inspection in;
    in.decide({1, 1}, {1, 1}).reported = false;
    in.decide({0, 1}, {0, 7}).remark = "root";
    const DefectList mine = r.defectList(in), theirs = defectList(o, e, in, reader);
    ASSERT_EQ(mine.rows.size(), 1u);
    ASSERT_EQ(mine.rows.size(), theirs.rows.size());
    EXPECT_EQ(mine.rows[0].remark, theirs.rows[0].remark);
    EXPECT_EQ(mine.rows[0].depth, theirs.rows[0].depth);
    EXPECT_EQ(mine.rows[0].span, theirs.rows[0].span);
    EXPECT_EQ(mine.coverage.evaluatedFrames, theirs.coverage.evaluatedFrames);
}
