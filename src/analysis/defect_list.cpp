#include "analysis/defect_list.h"

#include <algorithm>

#include "analysis/bscan.h"
#include "analysis/indication_table.h"
#include "display/display_text.h"

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
    row.number = std::to_string(k); // as vantrel-inspect evaluate numbers it
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

DefectRow manualDefectRow(const EchoOverview& o, const IndicationDecision& d, size_t j,
                          size_t number, const std::optional<Travel>& travel,
                          const DefectListWords& words) {
    DefectRow row;
    row.indication = j;
    row.manual = true;
    row.number = std::to_string(number);
    row.span = placeText(d.start) + "\u2013" + placeText(d.end);
    row.peak = placeText(d.peak.value_or(d.start));
    row.zone = words.manual;
    const int64_t first = o.indexOf(d.start.record, d.start.frame);
    const int64_t last = o.indexOf(d.end.record, d.end.frame);
    if (first >= 0 && last >= first) {
        row.length6dB = lengthText(last - first + 1, travel, words.manual.c_str(), words);
        row.lengthEl = row.length6dB;
    }
    row.nature = d.nature;
    row.grade = d.grade;
    row.remark = d.remark;
    return row;
}

int64_t manualPeak(const EchoOverview& o, int64_t first, int64_t last, RecordQuery* reader) {
    const int64_t middle = first + (last - first) / 2;
    const BscanSummaries& s = o.bscanSummaries();
    if (!reader || s.empty() || first < 0 || last < first || last >= o.frameCount()) return middle;
    if (o.recordNumber(last) - o.recordNumber(first) >= kBscanMostRecordsRead) return middle;
    // One column a frame: each frame's own samples.
    const int64_t n = last - first + 1;
    const std::vector<BscanColumn> columns =
        bscanByReading(o, *reader, first, last, static_cast<int>(n));
    int64_t peak = middle;
    uint8_t best = 0;
    for (int64_t i = first; i <= last; ++i) {
        const BscanCells& cells = columns[static_cast<size_t>(i - first)].cells;
        const BscanGeometry& g = s.geometryAt(i);
        auto largest = [&](int start, int width) {
            const int a = std::clamp(start, 0, kBscanRows);
            const int b = std::clamp(start + width, a, kBscanRows);
            return a == b ? uint8_t{0} : *std::max_element(cells.begin() + a, cells.begin() + b);
        };
        uint8_t v = largest(g.gateAStart, g.gateAWidth);
        if (g.gateB) v = std::max(v, largest(g.gateBStart, g.gateBWidth));
        if (v > best) {
            best = v;
            peak = i;
        }
    }
    return peak;
}

std::optional<size_t> markManual(Inspection& inspection, const EchoOverview& o, int64_t first,
                                 int64_t last, RecordQuery* reader) {
    const int64_t count = o.frameCount();
    if (count <= 0) return std::nullopt;
    if (last < first) std::swap(first, last);
    first = std::clamp<int64_t>(first, 0, count - 1);
    last = std::clamp<int64_t>(last, 0, count - 1);
    auto place = [&](int64_t i) { return FramePlace{o.recordNumber(i), o.frameNumber(i)}; };
    IndicationDecision& d = inspection.decisions.emplace_back();
    d.start = place(first);
    d.end = place(last);
    d.peak = place(manualPeak(o, first, last, reader));
    d.manual = true;
    return inspection.decisions.size() - 1;
}

std::optional<size_t> manualDecisionIndex(const Inspection& inspection, size_t j) {
    for (size_t k = 0; k < inspection.decisions.size(); ++k)
        if (inspection.decisions[k].manual && j-- == 0) return k;
    return std::nullopt;
}

std::vector<Indication> manualRuns(const EchoOverview& o, const Inspection& inspection) {
    std::vector<Indication> runs;
    for (const IndicationDecision& d : inspection.decisions) {
        if (!d.manual) continue;
        const int64_t first = o.indexOf(d.start.record, d.start.frame);
        const int64_t last = o.indexOf(d.end.record, d.end.frame);
        if (first < 0 || last < first) continue;
        const FramePlace p = d.peak.value_or(d.start);
        const int64_t peak = o.indexOf(p.record, p.frame);
        runs.push_back({first, last, peak >= first && peak <= last ? peak : first});
    }
    return runs;
}

