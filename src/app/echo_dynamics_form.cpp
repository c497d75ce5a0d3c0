#include "echo_dynamics_form.h"

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
#include <QTimer>
#include <QVBoxLayout>

#include "app_settings.h"
#include "echo_strips.h"
#include "indication_list.h"
#include "indication_table.h"
#include "overview_settings_bar.h"
#include "window_placement.h"

namespace vantrel {

namespace {

QString settingsKey() { return QStringLiteral("EchoDynamics/geometry"); }
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
    connect(job_, &OverviewJob::finished, this, [this] { jobFinished(); });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] { syncControls(); });
    syncControls();
}

TEchoDynamicsForm::~TEchoDynamicsForm() { job_->stop(); }

// ------------------------------------------------------------ the controls

void TEchoDynamicsForm::buildControls() {
    strips_ = new EchoStrips(this);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(strips_);
    splitter->addWidget(buildListPanel());
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);

    settingsBar_ = new OverviewSettingsBar(this);
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
    list_ = new IndicationList(panel);
    layout->addWidget(list_);
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
    connect(strips_, &EchoStrips::seekRequested, this, [this](int64_t i) { goToShownFrame(i); });
    connect(strips_, &EchoStrips::viewRequested, this,
            [this](const OverviewView& v) { showView(v); });
    connect(strips_, &EchoStrips::thresholdRequested, this,
            [this](AmplitudeUnit unit, int64_t tenths) { setThreshold(unit, tenths); });
}

void TEchoDynamicsForm::settingsChanged(const OverviewSettings& settings, bool positionChanged) {
    settings_ = settings;
    rememberOverviewSettings(settings_);
    if (positionChanged)
        startComputation();
    else
        thresholdsChanged();
}

// ------------------------------------------------------------ computation

void TEchoDynamicsForm::dropOverview() {
    strips_->setOverview(nullptr, nullptr);
    overview_.reset();
    marks_.clear();
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
    const std::string csv =
        indicationsCsvComment(QFileInfo(QString::fromStdString(recording)).fileName().toStdString(),
                              settings_) +
        indicationsCsv(*overview_);
    QFile out(*path);
    if (out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        out.write(csv.data(), static_cast<qint64>(csv.size())) == static_cast<qint64>(csv.size()))
        return;
    auto* box = new QMessageBox(
        QMessageBox::Warning, QStringLiteral("Vantrel"),
        tr("无法写入“%1”：%2").arg(QDir::toNativeSeparators(*path), out.errorString()),
        QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("ExportFailedMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
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
    thresholdsChanged();
}

void TEchoDynamicsForm::thresholdsChanged() {
    if (overview_) {
        overview_->applyThresholds(settings_);
        list_->fill(overview_.get());
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
    status_->setText(statusText());
    strips_->setEmptyText(status_->text());
}

QString TEchoDynamicsForm::statusText() const {
    if (!core_.fileOpen()) return tr("没有打开的文件");
    if (job_->running()) return job_->cancelling() ? tr("正在取消...") : tr("正在计算回波动态...");
    if (cancelled_) return tr("计算已取消");
    if (overview_)
        return tr("%1 帧，%2 处指示")
            .arg(overview_->frameCount())
            .arg(overview_->indications().size());
    return {};
}

// ------------------------------------------------------------ showing

void TEchoDynamicsForm::showEvent(QShowEvent* event) {
    if (!geometryRestored_) {
        geometryRestored_ = true;
        // The place and size of the last showing, on this or an earlier run;
        // the first time, beside the main window's A-scan.
        placeWindow(*this, appSettings().value(settingsKey()).toByteArray(), keepClear_,
                    QSize(900, 560));
    }
    QWidget::showEvent(event);
    if (core_.fileOpen() && !overview_ && !job_->running()) startComputation();
}

void TEchoDynamicsForm::hideEvent(QHideEvent* event) {
    QSettings settings = appSettings();
    settings.setValue(settingsKey(), saveGeometry());
    QWidget::hideEvent(event);
}

} // namespace vantrel
