// The indications of a weld scan evaluated against the DAC family the
// instrument records in every parameter block, the way an inspector sorts
// them into zones before grading. A frame is evaluated when its readout is
// against a DAC line (readout modes 1..7) and gate A holds an echo; its
// amplitude against the DAC curve is A = a + g[m] - g[1] (a: gate A's
// readout value against line m of the gain table g), and each line k stands
// at g[k] - g[1]: RL (rejection) k = 2, SL (sizing) k = 3, EL (evaluation)
// k = 4. An evaluated indication is a run of evaluated frames reaching EL;
// its zone at the peak: III from RL up, II from SL up, I below (each line
// belonging to the zone above it); its length along the weld is its run of
// frames (EL span) and the run where the echo stays within 6 dB of the peak.
// An indication is cut where gate A's echo jumps along the sound path: a
// weak geometric echo that stays above EL all along the weld (the root)
// would otherwise join a flaw's run and give it the length of the weld.
// Everything is computed from an overview: its amplitudes and the lines of
// each record, gathered in the overview's one walk of the file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "analysis/block_pyramid.h"
#include "analysis/echo_overview.h"

namespace vantrel {

enum class Zone : uint8_t { I, II, III };
const char* zoneText(Zone zone); // "I", "II", "III"

struct EvaluatedIndication {
    int64_t start = 0, end = 0, peak = 0; // shown frames
    int64_t dac = 0;                      // A at the peak, tenths of a dB
    int32_t rl = 0, sl = 0, el = 0;       // the lines at the peak
    Zone zone = Zone::I;
    int64_t drop6Start = 0, drop6End = 0; // the 6 dB run around the peak
    int64_t frames() const { return end - start + 1; }
    int64_t drop6Frames() const { return drop6End - drop6Start + 1; }
    int64_t aboveSl() const { return dac - sl; } // the "SL+4.6dB" of a report
};

// A split distance as typed, in millimetres ("3", "2.54", "0", ".5"): digits
// with at most one point, in whole micrometres, the decimals beyond the third
// dropped. That loses nothing: every position difference is a whole number
// of micrometres (0.1 mm, or 0.1 in = 2540 um), so it lies above D exactly
// when it lies above D's whole micrometres. Beyond 10^12 mm the distance
// stays at 10^12 mm, further than any two positions lie apart. nullopt for
// anything else (a sign, an exponent, no digit).
std::optional<int64_t> parseSplitMicrometres(const std::string& mm);
// The same as text, "3.0", "2.54" (at least one decimal).
std::string splitText(int64_t micrometres);

class Evaluation {
public:
    // The evaluation of `overview`; indications with at most `gap` shown
    // frames between them (whatever those frames are) merge (findRuns), then
    // are cut where the echo's position jumps by more than
    // `splitMicrometres` (0: no cut).
    Evaluation(const EchoOverview& overview, int64_t gap,
               int64_t splitMicrometres = kDefaultSplitMicrometres);
    // It refers to `overview`, which must outlive it: it is built on a
    // named overview only, and stays where it was built (see
    // EvaluatedRecording, which owns both).
    Evaluation(const EchoOverview&& overview, int64_t gap,
               int64_t splitMicrometres = kDefaultSplitMicrometres) = delete;
    Evaluation(const Evaluation&) = delete;
    Evaluation& operator=(const Evaluation&) = delete;

