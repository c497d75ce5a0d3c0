// Runs of shown frames and their merging across gaps: the one rule by which
// the overview finds its indications (frames at or above their threshold)
// and the evaluation its evaluated ones (evaluated frames reaching EL).
//
// Every shown frame has a kind, given per record: the overview's is the
// record's amplitude unit (a % amplitude and a dB one are not compared), the
// evaluation's one and the same for all. A frame that counts (`valueOf`
// gives a value) belongs to a run; a run is a maximal stretch of consecutive
// counting frames of one kind. A run merges into the one before when at
// most `gap` shown frames lie between them (next.start - last.end - 1 <=
// gap: 0 merges nothing, 1 bridges a single frame) and every frame from the
// one to the other, those between included, is of the same kind; so where
// all frames have one kind, whatever lies between is bridged. A merged run's
// peak is its first counting frame with the largest value.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vantrel {

// A run of shown frames, by their indices: start .. end, the peak the first
// frame with the largest amplitude (or value).
struct Indication {
    int64_t start = 0, end = 0, peak = 0;
    int64_t frames() const { return end - start + 1; }
    bool operator==(const Indication&) const = default;
};

// The merged runs (start, end, peak) over `records` (an overview's
// OverviewRecords: each its firstFrame and its count of shown frames, the
// frames counting on from one record to the next), in order and apart.
// `kindOf(record)` gives a record's kind (anything comparable with ==);
// `valueOf(record, int64_t i)` gives shown frame i's value as
// std::optional<int64_t>, nullopt where the frame does not count. valueOf is
// called once for each shown frame, in order, so a caller may count frames
// in it as it goes.
template <class Record, class KindOf, class ValueOf>
std::vector<Indication> findRuns(const std::vector<Record>& records, int64_t gap, KindOf kindOf,
                                 ValueOf valueOf) {
    std::vector<Indication> runs;
    int64_t peakValue = 0;
    // Whether the last run reaches the frame before, and where the stretch
    // of records of the present kind began.
    bool open = false;
    int64_t kindFrom = 0;
    std::optional<decltype(kindOf(records.front()))> kind;
    for (const Record& rec : records) {
        if (auto k = kindOf(rec); !kind || !(*kind == k)) {
            kind = k;
            kindFrom = rec.firstFrame;
            open = false;
        }
        for (int64_t i = rec.firstFrame; i < rec.firstFrame + rec.frames; ++i) {
            const std::optional<int64_t> v = valueOf(rec, i);
            if (!v) {
                open = false;
                continue;
            }
            // A new run merges into the last when the gap is bridged and
            // the last one's end lies within this stretch of one kind.
            if (!open && !(gap > 0 && !runs.empty() && i - runs.back().end - 1 <= gap &&
                           kindFrom <= runs.back().end)) {
                runs.push_back({i, i, i});
                peakValue = *v;
                open = true;
                continue;
            }
            open = true;
            Indication& run = runs.back();
            run.end = i;
            if (*v > peakValue) {
                run.peak = i;
                peakValue = *v;
            }
        }
    }
    return runs;
}

} // namespace vantrel
