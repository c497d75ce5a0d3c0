// The echo dynamics of a whole recording: for every shown frame (the frames
// stepping and playback show: 0 .. framesPerRecord - 2 of each record, frame
// 0 of a one-frame record) the gate A amplitude in its unit, a position and
// the threshold in force, and the indications, the runs of frames at or
// above their threshold. Records the index does not hold are simply absent.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/block_pyramid.h"
#include "analysis/bscan_summaries.h"
#include "analysis/runs.h"
#include "viewer/record_query.h"

namespace vantrel {

enum class AmplitudeUnit : uint8_t {
    Percent, // of screen height, without curves
    Db,      // against the selected curve, in curve mode
};
const char* amplitudeUnitText(AmplitudeUnit unit); // "%" or "dB"
// The length unit of positions: "in" with the inch setting, else "mm".
const char* lengthUnitText(bool inch);

// Which measured value of a one-gate frame is its position; the two-gate form
// always takes gate A's position.
enum class OverviewPosition : uint8_t { Path, Surface, Depth };
// "path", "surface" or "depth", as the command line names them, and back
// (nullopt for any other text).
const char* positionKindText(OverviewPosition kind);
std::optional<OverviewPosition> positionKindOfText(std::string_view text);

// The jump in gate A's echo position that cuts an evaluated indication, in
// micrometres, unless the user gives another (0: never cut).
inline constexpr int64_t kDefaultSplitMicrometres = 3000;

struct OverviewSettings {
    OverviewPosition position = OverviewPosition::Path;
    // Thresholds in tenths, compared as amplitude >= threshold on the tenths:
    // for % frames the gate A level of the frame's parameters when not given
    // (gateALevel x 0.5 %), for dB frames the selected curve (0.0 dB).
    std::optional<int64_t> percentThreshold;
    int64_t dbThreshold = 0;
    // Indications of one unit with at most `gap` shown frames of that unit
    // between them merge into one.
    int64_t gap = 0;
    // The evaluation's cut where gate A's echo jumps, micrometres (0: none).
    int64_t splitMicrometres = kDefaultSplitMicrometres;
    // Whether the walk also keeps the B-scan's block maxima (the window's
    // strip draws from them; the command line reads its B-scans exactly
    // and does without).
    bool bscan = true;
};

// An indexed record with shown frames and what its parameters give them.
struct OverviewRecord {
    // Members largest first: an overview holds one per record, and its
    // memory budget counts on 48 bytes each.
    int64_t firstFrame = 0; // index of its first shown frame
    int64_t threshold = 0;  // tenths, in `unit`
    int32_t record = 0;
    int32_t frames = 0;    // shown frames
    int32_t gateLevel = 0; // tenths of %: the gate A level of its parameters
    // The DAC family of its parameters, for the evaluation: in tenths of a
    // dB against the DAC curve (line 1 of the gain table g), the line the
    // readout selects (g[m] - g[1]) and the rejection, sizing and evaluation
    // lines RL = g[2] - g[1], SL = g[3] - g[1], EL = g[4] - g[1].
    int32_t readoutLine = 0, rl = 0, sl = 0, el = 0;
    AmplitudeUnit unit = AmplitudeUnit::Percent;
    bool inch : 1 = false;    // positions in 0.1 in rather than 0.1 mm
    bool twoGate : 1 = false; // the two-gate readout form
    // What its positions measure: the kind asked for in the one-gate form;
    // in the two-gate form, which holds gate A's position only, the kind its
    // path mode projects it to (the readout's ↓ → ↘).
    OverviewPosition positionKind = OverviewPosition::Path;
    int8_t readoutMode = 0; // the readout mode m of its parameters
};
static_assert(sizeof(OverviewRecord) == 48);

// The least and greatest of some values; empty while none was added.
struct ValueRange {
    int32_t low = std::numeric_limits<int32_t>::max();
    int32_t high = std::numeric_limits<int32_t>::min();
    void add(int32_t v) {
        low = v < low ? v : low;
        high = v > high ? v : high;
    }
    void add(const ValueRange& r) {
        low = r.low < low ? r.low : low;
        high = r.high > high ? r.high : high;
    }
    bool empty() const { return low > high; }
    bool operator==(const ValueRange&) const = default;
};

// What a real frame can hold, in tenths; a value outside is damage (a
// damaged record, a foreign file), not a measurement: it must not set the
// scale of a strip, and the list marks an indication that shows it.
namespace plausible {
// The amplitude samples are bytes in units of 0.5 % of screen height: no
// echo the instrument measures lies below 0 % or above 255 x 0.5 = 127.5 %.
inline constexpr int32_t kPercentLow = 0, kPercentHigh = 1275;
// A dB readout compares the echo's height with the selected line's at the
// same place: both are heights of 1..255 sample units, at most
// 20 log10(255) = 48.1 dB apart either way, and the line the readout selects
// (a rejection, sizing or evaluation line of the DAC family) lies a few tens
// of dB from the curve. 100.0 dB either way leaves room for both; a value
// beyond it would be an echo 100 000 times the line's height, or as small.
inline constexpr int32_t kDbLow = -1000, kDbHigh = 1000;
// Positions (sound path, surface distance, depth) are lengths within the
// screen's range along the sound path. A flaw detector of this kind shows a
// few metres of steel at most; 10 m (400 in) either way is beyond any range
// it offers, so a longer position cannot have been measured on its screen.
inline constexpr int32_t kMmLimit = 100000, kInchLimit = 4000;
} // namespace plausible

// The amplitudes and positions (tenths of their unit) a real frame can hold,
// and whether a value is one of them.
ValueRange plausibleAmplitudes(AmplitudeUnit unit);
ValueRange plausiblePositions(bool inch);
bool plausibleAmplitude(AmplitudeUnit unit, int64_t tenths);
bool plausiblePosition(bool inch, int64_t tenths);

// Values of one kind beyond what a real frame can hold (see plausible):
// whether some lie above the plausible range and whether some lie below.
struct Beyond {
    bool above = false, below = false;
    void add(const Beyond& b) {
        above = above || b.above;
        below = below || b.below;
    }
    bool operator==(const Beyond&) const = default;
};

// What a run of shown frames holds, as the strips draw it: the ranges of its
// plausible % and dB amplitudes and positions, whether any lie beyond those
// ranges, the ranges of the thresholds in force over its % and its dB frames
// (a threshold beyond 32 bits counts as the nearest 32-bit value), and
// whether an indication reaches into it.
struct FrameRunSummary {
    ValueRange percent, db, position, percentThreshold, dbThreshold;
    Beyond percentBeyond, dbBeyond, positionBeyond;
    bool indication = false;
    bool operator==(const FrameRunSummary&) const = default;
};

// The block summaries behind EchoOverview::summarize.
struct OverviewPyramids {
    struct Frames { // of the shown frames: fixed once computed
        ValueRange percent, db, position;
        Beyond percentBeyond, dbBeyond, positionBeyond;
        void add(const Frames& c) {
            percent.add(c.percent);
            db.add(c.db);
            position.add(c.position);
            percentBeyond.add(c.percentBeyond);
            dbBeyond.add(c.dbBeyond);
            positionBeyond.add(c.positionBeyond);
        }
    };
    struct Thresholds { // of the records: new with every threshold
        ValueRange percent, db;
        void add(const Thresholds& c) {
            percent.add(c.percent);
            db.add(c.db);
        }
    };
    BlockPyramid<Frames> frames;
    BlockPyramid<Thresholds> thresholds;
};

class OverviewProgress;

// The echo dynamics of a file: its shown frames' amplitudes and positions,
// its records with the thresholds in force, the indications found above
// them, and block summaries of all of it. The summaries always answer for
// what the overview holds: the frames are fixed once made, and thresholds
// and indications change only through applyThresholds, which summarizes
// them anew.
class EchoOverview {
public:
    EchoOverview() = default;
    // An overview of the given frames with the given indications, as they
    // are (an overview made by hand): records in file order with their
    // thresholds, a value of each kind per shown frame; noEcho may be
    // shorter (frames beyond it hold an echo). The summaries are built.
    EchoOverview(std::vector<OverviewRecord> records, std::vector<int32_t> amplitude,
                 std::vector<int32_t> position, std::vector<bool> noEcho,
                 std::vector<Indication> indications);
    // What a cancelled computation gives: nothing, and cancelled().
    static EchoOverview cancelledOverview();

