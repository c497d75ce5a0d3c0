// The recording open in the program: what the viewer knows and keeps about
// it beyond its records. Its identity and path, the analysis once computed
// (EvaluatedRecording: overview, evaluation, summaries, positions at the
// peaks), the settings it is evaluated with, and the inspector's decisions
// (Inspection) with their file (InspectionStore): read when the recording
// opens, written after every decision, and after a pause for what is typed
// or dragged (report cells, thresholds), merged with what another viewer
// saved meanwhile. The program's start-up owns one; the main window tells
// it which recording is open, the echo-dynamics window computes its
// overview and edits its decisions, the report window prints its defect
// list and keeps its typed cells here, whether or not the echo-dynamics
// window exists.
//
// It asks nothing and shows nothing itself: the questions (which version of
// the decisions to keep) and the notices (a file that could not be read or
// written) go to the callbacks the windows set, in their words.
//
// Lifetimes: it owns its EvaluatedRecording. A holder of the overview, the
// evaluation or the summaries (a widget drawing them) lets go of them when
// evaluationDropping is emitted, which happens before they go (another
// recording, a new overview, dropOverview, the end) and before a new
// evaluation replaces them in applySettings (whose result says so too).
// It must outlive every window that holds it.
#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "analysis/defect_list.h"
#include "analysis/evaluated_recording.h"
#include "analysis/inspection.h"
#include "inspection/inspection_file.h"
#include "inspection/inspection_store.h"

class QTimer;

namespace vantrel {

// What the open recording has to tell the inspector; the window words it.
struct RecordingNotice {
    enum class Kind : uint8_t {
        FileUnread,    // an inspection file could not be read and is left as it is: `detail`
        SaveFailed,    // the decisions could not be saved anywhere: `detail` is why
        ConflictOpen,  // not saved: the file at `path` changed meanwhile, the conflict open
        KeptElsewhere, // saved at `path`, not beside the recording: `detail` is why
    };
    Kind kind = Kind::SaveFailed;
    QString detail, path;
};

class OpenRecording : public QObject {
    Q_OBJECT
public:
    // No recording open yet; the data folder's inspection files go in
    // `dataFolder` (viewerDataFolder() for the viewer's; empty for none).
    explicit OpenRecording(QString dataFolder, QObject* parent = nullptr);
    // Writes what waits to be written, asking nothing.
    ~OpenRecording() override;

    // ---- what the windows ask and say for it
    // Which version to keep when two meet (two files on opening, another
    // viewer's save on saving); nullopt leaves it open (on opening the file
    // beside stays in use and the other is offered next time; on saving
    // nothing is written yet). Unset: left open.
    std::function<std::optional<InspectionChoice>(const InspectionQuestion&)> chooseInspection;
    std::function<void(const RecordingNotice&)> tell;

    // ---- the recording
    // The recording `file` has open, or none when it has none: its
    // inspection read (what waited for the one open until now written
    // first), the settings its decisions were made with taken, no analysis.
    void open(const RecordFile& file);
    bool isOpen() const { return !path_.isEmpty(); }
    const QString& path() const { return path_; }
    const RecordingIdentity& identity() const { return identity_; }
    // The inspection file the decisions came from or last went to; empty
    // for none.
    QString inspectionPath() const { return store_.path(); }
    const Inspection& inspection() const { return inspection_; }

    // ---- the analysis
    const OverviewSettings& settings() const { return settings_; }
    // The settings from now on, kept with the decisions (written once
    // changes pause): the overview's indications found again, evaluated
    // anew where the gap or split changed (see EvaluatedRecording::apply).
    EvaluatedRecording::Changed applySettings(const OverviewSettings& settings);
    // The overview computed on the file `query` has open: evaluated with
    // the settings in force (thresholds changed since it started count).
    void setOverview(EchoOverview overview, const RecordQuery& query);
    void dropOverview();
    // nullptr until an overview is set.
    const EvaluatedRecording* evaluated() const { return evaluated_.get(); }
    // The travel the calibration gives on the overview, if any.
    std::optional<Travel> travel() const;

    // ---- the decisions; each is written at once
    // The inspector's words on evaluated indication k; false for none.
    bool setDecision(size_t k, const IndicationDecision& decision);
    void setTravel(const TravelCalibration& calibration);
    // Shown frames first .. last (either order) as a manual indication
    // (markManual); false when nothing was marked.
    bool markManual(int64_t first, int64_t last);
    // Manual indication j (DecisionMatch::manual's order): its words, its
    // removal, its frames as "248:0–252:3" and its peak frame.
    bool setManualDecision(size_t j, const IndicationDecision& decision);
    bool removeManual(size_t j);
    std::optional<std::string> manualText(size_t j) const;
    std::optional<FramePlace> manualPeak(size_t j) const;

    // ---- the report's cells; written once typing pauses
    // The job's cells by caption (a flaw's kept by the first file version
    // stay as they were), and the job's cells kept.
    void setReportCells(const ReportCells& cells);
    ReportCells jobCells() const;
    // A flaw's cells at `frame`: kept with its indication, or by the frame
    // (flawCellsAt in defect_list.h).
    void setFlawCells(FramePlace frame, const ReportCells& cells);
    ReportCells flawCellsAt(FramePlace frame) const;
    FlawCellsPlace flawCellsPlace(FramePlace frame) const;

    // ---- what the windows show
    // The evaluated indications' rows of the window's list (the defect
    // list's texts with the decisions they hold), then the manual
    // indications' rows; none without an evaluation.
    std::vector<DefectRow> evaluationRows(const DefectListWords& words) const;
    // The manual indications as runs of shown frames; none without an overview.
    std::vector<Indication> manualRuns() const;
    // The evaluated indications as CSV with the inspector's words (the
    // columns of `vantrel-inspect evaluate`, then nature, grade, remark,
    // reported); empty without an evaluation.
    std::string evaluationCsv() const;
    // The defect list, nullopt without an evaluation (or where the peaks
    // cannot be read).
    std::optional<DefectList> defectList(const DefectListWords& words) const;
    // Defect lists made so far, for the tests that show a gesture makes none.
    int64_t defectListsBuilt() const { return defectListsBuilt_; }

    // Writes what waits to be written, now.
    void flush();

signals:
    // Another recording (or none) is open: its inspection read.
    void opened();
    // The decisions changed by another viewer's save merged in or a choice
    // settled.
    void inspectionReplaced();
    // The evaluation and summaries, and `withOverview` the overview too,
    // are about to go: let go of them.
    void evaluationDropping(bool withOverview);

private:
    void save();
    void keepSettings();
    void settleOtherFile();
    InspectionStore::Saved settleSaveConflict(InspectionStore::Saved saved, bool ask);
    void takeMerged(const Inspection& merged);
    void say(RecordingNotice::Kind kind, const QString& detail, const QString& path = {});
    void dropEvaluated();

    QString dataFolder_;
    OverviewSettings settings_;
    std::unique_ptr<EvaluatedRecording> evaluated_;
    Inspection inspection_;
    RecordingIdentity identity_;
    QString path_; // the recording the decisions belong to
    InspectionStore store_;
    QTimer* saveTimer_ = nullptr;
    bool closing_ = false;
    bool besideRefusalTold_ = false;
    QString saveFailureTold_; // the reason a save failed, once said
    mutable int64_t defectListsBuilt_ = 0;
};

} // namespace vantrel
