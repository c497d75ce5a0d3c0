#include "app/echo_dynamics_form.h"

#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "analysis/indication_table.h"
#include "app/app_settings.h"
#include "app/echo_strips.h"
#include "app/evaluation_list.h"
#include "app/indication_list.h"
#include "app/overview_settings_bar.h"
#include "app/travel_dialog.h"
#include "pictures/gbk_qstring.h"
#include "report_page/defect_list_page.h"
#include "widgets/window_placement.h"

namespace vantrel {

namespace {

QString settingsKey() { return QStringLiteral("EchoDynamics/geometry"); }
} // namespace

TEchoDynamicsForm::TEchoDynamicsForm(const ViewerCore& core, OpenRecording& recording,
                                     ShowFrame showFrame, QWidget* parent,
                                     OverviewJob::Compute compute)
    : QWidget(parent, Qt::Window), core_(core), recording_(recording),
      showFrame_(std::move(showFrame)), job_(new OverviewJob(std::move(compute), this)) {
    setObjectName(QStringLiteral("EchoDynamicsForm"));
    syncTitle();
    buildControls();
    installDefaultDialogs();
    connect(job_, &OverviewJob::finished, this, [this] { jobFinished(); });
    connect(&recording_, &OpenRecording::evaluationDropping, this,
            [this](bool withOverview) { releaseEvaluation(withOverview); });
    connect(&recording_, &OpenRecording::inspectionReplaced, this, [this] {
        fillEvaluationList();
        syncControls();
    });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] { syncControls(); });
    syncControls();
}

TEchoDynamicsForm::~TEchoDynamicsForm() {
    job_->stop();
    releaseEvaluation(true);
}

void TEchoDynamicsForm::settingsChanged(const OverviewSettings& settings, bool positionChanged) {
    rememberOverviewSettings(settings);
    if (positionChanged) recording_.dropOverview(); // not found again for the old kind
    applySettings(settings);
    if (positionChanged) startComputation();
}

void TEchoDynamicsForm::applySettings(const OverviewSettings& settings) {
    const EvaluatedRecording::Changed changed = recording_.applySettings(settings);
    if (const EchoOverview* o = overview()) {
        if (changed.indications) list_->fill(o);
        if (changed.evaluation) showEvaluation();
        strips_->invalidate();
    }
    syncControls();
}

// ------------------------------------------------------------ computation

const EchoOverview* TEchoDynamicsForm::overview() const {
    return recording_.evaluated() ? &recording_.evaluated()->overview() : nullptr;
}

const Evaluation* TEchoDynamicsForm::evaluation() const {
    return recording_.evaluated() ? &recording_.evaluated()->evaluation() : nullptr;
}

void TEchoDynamicsForm::releaseEvaluation(bool withOverview) {
    strips_->setBscanSources(nullptr, nullptr);
    strips_->setEvaluation(nullptr, nullptr);
    // The evaluation list reads the evaluation too; a new one follows at
    // once (showEvaluation) when only the evaluation is made anew.
    if (!withOverview) return;
    evaluationList_->fill({}, nullptr, nullptr);
    list_->fill(nullptr); // it reads the overview
    strips_->setOverview(nullptr, nullptr);
    bscanReader_.reset();
    marks_.clear();
}

void TEchoDynamicsForm::showEvaluation() {
    const EvaluatedRecording* e = recording_.evaluated();
    // The B-scan strip reads narrow views from the file; wide ones come
    // from the overview's block maxima, with or without a reader.
    strips_->setBscanSources(bscanReader_.get(), e ? &e->evaluation() : nullptr);
    if (e && evaluationShown())
        strips_->setEvaluation(&e->evaluation(), &e->summaries());
    else
        strips_->setEvaluation(nullptr, nullptr);
    fillEvaluationList();
}