    bool cancelled() const { return cancelled_; }
    const std::vector<OverviewRecord>& records() const { return records_; }
    // Tenths, by shown frame.
    const std::vector<int32_t>& amplitude() const { return amplitude_; }
    // Tenths of the length unit, by shown frame.
    const std::vector<int32_t>& position() const { return position_; }
    // Gate A's echo position as the frame's first value holds it (the sound
    // path in the one-gate form, the readout's kind in the two-gate form),
    // tenths of the length unit: what tells one echo from another along the
    // scan. The position strip's values where it shows the sound path.
    int32_t gatePosition(int64_t i) const {
        return (path_.empty() ? position_ : path_)[static_cast<size_t>(i)];
    }
    const std::vector<Indication>& indications() const { return indications_; }

    int64_t frameCount() const { return static_cast<int64_t>(amplitude_.size()); }
    // Whether gate A holds an echo at shown frame i. Without one the
    // instrument writes a sound path of 0 (value 0, in both readout forms),
    // and the amplitude value means nothing: against a curve it reads 0.0 dB,
    // which would pass for an echo at the curve. Such a frame is below every
    // threshold.
    bool hasEcho(int64_t i) const {
        return static_cast<size_t>(i) >= noEcho_.size() || !noEcho_[static_cast<size_t>(i)];
    }
    // The record entry that holds shown frame i.
    const OverviewRecord& recordOf(int64_t i) const;
    // Record number and frame number of shown frame i.
    int32_t recordNumber(int64_t i) const { return recordOf(i).record; }
    int32_t frameNumber(int64_t i) const {
        return static_cast<int32_t>(i - recordOf(i).firstFrame);
    }
    // The shown frame that is frame `frame` of record `record`, or -1 when the
    // overview does not hold it (a record missing from the index, a frame
    // stepping does not show).
    int64_t indexOf(int32_t record, int32_t frame) const;
    // Whether shown frame i holds values a real frame can (see plausible).
    bool plausibleAt(int64_t i) const;

