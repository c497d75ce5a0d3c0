// The analysis of one recording, held in one place: its echo dynamics
// (EchoOverview), their evaluation against the DAC lines (Evaluation), the
// evaluation strip's block summaries (EvaluationSummaries) and the
// positions at the evaluated indications' peaks (PeakPositions), each
// computed or read once and kept until what it depends on changes. The
// viewer's open recording and vantrel-inspect's evaluate and report
// commands all start from one.
//
// What depends on what (the rules are in evaluation.h and echo_overview.h):
// the thresholds decide the overview's records' thresholds and its
// indications, and nothing else; the evaluation reads the frames, the
// records' DAC lines, the merge gap and the split, never a threshold; the
// summaries depend on the evaluation alone; the positions at a peak on the
// peak's frame alone. So a new threshold finds the overview's indications
// again and leaves the evaluation as it is; a new gap or split evaluates
// anew, and the positions at peaks already read are not read again (they
// are kept by frame, so a gap changed and changed back reads nothing).
//
// Lifetimes, by type. Evaluation refers to its overview, EvaluationSummaries
// to its evaluation. Neither can be copied or moved, nor built on a
// temporary (their constructors from an rvalue are deleted), so each lives
// where what it refers to was named and goes first. Here they are members
// declared after the overview, in an object that can be neither copied nor
// moved: the language destroys them before the overview, and they are
// rebuilt only by this object, which drops the summaries before the
// evaluation and the evaluation before building the next. What this object
// hands out (the overview, the evaluation, the summaries) is a reference
// that lives as long as it does; a holder of one (a widget) is told to let
// go before the object goes or evaluates anew (OpenRecording says when).
#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "analysis/defect_list.h"
#include "analysis/echo_overview.h"
#include "analysis/evaluation.h"
#include "viewer/record_query.h"

namespace vantrel {

class EvaluatedRecording {
public:
    // `overview` as computed on the file `query` has open (its indications
    // as they were found), evaluated with `settings`' merge gap and split.
    // The peaks' positions are read by a reader of its own, opened beside
    // `query` (the caller's query is not touched); where that reader cannot
    // be opened they stay unknown (readerOpen() says so).
    EvaluatedRecording(EchoOverview overview, const RecordQuery& query,
                       const OverviewSettings& settings);
    EvaluatedRecording(const EvaluatedRecording&) = delete;
    EvaluatedRecording& operator=(const EvaluatedRecording&) = delete;

    const EchoOverview& overview() const { return overview_; }
    const Evaluation& evaluation() const { return *evaluation_; }
    // Built on first use: only the window's evaluation strip needs them.
    const EvaluationSummaries& summaries() const;

    // What a change of settings changed.
    struct Changed {
        bool indications = false; // the overview's thresholds and indications
        bool evaluation = false;  // the evaluation (and its summaries): anew
    };
    // New thresholds, merge gap or split (the position kind needs a new
    // overview): the overview's indications found again when a threshold or
    // the gap changed (always the first time: the overview may have been
    // computed with others), the evaluation made anew only when the gap or
    // the split changed. Every reference to the evaluation and its summaries
    // goes where `evaluation` is set.
    Changed apply(const OverviewSettings& settings);

    // The positions at the peak of evaluated indication k: read from the
    // peak's record the first time that frame is asked for, then kept by
    // frame (unknown, all nullopt, without a reader). Reading changes only
    // this object's own reader and cache, on the caller's thread.
    const PeakPositions& peakAt(size_t k) const;
    bool readerOpen() const { return readerOpen_; }
    // That reader, for what reads other records of the same file (a manual
    // indication's peak); nullptr without one.
    RecordQuery* reader() const { return readerOpen_ ? &reader_ : nullptr; }
    const RecordFile& file() const { return reader_.file(); }

    // The defect list of this evaluation and `inspection`'s decisions
    // (see defectList in defect_list.h), from the positions kept here.
    DefectList defectList(const Inspection& inspection, const DefectListWords& words = {}) const;

    // How often the work was done, for the tests and benchmarks that show
    // a gesture does none of it again: evaluations built (the first one
    // included), summaries built, peaks read.
    int64_t evaluationsBuilt() const { return evaluationsBuilt_; }
    int64_t summariesBuilt() const { return summariesBuilt_; }
    int64_t peaksRead() const { return peaksRead_; }

private:
    void evaluate(int64_t gap, int64_t splitMicrometres);

    // In this order: each refers to the one before it.
    EchoOverview overview_;
    std::optional<Evaluation> evaluation_;
    mutable std::optional<EvaluationSummaries> summaries_;

    mutable RecordQuery reader_;
    bool readerOpen_ = false;
    // The thresholds and gap the overview's records and indications were
    // last found with here; none for an overview as it was given.
    std::optional<OverviewSettings> thresholdsApplied_;
    mutable std::unordered_map<int64_t, PeakPositions> peaks_; // by peak frame
    int64_t evaluationsBuilt_ = 0;
    mutable int64_t summariesBuilt_ = 0, peaksRead_ = 0;
};

} // namespace vantrel