    // Shown frame i is evaluated (DAC readout, an echo in gate A).
    bool evaluated(int64_t i) const { return evaluatedIn(overview_.recordOf(i), i); }
    // A at shown frame i, tenths of a dB against the DAC curve (meaningful
    // where evaluated).
    int64_t dac(int64_t i) const { return dacIn(overview_.recordOf(i), i); }
    // The same for shown frame i of record entry `rec`, which holds it: the
    // walks over every frame know the record and need not look it up.
    bool evaluatedIn(const OverviewRecord& rec, int64_t i) const {
        return rec.readoutMode >= 1 && rec.readoutMode <= 7 && overview_.hasEcho(i);
    }
    int64_t dacIn(const OverviewRecord& rec, int64_t i) const {
        return int64_t{overview_.amplitude()[static_cast<size_t>(i)]} + rec.readoutLine;
    }
    int64_t evaluatedFrames() const { return evaluatedFrames_; }
    const std::vector<EvaluatedIndication>& indications() const { return indications_; }
    const EchoOverview& overview() const { return overview_; }
    int64_t gap() const { return gap_; }
    int64_t splitMicrometres() const { return split_; }
    // Whether gate A's echo at shown frames i and j (records ri and rj hold
    // them) is a different echo: positions of one kind more than the split
    // apart, or of kinds that cannot be compared (another length unit,
    // readout form or, in the two-gate form, position kind). Never with no
    // split.
    bool echoJumps(const OverviewRecord& ri, int64_t i, const OverviewRecord& rj, int64_t j) const;
    // The indication from whose first to last frame shown frame i lies, or
    // nullptr.
    const EvaluatedIndication* indicationAt(int64_t i) const;

private:
    void cutAtJumps(const std::vector<Indication>& merged);
    const EchoOverview& overview_;
    int64_t gap_ = 0, split_ = 0;
    int64_t evaluatedFrames_ = 0;
    std::vector<EvaluatedIndication> indications_;
};

// What a run of shown frames holds for the evaluation strip: A over its
// evaluated frames, the lines of its DAC frames (evaluated or not: the lines
// stand whether or not an echo does), whether an evaluated indication
// reaches into it and whether it holds frames that are not evaluated.
struct EvaluationRunSummary {
    ValueRange dac, rl, sl, el;
    bool indication = false, notEvaluated = false;
    void add(const EvaluationRunSummary& c) {
        dac.add(c.dac);
        rl.add(c.rl);
        sl.add(c.sl);
        el.add(c.el);
        indication = indication || c.indication;
        notEvaluated = notEvaluated || c.notEvaluated;
    }
    bool operator==(const EvaluationRunSummary&) const = default;
};

// Block summaries of an evaluation, so that a strip of millions of frames
// is drawn in a few hundred steps a column: about 2.4 bytes a shown frame.
// Only the window draws the strip; the command line never builds them.
class EvaluationSummaries {
public:
    explicit EvaluationSummaries(const Evaluation& evaluation);
    // It refers to `evaluation`, which must outlive it, as an Evaluation
    // refers to its overview.
    explicit EvaluationSummaries(const Evaluation&& evaluation) = delete;
    EvaluationSummaries(const EvaluationSummaries&) = delete;
    EvaluationSummaries& operator=(const EvaluationSummaries&) = delete;
    // Shown frames first .. last - 1 (first < last, within the frames), as
    // a walk over each of them would find (summarizeByWalking).
    EvaluationRunSummary summarize(int64_t first, int64_t last) const;
    EvaluationRunSummary summarizeByWalking(int64_t first, int64_t last) const;
    size_t bytes() const { return pyramid_.bytes(); }

private:
    void addFrames(int64_t first, int64_t last, EvaluationRunSummary& into) const;
    const Evaluation& evaluation_;
    std::vector<bool> indication_; // by shown frame: inside an evaluated indication
    BlockPyramid<EvaluationRunSummary> pyramid_;
};

// The dB scale (tenths against the DAC curve) of the evaluation strip over
// shown frames from .. to - 1: whole dB holding A and the lines in view, at
// least -30 .. +10 dB (below the usual EL up to above the usual RL).
struct EvaluationScale {
    int64_t low = -300, high = 100;
    static EvaluationScale of(const EvaluationSummaries& summaries, int64_t from, int64_t to);
};

// A scan travel per shown frame, exactly: `nanometres` over `perFrames`
// shown frames (a typed travel per frame has perFrames 1; a distance between
// two frames keeps the frame count), so that lengths round exactly.
struct Travel {
    int64_t nanometres = 0;
    int64_t perFrames = 1;
    // The decimal text of a positive travel in millimetres (e.g. "0.25"), or
    // nullopt (not a number, not above 0, more than 6 decimals beyond what
    // matters, too large).
    static std::optional<Travel> parse(const std::string& mm);
    // `frames` frames as tenths of a millimetre, rounded half up.
    int64_t tenthsOfMm(int64_t frames) const;
};

} // namespace vantrel
