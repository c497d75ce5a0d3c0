#include "echo_overview.h"

#include <algorithm>
#include <thread>

namespace vantrel {

const char* amplitudeUnitText(AmplitudeUnit unit) { return unit == AmplitudeUnit::Db ? "dB" : "%"; }

const char* lengthUnitText(bool inch) { return inch ? "in" : "mm"; }

const OverviewRecord& EchoOverview::recordOf(int64_t i) const {
    // The last record whose first shown frame is at or before i.
    auto it = std::upper_bound(records.begin(), records.end(), i,
                               [](int64_t v, const OverviewRecord& r) { return v < r.firstFrame; });
    return *(it - 1);
}

int64_t EchoOverview::indexOf(int32_t record, int32_t frame) const {
    auto it = std::lower_bound(records.begin(), records.end(), record,
                               [](const OverviewRecord& r, int32_t v) { return r.record < v; });
    if (it == records.end() || it->record != record || frame < 0 || frame >= it->frames) return -1;
    return it->firstFrame + frame;
}

namespace {

// The frames stepping and playback show of a record of `frames` frames.
int32_t shownFrames(int32_t frames) { return frames >= 2 ? frames - 1 : frames; }

int64_t thresholdOf(const OverviewRecord& rec, const OverviewSettings& settings) {
    return rec.unit == AmplitudeUnit::Db ? settings.dbThreshold
                                         : settings.percentThreshold.value_or(rec.gateLevel);
}

// The shown frames of records [from, to), read with `reader` from the block
// in force at `from`.
EchoOverview overviewPart(RecordQuery& reader, int32_t from, int32_t to,
                          const OverviewSettings& settings, OverviewProgress* progress) {
    EchoOverview o;
    if (from > 0) reader.loadParameterRecord(from);
    // Progress is told and the cancel looked at every so many records, so
    // the shared counter costs nothing against the decoding.
    constexpr int32_t kStride = 64;
    for (int32_t r = from; r < to; ++r) {
        if (progress && (r - from) % kStride == 0 && r > from) {
            progress->advance(kStride);
            if (progress->cancelled()) return {};
        }
        reader.loadRecord(r);
        const int32_t shown = shownFrames(reader.framesPerRecord());
        if (shown <= 0) continue;
        const InstrumentParams& p = reader.params();
        OverviewRecord rec;
        rec.record = r;
        rec.firstFrame = o.frameCount();
        rec.frames = shown;
        rec.unit = readoutMode(p) >= 1 ? AmplitudeUnit::Db : AmplitudeUnit::Percent;
        rec.gateLevel = int64_t{p.gateALevel()} * 5;
        rec.threshold = thresholdOf(rec, settings);
        rec.inch = p.inchUnits();
        o.records.push_back(rec);
        const bool twoGate = p.twoGateReadout();
        const size_t positionValue =
            twoGate ? 0 : static_cast<size_t>(settings.position); // path 0, surface 1, depth 2
        for (int32_t f = 0; f < shown; ++f) {
            const FrameValues v = reader.values(f);
            o.amplitude.push_back(twoGate ? v[1] : v[3]);
            o.position.push_back(v[positionValue]);
        }
    }
    return o;
}

// Below this many records a second thread costs more than it saves.
constexpr int32_t kRecordsForTwoThreads = 256;

} // namespace

EchoOverview computeOverview(const RecordQuery& query, const OverviewSettings& settings,
                             OverviewProgress* progress) {
    const int32_t records = static_cast<int32_t>(query.file().recordIndex().size());
    if (progress) progress->start(records);
    RecordQuery first, second;
    if (!first.openAlongside(query)) return {};
    const bool split = records >= kRecordsForTwoThreads && second.openAlongside(query);
    const int32_t middle = split ? records / 2 : records;
    EchoOverview tail;
    std::thread helper;
    if (split)
        helper =
            std::thread([&] { tail = overviewPart(second, middle, records, settings, progress); });
    EchoOverview o = overviewPart(first, 0, middle, settings, progress);
    if (helper.joinable()) helper.join();
    if (progress && progress->cancelled()) {
        EchoOverview none;
        none.cancelled = true;
        return none;
    }
    const int64_t offset = o.frameCount();
    for (OverviewRecord rec : tail.records) {
        rec.firstFrame += offset;
        o.records.push_back(rec);
    }
    o.amplitude.insert(o.amplitude.end(), tail.amplitude.begin(), tail.amplitude.end());
    o.position.insert(o.position.end(), tail.position.begin(), tail.position.end());
    o.indications = findIndications(o, settings.gap);
    if (progress) progress->finish();
    return o;
}

void applyThresholds(EchoOverview& o, const OverviewSettings& settings) {
    for (OverviewRecord& rec : o.records)
        rec.threshold = thresholdOf(rec, settings);
    o.indications = findIndications(o, settings.gap);
}

std::vector<Indication> findIndications(const EchoOverview& o, int64_t gap) {
    // Maximal runs of frames at or above their threshold, of one unit.
    std::vector<Indication> runs;
    std::vector<AmplitudeUnit> runUnits;
    bool open = false;
    for (const OverviewRecord& rec : o.records) {
        for (int64_t i = rec.firstFrame; i < rec.firstFrame + rec.frames; ++i) {
            const bool above = o.amplitude[static_cast<size_t>(i)] >= rec.threshold;
            if (open && above && runUnits.back() == rec.unit) {
                Indication& run = runs.back();
                run.end = i;
                if (o.amplitude[static_cast<size_t>(i)] >
                    o.amplitude[static_cast<size_t>(run.peak)])
                    run.peak = i;
                continue;
            }
            open = above;
            if (above) {
                runs.push_back({i, i, i});
                runUnits.push_back(rec.unit);
            }
        }
    }
    if (gap <= 0 || runs.empty()) return runs;

    // Whether every shown frame strictly between a and b has `unit`.
    auto allOfUnit = [&](int64_t a, int64_t b, AmplitudeUnit unit) {
        for (int64_t i = a + 1; i < b;) {
            const OverviewRecord& rec = o.recordOf(i);
            if (rec.unit != unit) return false;
            i = rec.firstFrame + rec.frames;
        }
        return true;
    };
    std::vector<Indication> merged;
    merged.push_back(runs[0]);
    AmplitudeUnit unit = runUnits[0];
    for (size_t k = 1; k < runs.size(); ++k) {
        Indication& last = merged.back();
        const Indication& next = runs[k];
        if (runUnits[k] == unit && next.start - last.end - 1 <= gap &&
            allOfUnit(last.end, next.start, unit)) {
            last.end = next.end;
            if (o.amplitude[static_cast<size_t>(next.peak)] >
                o.amplitude[static_cast<size_t>(last.peak)])
                last.peak = next.peak;
            continue;
        }
        merged.push_back(next);
        unit = runUnits[k];
    }
    return merged;
}

} // namespace vantrel
