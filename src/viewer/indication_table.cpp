#include "indication_table.h"

#include "display_text.h"

namespace vantrel {

namespace {

std::string place(const EchoOverview& o, int64_t i) {
    return std::to_string(o.recordNumber(i)) + ':' + std::to_string(o.frameNumber(i));
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
    t.position = tenths(o.position[static_cast<size_t>(d.peak)]) + lengthUnitText(peak.inch);
    return t;
}

std::string indicationsCsv(const EchoOverview& o) {
    std::string csv = "indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,"
                      "peakFrame,amplitude,unit,position,positionUnit\r\n";
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
            ',' + lengthUnitText(peak.inch) + "\r\n";
    }
    return csv;
}

} // namespace vantrel