void TEchoDynamicsForm::fillEvaluationList() {
    evaluationList_->fill(recording_.evaluationRows(defectListWords()), evaluation(),
                          &inspection());
    strips_->setManualIndications(recording_.manualRuns());
    DefectList calibration; // the list's own words for the travel
    calibration.calibration = inspection().travel;
    calibration.travel = travel();
    travelLabel_->setText(defectListTravelText(calibration));
}

bool TEchoDynamicsForm::evaluationShown() const { return evaluationView_->isChecked(); }

bool TEchoDynamicsForm::bscanShown() const { return bscanShown_->isChecked(); }

void TEchoDynamicsForm::setBscanShown(bool shown) {
    if (bscanShown_->isChecked() != shown) {
        bscanShown_->setChecked(shown); // comes back here through toggled
        return;
    }
    appSettings().setValue(TEchoDynamicsForm::bscanKey(), shown);
    strips_->setBscanShown(shown);
}

void TEchoDynamicsForm::setEvaluationShown(bool shown) {
    if (evaluationView_->isChecked() != shown) {
        evaluationView_->setChecked(shown); // comes back here through toggled
        return;
    }
    appSettings().setValue(TEchoDynamicsForm::evaluationViewKey(), shown);
    lists_->setCurrentIndex(shown ? 1 : 0);
    const EvaluatedRecording* e = recording_.evaluated();
    if (shown && e)
        strips_->setEvaluation(&e->evaluation(), &e->summaries());
    else
        strips_->setEvaluation(nullptr, nullptr);
    syncControls();
}

void TEchoDynamicsForm::selectEvaluated(int row) {
    if (!evaluation() || row < 0 || row >= static_cast<int>(evaluation()->indications().size()))
        row = -1;
    strips_->setSelectedIndication(row);
    if (row >= 0 && evaluationList_->currentRow() != row) evaluationList_->selectRow(row);
}

void TEchoDynamicsForm::startComputation() {
    job_->stop();
    progressTimer_->stop();
    recording_.dropOverview();
    fillEvaluationList();
    cancelled_ = false;
    if (core_.fileOpen()) {
        if (job_->start(core_.query(), settings()))
            progressTimer_->start();
        else
            cancelled_ = true; // the file could not be opened a second time
    }
    syncControls();
}

void TEchoDynamicsForm::cancelComputation() {
    job_->cancel();
    syncControls();
}

void TEchoDynamicsForm::jobFinished() {
    progressTimer_->stop();
    EchoOverview result = job_->takeResult();
    if (result.cancelled()) {
        cancelled_ = true;
    } else {
        // Thresholds changed while it ran count from now on.
        recording_.setOverview(std::move(result), core_.query());
        const EchoOverview& o = *overview();
        marks_ = overviewMarks(o, core_.file());
        const OverviewView v = viewForNewOverview(strips_->view(), o.frameCount());
        strips_->setOverview(&o, &marks_);
        strips_->setView(v);
        frameDrawn();
        list_->fill(&o);
        bscanReader_ = std::make_unique<RecordQuery>();
        if (bscanReader_->openAlongside(core_.query()))
            bscanReader_->setPanelAndCurves(false);
        else
            bscanReader_.reset();
        showEvaluation();
        emit overviewComputed();
    }
    syncControls();
}

void TEchoDynamicsForm::syncTitle() {
    // Named after the file it shows, as the main window is.
    const QString name = QFileInfo(QString::fromStdString(core_.file().path())).fileName();
    setWindowTitle(core_.fileOpen() && !name.isEmpty()
                       ? tr("回波动态") + QStringLiteral(" \u2013 ") + name
                       : tr("回波动态"));
}

void TEchoDynamicsForm::fileOpened() {
    // The open recording has read the new recording's decisions.
    syncTitle();
    job_->stop();
    progressTimer_->stop();
    recording_.dropOverview();
    fillEvaluationList();
    strips_->setView({});
    list_->fill(nullptr);
    // A hidden window computes when it is shown next.
    if (isVisible())
        startComputation();
    else
        syncControls();
}

// ------------------------------------------------------------ commands

const OverviewView& TEchoDynamicsForm::view() const { return strips_->view(); }

