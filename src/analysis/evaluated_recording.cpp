#include "analysis/evaluated_recording.h"

#include <utility>

#include "analysis/file_health.h"

namespace vantrel {

EvaluatedRecording::EvaluatedRecording(EchoOverview overview, const RecordQuery& query,
                                       const OverviewSettings& settings)
    : overview_(std::move(overview)) {
    readerOpen_ = reader_.openAlongside(query);
    if (readerOpen_) reader_.setPanelAndCurves(false);
    evaluate(settings.gap, settings.splitMicrometres);
}

void EvaluatedRecording::evaluate(int64_t gap, int64_t splitMicrometres) {
    summaries_.reset(); // refers to the evaluation
    evaluation_.reset();
    evaluation_.emplace(overview_, gap, splitMicrometres);
    ++evaluationsBuilt_;
}

const EvaluationSummaries& EvaluatedRecording::summaries() const {
    if (!summaries_) {
        summaries_.emplace(*evaluation_);
        ++summariesBuilt_;
    }
    return *summaries_;
}

EvaluatedRecording::Changed EvaluatedRecording::apply(const OverviewSettings& settings) {
    Changed changed;
    changed.evaluation = settings.gap != evaluation_->gap() ||
                         settings.splitMicrometres != evaluation_->splitMicrometres();
    // The thresholds and the gap as the records and indications now hold
    // them; an overview given as computed is taken to hold other ones.
    changed.indications = !thresholdsApplied_ ||
                          thresholdsApplied_->percentThreshold != settings.percentThreshold ||
                          thresholdsApplied_->dbThreshold != settings.dbThreshold ||
                          thresholdsApplied_->gap != settings.gap;
    if (changed.indications) {
        overview_.applyThresholds(settings);
        thresholdsApplied_ = settings;
    }
    if (changed.evaluation) evaluate(settings.gap, settings.splitMicrometres);
    return changed;
}

const PeakPositions& EvaluatedRecording::peakAt(size_t k) const {
    const int64_t peak = evaluation_->indications()[k].peak;
    auto it = peaks_.find(peak);
    if (it == peaks_.end()) {
        PeakPositions at;
        if (readerOpen_) {
            at = peakPositions(overview_, reader_, peak);
            ++peaksRead_;
        }
        it = peaks_.emplace(peak, std::move(at)).first;
    }
    return it->second;
}

DefectList EvaluatedRecording::defectList(const Inspection& inspection,
                                          const DefectListWords& words) const {
    return vantrel::defectList(
        *evaluation_, inspection, fileHealthOf(file(), overview_),
        [this](size_t k) -> const PeakPositions& { return peakAt(k); }, words);
}

} // namespace vantrel