FramePlace decisionPeak(const Evaluation& evaluation, const IndicationDecision& decision) {
    if (decision.peak) return *decision.peak;
    const EchoOverview& o = evaluation.overview();
    const int64_t first = o.indexOf(decision.start.record, decision.start.frame);
    const int64_t last = o.indexOf(decision.end.record, decision.end.frame);
    if (first < 0 || last < first) return decision.start;
    int64_t peak = -1, best = 0;
    for (int64_t i = first; i <= last; ++i) {
        const OverviewRecord& rec = o.recordOf(i);
        if (!evaluation.evaluatedIn(rec, i)) continue;
        const int64_t a = evaluation.dacIn(rec, i);
        if (a >= rec.el && (peak < 0 || a > best)) {
            peak = i;
            best = a;
        }
    }
    if (peak < 0) return decision.start;
    return {o.recordNumber(peak), o.frameNumber(peak)};
}

DecisionMatch matchDecisions(const Evaluation& evaluation, const Inspection& inspection) {
    const EchoOverview& o = evaluation.overview();
    const auto& indications = evaluation.indications();
    DecisionMatch m;
    m.byIndication.assign(indications.size(), nullptr);
    for (const IndicationDecision& d : inspection.decisions) {
        if (d.manual) {
            m.manual.push_back(&d);
            continue;
        }
        const FramePlace peak = decisionPeak(evaluation, d);
        const int64_t i = o.indexOf(peak.record, peak.frame);
        const EvaluatedIndication* holder = i < 0 ? nullptr : evaluation.indicationAt(i);
        const IndicationDecision** slot =
            holder ? &m.byIndication[static_cast<size_t>(holder - indications.data())] : nullptr;
        if (slot && !*slot)
            *slot = &d;
        else
            m.orphans.push_back(&d);
    }
    return m;
}

IndicationDecision& decideIndication(const Evaluation& evaluation, Inspection& inspection,
                                     size_t k) {
    const EchoOverview& o = evaluation.overview();
    const EvaluatedIndication& d = evaluation.indications().at(k);
    auto place = [&](int64_t i) { return FramePlace{o.recordNumber(i), o.frameNumber(i)}; };
    const IndicationDecision* held = matchDecisions(evaluation, inspection).byIndication[k];
    IndicationDecision& kept =
        held ? inspection.decisions[static_cast<size_t>(held - inspection.decisions.data())]
             : inspection.decisions.emplace_back();
    kept.start = place(d.start);
    kept.end = place(d.end);
    kept.peak = place(d.peak);
    return kept;
}

bool isFlawCell(const std::string& caption) {
    return caption == "长度" || caption == "高度" || caption == "等级" || caption == "备注" ||
           caption == "探伤结果";
}

FlawCellsPlace flawCellsPlace(const Evaluation* evaluation, FramePlace frame) {
    FlawCellsPlace place{std::nullopt, frame};
    if (!evaluation) return place;
    const int64_t i = evaluation->overview().indexOf(frame.record, frame.frame);
    if (const EvaluatedIndication* d = i < 0 ? nullptr : evaluation->indicationAt(i))
        place.indication = static_cast<size_t>(d - evaluation->indications().data());
    return place;
}

ReportCells flawCellsAt(const Evaluation* evaluation, const Inspection& inspection,
                        FramePlace frame) {
    const FlawCellsPlace place = flawCellsPlace(evaluation, frame);
    if (place.indication) {
        const IndicationDecision* d =
            matchDecisions(*evaluation, inspection).byIndication[*place.indication];
        if (d && !d->cells.empty()) return d->cells;
    }
    // Typed on this frame before it was evaluated, or on a frame of none.
    const auto it = inspection.frameCells.find(frame);
    return it == inspection.frameCells.end() ? ReportCells{} : it->second;
}

void keepFlawCells(const Evaluation* evaluation, Inspection& inspection, FramePlace frame,
                   const ReportCells& cells) {
    ReportCells kept;
    for (const auto& [caption, text] : cells)
        if (!text.empty()) kept[caption] = text;
    const FlawCellsPlace place = flawCellsPlace(evaluation, frame);
    if (place.indication) {
        const IndicationDecision* held =
            matchDecisions(*evaluation, inspection).byIndication[*place.indication];
        // A decision made only to hold no cells is not made.
        if (held || !kept.empty())
            decideIndication(*evaluation, inspection, *place.indication).cells = kept;
        inspection.frameCells.erase(frame);
        return;
    }
    if (kept.empty())
        inspection.frameCells.erase(frame);
    else
        inspection.frameCells[frame] = kept;
}

std::string evaluationCsvHeader() {
    return "indication,startRecord,startFrame,endRecord,endFrame,frames,peakRecord,peakFrame,dac,"
           "sl,zone,path,surface,depth,positionUnit,drop6Frames,elMm,drop6Mm\r\n";
}

