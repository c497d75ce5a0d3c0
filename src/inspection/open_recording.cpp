#include "inspection/open_recording.h"

#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <utility>

#include "analysis/indication_table.h"

namespace vantrel {

OpenRecording::OpenRecording(QString dataFolder, QObject* parent)
    : QObject(parent), dataFolder_(std::move(dataFolder)) {
    // What is typed or dragged is written once it pauses.
    saveTimer_ = new QTimer(this);
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(500);
    connect(saveTimer_, &QTimer::timeout, this, [this] { save(); });
}

OpenRecording::~OpenRecording() {
    closing_ = true; // nothing is asked any more
    flush();
    dropEvaluated();
}

// ------------------------------------------------------------ the recording

void OpenRecording::open(const RecordFile& file) {
    flush(); // for the recording open until now
    dropEvaluated();
    inspection_ = {};
    identity_ = {};
    path_.clear();
    store_ = {};
    besideRefusalTold_ = false;
    saveFailureTold_.clear();
    if (file.isOpen()) {
        identity_ = recordingIdentity(file);
        path_ = QString::fromStdString(file.path());
        store_ = InspectionStore(path_, identity_, dataFolder_);
        const LoadedInspection& loaded = store_.open();
        inspection_ = loaded.document.inspection;
        // A damaged, newer or foreign file is left as it is and said; the
        // decisions made from now on go where they can be kept.
        QStringList problems;
        for (const InspectionProblem& p : loaded.problems)
            problems << inspectionProblemText(p);
        if (!problems.isEmpty()) say(RecordingNotice::Kind::FileUnread, problems.join('\n'));
        if (loaded.other) settleOtherFile();
        // The recording opens with the settings its decisions were made
        // with; one without them keeps those in force.
        if (const std::optional<EvaluationSettings>& s = inspection_.settings) {
            settings_.gap = s->gap;
            settings_.splitMicrometres = s->splitMicrometres;
            settings_.percentThreshold = s->percentThreshold;
            settings_.dbThreshold = s->dbThreshold;
        }
    }
    emit opened();
}

void OpenRecording::settleOtherFile() {
    const LoadedInspection& loaded = store_.loaded();
    const InspectionMerge merge(std::nullopt, loaded.document.inspection,
                                loaded.other->document.inspection);
    const InspectionQuestion question{InspectionQuestion::Kind::TwoFiles, &merge, loaded.path,
                                      loaded.other->path};
    const std::optional<InspectionChoice> choice =
        chooseInspection ? chooseInspection(question) : std::nullopt;
    if (!choice) return; // the file beside stays in use; the other is offered next time
    using Action = InspectionChoice::Action;
    const Inspection chosen = choice->action == Action::KeepOurs     ? merge.ours()
                              : choice->action == Action::KeepTheirs ? merge.theirs()
                                                                     : merge.merged(choice->sides);
    const InspectionStore::Settled settled = store_.settle(chosen);
    if (!settled.error.isEmpty()) {
        say(RecordingNotice::Kind::SaveFailed, settled.error);
        return;
    }
    inspection_ = chosen;
}

// ------------------------------------------------------------ the analysis

EvaluatedRecording::Changed OpenRecording::applySettings(const OverviewSettings& settings) {
    settings_ = settings;
    keepSettings();
    if (!evaluated_) return {};
    // The evaluation is replaced where it stands: its holders let go first.
    if (settings.gap != evaluated_->evaluation().gap() ||
        settings.splitMicrometres != evaluated_->evaluation().splitMicrometres())
        emit evaluationDropping(false);
    return evaluated_->apply(settings);
}

void OpenRecording::keepSettings() {
    if (path_.isEmpty()) return;
    const EvaluationSettings s{settings_.gap, settings_.splitMicrometres,
                               settings_.percentThreshold, settings_.dbThreshold};
    if (inspection_.settings == s) return;
    inspection_.settings = s;
    saveTimer_->start(); // a drag of the threshold line is written once it stops
}

void OpenRecording::setOverview(EchoOverview overview, const RecordQuery& query) {
    dropEvaluated();
    evaluated_ = std::make_unique<EvaluatedRecording>(std::move(overview), query, settings_);
    evaluated_->apply(settings_);
}

void OpenRecording::dropOverview() { dropEvaluated(); }

void OpenRecording::dropEvaluated() {
    if (!evaluated_) return;
    emit evaluationDropping(true);
    evaluated_.reset();
}

std::optional<Travel> OpenRecording::travel() const {
    return evaluated_ ? travelOf(inspection_.travel, evaluated_->overview()) : std::nullopt;
}

// ------------------------------------------------------------ the decisions

namespace {

void takeWords(IndicationDecision& kept, const IndicationDecision& words) {
    kept.nature = words.nature;
    kept.grade = words.grade;
    kept.remark = words.remark;
    kept.reported = words.reported;
}

} // namespace

bool OpenRecording::setDecision(size_t k, const IndicationDecision& decision) {
    if (!evaluated_ || k >= evaluated_->evaluation().indications().size()) return false;
    takeWords(decideIndication(evaluated_->evaluation(), inspection_, k), decision);
    save();
    return true;
}

void OpenRecording::setTravel(const TravelCalibration& calibration) {
    inspection_.travel = calibration;
    save();
}

bool OpenRecording::markManual(int64_t first, int64_t last) {
    if (!evaluated_ || path_.isEmpty()) return false;
    if (!vantrel::markManual(inspection_, evaluated_->overview(), first, last,
                             evaluated_->reader()))
        return false;
    save();
    return true;
}

bool OpenRecording::setManualDecision(size_t j, const IndicationDecision& decision) {
    const std::optional<size_t> k = manualDecisionIndex(inspection_, j);
    if (!k) return false;
    takeWords(inspection_.decisions[*k], decision);
    save();
    return true;
}

bool OpenRecording::removeManual(size_t j) {
    const std::optional<size_t> k = manualDecisionIndex(inspection_, j);
    if (!k) return false;
    inspection_.decisions.erase(inspection_.decisions.begin() + static_cast<std::ptrdiff_t>(*k));
    save();
    return true;
}

std::optional<std::string> OpenRecording::manualText(size_t j) const {
    const std::optional<size_t> k = manualDecisionIndex(inspection_, j);
    if (!k) return std::nullopt;
    const IndicationDecision& d = inspection_.decisions[*k];
    return placeText(d.start) + "\u2013" + placeText(d.end);
}

std::optional<FramePlace> OpenRecording::manualPeak(size_t j) const {
    const std::optional<size_t> k = manualDecisionIndex(inspection_, j);
    if (!k) return std::nullopt;
    const IndicationDecision& d = inspection_.decisions[*k];
    return d.peak.value_or(d.start);
}

// ------------------------------------------------------------ the report's cells

void OpenRecording::setReportCells(const ReportCells& cells) {
    ReportCells kept = cells;
    for (const auto& [caption, text] : inspection_.reportCells)
        if (isFlawCell(caption)) kept.emplace(caption, text);
    if (path_.isEmpty() || kept == inspection_.reportCells) return;
    inspection_.reportCells = kept;
    saveTimer_->start();
}

ReportCells OpenRecording::jobCells() const {
    ReportCells job = inspection_.reportCells;
    std::erase_if(job, [](const auto& c) { return isFlawCell(c.first); });
    return job;
}

void OpenRecording::setFlawCells(FramePlace frame, const ReportCells& cells) {
    if (path_.isEmpty() || cells == flawCellsAt(frame)) return;
    keepFlawCells(evaluated_ ? &evaluated_->evaluation() : nullptr, inspection_, frame, cells);
    saveTimer_->start();
}

ReportCells OpenRecording::flawCellsAt(FramePlace frame) const {
    return vantrel::flawCellsAt(evaluated_ ? &evaluated_->evaluation() : nullptr, inspection_,
                                frame);
}

FlawCellsPlace OpenRecording::flawCellsPlace(FramePlace frame) const {
    return vantrel::flawCellsPlace(evaluated_ ? &evaluated_->evaluation() : nullptr, frame);
}

// ------------------------------------------------------------ what the windows show

std::vector<DefectRow> OpenRecording::evaluationRows(const DefectListWords& words) const {
    std::vector<DefectRow> rows;
    if (!evaluated_) return rows;
    const EchoOverview& o = evaluated_->overview();
    const Evaluation& evaluation = evaluated_->evaluation();
    const std::optional<Travel> t = travel();
    const DecisionMatch match = matchDecisions(evaluation, inspection_);
    for (size_t k = 0; k < evaluation.indications().size(); ++k)
        rows.push_back(
            defectRow(o, evaluation, k, evaluated_->peakAt(k), t, match.byIndication[k], words));
    const size_t evaluatedRows = evaluation.indications().size();
    for (size_t j = 0; j < match.manual.size(); ++j)
        rows.push_back(manualDefectRow(o, *match.manual[j], j, evaluatedRows + j, t, words));
    return rows;
}

std::vector<Indication> OpenRecording::manualRuns() const {
    return evaluated_ ? vantrel::manualRuns(evaluated_->overview(), inspection_)
                      : std::vector<Indication>{};
}

std::string OpenRecording::evaluationCsv() const {
    if (!evaluated_) return {};
    const Evaluation& evaluation = evaluated_->evaluation();
    std::vector<PeakPositions> peaks;
    for (size_t k = 0; k < evaluation.indications().size(); ++k)
        peaks.push_back(evaluated_->peakAt(k));
    return evaluationCsvWithDecisions(evaluation, peaks, travel(), inspection_);
}

std::optional<DefectList> OpenRecording::defectList(const DefectListWords& words) const {
    if (!evaluated_ || !evaluated_->readerOpen()) return std::nullopt;
    ++defectListsBuilt_;
    return evaluated_->defectList(inspection_, words);
}

// ------------------------------------------------------------ saving

void OpenRecording::flush() {
    if (saveTimer_->isActive()) {
        saveTimer_->stop();
        save();
    }
}

void OpenRecording::save() {
    if (path_.isEmpty()) return;
    const InspectionStore::Saved result = settleSaveConflict(store_.save(inspection_), !closing_);
    if (result.merged) takeMerged(*result.merged);
    if (result.conflicts) {
        // Nothing written: the other program's file stays as it is, and the
        // next save asks again.
        if (!closing_) say(RecordingNotice::Kind::ConflictOpen, {}, result.saved.changed->path);
        return;
    }
    const SavedInspection& saved = result.saved;
    if (saved.to == InspectionPlace::None) {
        // Said once for the reason it has, not at every keystroke; the
        // decisions stay here meanwhile.
        if (saved.error != saveFailureTold_) say(RecordingNotice::Kind::SaveFailed, saved.error);
        saveFailureTold_ = saved.error;
        return;
    }
    saveFailureTold_.clear();
    // Kept in the data folder instead of beside the recording: said once
    // for the recording, not at every keystroke.
    if (saved.besideRefusal != BesideRefusal::None && !besideRefusalTold_) {
        besideRefusalTold_ = true;
        say(RecordingNotice::Kind::KeptElsewhere,
            saved.besideProblem ? inspectionProblemText(*saved.besideProblem) : saved.besideError,
            saved.path);
    }
}

InspectionStore::Saved OpenRecording::settleSaveConflict(InspectionStore::Saved saved, bool ask) {
    while (saved.conflicts) {
        const std::optional<InspectionChoice> choice =
            ask && chooseInspection
                ? chooseInspection({InspectionQuestion::Kind::Conflict, &*saved.conflicts,
                                    store_.path(), saved.saved.changed->path})
                : std::nullopt;
        if (!choice) break;
        saved = store_.saveSettled(saved, choice->sidesFor(saved.conflicts->conflicts().size()));
    }
    if (saved.conflicts && closing_) {
        // Closing with the conflict still open: ours is kept beside the other
        // file under a dated name, the other stays as it is.
        QString error;
        saveInspectionAside(saved.saved.changed->path, identity_, inspection_, &error);
    }
    return saved;
}

void OpenRecording::takeMerged(const Inspection& merged) {
    if (merged == inspection_) return;
    inspection_ = merged;
    if (!closing_) emit inspectionReplaced();
}

void OpenRecording::say(RecordingNotice::Kind kind, const QString& detail, const QString& path) {
    if (tell) tell({kind, detail, path});
}

} // namespace vantrel
