// The echo-dynamics window (回波动态): the gate A amplitude and a position of
// every shown frame of the open file as two strips, with the thresholds, the
// indications found above them, the operator notes, the records that carry a
// parameter block, the damaged and missing records, and a cursor on the frame
// on screen. A click on the strips or on an indication shows that frame in the
// main window through the viewer's goToFrame command; the overview itself is
// computed on a worker thread while the main window goes on working.
//
// Ownership and threads: the main window owns this window and deletes it
// before its ViewerCore. The worker thread never sees the core: it gets a
// reader of its own, opened alongside the core's file on the user-interface
// thread before the thread starts, and hands its result over by ending (the
// user-interface thread joins it before it reads the result). The destructor
// cancels a computation under way and waits for its thread.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "echo_overview.h"
#include "overview_render.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTableWidget;
class QTimer;

namespace vantrel {

class TMainForm;
class EchoStrips;

class TEchoDynamicsForm : public QWidget {
    Q_OBJECT
public:
    // A top-level window of `main`, hidden until shown.
    explicit TEchoDynamicsForm(TMainForm& main);
    ~TEchoDynamicsForm() override;

    // Chooses the file the indications are exported to; nullopt when
    // cancelled. The default shows the save dialog; tests replace it.
    std::function<std::optional<QString>()> chooseCsvFile;
    // For tests: runs on the worker thread before each computation, with the
    // computation's progress (whose cancel it may wait for).
    std::function<void(const OverviewProgress&)> beforeComputing;

    // ---- state, for the window's own display and for tests
    bool computing() const { return job_ != nullptr; }
    // The overview of the open file, or nullptr while there is none
    // (computing, cancelled, no file).
    const EchoOverview* overview() const { return overview_.get(); }
    const OverviewSettings& settings() const { return settings_; }
    const OverviewView& view() const { return view_; }
    // The strips as shown, with the marks over them.
    const QImage& stripsPicture();

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
    // Writes the indication list to the file chooseCsvFile names.
    void exportCsv();
    // The threshold of one unit set from the strips (tenths); a % threshold
    // set this way replaces the gate level.
    void setThreshold(AmplitudeUnit unit, int64_t tenths);

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // The title: 回波动态 and the open file's name.
    void syncTitle();
    friend class EchoStrips;
    struct Job;
    // A run of shown frames the marks name: a note (with its text), a record
    // that carries a block, a damaged record, a gap where records are missing.
    struct Mark {
        enum Kind { Note, Block, Damaged, Missing } kind;
        int64_t first, end; // shown frames first .. end - 1 (end == first: a boundary)
        QString text;
    };

    void buildControls();
    // The main window opened another file: its overview is computed anew.
    void fileOpened();
    void frameDrawn();
    void stopJob();
    void jobFinished(uint64_t generation);
    // The marks of the open file, read from the core's record index and notes.
    void collectMarks();
    // A change of thresholds or merge gap: the indications are found again.
    void thresholdsChanged();
    // Copies the settings onto the controls and the overview's state onto
    // the progress row, the status line and the list.
    void syncControls();
    void refillIndications();
    void invalidateStrips();
    void renderStrips();
    // Tooltip text for column x of the plots (relative to the plot).
    QString describeColumn(int x) const;
    void saveGeometrySetting() const;

    TMainForm& main_;
    OverviewSettings settings_;
    std::unique_ptr<EchoOverview> overview_;
    std::vector<Mark> marks_;
    OverviewView view_;
    bool cancelled_ = false;
    bool geometryRestored_ = false;
    bool syncing_ = false;
    uint64_t generation_ = 0;
    std::unique_ptr<Job> job_;

    QImage strips_;
    bool stripsDirty_ = true;

    EchoStrips* stripsWidget_ = nullptr;
    QComboBox* position_ = nullptr;
    QCheckBox* byGateLevel_ = nullptr;
    QDoubleSpinBox* percent_ = nullptr;
    QDoubleSpinBox* db_ = nullptr;
    QSpinBox* gap_ = nullptr;
    QPushButton* fit_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* recompute_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
    QTableWidget* table_ = nullptr;
    QTimer* progressTimer_ = nullptr;
};

} // namespace vantrel
