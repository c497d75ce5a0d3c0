// The echo-dynamics window (回波动态): the gate A amplitude and a position of
// every shown frame of the open file as strips, with the B-scan under them,
// the thresholds, the indications found above them (and, in the evaluation
// view, those evaluated against the DAC lines and the inspector's manual
// ones), the operator notes, the records that carry a parameter block, the
// damaged and missing records, and a cursor on the frame on screen. A click on the strips or on an
// indication shows that frame in the main window; the overview itself is computed on a worker
// thread (OverviewJob) while the main window goes on working.
//
// The form only wires: the overview and its marks come from the viewer's
// model, the view rules from overview_view.h, the pictures from the strips
// widget. It reads the main window's core and never changes it; the owner
// tells it when a file was opened or a frame drawn, and shows the frames it
// asks for. The owner deletes it before the core.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/defect_list.h"
#include "analysis/echo_overview.h"
#include "analysis/evaluation.h"
#include "analysis/inspection.h"
#include "analysis/overview_marks.h"
#include "analysis/overview_view.h"
#include "app/inspection_choice_dialog.h"
#include "app/overview_job.h"
#include "inspection/inspection_file.h"
#include "inspection/inspection_store.h"
#include "report_page/defect_list_page.h"
#include "viewer/viewer_core.h"

class QCheckBox;
class QHBoxLayout;
class QImage;
class QLabel;
class QProgressBar;
class QStackedWidget;
class QPushButton;
class QTimer;

namespace vantrel {

class EchoStrips;
class EvaluationList;
class IndicationList;
class OverviewSettingsBar;

class TEchoDynamicsForm : public QWidget {
    Q_OBJECT
public:
    // Shows frame `frame` of record `record` in the main window.
    using ShowFrame = std::function<void(int32_t record, int32_t frame)>;
    // A top-level window of `parent`, hidden until shown, on the file `core`
    // has open; `compute` computes the overview (computeOverview when not
    // given).
    TEchoDynamicsForm(const ViewerCore& core, ShowFrame showFrame, QWidget* parent,
                      OverviewJob::Compute compute = {});
    ~TEchoDynamicsForm() override;

    // Chooses the file the indications are exported to, offering
    // `suggestion`; nullopt when cancelled. The default shows the save dialog.
    std::function<std::optional<QString>(const QString& suggestion)> chooseCsvFile;

    // ---- state
    bool computing() const { return job_->running(); }
    // The overview of the open file, or nullptr while there is none
    // (computing, cancelled, no file).
    const EchoOverview* overview() const { return overview_.get(); }
    const OverviewSettings& settings() const { return settings_; }
    // The evaluation of the overview against the recorded DAC lines, with
    // the overview's merge gap, or nullptr while there is no overview.
    const Evaluation* evaluation() const { return evaluation_.get(); }
    bool evaluationShown() const;
    // The B-scan strip under the others (shown unless switched off;
    // remembered).
    void setBscanShown(bool shown);
    bool bscanShown() const;
    // What the inspector decided about the open recording.
    const Inspection& inspection() const { return inspection_; }
    // The travel the calibration gives, if any.
    std::optional<Travel> travel() const;
    // The defect list of the evaluation and the decisions, or nullopt while
    // there is no evaluation (nothing computed yet).
    std::optional<DefectListInputs> defectListInputs() const;
    const OverviewView& view() const;

    // ---- commands (the controls' handlers)
    // Computes the overview of the open file anew (a computation under way
    // is cancelled first).
    void startComputation();
    void cancelComputation();
    // Shows the whole file across the strips.
    void fitAll();
    // Shows shown frames from .. to - 1 (kept within the file, at least a
    // few frames).
    void setView(int64_t from, int64_t to);
    // Shows the peak of indication `row` of the list in the main window.
    void goToIndication(int row);
    // Shows shown frame i of the overview in the main window.
    void goToShownFrame(int64_t i);
    // The evaluation view: the amplitude strip against the DAC curve and the
    // list of evaluated indications, or the overview's.
    void setEvaluationShown(bool shown);
    // Marks the 6 dB run of evaluated indication `row` on the strip and
    // selects its row.
    void selectEvaluated(int row);
    // The inspector's decision on evaluated indication `row`.
    void setDecision(int row, const IndicationDecision& decision);
    // Marks shown frames first .. last (either order) as a manual
    // indication (markManual), kept and listed; a Ctrl+drag on the strips
    // or the B-scan asks for it.
    void markManualIndication(int64_t first, int64_t last);
    // The inspector's decision on manual indication j.
    void setManualDecision(int j, const IndicationDecision& decision);
    // Removes manual indication j once confirmManualRemoval agrees.
    void removeManualIndication(int j);
    // Asks whether manual indication `what` ("248:0–252:3") goes; the
    // default asks in a message box.
    std::function<bool(const QString& what)> confirmManualRemoval;
    // Shows manual indication j's peak in the main window.
    void goToManualIndication(int j);
    // The scan travel; lengths turn to millimetres where it gives one.
    void setTravel(const TravelCalibration& calibration);
    // The report's typed cells of the job, by caption; kept with the
    // decisions (the flaw's cells a file of the first version kept with
    // them stay as they were).
    void setReportCells(const std::map<std::string, std::string>& cells);
    // The report's cells of the flaw at `frame`: kept with its indication,
    // or by the frame (see flawCellsAt); and the place's name for the
    // report window, "指示 2（166:4–204:0）" or "帧 190:3".
    void setFlawCells(FramePlace frame, const std::map<std::string, std::string>& cells);
    std::map<std::string, std::string> flawCellsAt(FramePlace frame) const;
    QString flawPlaceText(FramePlace frame) const;
    // Asks the travel (chooseTravel) and sets it.
    void calibrateTravel();
    // Asks the scan travel, offering the current calibration, the notes and
    // the frame on screen; nullopt when cancelled. The default shows the
    // travel dialog.
    std::function<std::optional<TravelCalibration>(const TravelCalibration& current)> chooseTravel;
    // Asks which version of the decisions to keep when two meet (two files
    // on opening, another window's save on saving); nullopt when the
    // inspector leaves it open (then nothing of the other version is lost or
    // overwritten: on opening the file beside stays in use and the other is
    // offered again next time; on saving nothing is written yet). The
    // default shows the InspectionChoiceDialog.
    std::function<std::optional<InspectionChoice>(const InspectionQuestion& question)>
        chooseInspection;
    // The inspection file the decisions came from or last went to; empty
    // for none.
    QString inspectionPath() const { return store_.path(); }
    // Writes the indication list to the file chooseCsvFile names.
    void exportCsv();
    // The threshold of one unit set from the strips (tenths); a % threshold
    // set this way replaces the gate level.
    void setThreshold(AmplitudeUnit unit, int64_t tenths);

