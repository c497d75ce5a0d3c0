// The echo-dynamics window's manual indications (人工): a Ctrl+drag on the
// strips marks one, the evaluation list edits and removes them. The rules
// are the viewer's (markManual, manualDefectRow in defect_list.h); the form
// keeps the inspection and writes it after each change.
#include <QMessageBox>

#include "app/echo_dynamics_form.h"
#include "app/echo_strips.h"
#include "app/evaluation_list.h"

namespace vantrel {

void TEchoDynamicsForm::markManualIndication(int64_t first, int64_t last) {
    if (!overview_ || recordingPath_.isEmpty()) return;
    if (!markManual(inspection_, *overview_, first, last, bscanReader_.get())) return;
    saveInspectionFile();
    fillEvaluationList();
    syncControls();
}

void TEchoDynamicsForm::setManualDecision(int j, const IndicationDecision& decision) {
    if (j < 0) return;
    const std::optional<size_t> k = manualDecisionIndex(inspection_, static_cast<size_t>(j));
    if (!k) return;
    IndicationDecision& kept = inspection_.decisions[*k];
    kept.nature = decision.nature;
    kept.grade = decision.grade;
    kept.remark = decision.remark;
    kept.reported = decision.reported;
    saveInspectionFile();
    evaluationList_->manualDecisionChanged(j);
}

void TEchoDynamicsForm::removeManualIndication(int j) {
    if (j < 0) return;
    const std::optional<size_t> k = manualDecisionIndex(inspection_, static_cast<size_t>(j));
    if (!k) return;
    const IndicationDecision& d = inspection_.decisions[*k];
    const QString what = QString::fromStdString(placeText(d.start) + "\u2013" + placeText(d.end));
    if (!confirmManualRemoval || !confirmManualRemoval(what)) return;
    inspection_.decisions.erase(inspection_.decisions.begin() + static_cast<std::ptrdiff_t>(*k));
    saveInspectionFile();
    fillEvaluationList();
    syncControls();
}

void TEchoDynamicsForm::goToManualIndication(int j) {
    if (!overview_ || j < 0) return;
    const std::optional<size_t> k = manualDecisionIndex(inspection_, static_cast<size_t>(j));
    if (!k) return;
    const IndicationDecision& d = inspection_.decisions[*k];
    const FramePlace peak = d.peak.value_or(d.start);
    goToShownFrame(overview_->indexOf(peak.record, peak.frame));
}

void TEchoDynamicsForm::addManualRows(const DecisionMatch& match, const DefectListWords& words,
                                      std::vector<DefectRow>& rows) {
    if (!overview_) {
        strips_->setManualIndications({});
        return;
    }
    const std::optional<Travel> t = travel();
    const size_t evaluated = evaluation_ ? evaluation_->indications().size() : 0;
    for (size_t j = 0; j < match.manual.size(); ++j) {
        rows.push_back(manualDefectRow(*overview_, *match.manual[j], j, evaluated + j, t, words));
    }
    strips_->setManualIndications(manualRuns(*overview_, inspection_));
}

QString TEchoDynamicsForm::manualStatusText() const {
    const auto n = std::count_if(inspection_.decisions.begin(), inspection_.decisions.end(),
                                 [](const IndicationDecision& d) { return d.manual; });
    if (!overview_ || n == 0) return {};
    return tr("，%1 处人工指示（Ctrl+拖动标记）").arg(n);
}

} // namespace vantrel
