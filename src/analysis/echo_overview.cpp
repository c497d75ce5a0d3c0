#include "analysis/echo_overview.h"

#include <algorithm>
#include <limits>

#include "analysis/runs.h"
#include "viewer/record_walk.h"

namespace vantrel {

const char* amplitudeUnitText(AmplitudeUnit unit) { return unit == AmplitudeUnit::Db ? "dB" : "%"; }

const char* lengthUnitText(bool inch) { return inch ? "in" : "mm"; }

const char* positionKindText(OverviewPosition kind) {
    switch (kind) {
    case OverviewPosition::Surface: return "surface";
    case OverviewPosition::Depth: return "depth";
    case OverviewPosition::Path: break;
    }
    return "path";
}

std::optional<OverviewPosition> positionKindOfText(std::string_view text) {
    for (const OverviewPosition kind :
         {OverviewPosition::Path, OverviewPosition::Surface, OverviewPosition::Depth})
        if (text == positionKindText(kind)) return kind;
    return std::nullopt;
}

ValueRange plausibleAmplitudes(AmplitudeUnit unit) {
    return unit == AmplitudeUnit::Db ? ValueRange{plausible::kDbLow, plausible::kDbHigh}
                                     : ValueRange{plausible::kPercentLow, plausible::kPercentHigh};
}

ValueRange plausiblePositions(bool inch) {
    const int32_t limit = inch ? plausible::kInchLimit : plausible::kMmLimit;
    return {-limit, limit};
}

namespace {
bool within(const ValueRange& r, int64_t v) { return r.low <= v && v <= r.high; }
} // namespace

bool plausibleAmplitude(AmplitudeUnit unit, int64_t tenths) {
    return within(plausibleAmplitudes(unit), tenths);
}

bool plausiblePosition(bool inch, int64_t tenths) {
    return within(plausiblePositions(inch), tenths);
}

const OverviewRecord& EchoOverview::recordOf(int64_t i) const {
    // The last record whose first shown frame is at or before i.
    auto it = std::upper_bound(records_.begin(), records_.end(), i,
                               [](int64_t v, const OverviewRecord& r) { return v < r.firstFrame; });
    return *(it - 1);
}

bool EchoOverview::plausibleAt(int64_t i) const {
    const OverviewRecord& rec = recordOf(i);
    return plausibleAmplitude(rec.unit, amplitude_[static_cast<size_t>(i)]) &&
           plausiblePosition(rec.inch, position_[static_cast<size_t>(i)]);
}

int64_t EchoOverview::indexOf(int32_t record, int32_t frame) const {
    auto it = std::lower_bound(records_.begin(), records_.end(), record,
                               [](const OverviewRecord& r, int32_t v) { return r.record < v; });
    if (it == records_.end() || it->record != record || frame < 0 || frame >= it->frames) return -1;
    return it->firstFrame + frame;
}

namespace {

int64_t thresholdOf(const OverviewRecord& rec, const OverviewSettings& settings) {
    return rec.unit == AmplitudeUnit::Db ? settings.dbThreshold
                                         : settings.percentThreshold.value_or(rec.gateLevel);
}

// The overview's part of one piece of the walk.
struct OverviewPiece {
    std::vector<OverviewRecord> records; // firstFrame counted from the piece's first frame
    std::vector<int32_t> amplitude, position, path;
    std::vector<bool> noEcho;
    std::vector<BscanCells> bscan;       // each record's B-scan maxima
    std::vector<BscanGeometry> geometry; // and where its parameters put them
    std::vector<DamagedRecord> damaged;
    int32_t walked = 0;
};

// Adds what record `r`, in `reader`'s buffer, gives the overview.
void addRecord(OverviewPiece& piece, const RecordQuery& reader, int32_t r,
               const OverviewSettings& settings) {
    if (const RecordDamage damage = reader.layout().damage; damage != RecordDamage::None)
        piece.damaged.push_back(
            {r, reader.file().recordIndex()[static_cast<size_t>(r)].fileOffset, damage});
    const int32_t shown = shownFrames(reader.framesPerRecord());
    if (shown <= 0) return;
    const InstrumentParams& p = reader.params();
    OverviewRecord rec;
    rec.record = r;
    rec.firstFrame = static_cast<int64_t>(piece.amplitude.size());
    rec.frames = shown;
    rec.unit = readoutMode(p) >= 1 ? AmplitudeUnit::Db : AmplitudeUnit::Percent;
    rec.gateLevel = int32_t{p.gateALevel()} * 5;
    rec.threshold = thresholdOf(rec, settings);
    rec.inch = p.inchUnits();
    const bool twoGate = p.twoGateReadout();
    rec.twoGate = twoGate;
    // The two-gate form holds gate A's position only (value 0), projected as
    // its readout shows it: path mode 0 depth, 1 surface distance, 2 and 3
    // sound path. The one-gate form holds all three (values 0, 1, 2: path,
    // surface, depth) and gives the one asked for.
    static constexpr OverviewPosition kTwoGateKind[4] = {
        OverviewPosition::Depth, OverviewPosition::Surface, OverviewPosition::Path,
        OverviewPosition::Path};
    rec.positionKind = twoGate ? kTwoGateKind[p.pathMode() & 3] : settings.position;
    const int mode = readoutMode(p);
    rec.readoutMode = static_cast<int8_t>(std::clamp(mode, -1, 127));
    const int32_t g1 = p.gainTable(1);
    rec.readoutLine = mode >= 0 && mode <= 7 ? p.gainTable(mode) - g1 : 0;
    rec.rl = p.gainTable(2) - g1;
    rec.sl = p.gainTable(3) - g1;
    rec.el = p.gainTable(4) - g1;
    piece.records.push_back(rec);
    const size_t positionValue = twoGate ? 0 : static_cast<size_t>(settings.position);
    for (int32_t f = 0; f < shown; ++f) {
        const FrameValues v = reader.values(f);
        piece.amplitude.push_back(twoGate ? v[1] : v[3]);
        piece.position.push_back(v[positionValue]);
        if (settings.position != OverviewPosition::Path) piece.path.push_back(v[0]);
        piece.noEcho.push_back(v[0] == 0);
    }
    if (!settings.bscan) return;
    BscanCells& maxima = piece.bscan.emplace_back();
    for (int32_t f = 0; f < shown; ++f)
        bscanMaxInto(maxima, reader.frame(f).data());
    BscanGeometry& g = piece.geometry.emplace_back();
    g.range = p.range();
    g.delayProduct = static_cast<uint32_t>(p.velocity()) * p.delay();
    g.gateAStart = p.gateAStart();
    g.gateAWidth = p.gateAWidth();
    g.gateBStart = p.gateBStart();
    g.gateBWidth = p.gateBWidth();
    g.gateB = p.gateBLevel() > 3;
    g.inch = p.inchUnits();
}

// Appends `from` to `to`, and on the first append makes room for about as
// many elements per record in the rest of the file as the first piece had:
// the vectors of a long file then grow once, not by doubling (which would
// hold the old and the new copy at once).
template <class T>
void appendPiece(std::vector<T>& to, const std::vector<T>& from, int64_t recordsSoFar,
                 int64_t records) {
    if (to.empty() && recordsSoFar > 0 && recordsSoFar < records)
        to.reserve(
            std::max(from.size(), static_cast<size_t>(static_cast<double>(from.size()) *
                                                      static_cast<double>(records) /
                                                      static_cast<double>(recordsSoFar) * 1.01)));
    to.insert(to.end(), from.begin(), from.end());
}

// A vector whose capacity is well beyond its size gives the rest back.
template <class T> void trim(std::vector<T>& v) {
    if (v.capacity() - v.size() > v.size() / 16) v.shrink_to_fit();
}

} // namespace

EchoOverview computeOverview(const RecordQuery& query, const OverviewSettings& settings,
                             OverviewProgress* progress) {
    const int64_t records = static_cast<int64_t>(query.file().recordIndex().size());
    if (progress) progress->start(records);
    // Progress is told and the cancel looked at every so many records, so
    // the shared counter costs nothing against the decoding.
    constexpr int32_t kStride = 64;
    EchoOverview o;
    int64_t walked = 0;
    const bool complete = walkRecordsInPieces<OverviewPiece>(
        query,
        [&](int, OverviewPiece& piece, const RecordQuery& reader, int32_t r) {
            if (++piece.walked % kStride == 0 && progress) {
                progress->advance(kStride);
                if (progress->cancelled()) return false;
            }
            addRecord(piece, reader, r, settings);
            return true;
        },
        [&](OverviewPiece&& piece) {
            const int64_t offset = o.frameCount();
            for (size_t k = 0; k < piece.records.size(); ++k) {
                OverviewRecord& rec = piece.records[k];
                rec.firstFrame += offset;
                if (settings.bscan)
                    o.bscan_.addRecord(rec.firstFrame, rec.frames, piece.bscan[k],
                                       piece.geometry[k]);
            }
            walked += piece.walked;
            o.damaged_.insert(o.damaged_.end(), piece.damaged.begin(), piece.damaged.end());
            appendPiece(o.records_, piece.records, walked, records);
            appendPiece(o.amplitude_, piece.amplitude, walked, records);
            appendPiece(o.position_, piece.position, walked, records);
            appendPiece(o.path_, piece.path, walked, records);
            appendPiece(o.noEcho_, piece.noEcho, walked, records);
            return true;
        });
    if (progress && progress->cancelled()) return EchoOverview::cancelledOverview();
    if (!complete) return {}; // the file could not be opened again for the walk
    trim(o.records_);
    trim(o.amplitude_);
    trim(o.position_);
    trim(o.path_);
    trim(o.noEcho_);
    o.bscan_.finish(o.frameCount());
    o.indications_ = findIndications(o, settings.gap);
    o.buildPyramids();
    if (progress) progress->finish();
    return o;
}

namespace {

int32_t clamped(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Adds shown frames [first, last) to `cell`, a record at a time.
void addFrames(const EchoOverview& o, int64_t first, int64_t last, OverviewPyramids::Frames& cell) {
    auto rec =
        std::upper_bound(o.records().begin(), o.records().end(), first,
                         [](int64_t v, const OverviewRecord& r) { return v < r.firstFrame; }) -
        1;
    // A value a real frame cannot hold is only noted as beyond the range, so
    // that one damaged frame does not set the scale of a whole strip.
    auto add = [](ValueRange& range, Beyond& beyond, const ValueRange& plausible, int32_t v) {
        if (v > plausible.high)
            beyond.above = true;
        else if (v < plausible.low)
            beyond.below = true;
        else
            range.add(v);
    };
    for (int64_t i = first; i < last; ++rec) {
        const int64_t end = std::min(last, rec->firstFrame + rec->frames);
        const bool db = rec->unit == AmplitudeUnit::Db;
        ValueRange& amplitude = db ? cell.db : cell.percent;
        Beyond& amplitudeBeyond = db ? cell.dbBeyond : cell.percentBeyond;
        const ValueRange amplitudes = plausibleAmplitudes(rec->unit);
        const ValueRange positions = plausiblePositions(rec->inch);
        for (; i < end; ++i) {
            add(amplitude, amplitudeBeyond, amplitudes, o.amplitude()[static_cast<size_t>(i)]);
            add(cell.position, cell.positionBeyond, positions,
                o.position()[static_cast<size_t>(i)]);
        }
    }
}

// Adds the thresholds of records [first, last) (entries of o.records) to `cell`.
void addThresholds(const EchoOverview& o, int64_t first, int64_t last,
                   OverviewPyramids::Thresholds& cell) {
    for (int64_t k = first; k < last; ++k) {
        const OverviewRecord& rec = o.records()[static_cast<size_t>(k)];
        (rec.unit == AmplitudeUnit::Db ? cell.db : cell.percent).add(clamped(rec.threshold));
    }
}

} // namespace

EchoOverview::EchoOverview(std::vector<OverviewRecord> records, std::vector<int32_t> amplitude,
                           std::vector<int32_t> position, std::vector<bool> noEcho,
                           std::vector<Indication> indications)
    : records_(std::move(records)), amplitude_(std::move(amplitude)),
      position_(std::move(position)), noEcho_(std::move(noEcho)),
      indications_(std::move(indications)) {
    buildPyramids();
}

EchoOverview EchoOverview::cancelledOverview() {
    EchoOverview none;
    none.cancelled_ = true;
    return none;
}

void EchoOverview::buildThresholdPyramid() {
    pyramids_.thresholds.build(
        static_cast<int64_t>(records_.size()),
        [&](int64_t first, int64_t last, auto& cell) { addThresholds(*this, first, last, cell); });
}

void EchoOverview::buildPyramids() {
    pyramids_.frames.build(frameCount(), [&](int64_t first, int64_t last, auto& cell) {
        addFrames(*this, first, last, cell);
    });
    buildThresholdPyramid();
}

FrameRunSummary EchoOverview::summarize(int64_t first, int64_t last) const {
    return summary(first, last, false);
}

FrameRunSummary EchoOverview::summarizeByWalking(int64_t first, int64_t last) const {
    return summary(first, last, true);
}

namespace {

// The summary of items first .. last - 1 from `pyramid`, or by adding each
// item with `add` when walking.
template <class Cell, class Add>
Cell gather(const BlockPyramid<Cell>& pyramid, bool walk, int64_t first, int64_t last, Add add) {
    Cell cell;
    if (walk)
        add(first, last, cell);
    else
        pyramid.query(first, last, cell, add);
    return cell;
}

} // namespace

FrameRunSummary EchoOverview::summary(int64_t first, int64_t last, bool walk) const {
    FrameRunSummary s;
    const OverviewPyramids::Frames frames =
        gather(pyramids_.frames, walk, first, last,
               [&](int64_t a, int64_t b, OverviewPyramids::Frames& cell) {
                   addFrames(*this, a, b, cell);
               });
    s.percent = frames.percent;
    s.db = frames.db;
    s.position = frames.position;
    s.percentBeyond = frames.percentBeyond;
    s.dbBeyond = frames.dbBeyond;
    s.positionBeyond = frames.positionBeyond;

    // Every record that holds one of the frames holds its threshold there.
    auto index = [&](int64_t frame) {
        return static_cast<int64_t>(&recordOf(frame) - records_.data());
    };
    const int64_t firstRecord = index(first), lastRecord = index(last - 1) + 1;
    const OverviewPyramids::Thresholds thresholds =
        gather(pyramids_.thresholds, walk, firstRecord, lastRecord,
               [&](int64_t a, int64_t b, OverviewPyramids::Thresholds& cell) {
                   addThresholds(*this, a, b, cell);
               });
    s.percentThreshold = thresholds.percent;
    s.dbThreshold = thresholds.db;

    // The indications are in order and apart: the first that ends at or
    // after `first` is the only one that may reach into the run.
    const auto it = std::lower_bound(indications_.begin(), indications_.end(), first,
                                     [](const Indication& d, int64_t v) { return d.end < v; });
    s.indication = it != indications_.end() && it->start < last;
    return s;
}

size_t EchoOverview::memoryBytes() const {
    return records_.capacity() * sizeof(OverviewRecord) +
           (amplitude_.capacity() + position_.capacity() + path_.capacity()) * sizeof(int32_t) +
           noEcho_.capacity() / 8 + indications_.capacity() * sizeof(Indication) +
           damaged_.capacity() * sizeof(DamagedRecord) + pyramids_.frames.bytes() +
           pyramids_.thresholds.bytes() + bscan_.bytes();
}

void EchoOverview::applyThresholds(const OverviewSettings& settings) {
    for (OverviewRecord& rec : records_)
        rec.threshold = thresholdOf(rec, settings);
    indications_ = findIndications(*this, settings.gap);
    buildThresholdPyramid();
}

std::vector<Indication> findIndications(const EchoOverview& o, int64_t gap) {
    // Frames with an echo at or above their threshold; runs of one unit,
    // merged across frames of that unit only.
    return findRuns(
        o.records(), gap, [](const OverviewRecord& rec) { return rec.unit; },
        [&](const OverviewRecord& rec, int64_t i) -> std::optional<int64_t> {
            const int32_t a = o.amplitude()[static_cast<size_t>(i)];
            if (!o.hasEcho(i) || a < rec.threshold) return std::nullopt;
            return a;
        });
}

} // namespace vantrel
