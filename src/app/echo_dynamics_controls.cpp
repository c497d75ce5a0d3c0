// The echo-dynamics window's controls: the settings bar, the strips over
// the lists, the evaluation's row, the status line and the progress row,
// what they are connected to, and the dialogs the window asks through
// unless they are replaced.
#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "app/app_settings.h"
#include "app/echo_dynamics_form.h"
#include "app/echo_strips.h"
#include "app/evaluation_list.h"
#include "app/indication_list.h"
#include "app/overview_settings_bar.h"
#include "app/travel_dialog.h"
#include "pictures/gbk_qstring.h"
#include "widgets/message_box.h"

namespace vantrel {

QString TEchoDynamicsForm::evaluationViewKey() {
    return QStringLiteral("EchoDynamics/evaluationView");
}
QString TEchoDynamicsForm::bscanKey() { return QStringLiteral("EchoDynamics/bscan"); }

void TEchoDynamicsForm::installDefaultDialogs() {
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
    chooseTravel = [this](const TravelCalibration& current) -> std::optional<TravelCalibration> {
        if (!overview()) return std::nullopt; // nothing to check a calibration against
        // The notes (each at frame 0, as a note click shows it) and the
        // frame on screen, which a click on the strips puts there.
        std::vector<TravelDialog::Choice> frames;
        for (const Note& note : core_.file().notes())
            frames.push_back({QStringLiteral("%1:0  %2").arg(note.record).arg(fromGbk(note.text)),
                              {note.record, 0}});
        if (const std::optional<FramePlace> place = core_.placeOnScreen())
            frames.push_back({tr("%1:%2（当前帧）").arg(place->record).arg(place->frame), *place});
        TravelDialog dialog(current, frames, *overview(), this);
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
}

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
    connect(list_, &IndicationList::cellDoubleClicked, this,
            [this](int row, int) { goToIndication(row); });
    connect(evaluationView_, &QCheckBox::toggled, this,
            [this](bool on) { setEvaluationShown(on); });
    connect(bscanShown_, &QCheckBox::toggled, this, [this](bool on) { setBscanShown(on); });
    connect(calibrate_, &QPushButton::clicked, this, [this] { calibrateTravel(); });
    connect(evaluationList_, &EvaluationList::currentRowChanged, this,
            [this](int row) { selectEvaluated(row); });
    // A double click on the program's columns shows the peak; on the
    // inspector's it edits.
    connect(evaluationList_, &EvaluationList::cellDoubleClicked, this, [this](int row, int column) {
        if (column < EvaluationList::Nature && evaluationList_->manualAt(row) >= 0)
            goToManualIndication(evaluationList_->manualAt(row));
        else if (column < EvaluationList::Nature && evaluation() && row >= 0 &&
                 row < static_cast<int>(evaluation()->indications().size()))
            goToShownFrame(evaluation()->indications()[static_cast<size_t>(row)].peak);
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

void TEchoDynamicsForm::tell(const QString& name, const QString& text) {
    tellInBox(this, name, text);
}

} // namespace vantrel
