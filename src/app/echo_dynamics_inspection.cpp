// The echo-dynamics window's part in the recording's inspection: the file
// read when a recording opens (and the choice when two places hold
// versions), written after every decision (merged with what another viewer
// saved), the report's typed cells, the flaw's cells by place and the
// evaluation's settings kept with the decisions.
#include "app/echo_dynamics_form.h"

#include <QDir>
#include <QTimer>

#include "analysis/indication_table.h"
#include "app/inspection_choice_dialog.h"
#include "widgets/message_box.h"

namespace vantrel {

void TEchoDynamicsForm::setTravel(const TravelCalibration& calibration) {
    inspection_.travel = calibration;
    saveInspectionFile();
    fillEvaluationList();
}

void TEchoDynamicsForm::loadInspectionFile() {
    flushInspectionFile(); // for the recording open until now
    inspection_ = {};
    identity_ = {};
    recordingPath_.clear();
    besideRefusalTold_ = false;
    saveFailureTold_.clear();
    if (!core_.fileOpen()) return;
    identity_ = recordingIdentity(core_.file());
    recordingPath_ = QString::fromStdString(core_.file().path());
    store_ = InspectionStore(recordingPath_, identity_, viewerDataFolder());
    const LoadedInspection& loaded = store_.open();
    inspection_ = loaded.document.inspection;
    // A damaged, newer or foreign file is left as it is and said; the
    // decisions made from now on go where they can be kept.
    QStringList problems;
    for (const InspectionProblem& p : loaded.problems)
        problems << inspectionProblemText(p);
    if (!problems.isEmpty())
        tell(QStringLiteral("InspectionFileMessage"),
             tr("评定文件未能读入，文件保持原样：\n%1").arg(problems.join(QLatin1Char('\n'))));
    if (loaded.other) settleOtherInspectionFile();
}

void TEchoDynamicsForm::settleOtherInspectionFile() {
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
        tell(QStringLiteral("InspectionSaveFailedMessage"),
             tr("评定无法保存：%1").arg(settled.error));
        return;
    }
    inspection_ = chosen;
}

InspectionStore::Saved TEchoDynamicsForm::settleSaveConflict(InspectionStore::Saved saved,
                                                             bool ask) {
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

void TEchoDynamicsForm::takeMergedInspection(const Inspection& merged) {
    if (merged == inspection_) return;
    inspection_ = merged;
    if (evaluation_ && !closing_) fillEvaluationList();
}

void TEchoDynamicsForm::flushInspectionFile() {
    if (saveTimer_ && saveTimer_->isActive()) {
        saveTimer_->stop();
        saveInspectionFile();
    }
}

void TEchoDynamicsForm::setReportCells(const std::map<std::string, std::string>& cells) {
    std::map<std::string, std::string> kept = cells;
    for (const auto& [caption, text] : inspection_.reportCells)
        if (isFlawCell(caption)) kept.emplace(caption, text);
    if (recordingPath_.isEmpty() || kept == inspection_.reportCells) return;
    inspection_.reportCells = kept;
    saveTimer_->start();
}

void TEchoDynamicsForm::setFlawCells(FramePlace frame,
                                     const std::map<std::string, std::string>& cells) {
    if (recordingPath_.isEmpty() || cells == flawCellsAt(frame)) return;
    keepFlawCells(evaluation_.get(), inspection_, frame, cells);
    saveTimer_->start();
}

std::map<std::string, std::string> TEchoDynamicsForm::flawCellsAt(FramePlace frame) const {
    return vantrel::flawCellsAt(evaluation_.get(), inspection_, frame);
}

QString TEchoDynamicsForm::flawPlaceText(FramePlace frame) const {
    const FlawCellsPlace place = flawCellsPlace(evaluation_.get(), frame);
    if (!place.indication) return tr("帧 %1").arg(QString::fromStdString(placeText(frame)));
    const EvaluatedIndication& d = evaluation_->indications()[*place.indication];
    return tr("指示 %1（%2–%3）")
        .arg(*place.indication)
        .arg(QString::fromStdString(framePlace(*overview_, d.start)),
             QString::fromStdString(framePlace(*overview_, d.end)));
}

std::optional<DefectListInputs> TEchoDynamicsForm::defectListInputs() const {
    if (!overview_ || !evaluation_) return std::nullopt;
    RecordQuery reader; // the peaks' positions, read apart from the main window's
    if (!reader.openAlongside(core_.query())) return std::nullopt;
    reader.setPanelAndCurves(false);
    return vantrel::defectListInputs(*overview_, *evaluation_, inspection_, reader, recordingPath_);
}

void TEchoDynamicsForm::saveInspectionFile() {
    if (recordingPath_.isEmpty()) return;
    const InspectionStore::Saved result = settleSaveConflict(store_.save(inspection_), !closing_);
    if (result.merged) takeMergedInspection(*result.merged);
    if (result.conflicts) {
        // Nothing written: the other program's file stays as it is, and the
        // next save asks again.
        if (!closing_)
            tell(QStringLiteral("InspectionConflictOpenMessage"),
                 tr("评定未保存：“%1”已被另一窗口或程序修改，冲突尚未解决；下次保存时将再次询问。")
                     .arg(QDir::toNativeSeparators(result.saved.changed->path)));
        return;
    }
    const SavedInspection& saved = result.saved;
    if (saved.to == InspectionPlace::None) {
        // Said once for the reason it has, not at every keystroke; the
        // decisions stay in the window meanwhile.
        if (saved.error != saveFailureTold_)
            tell(QStringLiteral("InspectionSaveFailedMessage"),
                 tr("评定无法保存：%1").arg(saved.error));
        saveFailureTold_ = saved.error;
        return;
    }
    saveFailureTold_.clear();
    // Kept in the data folder instead of beside the recording: said once
    // for the recording, not at every keystroke.
    if (saved.besideRefusal != BesideRefusal::None && !besideRefusalTold_) {
        besideRefusalTold_ = true;
        const QString why =
            saved.besideProblem ? inspectionProblemText(*saved.besideProblem) : saved.besideError;
        tell(QStringLiteral("InspectionKeptElsewhereMessage"),
             tr("评定无法保存在记录旁（%1），已保存到“%2”。")
                 .arg(why, QDir::toNativeSeparators(saved.path)));
    }
}

void TEchoDynamicsForm::tell(const QString& name, const QString& text) {
    tellInBox(this, name, text);
}

void TEchoDynamicsForm::takeKeptSettings() {
    // The recording opens with the settings its decisions were made with;
    // one without them keeps the window's.
    if (!inspection_.settings) return;
    const EvaluationSettings& s = *inspection_.settings;
    settings_.gap = s.gap;
    settings_.splitMicrometres = s.splitMicrometres;
    settings_.percentThreshold = s.percentThreshold;
    settings_.dbThreshold = s.dbThreshold;
}

void TEchoDynamicsForm::keepSettings() {
    if (recordingPath_.isEmpty()) return;
    const EvaluationSettings s{settings_.gap, settings_.splitMicrometres,
                               settings_.percentThreshold, settings_.dbThreshold};
    if (inspection_.settings == s) return;
    inspection_.settings = s;
    saveTimer_->start(); // a drag of the threshold line is written once it stops
}

} // namespace vantrel