std::string evaluationCsvRow(const Evaluation& evaluation, size_t k, const PeakPositions& at,
                             const std::optional<Travel>& travel) {
    const EchoOverview& o = evaluation.overview();
    const EvaluatedIndication& d = evaluation.indications()[k];
    auto place = [&](int64_t i) {
        return std::to_string(o.recordNumber(i)) + ',' + std::to_string(o.frameNumber(i));
    };
    auto cell = [](const std::optional<int64_t>& v) { return v ? tenths(*v) : std::string(); };
    std::optional<int64_t> elMm, drop6Mm;
    if (travel) {
        elMm = travel->tenthsOfMm(d.frames());
        drop6Mm = travel->tenthsOfMm(d.drop6Frames());
    }
    return std::to_string(k) + ',' + place(d.start) + ',' + place(d.end) + ',' +
           std::to_string(d.frames()) + ',' + place(d.peak) + ',' + tenths(d.dac) + ',' +
           tenths(d.aboveSl()) + ',' + zoneText(d.zone) + ',' + cell(at.path) + ',' +
           cell(at.surface) + ',' + cell(at.depth) + ',' + at.unit + ',' +
           std::to_string(d.drop6Frames()) + ',' + cell(elMm) + ',' + cell(drop6Mm) + "\r\n";
}

std::string evaluationCsvWithDecisions(const Evaluation& evaluation,
                                       const std::vector<PeakPositions>& peaks,
                                       const std::optional<Travel>& travel,
                                       const Inspection& inspection) {
    // Each line of evaluate's gains four columns before its CRLF.
    auto withColumns = [](std::string line, const std::string& columns) {
        return line.insert(line.size() - 2, columns);
    };
    std::string csv = withColumns(evaluationCsvHeader(), ",nature,grade,remark,reported");
    const DecisionMatch match = matchDecisions(evaluation, inspection);
    for (size_t k = 0; k < evaluation.indications().size(); ++k) {
        const IndicationDecision blank;
        const IndicationDecision& d = match.byIndication[k] ? *match.byIndication[k] : blank;
        csv += withColumns(evaluationCsvRow(evaluation, k, peaks[k], travel),
                           ',' + csvField(d.nature) + ',' + csvField(d.grade) + ',' +
                               csvField(d.remark) + ',' + (d.reported ? "1" : "0"));
    }
    return csv;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

std::string orphanText(const IndicationDecision& d) {
    std::string line = placeText(d.start) + "\u2013" + placeText(d.end);
    if (d.peak) line += " (" + placeText(*d.peak) + ")";
    for (const std::string* word : {&d.nature, &d.grade, &d.remark})
        if (!word->empty()) line += " " + *word;
    return line;
}

DefectList defectList(const EchoOverview& o, const Evaluation& evaluation,
                      const Inspection& inspection, RecordQuery& reader,
                      const DefectListWords& words) {
    PeakPositions at;
    return defectList(
        evaluation, inspection, fileHealthOf(reader.file(), o),
        [&](size_t k) -> const PeakPositions& {
            return at = peakPositions(o, reader, evaluation.indications()[k].peak);
        },
        words);
}

DefectList defectList(const Evaluation& evaluation, const Inspection& inspection,
                      const FileHealth& health,
                      const std::function<const PeakPositions&(size_t k)>& peakAt,
                      const DefectListWords& words) {
    const EchoOverview& o = evaluation.overview();
    DefectList list;
    list.evaluated = evaluation.indications().size();
    list.coverage = coverageOf(evaluation, health);
    list.calibration = inspection.travel;
    list.travel = travelOf(inspection.travel, o);
    list.cells = inspection.reportCells;
    const DecisionMatch match = matchDecisions(evaluation, inspection);
    for (const IndicationDecision* orphan : match.orphans)
        list.orphans.push_back(orphanText(*orphan));
    for (size_t k = 0; k < evaluation.indications().size(); ++k) {
        const IndicationDecision* decision = match.byIndication[k];
        if (decision && !decision->reported) continue;
        list.rows.push_back(defectRow(o, evaluation, k, peakAt(k), list.travel, decision, words));
    }
    for (size_t j = 0; j < match.manual.size(); ++j) {
        if (!match.manual[j]->reported) continue;
        list.rows.push_back(
            manualDefectRow(o, *match.manual[j], j, list.evaluated + j, list.travel, words));
        ++list.manual;
    }
    return list;
}

} // namespace vantrel
