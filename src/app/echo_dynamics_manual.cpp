// The echo-dynamics window's manual indications (人工): a Ctrl+drag on the
// strips marks one, the evaluation list edits and removes them. The rules
// are the analysis' (markManual, manualDefectRow in defect_list.h); the open
// recording keeps them with the decisions and writes them after each change.
#include "app/echo_dynamics_form.h"
#include "app/echo_strips.h"
#include "app/evaluation_list.h"

namespace vantrel {

void TEchoDynamicsForm::markManualIndication(int64_t first, int64_t last) {
    if (!recording_.markManual(first, last)) return;
    fillEvaluationList();
    syncControls();
}

void TEchoDynamicsForm::setManualDecision(int j, const IndicationDecision& decision) {
    if (j < 0) return;
    recording_.setManualDecision(static_cast<size_t>(j), decision);
    evaluationList_->manualDecisionChanged(j);
}

void TEchoDynamicsForm::removeManualIndication(int j) {
    if (j < 0) return;
    const std::optional<std::string> what = recording_.manualText(static_cast<size_t>(j));
    if (!what || !confirmManualRemoval || !confirmManualRemoval(QString::fromStdString(*what)))
        return;
    recording_.removeManual(static_cast<size_t>(j));
    fillEvaluationList();
    syncControls();
}

void TEchoDynamicsForm::goToManualIndication(int j) {
    if (!overview() || j < 0) return;
    if (const std::optional<FramePlace> peak = recording_.manualPeak(static_cast<size_t>(j)))
        goToShownFrame(overview()->indexOf(peak->record, peak->frame));
}

QString TEchoDynamicsForm::manualStatusText() const {
    const auto n = std::count_if(inspection().decisions.begin(), inspection().decisions.end(),
                                 [](const IndicationDecision& d) { return d.manual; });
    if (!overview() || n == 0) return {};
    return tr("，%1 处人工指示（Ctrl+拖动标记）").arg(n);
}

} // namespace vantrel