    // Shown frames first .. last - 1 (first < last, both within the frames)
    // in summary: as a walk over each of them would find (summarizeByWalking),
    // in a few hundred steps however many frames the run holds.
    FrameRunSummary summarize(int64_t first, int64_t last) const;
    FrameRunSummary summarizeByWalking(int64_t first, int64_t last) const;
    // The records the walk found damaged as it decoded them (the rule of a
    // record's damage: RecordLayout::damage), in file order. The open names
    // only damaged records that carry a parameter block, since it decodes
    // no other; a record of frames only whose stream breaks off (decoded
    // short of its frames) is found here. Empty for an overview made by hand.
    const std::vector<DamagedRecord>& damagedRecords() const { return damaged_; }
    // The B-scan's block maxima, made in the walk that made the overview;
    // empty for an overview made by hand.
    const BscanSummaries& bscanSummaries() const { return bscan_; }
    // The bytes the overview holds (its vectors' capacities and the summaries).
    size_t memoryBytes() const;

    // New thresholds and merge gap: each record's threshold as
    // computeOverview sets it, and the indications found again. The
    // position kind needs a new computation.
    void applyThresholds(const OverviewSettings& settings);

private:
    friend EchoOverview computeOverview(const RecordQuery&, const OverviewSettings&,
                                        OverviewProgress*);
    void buildPyramids();
    void buildThresholdPyramid();
    FrameRunSummary summary(int64_t first, int64_t last, bool walk) const;

    bool cancelled_ = false;
    std::vector<OverviewRecord> records_;
    std::vector<int32_t> amplitude_;
    std::vector<int32_t> position_;
    std::vector<int32_t> path_; // gatePosition's, where position_ holds another kind
    std::vector<bool> noEcho_;
    std::vector<Indication> indications_;
    std::vector<DamagedRecord> damaged_;
    OverviewPyramids pyramids_;
    BscanSummaries bscan_;
};

// Progress of a computation, shared between the thread that computes and the
// one that watches: records walked so far of all, and a request to stop.
class OverviewProgress {
public:
    void cancel() { cancelled_.store(true, std::memory_order_relaxed); }
    bool cancelled() const { return cancelled_.load(std::memory_order_relaxed); }
    int64_t done() const { return done_.load(std::memory_order_relaxed); }
    int64_t total() const { return total_.load(std::memory_order_relaxed); }

    // For the computation.
    void start(int64_t total) {
        total_.store(total, std::memory_order_relaxed);
        done_.store(0, std::memory_order_relaxed);
    }
    void advance(int64_t records) { done_.fetch_add(records, std::memory_order_relaxed); }
    void finish() { done_.store(total(), std::memory_order_relaxed); }

private:
    std::atomic<bool> cancelled_{false};
    std::atomic<int64_t> done_{0}, total_{0};
};

// Walks every indexed record of the file the query has open, in file order
// (each block stays in force until the next, as in playback; all zero before
// the first), and builds the overview. A large file is read in pieces on two
// threads, each with a reader of its own, whichever thread is free taking
// the next piece (walkRecordsInPieces); each piece starts from the block in
// force at its first record, so the result is the one-thread one.
// The query itself is not touched. With `progress`, the records walked are
// counted there, and a cancel stops the walk soon after: the result is then
// empty with `cancelled` set.
EchoOverview computeOverview(const RecordQuery& query, const OverviewSettings& settings,
                             OverviewProgress* progress = nullptr);

// The runs at or above threshold of one unit, then merged across gaps of
// that unit (findRuns in runs.h).
std::vector<Indication> findIndications(const EchoOverview& overview, int64_t gap);

} // namespace vantrel
