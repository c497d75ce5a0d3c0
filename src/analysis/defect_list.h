// The defect list of an inspection as texts: one row per evaluated
// indication the inspector reports, then one per manual indication (人工, a
// range the inspector marked), with where it lies, how high its peak
// stands against SL, its zone, depth and surface distance at the peak, its
// length along the weld and the inspector's words on it. The printed list,
// the report pages vantrel-inspect pre-fills and `vantrel-inspect evaluate`
// take their texts and the peak's positions from here, so that they say the
// same things in the same words.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "analysis/coverage.h"
#include "analysis/evaluation.h"
#include "analysis/file_health.h"
#include "analysis/inspection.h"
#include "viewer/record_query.h"

namespace vantrel {

// The positions at an evaluated indication's peak, in tenths of `unit`: the
// sound path, surface distance and depth of the one-gate form; the two-gate
// form records gate A's path only, the others are nullopt.
struct PeakPositions {
    std::optional<int64_t> path, surface, depth;
    std::string unit; // "mm" or "in"
};

// Reads them from the peak's record as a seek there reads it: one record,
// not a second walk. `reader` is a query on the overview's file; its buffer
// and parameters in force change.
PeakPositions peakPositions(const EchoOverview& overview, RecordQuery& reader, int64_t peak);

// The words of the texts that are not numbers or symbols, in the language
// of the page they go on; the instrument's Chinese by default, which
// vantrel-inspect's pages keep.
struct DefectListWords {
    std::string frames = "帧"; // the unit of a length counted in frames
    std::string zone = "{}区"; // a zone, {} standing for I, II or III
    // A manual indication's zone cell, and the method of its lengths.
    std::string manual = "人工";
};

// The SL±dB of a report: the peak against the sizing line with its sign
// and one decimal, "SL+4.6dB", "SL-2.0dB"; exactly on the line "SL±0.0dB".
std::string aboveSlText(const EvaluatedIndication& indication);

// A length along the weld, saying what it counts and how it was measured:
// with a travel in millimetres to 0.1 mm, "12.5 mm (6 dB)"; without one in
// shown frames, "25 帧 (6 dB)". `method` names the run measured: "6 dB"
// (the echo within 6 dB of the peak) or "EL" (the frames reaching EL).
std::string lengthText(int64_t frames, const std::optional<Travel>& travel, const char* method,
                       const DefectListWords& words = {});

// The zone and SL±dB as a remark, "II区 SL+4.6dB".
std::string zoneRemarkText(const EvaluatedIndication& indication,
                           const DefectListWords& words = {});

// One row of the list, every cell as printed.
struct DefectRow {
    // Its index among the evaluated indications, or for a manual row among
    // the manual indications (DecisionMatch::manual).
    size_t indication = 0;
    bool manual = false;
    // That index, from 0 as everywhere, "7"; a manual row's numbers go on
    // after the evaluated indications' (evaluated + its index).
    std::string number;
    std::string span;                  // first to last frame, "12:3–14:0"
    std::string peak;                  // "13:5"
    std::string aboveSl;               // "SL+4.6dB"
    std::string zone;                  // "I", "II" or "III"; a manual row's "人工"
    std::string depth, surface;        // at the peak, "24.1 mm"; empty in the two-gate form
    std::string length6dB;             // "12.5 mm (6 dB)" or "25 帧 (6 dB)"
    std::string lengthEl;              // "30.0 mm (EL)" or "60 帧 (EL)"
    std::string nature, grade, remark; // the inspector's, as typed (UTF-8)
};

// The row of evaluated indication k with the positions at its peak, the
// travel, if any, and the inspector's decision on it, if any.
DefectRow defectRow(const EchoOverview& overview, const Evaluation& evaluation, size_t k,
                    const PeakPositions& at, const std::optional<Travel>& travel,
                    const IndicationDecision* decision, const DefectListWords& words = {});
// The row of manual indication `decision`, the j-th of the inspection's
// (DecisionMatch::manual), numbered `number`. It lies where the inspector
// marked it, from its first to its last frame, its peak the one markManual
// found. No SL±dB, zone, depth or surface distance: the evaluation did not
// find it, and gate A's readout at its peak measures another echo than the
// one marked (a manual indication is most often an echo in gate B); the
// zone cell says 人工. Both length cells hold the marked length, first to
// last frame, "25 帧 (人工)" or with a travel "12.5 mm (人工)"; empty where
// the overview does not hold those frames.
DefectRow manualDefectRow(const EchoOverview& overview, const IndicationDecision& decision,
                          size_t j, size_t number, const std::optional<Travel>& travel,
                          const DefectListWords& words = {});

// Which of the inspector's decisions each evaluated indication holds. A
// decision belongs to the indication that holds its peak frame, so that it
// follows its indication when the gap, the split or the rules that cut
// indications change (a decision of the first file version, which names no
// peak, takes the peak its own first .. last frames give). A decision that
// no indication holds, or that an indication holds after another one, is
// an orphan: kept and listed as such, never dropped. Manual indications
// are the inspector's own and belong to none.
struct DecisionMatch {
    std::vector<const IndicationDecision*> byIndication; // by indication; nullptr: none
    std::vector<const IndicationDecision*> orphans;      // in the inspection's order
    std::vector<const IndicationDecision*> manual;       // in the inspection's order
};
DecisionMatch matchDecisions(const Evaluation& evaluation, const Inspection& inspection);

// The peak frame a decision names: its own, or for one that names none the
// first frame with the largest A among those from its first to its last
// frame that reach EL (its first frame when none does or the overview does
// not hold them).
FramePlace decisionPeak(const Evaluation& evaluation, const IndicationDecision& decision);

// The decision indication k holds in `inspection`, made (blank, reported)
// when it holds none; it then names the indication as it now stands (first,
// last and peak frame), the inspector's words kept.
IndicationDecision& decideIndication(const Evaluation& evaluation, Inspection& inspection,
                                     size_t k);

// Where the report's cells that belong to a flaw are kept for a frame: with
// the decision of the evaluated indication holding it (the cells typed for
// a flaw go with the flaw, whichever of its frames the page shows), or, for
// a frame no indication holds (or before anything was evaluated), by the
// frame itself.
// Whether the report's blank cell captioned `caption` belongs to the flaw
// the page shows (长度, 高度, 等级, 备注, 探伤结果) rather than to the job
// and the recording (检测单位, 报告编号, the probe, ...): a flaw's cells
// are kept with their indication, the job's with the recording.
bool isFlawCell(const std::string& caption);
struct FlawCellsPlace {
    std::optional<size_t> indication; // the evaluated indication holding the frame
    FramePlace frame;
};
FlawCellsPlace flawCellsPlace(const Evaluation* evaluation, FramePlace frame);
// The flaw's cells kept for `frame`: its indication's, else the frame's.
ReportCells flawCellsAt(const Evaluation* evaluation, const Inspection& inspection,
                        FramePlace frame);
// Keeps `cells` as the flaw's cells of `frame` (empty texts are dropped).
void keepFlawCells(const Evaluation* evaluation, Inspection& inspection, FramePlace frame,
                   const ReportCells& cells);

// ---- manual indications (人工): a range of shown frames the inspector
// marks on the strips or the B-scan where the evaluation finds nothing, an
// echo gate A's readout never holds (a root crack in gate B). They are
// decisions with `manual` set, kept in the inspection like the others,
// belong to no evaluated indication, may overlap one another and the
// evaluated indications, and are listed after the evaluated ones.

// The peak of shown frames first .. last (within the overview, first <=
// last): the first frame holding the largest B-scan sample within gate A or
// gate B (where its parameters draw gate B), read from the records with
// `reader` (opened alongside the overview's file) when the range touches at
// most kBscanMostRecordsRead records. Without a reader, on a longer range,
// on an overview without gate geometry or where no sample in the gates is
// above 0: the middle frame, (first + last) / 2.
int64_t manualPeak(const EchoOverview& overview, int64_t first, int64_t last, RecordQuery* reader);

// Marks shown frames first .. last as a manual indication: the two in
// either order (a drag to the left), each kept within the overview. A new
// decision is appended to the inspection, manual, from the first frame's
// place to the last's, its peak manualPeak's, nature, grade and remark
// blank, reported; one already marked on the same frames is kept beside it.
// Returns its index into inspection.decisions, or nullopt when the overview
// holds no frame (nothing is marked).
std::optional<size_t> markManual(Inspection& inspection, const EchoOverview& overview,
                                 int64_t first, int64_t last, RecordQuery* reader = nullptr);

// The index into inspection.decisions of manual indication j (the j-th
// decision with `manual` set, as DecisionMatch::manual orders them), or
// nullopt when there are not that many.
std::optional<size_t> manualDecisionIndex(const Inspection& inspection, size_t j);

// The manual indications of `inspection` as runs of shown frames of
// `overview` (start, end and peak), in the inspection's order; those whose
// first or last frame the overview does not hold are left out.
std::vector<Indication> manualRuns(const EchoOverview& overview, const Inspection& inspection);

// One line of an orphan decision for the list: its frames and words,
// "185:2–190:0 (185:9) 未熔合 III 根部".
std::string orphanText(const IndicationDecision& decision);

// The evaluated indications as CSV, as `vantrel-inspect evaluate --out`
// writes them: the header and the row of indication k (CRLF ends; lengths
// in mm only with a travel). The window's export adds the inspector's words.
std::string evaluationCsvHeader();
std::string evaluationCsvRow(const Evaluation& evaluation, size_t k, const PeakPositions& at,
                             const std::optional<Travel>& travel);
// The window's export: those columns, then the inspector's decision on
// each indication (nature, grade and remark as typed, reported 1 or 0; an
// indication without one blank and reported). `peaks` by indication.
std::string evaluationCsvWithDecisions(const Evaluation& evaluation,
                                       const std::vector<PeakPositions>& peaks,
                                       const std::optional<Travel>& travel,
                                       const Inspection& inspection);
// A CSV field (RFC 4180): quoted where it holds a comma, a quote or a line
// break, its quotes doubled.
std::string csvField(const std::string& text);

// The list and what it was made with.
struct DefectList {
    // The evaluated indications' rows, then the manual ones'. Grading (a
    // standard's rules applied by `vantrel-inspect evaluate` and the
    // report) takes its indications from these rows, the manual ones
    // included, so that an indication the inspector marked is graded like
    // the others: by its nature and its length (a manual row has no zone or
    // SL±dB, and a rule on those does not hold for it).
    std::vector<DefectRow> rows;
    size_t evaluated = 0; // evaluated indications, reported or not
    size_t manual = 0;    // rows of manual indications (reported ones)
    Coverage coverage;    // what the evaluation covered of the recording
    // The inspector's decisions no indication of this evaluation holds, as
    // orphanText gives them.
    std::vector<std::string> orphans;
    TravelCalibration calibration; // the inspector's, as given
    std::optional<Travel> travel;  // what it gives on the overview, if anything
    // The report's typed cells by caption (检测单位, ...), as the inspector
    // typed them.
    std::map<std::string, std::string> cells;
};

// The rows of the indications `evaluation` found in `overview` that
// `inspection` reports (one without a decision is reported), in their
// order, then of the manual indications it reports, in the inspection's
// order; `reader` reads the peaks' positions (see peakPositions).
DefectList defectList(const EchoOverview& overview, const Evaluation& evaluation,
                      const Inspection& inspection, RecordQuery& reader,
                      const DefectListWords& words = {});
// The same with the positions at indication k's peak given by `peakAt`
// (asked only for the rows listed) and the file's health for the coverage.
DefectList defectList(const Evaluation& evaluation, const Inspection& inspection,
                      const FileHealth& health,
                      const std::function<const PeakPositions&(size_t k)>& peakAt,
                      const DefectListWords& words = {});

} // namespace vantrel