    // The first time it is shown without a remembered place, this window
    // opens beside the whole owner where the screen has room, else beside
    // this widget of the owner's rather than over it.
    void setKeepClear(QWidget* widget) { keepClear_ = widget; }

    // ---- what the owner tells
    // The main window opened another file: its overview is computed anew.
    void fileOpened();
    // The main window drew a frame: the cursor follows.
    void frameDrawn();

signals:
    // An overview of the open file was computed: overview() holds it.
    void overviewComputed();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void buildControls();
    QWidget* buildListPanel();
    QHBoxLayout* buildProgressRow();
    void connectControls();
    void settingsChanged(const OverviewSettings& settings, bool positionChanged);
    // The title: 回波动态 and the open file's name.
    void syncTitle();
    void jobFinished();
    void showView(const OverviewView& view);
    // A change of thresholds or merge gap: the indications are found again.
    void thresholdsChanged();
    // Copies the settings onto the controls and the overview's state onto
    // the progress row, the status line and the list.
    void syncControls();
    QString statusText() const;
    void dropOverview();
    // The evaluation of the overview as it now stands, its list and strip.
    void evaluate();
    void fillEvaluationList();
    // The manual indications' rows after the evaluated ones, and their
    // outlines on the strips.
    void addManualRows(const DecisionMatch& match, const DefectListWords& words,
                       std::vector<DefectRow>& rows, std::vector<IndicationDecision>& decisions);
    // The manual indications' part of the status line ("" without any).
    QString manualStatusText() const;
    // The evaluated indications as CSV, with the inspector's decisions.
    std::string evaluationCsv() const;
    // The decisions kept for the open recording, read when it opens, and
    // written after every change; what stands in the way is said once.
    void loadInspectionFile();
    void saveInspectionFile();
    // Writes what waits to be written (typed report cells), now.
    void flushInspectionFile();
    // The evaluation's settings kept in the inspection: taken when a
    // recording opens, kept (and written) when they change.
    void takeKeptSettings();
    void keepSettings();
    // Both places held a version: the inspector's choice, settled.
    void settleOtherInspectionFile();
    // A save met another program's changes that conflict with ours: asked
    // (`ask`) and settled, or when not settled, ours kept aside (closing).
    InspectionStore::Saved settleSaveConflict(InspectionStore::Saved saved, bool ask);
    // The inspection as a merge made it, into the lists.
    void takeMergedInspection(const Inspection& merged);
    void tell(const QString& name, const QString& text);

    const ViewerCore& core_;
    ShowFrame showFrame_;
    OverviewSettings settings_;
    std::unique_ptr<EchoOverview> overview_;
    std::vector<OverviewMark> marks_;
    std::unique_ptr<Evaluation> evaluation_;
    // The B-scan strip's reader for narrow views, on the overview's file.
    std::unique_ptr<RecordQuery> bscanReader_;
    std::unique_ptr<EvaluationSummaries> evaluationSummaries_;
    std::vector<PeakPositions> peakPositions_; // by evaluated indication
    Inspection inspection_;
    RecordingIdentity identity_;
    QString recordingPath_; // the recording the decisions belong to
    InspectionStore store_; // its inspection file
    bool closing_ = false;
    QTimer* saveTimer_ = nullptr;
    bool besideRefusalTold_ = false;
    QString saveFailureTold_; // the reason a save failed, once said
    bool cancelled_ = false;
    bool geometryRestored_ = false;
    OverviewJob* job_ = nullptr;
    QWidget* keepClear_ = nullptr;

    OverviewSettingsBar* settingsBar_ = nullptr;
    EchoStrips* strips_ = nullptr;
    IndicationList* list_ = nullptr;
    EvaluationList* evaluationList_ = nullptr;
    QStackedWidget* lists_ = nullptr;
    QCheckBox* evaluationView_ = nullptr;
    QCheckBox* bscanShown_ = nullptr;
    QPushButton* calibrate_ = nullptr;
    QLabel* travelLabel_ = nullptr;
    QPushButton* export_ = nullptr;
    QCheckBox* showMarks_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* recompute_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QTimer* progressTimer_ = nullptr;
};

} // namespace vantrel