void TEchoDynamicsForm::frameDrawn() {
    int64_t cursor = -1;
    if (overview()) {
        if (const std::optional<FramePlace> place = core_.placeOnScreen())
            cursor = overview()->indexOf(place->record, place->frame);
    }
    showView(followCursor(view(), cursor, overview() ? overview()->frameCount() : 0));
}

void TEchoDynamicsForm::showView(const OverviewView& v) { strips_->setView(v); }

void TEchoDynamicsForm::fitAll() {
    if (overview()) showView(fitView(view(), overview()->frameCount()));
}

void TEchoDynamicsForm::setView(int64_t from, int64_t to) {
    if (overview()) showView(showFrames(view(), from, to, overview()->frameCount()));
}

void TEchoDynamicsForm::goToShownFrame(int64_t i) {
    const EchoOverview* o = overview();
    if (!o || i < 0 || i >= o->frameCount()) return;
    showFrame_(o->recordNumber(i), o->frameNumber(i));
}

void TEchoDynamicsForm::goToIndication(int row) {
    const EchoOverview* o = overview();
    if (!o || row < 0 || row >= static_cast<int>(o->indications().size())) return;
    goToShownFrame(o->indications()[static_cast<size_t>(row)].peak);
}

void TEchoDynamicsForm::setThreshold(AmplitudeUnit unit, int64_t tenths) {
    OverviewSettings s = settings();
    if (unit == AmplitudeUnit::Db) {
        if (s.dbThreshold == tenths) return;
        s.dbThreshold = tenths;
    } else {
        if (s.percentThreshold == tenths) return;
        s.percentThreshold = tenths;
    }
    rememberOverviewSettings(s);
    applySettings(s);
}

// ------------------------------------------------------------ display

void TEchoDynamicsForm::syncControls() {
    settingsBar_->showSettings(settings());
    settingsBar_->setFitEnabled(overview() != nullptr);

    const bool computing = job_->running();
    progress_->setVisible(computing);
    cancel_->setVisible(computing);
    cancel_->setEnabled(computing && !job_->cancelling());
    recompute_->setVisible(!computing && cancelled_ && core_.fileOpen());
    if (computing) progress_->setValue(job_->permille());
    export_->setEnabled(overview() != nullptr);
    calibrate_->setEnabled(overview() != nullptr);
    status_->setText(statusText());
    strips_->setEmptyText(status_->text());
}

QString TEchoDynamicsForm::statusText() const {
    if (!core_.fileOpen()) return tr("没有打开的文件");
    if (job_->running()) return job_->cancelling() ? tr("正在取消...") : tr("正在计算回波动态...");
    if (cancelled_) return tr("计算已取消");
    const EchoOverview* o = overview();
    if (o && evaluationShown())
        return tr("%1 帧，评定 %2 帧，%3 处评定的指示")
                   .arg(o->frameCount())
                   .arg(evaluation()->evaluatedFrames())
                   .arg(evaluation()->indications().size()) +
               manualStatusText();
    if (o)
        return tr("%1 帧，%2 处指示").arg(o->frameCount()).arg(o->indications().size()) +
               manualStatusText();
    return {};
}

// ------------------------------------------------------------ showing

void TEchoDynamicsForm::showEvent(QShowEvent* event) {
    if (!geometryRestored_) {
        geometryRestored_ = true;
        // The place and size of the last showing, on this or an earlier run;
        // the first time, beside the main window where there is room, else
        // beside its A-scan.
        placeWindow(*this, appSettings().value(settingsKey()).toByteArray(), keepClear_,
                    QSize(900, 560));
    }
    QWidget::showEvent(event);
    if (core_.fileOpen() && !overview() && !job_->running()) startComputation();
}

void TEchoDynamicsForm::hideEvent(QHideEvent* event) {
    recording_.flush(); // closed: what waits is written now
    QSettings settings = appSettings();
    settings.setValue(settingsKey(), saveGeometry());
    QWidget::hideEvent(event);
}

} // namespace vantrel
