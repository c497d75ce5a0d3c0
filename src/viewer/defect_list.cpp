#include "defect_list.h"

#include "display_text.h"
#include "indication_table.h"

namespace vantrel {

PeakPositions peakPositions(const EchoOverview& o, RecordQuery& reader, int64_t peak) {
    const OverviewRecord& rec = o.recordOf(peak);
    reader.loadParameterRecord(rec.record);
    reader.loadRecord(rec.record);
    const FrameValues v = reader.values(o.frameNumber(peak));
    PeakPositions p;
    p.path = v[0];
    if (!reader.params().twoGateReadout()) { // two gates hold gate A's path only
        p.surface = v[1];
        p.depth = v[2];
    }
    p.unit = lengthUnitText(rec.inch);
    return p;
}

std::string aboveSlText(const EvaluatedIndication& d) {
    const int64_t v = d.aboveSl();
    return std::string("SL") + (v > 0 ? "+" : v == 0 ? "\u00B1" : "") + tenths(v) + "dB";
}

std::string lengthText(int64_t frames, const std::optional<Travel>& travel, const char* method,
                       const DefectListWords& words) {
    const std::string length = travel ? tenths(travel->tenthsOfMm(frames)) + " mm"
                                      : std::to_string(frames) + " " + words.frames;
    return length + " (" + method + ")";
}

std::string zoneRemarkText(const EvaluatedIndication& d, const DefectListWords& words) {
    std::string zone = words.zone;
    if (const size_t at = zone.find("{}"); at != std::string::npos)
        zone.replace(at, 2, zoneText(d.zone));
    return zone + " " + aboveSlText(d);
}

DefectRow defectRow(const EchoOverview& o, const Evaluation& evaluation, size_t k,
                    const PeakPositions& at, const std::optional<Travel>& travel,
                    const IndicationDecision* decision, const DefectListWords& words) {
    const EvaluatedIndication& d = evaluation.indications()[k];
    auto withUnit = [](const std::optional<int64_t>& v, const std::string& unit) {
        return v ? tenths(*v) + " " + unit : std::string();
    };
    DefectRow row;
    row.indication = k;
    row.number = std::to_string(k + 1);
    row.span = framePlace(o, d.start) + "\u2013" + framePlace(o, d.end);
    row.peak = framePlace(o, d.peak);
    row.aboveSl = aboveSlText(d);
    row.zone = zoneText(d.zone);
    row.depth = withUnit(at.depth, at.unit);
    row.surface = withUnit(at.surface, at.unit);
    row.length6dB = lengthText(d.drop6Frames(), travel, "6 dB", words);
    row.lengthEl = lengthText(d.frames(), travel, "EL", words);
    if (decision) {
        row.nature = decision->nature;
        row.grade = decision->grade;
        row.remark = decision->remark;
    }
    return row;
}

const IndicationDecision* decisionOf(const EchoOverview& o, const Inspection& inspection,
                                     const EvaluatedIndication& d) {
    auto place = [&](int64_t i) { return FramePlace{o.recordNumber(i), o.frameNumber(i)}; };
    return inspection.decisionFor(place(d.start), place(d.end));
}

DefectList defectList(const EchoOverview& o, const Evaluation& evaluation,
                      const Inspection& inspection, RecordQuery& reader,
                      const DefectListWords& words) {
    DefectList list;
    list.evaluated = evaluation.indications().size();
    list.calibration = inspection.travel;
    list.travel = travelOf(inspection.travel, o);
    list.cells = inspection.reportCells;
    for (size_t k = 0; k < evaluation.indications().size(); ++k) {
        const EvaluatedIndication& d = evaluation.indications()[k];
        const IndicationDecision* decision = decisionOf(o, inspection, d);
        if (decision && !decision->reported) continue;
        list.rows.push_back(defectRow(o, evaluation, k, peakPositions(o, reader, d.peak),
                                      list.travel, decision, words));
    }
    return list;
}

} // namespace vantrel
