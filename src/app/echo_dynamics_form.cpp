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
#include "widgets/window_placement.h"

namespace vantrel {

namespace {

QString settingsKey() { return QStringLiteral("EchoDynamics/geometry"); }
QString evaluationViewKey() { return QStringLiteral("EchoDynamics/evaluationView"); }
QString bscanKey() { return QStringLiteral("EchoDynamics/bscan"); }
} // namespace

TEchoDynamicsForm::TEchoDynamicsForm(const ViewerCore& core, ShowFrame showFrame, QWidget* parent,
                                     OverviewJob::Compute compute)
    : QWidget(parent, Qt::Window), core_(core), showFrame_(std::move(showFrame)),
      job_(new OverviewJob(std::move(compute), this)) {
    setObjectName(QStringLiteral("EchoDynamicsForm"));
    syncTitle();
    buildControls();
    settings_ = rememberedOverviewSettings();

    chooseCsvFile = [this](const QString& suggestion) -> std::optional<QString> {
        QFileDialog dialog(this, tr("导出指示"));
        dialog.selectFile(suggestion);
        dialog.setObjectName(QStringLiteral("CsvSaveDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(QStringLiteral("CSV (*.csv)"));
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    };
    chooseInspection =
        [this](const InspectionQuestion& question) -> std::optional<InspectionChoice> {
        InspectionChoiceDialog dialog(question, this);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.choice();
    };
    chooseTravel = [this](const TravelCalibration& current) -> std::optional<TravelCalibration> {
        if (!overview_) return std::nullopt; // nothing to check a calibration against
        // The notes (each at frame 0, as a note click shows it) and the
        // frame on screen, which a click on the strips puts there.
        std::vector<TravelDialog::Choice> frames;
        for (const Note& note : core_.file().notes())
            frames.push_back({QStringLiteral("%1:0  %2").arg(note.record).arg(fromGbk(note.text)),
                              {note.record, 0}});
        if (const std::optional<FramePlace> place = core_.placeOnScreen())
            frames.push_back({tr("%1:%2（当前帧）").arg(place->record).arg(place->frame), *place});
        TravelDialog dialog(current, frames, *overview_, this);
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.calibration();
    };
    confirmManualRemoval = [this](const QString& what) {
        QMessageBox box(QMessageBox::Question, tr("删除人工指示"),
                        tr("删除人工指示 %1？").arg(what), QMessageBox::Yes | QMessageBox::No,
                        this);
        box.setObjectName(QStringLiteral("ConfirmManualRemoval"));
        box.setDefaultButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes;
    };
    connect(job_, &OverviewJob::finished, this, [this] { jobFinished(); });
    // Typed report cells are written once the typing pauses.
    saveTimer_ = new QTimer(this);
    saveTimer_->setSingleShot(true);
    saveTimer_->setInterval(500);
    connect(saveTimer_, &QTimer::timeout, this, [this] { saveInspectionFile(); });
    loadInspectionFile();
    takeKeptSettings();
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] { syncControls(); });
    syncControls();
}

TEchoDynamicsForm::~TEchoDynamicsForm() {
    closing_ = true; // nothing is asked any more
    flushInspectionFile();
    job_->stop();
}

// ------------------------------------------------------------ the controls

void TEchoDynamicsForm::buildControls() {
    settingsBar_ = new OverviewSettingsBar(this);
    strips_ = new EchoStrips(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(strips_);
    splitter->addWidget(buildListPanel());
    strips_->setBscanShown(bscanShown_->isChecked());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(settingsBar_);
    layout->addWidget(splitter, 1);
    layout->addLayout(buildProgressRow());
    connectControls();
}

// The indication list, the status line and the export button.
QWidget* TEchoDynamicsForm::buildListPanel() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    // The evaluation's row: its switch and the scan travel its lengths use.
    auto* evaluationRow = new QHBoxLayout;
    evaluationView_ = new QCheckBox(tr("评定（对 DAC）(&D)"), panel);
    evaluationView_->setObjectName(QStringLiteral("EvaluationView"));
    evaluationView_->setToolTip(
        tr("波幅条对 DAC 曲线显示，画出各参数块的 RL、SL、EL 线和三个区域；列表列出评定的指示"));
    evaluationView_->setChecked(appSettings().value(evaluationViewKey(), false).toBool());
    evaluationRow->addWidget(evaluationView_);
    bscanShown_ = new QCheckBox(tr("B 扫描(&B)"), panel);
    bscanShown_->setObjectName(QStringLiteral("BscanShown"));
    bscanShown_->setToolTip(tr("在波幅条和位置条下显示 B 扫描：每帧的 A 扫描并排，"
                               "纵向为声程，颜色为波幅"));
    bscanShown_->setChecked(appSettings().value(bscanKey(), true).toBool());
    evaluationRow->addWidget(bscanShown_);
    evaluationRow->addWidget(settingsBar_->splitControls());
    travelLabel_ = new QLabel(panel);
    travelLabel_->setObjectName(QStringLiteral("TravelText"));
    evaluationRow->addWidget(travelLabel_, 1);
    calibrate_ = new QPushButton(tr("行程标定..."), panel);
    calibrate_->setObjectName(QStringLiteral("CalibrateTravel"));
    evaluationRow->addWidget(calibrate_);
    layout->addLayout(evaluationRow);
    list_ = new IndicationList(panel);
    evaluationList_ = new EvaluationList(panel);
    lists_ = new QStackedWidget(panel);
    lists_->addWidget(list_);
    lists_->addWidget(evaluationList_);
    lists_->setCurrentIndex(evaluationView_->isChecked() ? 1 : 0);
    layout->addWidget(lists_);
    auto* buttons = new QHBoxLayout;
    status_ = new QLabel(panel);
    status_->setObjectName(QStringLiteral("OverviewStatus"));
    buttons->addWidget(status_, 1);
    showMarks_ = new QCheckBox(tr("标注和参数块"), panel);
    showMarks_->setObjectName(QStringLiteral("ShowNotesAndBlocks"));
    showMarks_->setToolTip(tr("在波幅和位置条上标出操作员标注和带参数块的记录"));
    showMarks_->setChecked(true);
    buttons->addWidget(showMarks_);
    export_ = new QPushButton(tr("导出CSV..."), panel);
    export_->setObjectName(QStringLiteral("ExportCsv"));
    buttons->addWidget(export_);
    layout->addLayout(buttons);
    return panel;
}

// The progress of a computation, its cancel and the recompute after one.
QHBoxLayout* TEchoDynamicsForm::buildProgressRow() {
    auto* bottom = new QHBoxLayout;
    progress_ = new QProgressBar(this);
    progress_->setObjectName(QStringLiteral("OverviewProgress"));
    progress_->setRange(0, 1000);
    progress_->setTextVisible(false);
    bottom->addWidget(progress_, 1);
    cancel_ = new QPushButton(tr("取消"), this);
    cancel_->setObjectName(QStringLiteral("CancelOverview"));
    bottom->addWidget(cancel_);
    recompute_ = new QPushButton(tr("重新计算"), this);
    recompute_->setObjectName(QStringLiteral("RecomputeOverview"));
    bottom->addWidget(recompute_);
    return bottom;
}

void TEchoDynamicsForm::connectControls() {
    connect(settingsBar_, &OverviewSettingsBar::changed, this,
            [this](const OverviewSettings& s, bool positionChanged) {
                settingsChanged(s, positionChanged);
            });
    connect(settingsBar_, &OverviewSettingsBar::fitRequested, this, [this] { fitAll(); });
    connect(showMarks_, &QCheckBox::toggled, strips_, &EchoStrips::setNotesAndBlocksShown);
    connect(export_, &QPushButton::clicked, this, [this] { exportCsv(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelComputation(); });
    connect(recompute_, &QPushButton::clicked, this, [this] { startComputation(); });
    connect(list_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { goToIndication(row); });
    connect(evaluationView_, &QCheckBox::toggled, this,
            [this](bool on) { setEvaluationShown(on); });
    connect(bscanShown_, &QCheckBox::toggled, this, [this](bool on) { setBscanShown(on); });
    connect(calibrate_, &QPushButton::clicked, this, [this] { calibrateTravel(); });
    connect(evaluationList_, &QTableWidget::currentCellChanged, this,
            [this](int row) { selectEvaluated(row); });
    // A double click on the program's columns shows the peak; on the
    // inspector's it edits.
    connect(evaluationList_, &QTableWidget::cellDoubleClicked, this, [this](int row, int column) {
        if (column < EvaluationList::Nature && evaluationList_->manualAt(row) >= 0)
            goToManualIndication(evaluationList_->manualAt(row));
        else if (column < EvaluationList::Nature && evaluation_ && row >= 0 &&
                 row < static_cast<int>(evaluation_->indications().size()))
            goToShownFrame(evaluation_->indications()[static_cast<size_t>(row)].peak);
    });
    connect(evaluationList_, &EvaluationList::decisionEdited, this,
            [this](int row, const IndicationDecision& d) { setDecision(row, d); });
    connect(evaluationList_, &EvaluationList::manualDecisionEdited, this,
            [this](int j, const IndicationDecision& d) { setManualDecision(j, d); });
    connect(evaluationList_, &EvaluationList::manualRemovalRequested, this,
            [this](int j) { removeManualIndication(j); });
    connect(strips_, &EchoStrips::manualMarkRequested, this,
            [this](int64_t first, int64_t last) { markManualIndication(first, last); });
    connect(strips_, &EchoStrips::seekRequested, this, [this](int64_t i) { goToShownFrame(i); });
    connect(strips_, &EchoStrips::viewRequested, this,
            [this](const OverviewView& v) { showView(v); });
    connect(strips_, &EchoStrips::thresholdRequested, this,
            [this](AmplitudeUnit unit, int64_t tenths) { setThreshold(unit, tenths); });
}

void TEchoDynamicsForm::settingsChanged(const OverviewSettings& settings, bool positionChanged) {
    settings_ = settings;
    rememberOverviewSettings(settings_);
    keepSettings();
    if (positionChanged)
        startComputation();
    else
        thresholdsChanged();
}

// ------------------------------------------------------------ computation

void TEchoDynamicsForm::dropOverview() {
    strips_->setBscanSources(nullptr, nullptr);
    bscanReader_.reset();
    strips_->setEvaluation(nullptr, nullptr);
    strips_->setOverview(nullptr, nullptr);
    evaluationSummaries_.reset();
    evaluation_.reset();
    peakPositions_.clear();
    overview_.reset();
    marks_.clear();
    fillEvaluationList();
}

void TEchoDynamicsForm::evaluate() {
    strips_->setBscanSources(nullptr, nullptr);
    strips_->setEvaluation(nullptr, nullptr);
    evaluationSummaries_.reset();
    evaluation_.reset();
    peakPositions_.clear();
    if (overview_) {
        evaluation_ =
            std::make_unique<Evaluation>(*overview_, settings_.gap, settings_.splitMicrometres);
        evaluationSummaries_ = std::make_unique<EvaluationSummaries>(*evaluation_);
        // Depth and surface distance at each peak, from its record: a
        // reader of its own, the main window's stays where it is.
        RecordQuery reader;
        if (reader.openAlongside(core_.query())) {
            reader.setPanelAndCurves(false);
            for (const EvaluatedIndication& d : evaluation_->indications())
                peakPositions_.push_back(peakPositions(*overview_, reader, d.peak));
        }
        peakPositions_.resize(evaluation_->indications().size());
        // The B-scan strip reads narrow views from the file; wide ones come
        // from the overview's block maxima, with or without a reader.
        if (!bscanReader_) {
            bscanReader_ = std::make_unique<RecordQuery>();
            if (bscanReader_->openAlongside(core_.query()))
                bscanReader_->setPanelAndCurves(false);
            else
                bscanReader_.reset();
        }
        strips_->setBscanSources(bscanReader_.get(), evaluation_.get());
        if (evaluationShown())
            strips_->setEvaluation(evaluation_.get(), evaluationSummaries_.get());
    }
    fillEvaluationList();
}

void TEchoDynamicsForm::fillEvaluationList() {
    std::vector<DefectRow> rows;
    std::vector<IndicationDecision> decisions, orphans;
    const std::optional<Travel> t = travel();
    if (evaluation_) {
        const DefectListWords words = defectListWords();
        const DecisionMatch match = matchDecisions(*evaluation_, inspection_);
        for (const IndicationDecision* orphan : match.orphans)
            orphans.push_back(*orphan);
        for (size_t k = 0; k < evaluation_->indications().size(); ++k) {
            const EvaluatedIndication& d = evaluation_->indications()[k];
            const IndicationDecision* decided = match.byIndication[k];
            rows.push_back(
                defectRow(*overview_, *evaluation_, k, peakPositions_[k], t, decided, words));
            IndicationDecision blank;
            blank.start = {overview_->recordNumber(d.start), overview_->frameNumber(d.start)};
            blank.end = {overview_->recordNumber(d.end), overview_->frameNumber(d.end)};
            decisions.push_back(decided ? *decided : blank);
        }
        addManualRows(match, words, rows, decisions);
    } else {
        addManualRows({}, {}, rows, decisions);
    }
    evaluationList_->fill(rows, decisions, orphans);
    DefectList calibration; // the list's own words for the travel
    calibration.calibration = inspection_.travel;
    calibration.travel = t;
    travelLabel_->setText(defectListTravelText(calibration));
}

bool TEchoDynamicsForm::evaluationShown() const { return evaluationView_->isChecked(); }

bool TEchoDynamicsForm::bscanShown() const { return bscanShown_->isChecked(); }

void TEchoDynamicsForm::setBscanShown(bool shown) {
    if (bscanShown_->isChecked() != shown) {
        bscanShown_->setChecked(shown); // comes back here through toggled
        return;
    }
    appSettings().setValue(bscanKey(), shown);
    strips_->setBscanShown(shown);
}

std::optional<Travel> TEchoDynamicsForm::travel() const {
    return overview_ ? travelOf(inspection_.travel, *overview_) : std::nullopt;
}

void TEchoDynamicsForm::setEvaluationShown(bool shown) {
    if (evaluationView_->isChecked() != shown) {
        evaluationView_->setChecked(shown); // comes back here through toggled
        return;
    }
    appSettings().setValue(evaluationViewKey(), shown);
    lists_->setCurrentIndex(shown ? 1 : 0);
    if (shown && evaluation_)
        strips_->setEvaluation(evaluation_.get(), evaluationSummaries_.get());
    else
        strips_->setEvaluation(nullptr, nullptr);
    syncControls();
}

void TEchoDynamicsForm::selectEvaluated(int row) {
    if (!evaluation_ || row < 0 || row >= static_cast<int>(evaluation_->indications().size()))
        row = -1;
    strips_->setSelectedIndication(row);
    if (row >= 0 && evaluationList_->currentRow() != row) evaluationList_->selectRow(row);
}

void TEchoDynamicsForm::setDecision(int row, const IndicationDecision& decision) {
    if (!evaluation_ || row < 0 || row >= static_cast<int>(evaluation_->indications().size()))
        return;
    IndicationDecision& kept =
        decideIndication(*evaluation_, inspection_, static_cast<size_t>(row));
    kept.nature = decision.nature;
    kept.grade = decision.grade;
    kept.remark = decision.remark;
    kept.reported = decision.reported;
    saveInspectionFile();
    if (evaluationList_->item(row, EvaluationList::Nature) == nullptr ||
        evaluationList_->item(row, EvaluationList::Nature)->text().toStdString() !=
            decision.nature ||
        evaluationList_->item(row, EvaluationList::Grade)->text().toStdString() != decision.grade ||
        evaluationList_->item(row, EvaluationList::Remark)->text().toStdString() !=
            decision.remark ||
        (evaluationList_->item(row, EvaluationList::Reported)->checkState() == Qt::Checked) !=
            decision.reported)
        fillEvaluationList();
}

void TEchoDynamicsForm::calibrateTravel() {
    if (!chooseTravel) return;
    if (const std::optional<TravelCalibration> c = chooseTravel(inspection_.travel)) setTravel(*c);
}

void TEchoDynamicsForm::startComputation() {
    job_->stop();
    progressTimer_->stop();
    dropOverview();
    cancelled_ = false;
    if (core_.fileOpen()) {
        if (job_->start(core_.query(), settings_))
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
        overview_ = std::make_unique<EchoOverview>(std::move(result));
        // Thresholds changed while it ran count from now on.
        overview_->applyThresholds(settings_);
        marks_ = overviewMarks(*overview_, core_.file());
        const OverviewView v = viewForNewOverview(strips_->view(), overview_->frameCount());
        strips_->setOverview(overview_.get(), &marks_);
        strips_->setView(v);
        frameDrawn();
        list_->fill(overview_.get());
        evaluate();
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
    syncTitle();
    loadInspectionFile();
    takeKeptSettings();
    job_->stop();
    progressTimer_->stop();
    dropOverview();
    strips_->setView({});
    list_->fill(overview_.get());
    // A hidden window computes when it is shown next.
    if (isVisible())
        startComputation();
    else
        syncControls();
}

// ------------------------------------------------------------ commands

const OverviewView& TEchoDynamicsForm::view() const { return strips_->view(); }

const QImage& TEchoDynamicsForm::stripsPicture() { return strips_->picture(); }

void TEchoDynamicsForm::frameDrawn() {
    int64_t cursor = -1;
    if (overview_) {
        if (const std::optional<FramePlace> place = core_.placeOnScreen())
            cursor = overview_->indexOf(place->record, place->frame);
    }
    showView(followCursor(view(), cursor, overview_ ? overview_->frameCount() : 0));
}

void TEchoDynamicsForm::showView(const OverviewView& v) { strips_->setView(v); }

void TEchoDynamicsForm::fitAll() {
    if (overview_) showView(fitView(view(), overview_->frameCount()));
}

void TEchoDynamicsForm::setView(int64_t from, int64_t to) {
    if (overview_) showView(showFrames(view(), from, to, overview_->frameCount()));
}

void TEchoDynamicsForm::goToShownFrame(int64_t i) {
    if (!overview_ || i < 0 || i >= overview_->frameCount()) return;
    showFrame_(overview_->recordNumber(i), overview_->frameNumber(i));
}

void TEchoDynamicsForm::goToIndication(int row) {
    if (!overview_ || row < 0 || row >= static_cast<int>(overview_->indications().size())) return;
    goToShownFrame(overview_->indications()[static_cast<size_t>(row)].peak);
}

void TEchoDynamicsForm::exportCsv() {
    if (!overview_ || !chooseCsvFile) return;
    const std::string recording = core_.file().path();
    const std::optional<QString> path =
        chooseCsvFile(QString::fromStdString(indicationsCsvName(recording)));
    if (!path) return;
    // The list on screen: the evaluated indications with the inspector's
    // words in the evaluation view, the threshold runs otherwise.
    const std::string csv =
        evaluationShown() && evaluation_
            ? evaluationCsv()
            : indicationsCsvComment(
                  QFileInfo(QString::fromStdString(recording)).fileName().toStdString(),
                  settings_) +
                  indicationsCsv(*overview_);
    QFile out(*path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        out.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size()))
        return;
    tell(QStringLiteral("ExportFailedMessage"),
         tr("无法写入“%1”：%2").arg(QDir::toNativeSeparators(*path), out.errorString()));
}

std::string TEchoDynamicsForm::evaluationCsv() const {
    // The columns vantrel-inspect evaluate writes, then the decisions.
    return evaluationCsvWithDecisions(*evaluation_, peakPositions_, travel(), inspection_);
}

void TEchoDynamicsForm::setThreshold(AmplitudeUnit unit, int64_t tenths) {
    if (unit == AmplitudeUnit::Db) {
        if (settings_.dbThreshold == tenths) return;
        settings_.dbThreshold = tenths;
    } else {
        if (settings_.percentThreshold == tenths) return;
        settings_.percentThreshold = tenths;
    }
    rememberOverviewSettings(settings_);
    keepSettings();
    thresholdsChanged();
}

void TEchoDynamicsForm::thresholdsChanged() {
    if (overview_) {
        overview_->applyThresholds(settings_);
        list_->fill(overview_.get());
        evaluate(); // the merge gap may have changed
        strips_->invalidate();
    }
    syncControls();
}

// ------------------------------------------------------------ display

void TEchoDynamicsForm::syncControls() {
    settingsBar_->showSettings(settings_);
    settingsBar_->setFitEnabled(overview_ != nullptr);

    const bool computing = job_->running();
    progress_->setVisible(computing);
    cancel_->setVisible(computing);
    cancel_->setEnabled(computing && !job_->cancelling());
    recompute_->setVisible(!computing && cancelled_ && core_.fileOpen());
    if (computing) progress_->setValue(job_->permille());
    export_->setEnabled(overview_ != nullptr);
    calibrate_->setEnabled(overview_ != nullptr);
    status_->setText(statusText());
    strips_->setEmptyText(status_->text());
}

QString TEchoDynamicsForm::statusText() const {
    if (!core_.fileOpen()) return tr("没有打开的文件");
    if (job_->running()) return job_->cancelling() ? tr("正在取消...") : tr("正在计算回波动态...");
    if (cancelled_) return tr("计算已取消");
    if (overview_ && evaluation_ && evaluationShown())
        return tr("%1 帧，评定 %2 帧，%3 处评定的指示")
                   .arg(overview_->frameCount())
                   .arg(evaluation_->evaluatedFrames())
                   .arg(evaluation_->indications().size()) +
               manualStatusText();
    if (overview_)
        return tr("%1 帧，%2 处指示")
                   .arg(overview_->frameCount())
                   .arg(overview_->indications().size()) +
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
    if (core_.fileOpen() && !overview_ && !job_->running()) startComputation();
}

void TEchoDynamicsForm::hideEvent(QHideEvent* event) {
    flushInspectionFile(); // closed: what waits is written now
    QSettings settings = appSettings();
    settings.setValue(settingsKey(), saveGeometry());
    QWidget::hideEvent(event);
}

} // namespace vantrel
