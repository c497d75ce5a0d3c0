#include "analysis/indication_table.h"

#include "display/display_text.h"
#include "recordfile/gbk_text.h"
#include "viewer/frame_place.h"

namespace vantrel {

namespace {

// The readouts' symbol of a position kind (↘ → ↓), in UTF-8.
const std::string& kindSymbol(OverviewPosition kind) {
    static const std::string path = gbkToUtf8(symbol::kSoundPath),
                             surface = gbkToUtf8(symbol::kSurface),
                             depth = gbkToUtf8(symbol::kDepth);
    switch (kind) {
    case OverviewPosition::Surface: return surface;
    case OverviewPosition::Depth: return depth;
    case OverviewPosition::Path: break;
    }
    return path;
}

} // namespace

std::string framePlace(const EchoOverview& o, int64_t i) {
    return placeText({o.recordNumber(i), o.frameNumber(i)});
}

IndicationTexts frameTexts(const EchoOverview& o, int64_t i) {
    const OverviewRecord& rec = o.recordOf(i);
    const int32_t amplitude = o.amplitude()[static_cast<size_t>(i)];
    const int32_t position = o.position()[static_cast<size_t>(i)];
    IndicationTexts t;
    t.amplitude = (rec.unit == AmplitudeUnit::Db && amplitude > 0 ? "+" : "") + tenths(amplitude) +
                  amplitudeUnitText(rec.unit);
    t.position = kindSymbol(rec.positionKind) + tenths(position) + lengthUnitText(rec.inch);
    t.amplitudeBeyond = !plausibleAmplitude(rec.unit, amplitude);
    t.positionBeyond = !plausiblePosition(rec.inch, position);
    return t;
}

IndicationTexts indicationTexts(const EchoOverview& o, const Indication& d) {
    IndicationTexts t = frameTexts(o, d.peak);
    t.start = framePlace(o, d.start);
    t.end = framePlace(o, d.end);
    t.frames = std::to_string(d.frames());
    return t;
}

std::string indicationsCsvComment(const std::string& recording, const OverviewSettings& s) {
    return "# recording: " + recording + "; position: " + positionKindText(s.position) +
           "; threshold %: " + (s.percentThreshold ? tenths(*s.percentThreshold) : "gate A level") +
           "; threshold dB: " + tenths(s.dbThreshold) + "; gap: " + std::to_string(s.gap) + "\r\n";
}

std::string indicationsCsvName(const std::string& recordingPath) {
    const size_t dot = recordingPath.find_last_of('.');
    const size_t slash = recordingPath.find_last_of('/');
    const bool extension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (extension ? recordingPath.substr(0, dot) : recordingPath) + "_indications.csv";
}

std::string indicationsCsv(const EchoOverview& o) {
    std::string csv = "indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,"
                      "peakFrame,amplitude,unit,position,positionUnit,positionKind,plausible\r\n";
    for (size_t k = 0; k < o.indications().size(); ++k) {
        const Indication& d = o.indications()[k];
        const OverviewRecord& peak = o.recordOf(d.peak);
        auto place = [&](int64_t i) {
            return std::to_string(o.recordNumber(i)) + ',' + std::to_string(o.frameNumber(i)) + ',';
        };
        csv +=
            std::to_string(k) + ',' + place(d.start) + place(d.end) + std::to_string(d.frames()) +
            ',' + place(d.peak) + tenths(o.amplitude()[static_cast<size_t>(d.peak)]) + ',' +
            amplitudeUnitText(peak.unit) + ',' + tenths(o.position()[static_cast<size_t>(d.peak)]) +
            ',' + lengthUnitText(peak.inch) + ',' + positionKindText(peak.positionKind) + ',' +
            (o.plausibleAt(d.peak) ? "yes" : "no") + "\r\n";
    }
    return csv;
}

} // namespace vantrel
