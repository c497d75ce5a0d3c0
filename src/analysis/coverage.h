// What an evaluation covered of a recording, for every defect list to
// state: a list that reports no defect is true only of the frames that were
// evaluated, so the list says which those were, the DAC lines they were
// evaluated against, where echoes at or above their threshold lie outside
// them (a % or DGS block, where no DAC line stands), and whether the file is
// damaged. Nothing evaluated, or damage, is never a clean sheet.
#pragma once

#include <cstdint>
#include <vector>

#include "analysis/evaluation.h"
#include "analysis/file_health.h"

namespace vantrel {

// Records first .. last, both included.
struct RecordRange {
    int32_t first = 0, last = 0;
    bool operator==(const RecordRange&) const = default;
};

// Why frames holding echoes at or above their threshold were not evaluated:
// their block reads in % of screen height (no curve) or against a DGS curve.
enum class NotEvaluatedWhy : uint8_t { Percent, Dgs };

struct NotEvaluatedEchoes {
    RecordRange records;
    NotEvaluatedWhy why = NotEvaluatedWhy::Percent;
    bool operator==(const NotEvaluatedEchoes&) const = default;
};

// One set of DAC lines (tenths of a dB against the curve) and the records
// evaluated against it.
struct LinesUsed {
    int32_t rl = 0, sl = 0, el = 0;
    std::vector<RecordRange> records;
    bool operator==(const LinesUsed&) const = default;
};

// Why nothing was evaluated.
enum class NothingEvaluatedWhy : uint8_t {
    None,       // frames were evaluated
    NoRecord,   // no record could be read
    NoDacFrame, // no shown frame reads against a DAC curve
    NoEcho,     // DAC frames, but gate A holds no echo in any
};

struct Coverage {
    int64_t frames = 0;          // shown frames of the recording
    int64_t evaluatedFrames = 0; // evaluated (DAC readout, an echo in gate A)
    int64_t dacFrames = 0;       // shown frames under a DAC readout, echo or not
    // Runs of consecutive records holding DAC frames (records without shown
    // frames between them do not break a run).
    std::vector<RecordRange> evaluated;
    std::vector<LinesUsed> lines; // in the order first used
    // The overview's indications, or their parts, on frames not evaluated.
    std::vector<NotEvaluatedEchoes> notEvaluated;
    // What the open and the overview's walk found wrong with the file (the
    // records the walk found damaged, such as one that decodes to fewer
    // frames than it holds, count with those the open found).
    FileHealth health;

    NothingEvaluatedWhy nothingEvaluated() const;
    bool damaged() const {
        return health.unreadable() || health.damaged > 0 || health.missing() > 0;
    }
    // Whether a list without defects would say less than the whole truth of
    // the recording: nothing evaluated, or a damaged file.
    bool incomplete() const { return nothingEvaluated() != NothingEvaluatedWhy::None || damaged(); }
};

// The coverage of `evaluation` on its overview, with what opening the file
// found of it. The overview's indications are those of its thresholds.
Coverage coverageOf(const Evaluation& evaluation, const FileHealth& health);

// Record numbers as ranges, "100–218, 220–261" (a range of one record is its
// number); at most `most` ranges, then "… (+N)".
std::string recordRangesText(const std::vector<RecordRange>& ranges, size_t most = 8);

} // namespace vantrel
