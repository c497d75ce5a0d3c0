#include "indication_table.h"

#include "display_text.h"

namespace vantrel {

namespace {

std::string place(const EchoOverview& o, int64_t i) {
    return std::to_string(o.recordNumber(i)) + ':' + std::to_string(o.frameNumber(i));
}

// The readouts' symbol of a position kind, in UTF-8.
const char* kindSymbol(OverviewPosition kind) {
    switch (kind) {
    case OverviewPosition::Surface: return "\u2192"; // →
    case OverviewPosition::Depth: return "\u2193";   // ↓
    case OverviewPosition::Path: break;
    }
    return "\u2198"; // ↘
}

bool plausiblePeak(const EchoOverview& o, const Indication& d) {
    const OverviewRecord& peak = o.recordOf(d.peak);
    return plausibleAmplitude(peak.unit, o.amplitude[static_cast<size_t>(d.peak)]) &&
           plausiblePosition(peak.inch, o.position[static_cast<size_t>(d.peak)]);
}

} // namespace

IndicationTexts indicationTexts(const EchoOverview& o, const Indication& d) {
    const OverviewRecord& peak = o.recordOf(d.peak);
    const int32_t amplitude = o.amplitude[static_cast<size_t>(d.peak)];
    IndicationTexts t;
    t.start = place(o, d.start);
    t.end = place(o, d.end);
    t.frames = std::to_string(d.frames());
    t.amplitude = (peak.unit == AmplitudeUnit::Db && amplitude > 0 ? "+" : "") + tenths(amplitude) +
                  amplitudeUnitText(peak.unit);
    t.position = kindSymbol(peak.positionKind) + tenths(o.position[static_cast<size_t>(d.peak)]) +
                 lengthUnitText(peak.inch);
    t.amplitudeBeyond = !plausibleAmplitude(peak.unit, amplitude);
    t.positionBeyond = !plausiblePosition(peak.inch, o.position[static_cast<size_t>(d.peak)]);
    return t;
}

std::string indicationsCsv(const EchoOverview& o) {
    std::string csv = "indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,"
                      "peakFrame,amplitude,unit,position,positionUnit,positionKind,plausible\r\n";
    for (size_t k = 0; k < o.indications.size(); ++k) {
        const Indication& d = o.indications[k];
        const OverviewRecord& peak = o.recordOf(d.peak);
        auto place = [&](int64_t i) {
            return std::to_string(o.recordNumber(i)) + ',' + std::to_string(o.frameNumber(i)) + ',';
        };
        csv +=
            std::to_string(k) + ',' + place(d.start) + place(d.end) + std::to_string(d.frames()) +
            ',' + place(d.peak) + tenths(o.amplitude[static_cast<size_t>(d.peak)]) + ',' +
            amplitudeUnitText(peak.unit) + ',' + tenths(o.position[static_cast<size_t>(d.peak)]) +
            ',' + lengthUnitText(peak.inch) + ',' + positionKindText(peak.positionKind) + ',' +
            (plausiblePeak(o, d) ? "yes" : "no") + "\r\n";
    }
    return csv;
}

} // namespace vantrel
