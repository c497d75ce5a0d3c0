// The echo-dynamics window (回波动态): the gate A amplitude and a position of
// every shown frame of the open file as strips, with the B-scan under them,
// the thresholds, the indications found above them (and, in the evaluation
// view, those evaluated against the DAC lines and the inspector's manual
// ones), the operator notes, the records that carry a parameter block, the
// damaged and missing records, and a cursor on the frame on screen. A click on the strips or on an
// indication shows that frame in the main window; the overview itself is computed on a worker
// thread (OverviewJob) while the main window goes on working.
//
// The form only wires: the analysis and the inspector's decisions are the
// open recording's (OpenRecording), the marks come from the analysis, the
// view rules from overview_view.h, the pictures from the strips widget. It
// reads the main window's core and never changes it; the owner tells it
// when a file was opened or a frame drawn, and shows the frames it asks
// for. The owner deletes it before the core and the open recording.
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
#include "app/overview_job.h"
#include "inspection/open_recording.h"
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
    // has open and `recording` holds; `compute` computes the overview
    // (computeOverview when not given).
    TEchoDynamicsForm(const ViewerCore& core, OpenRecording& recording, ShowFrame showFrame,
                      QWidget* parent, OverviewJob::Compute compute = {});
    ~TEchoDynamicsForm() override;

    // Chooses the file the indications are exported to, offering
    // `suggestion`; nullopt when cancelled. The default shows the save dialog.
    std::function<std::optional<QString>(const QString& suggestion)> chooseCsvFile;

    // ---- state
    bool computing() const { return job_->running(); }
    // The overview of the open file, or nullptr while there is none
    // (computing, cancelled, no file).
    const EchoOverview* overview() const;
    const OverviewSettings& settings() const { return recording_.settings(); }
    // The evaluation of the overview against the recorded DAC lines, with
    // the overview's merge gap, or nullptr while there is no overview.
    const Evaluation* evaluation() const;
    bool evaluationShown() const;
    // The B-scan strip under the others (shown unless switched off;
    // remembered).
    void setBscanShown(bool shown);
    bool bscanShown() const;
    // What the inspector decided about the open recording.
    const Inspection& inspection() const { return recording_.inspection(); }
    // The travel the calibration gives, if any.
    std::optional<Travel> travel() const { return recording_.travel(); }
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
    // Asks the travel (chooseTravel) and sets it.
    void calibrateTravel();
    // Asks the scan travel, offering the current calibration, the notes and
    // the frame on screen; nullopt when cancelled. The default shows the
    // travel dialog.
    std::function<std::optional<TravelCalibration>(const TravelCalibration& current)> chooseTravel;
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
    // The keys of what the window remembers.
    static QString evaluationViewKey();
    static QString bscanKey();
    void buildControls();
    // The dialogs chooseCsvFile, chooseTravel and confirmManualRemoval show
    // unless replaced.
    void installDefaultDialogs();
    QWidget* buildListPanel();
    QHBoxLayout* buildProgressRow();
    void connectControls();
    void settingsChanged(const OverviewSettings& settings, bool positionChanged);
    // New settings in force: what depends on them shown anew.
    void applySettings(const OverviewSettings& settings);
    // The title: 回波动态 and the open file's name.
    void syncTitle();
    void jobFinished();
    void showView(const OverviewView& view);
    // Copies the settings onto the controls and the overview's state onto
    // the progress row, the status line and the list.
    void syncControls();
    QString statusText() const;
    // The open recording's analysis is about to go: the widgets let go of it.
    void releaseEvaluation(bool withOverview);
    // The evaluation as it now stands, on the strips and in its list.
    void showEvaluation();
    void fillEvaluationList();
    // The manual indications' part of the status line ("" without any).
    QString manualStatusText() const;
    void tell(const QString& name, const QString& text);

    const ViewerCore& core_;
    OpenRecording& recording_;
    ShowFrame showFrame_;
    std::vector<OverviewMark> marks_;
    // The B-scan strip's reader for narrow views, on the overview's file.
    std::unique_ptr<RecordQuery> bscanReader_;
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
