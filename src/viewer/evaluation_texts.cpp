#include "evaluation_texts.h"

#include "display_text.h"
#include "indication_table.h"

namespace vantrel {

PeakPositions peakPositions(const EchoOverview& o, RecordQuery& reader, int64_t i) {
    const OverviewRecord& rec = o.recordOf(i);
    reader.loadParameterRecord(rec.record);
    reader.loadRecord(rec.record);
    const FrameValues v = reader.values(o.frameNumber(i));
    PeakPositions p;
    p.path = v[0];
    if (!reader.params().twoGateReadout()) { // two gates hold gate A's path only
        p.surface = v[1];
        p.depth = v[2];
    }
    p.unit = lengthUnitText(rec.inch);
    return p;
}

std::string lengthText(int64_t frames, const std::optional<Travel>& travel,
                       const std::string& framesUnit) {
    return travel ? tenths(travel->tenthsOfMm(frames)) + "mm" : std::to_string(frames) + framesUnit;
}

EvaluatedTexts evaluatedTexts(const EchoOverview& o, const EvaluatedIndication& d,
                              const PeakPositions& at, const std::optional<Travel>& travel,
                              const std::string& framesUnit) {
    EvaluatedTexts t;
    t.start = framePlace(o, d.start);
    t.end = framePlace(o, d.end);
    t.frames = std::to_string(d.frames());
    t.peak = framePlace(o, d.peak);
    t.zone = zoneText(d.zone);
    t.sl = std::string("SL") + (d.aboveSl() >= 0 ? "+" : "") + tenths(d.aboveSl()) + "dB";
    auto length = [&](const std::optional<int64_t>& v) {
        return v ? tenths(*v) + at.unit : std::string();
    };
    t.depth = length(at.depth);
    t.surface = length(at.surface);
    t.drop6Length = lengthText(d.drop6Frames(), travel, framesUnit);
    t.elLength = lengthText(d.frames(), travel, framesUnit);
    return t;
}

} // namespace vantrel
