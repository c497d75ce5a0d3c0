#include "echo_dynamics_form.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <thread>

#include "app_settings.h"
#include "display_text.h"
#include "gbk_qstring.h"
#include "indication_table.h"
#include "main_form.h"

namespace vantrel {

namespace {

const QColor kNote(0, 130, 150), kBlock(60, 60, 60), kDamaged(150, 150, 150, 120),
    kMissing(150, 150, 150), kEmptyText(110, 110, 110);
// An indication whose peak holds values no real frame can: the strips'
// colour for such values, on a pale ground.
const QColor kImplausibleText(190, 0, 190), kImplausibleRow(255, 230, 255);

// The fewest shown frames a zoom leaves across the strips.
constexpr int64_t kFewestFramesInView = 8;
// How near (pixels) the pointer must come to a threshold line to drag it,
// and to a mark for its tooltip.
constexpr int kGrip = 3;

QString settingsKey() { return QStringLiteral("EchoDynamics/geometry"); }

// The threshold a drag to row y of the amplitude plot sets: a whole % or dB,
// the values an inspector writes down, on that row where the row holds one
// (the spin boxes take tenths). Rows finer than a whole unit take the nearest.
int64_t thresholdAtRow(const QRect& plot, int y, int64_t low, int64_t high) {
    const int64_t middle = OverviewScales::valueAt(plot, y, low, high);
    const int64_t whole =
        static_cast<int64_t>(std::lround(static_cast<double>(middle) / 10.0)) * 10;
    for (int64_t v : {whole, whole - 10, whole + 10})
        if (OverviewScales::rowOf(plot, v, low, high) == y) return v;
    return whole;
}

QString placeText(const EchoOverview& o, int64_t i) {
    return QStringLiteral("%1:%2").arg(o.recordNumber(i)).arg(o.frameNumber(i));
}

} // namespace

// ------------------------------------------------------------------ the job

// One computation: its reader (opened on the user-interface thread), its
// progress, its thread and, once the thread has ended, its result.
struct TEchoDynamicsForm::Job {
    uint64_t generation = 0;
    RecordQuery reader;
    OverviewProgress progress;
    EchoOverview result;
    std::thread thread;
};

// ------------------------------------------------------------ the strips

// The strips as a widget: shows the form's picture and turns the mouse into
// the form's commands.
class EchoStrips : public QWidget {
public:
    explicit EchoStrips(TEchoDynamicsForm& form, QWidget* parent) : QWidget(parent), form_(form) {
        setObjectName(QStringLiteral("EchoStrips"));
        setMinimumSize(360, 180);
        setMouseTracking(true);
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawImage(0, 0, form_.stripsPicture());
    }
    void resizeEvent(QResizeEvent*) override { form_.invalidateStrips(); }

    void mousePressEvent(QMouseEvent* e) override {
        const EchoOverview* o = form_.overview();
        if (!o || o->frameCount() == 0) return;
        const QPoint at = e->position().toPoint();
        const OverviewLayout layout = OverviewLayout::forSize(size());
        const bool pan = e->button() == Qt::RightButton ||
                         (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ShiftModifier));
        if (pan) {
            drag_ = Drag::Pan;
            dragStart_ = at;
            dragView_ = form_.view();
            setCursor(Qt::ClosedHandCursor);
            return;
        }
        if (e->button() != Qt::LeftButton) return;
        if (thresholdUnder(at, layout)) {
            drag_ = Drag::Threshold;
            return;
        }
        if (layout.amplitude.contains(at) || layout.position.contains(at)) {
            drag_ = Drag::Seek;
            seekTo(at.x(), layout);
        }
    }

    void mouseMoveEvent(QMouseEvent* e) override {
        const QPoint at = e->position().toPoint();
        const OverviewLayout layout = OverviewLayout::forSize(size());
        const EchoOverview* o = form_.overview();
        if (!o || o->frameCount() == 0) {
            drag_ = Drag::None; // the overview went (another file) under the pointer
            return;
        }
        switch (drag_) {
        case Drag::None:
            setCursor(thresholdUnder(at, layout) ? Qt::SizeVerCursor : Qt::ArrowCursor);
            return;
        case Drag::Seek: seekTo(at.x(), layout); return;
        case Drag::Threshold: {
            const OverviewScales s = OverviewScales::of(*o, form_.view());
            const bool db = dragUnit_ == AmplitudeUnit::Db;
            form_.setThreshold(dragUnit_,
                               thresholdAtRow(layout.amplitude, at.y(), db ? s.dbLow : s.percentLow,
                                              db ? s.dbHigh : s.percentHigh));
            return;
        }
        case Drag::Pan: {
            const int width = layout.amplitude.width();
            const int64_t n = dragView_.to - dragView_.from;
            const int64_t shift = -int64_t{at.x() - dragStart_.x()} * n / std::max(width, 1);
            form_.setView(dragView_.from + shift, dragView_.to + shift);
            return;
        }
        }
    }

    void mouseReleaseEvent(QMouseEvent*) override {
        if (drag_ == Drag::Pan) unsetCursor();
        drag_ = Drag::None;
    }

    void wheelEvent(QWheelEvent* e) override {
        const EchoOverview* o = form_.overview();
        const int steps = e->angleDelta().y() / 120;
        if (!o || o->frameCount() == 0 || steps == 0) return;
        // The frame under the pointer stays under it.
        const OverviewLayout layout = OverviewLayout::forSize(size());
        const int width = layout.amplitude.width();
        const int x =
            std::clamp(static_cast<int>(e->position().x()) - layout.amplitude.left(), 0, width - 1);
        const OverviewView& v = form_.view();
        const int64_t anchor = OverviewLayout::frameAt(v, width, x);
        const double factor = std::pow(0.8, steps);
        const int64_t n = std::max<int64_t>(
            static_cast<int64_t>(std::llround(static_cast<double>(v.to - v.from) * factor)),
            kFewestFramesInView);
        const int64_t from = anchor - n * x / width;
        form_.setView(from, from + n);
        e->accept();
    }

    bool event(QEvent* e) override {
        if (e->type() == QEvent::ToolTip) {
            auto* help = static_cast<QHelpEvent*>(e);
            const OverviewLayout layout = OverviewLayout::forSize(size());
            const QPoint at = help->pos();
            const QString text =
                layout.amplitude.left() <= at.x() && at.x() <= layout.amplitude.right()
                    ? form_.describeColumn(at.x() - layout.amplitude.left())
                    : QString();
            if (text.isEmpty())
                QToolTip::hideText();
            else
                QToolTip::showText(help->globalPos(), text, this);
            return true;
        }
        return QWidget::event(e);
    }

private:
    enum class Drag { None, Seek, Threshold, Pan };

    // Whether `at` lies on the threshold line of the amplitude strip; notes
    // the unit of that line for the drag.
    bool thresholdUnder(const QPoint& at, const OverviewLayout& layout) {
        const EchoOverview* o = form_.overview();
        const QRect& plot = layout.amplitude;
        if (!o || o->frameCount() == 0 || at.x() < plot.left() || at.x() > plot.right() ||
            at.y() < plot.top() - kGrip || at.y() > plot.bottom() + kGrip)
            return false;
        const OverviewView& v = form_.view();
        const int64_t i = std::min(OverviewLayout::frameAt(v, plot.width(), at.x() - plot.left()),
                                   o->frameCount() - 1);
        const OverviewRecord& rec = o->recordOf(i);
        const OverviewScales s = OverviewScales::of(*o, v);
        const bool db = rec.unit == AmplitudeUnit::Db;
        const int row = OverviewScales::rowOf(plot, rec.threshold, db ? s.dbLow : s.percentLow,
                                              db ? s.dbHigh : s.percentHigh);
        dragUnit_ = rec.unit;
        return std::abs(at.y() - row) <= kGrip;
    }

    void seekTo(int x, const OverviewLayout& layout) {
        const EchoOverview* o = form_.overview();
        const int width = layout.amplitude.width();
        const int column = std::clamp(x - layout.amplitude.left(), 0, width - 1);
        const int64_t i =
            std::min(OverviewLayout::frameAt(form_.view(), width, column), o->frameCount() - 1);
        if (i == lastSeek_ && drag_ == Drag::Seek && seekStarted_) return;
        lastSeek_ = i;
        seekStarted_ = true;
        form_.goToShownFrame(i);
    }

    TEchoDynamicsForm& form_;
    Drag drag_ = Drag::None;
    AmplitudeUnit dragUnit_ = AmplitudeUnit::Percent;
    QPoint dragStart_;
    OverviewView dragView_;
    int64_t lastSeek_ = -1;
    bool seekStarted_ = false;
};

// ------------------------------------------------------------ the window

TEchoDynamicsForm::TEchoDynamicsForm(TMainForm& main) : QWidget(&main, Qt::Window), main_(main) {
    setObjectName(QStringLiteral("EchoDynamicsForm"));
    syncTitle();
    buildControls();

    chooseCsvFile = [this]() -> std::optional<QString> {
        QFileDialog dialog(this, tr("导出指示"));
        dialog.setObjectName(QStringLiteral("CsvSaveDialog"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setNameFilter(QStringLiteral("CSV (*.csv)"));
        dialog.setDefaultSuffix(QStringLiteral("csv"));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().first();
    };

    connect(&main_, &TMainForm::fileOpened, this, [this] { fileOpened(); });
    connect(&main_, &TMainForm::frameDrawn, this, [this] { frameDrawn(); });
    progressTimer_ = new QTimer(this);
    progressTimer_->setInterval(100);
    connect(progressTimer_, &QTimer::timeout, this, [this] { syncControls(); });
    syncControls();
}

TEchoDynamicsForm::~TEchoDynamicsForm() { stopJob(); }

void TEchoDynamicsForm::buildControls() {
    auto* top = new QHBoxLayout;
    auto caption = [this, top](const QString& text) { top->addWidget(new QLabel(text, this)); };

    // The position values as the readouts above the A-scan mark them and the
    // report's defect rows name them: sound path, surface distance, depth.
    caption(tr("位置"));
    position_ = new QComboBox(this);
    position_->setObjectName(QStringLiteral("PositionKind"));
    position_->addItem(fromGbk(symbol::kSoundPath) + QLatin1Char(' ') + tr("距离"));
    position_->addItem(fromGbk(symbol::kSurface) + QLatin1Char(' ') + tr("水平"));
    position_->addItem(fromGbk(symbol::kDepth) + QLatin1Char(' ') + tr("垂直"));
    top->addWidget(position_);
    top->addSpacing(12);

    caption(tr("阈值"));
    byGateLevel_ = new QCheckBox(tr("按闸门A电平"), this);
    byGateLevel_->setObjectName(QStringLiteral("PercentByGateLevel"));
    byGateLevel_->setToolTip(
        tr("% 波幅的阈值取各记录参数中闸门A的电平；拖动阈值线或输入数值则改用固定阈值"));
    top->addWidget(byGateLevel_);
    percent_ = new QDoubleSpinBox(this);
    percent_->setObjectName(QStringLiteral("PercentThreshold"));
    percent_->setRange(0.0, 200.0);
    percent_->setDecimals(1);
    percent_->setSingleStep(1.0);
    percent_->setSuffix(QStringLiteral(" %"));
    percent_->setValue(40.0);
    top->addWidget(percent_);
    db_ = new QDoubleSpinBox(this);
    db_->setObjectName(QStringLiteral("DbThreshold"));
    db_->setRange(-60.0, 60.0);
    db_->setDecimals(1);
    db_->setSingleStep(1.0);
    db_->setSuffix(QStringLiteral(" dB"));
    top->addWidget(db_);
    top->addSpacing(12);

    caption(tr("合并间隔"));
    gap_ = new QSpinBox(this);
    gap_->setObjectName(QStringLiteral("MergeGap"));
    gap_->setRange(0, 1000000);
    gap_->setSuffix(tr(" 帧"));
    gap_->setToolTip(tr("相隔不超过这么多帧的指示合并为一处"));
    top->addWidget(gap_);
    top->addStretch(1);

    fit_ = new QPushButton(tr("全部"), this);
    fit_->setObjectName(QStringLiteral("FitAll"));
    fit_->setToolTip(tr("显示整个文件（滚轮缩放，右键或 Shift+左键拖动平移）"));
    top->addWidget(fit_);

    stripsWidget_ = new EchoStrips(*this, this);

    auto* listPanel = new QWidget(this);
    auto* listLayout = new QVBoxLayout(listPanel);
    listLayout->setContentsMargins(0, 0, 0, 0);
    table_ = new QTableWidget(0, 5, listPanel);
    table_->setObjectName(QStringLiteral("IndicationList"));
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Rows are the indications in file order; their numbers are the CSV's.
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(20);
    listLayout->addWidget(table_);
    auto* listButtons = new QHBoxLayout;
    status_ = new QLabel(listPanel);
    status_->setObjectName(QStringLiteral("OverviewStatus"));
    listButtons->addWidget(status_, 1);
    export_ = new QPushButton(tr("导出CSV..."), listPanel);
    export_->setObjectName(QStringLiteral("ExportCsv"));
    listButtons->addWidget(export_);
    listLayout->addLayout(listButtons);

    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->addWidget(stripsWidget_);
    splitter->addWidget(listPanel);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    splitter->setChildrenCollapsible(false);

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

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter, 1);
    layout->addLayout(bottom);

    byGateLevel_->setChecked(true);
    connect(position_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (syncing_) return;
        settings_.position = static_cast<OverviewPosition>(index);
        startComputation();
    });
    connect(byGateLevel_, &QCheckBox::toggled, this, [this](bool on) {
        if (syncing_) return;
        settings_.percentThreshold =
            on ? std::nullopt : std::optional<int64_t>(std::llround(percent_->value() * 10));
        thresholdsChanged();
    });
    connect(percent_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (syncing_) return;
        settings_.percentThreshold = std::llround(v * 10);
        thresholdsChanged();
    });
    connect(db_, &QDoubleSpinBox::valueChanged, this, [this](double v) {
        if (syncing_) return;
        settings_.dbThreshold = std::llround(v * 10);
        thresholdsChanged();
    });
    connect(gap_, &QSpinBox::valueChanged, this, [this](int v) {
        if (syncing_) return;
        settings_.gap = v;
        thresholdsChanged();
    });
    connect(fit_, &QPushButton::clicked, this, [this] { fitAll(); });
    connect(export_, &QPushButton::clicked, this, [this] { exportCsv(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { cancelComputation(); });
    connect(recompute_, &QPushButton::clicked, this, [this] { startComputation(); });
    connect(table_, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { goToIndication(row); });
}

// ------------------------------------------------------------ computation

void TEchoDynamicsForm::stopJob() {
    if (!job_) return;
    // The walk looks at the cancel every few dozen records, so the wait is
    // short; the result is dropped.
    job_->progress.cancel();
    if (job_->thread.joinable()) job_->thread.join();
    job_.reset();
    progressTimer_->stop();
}

void TEchoDynamicsForm::startComputation() {
    stopJob();
    overview_.reset();
    marks_.clear();
    cancelled_ = false;
    if (!main_.core().fileOpen()) {
        syncControls();
        return;
    }
    auto job = std::make_unique<Job>();
    job->generation = ++generation_;
    // The reader is opened here, on the user-interface thread, where the
    // core's query may be read; the worker then touches only its own.
    if (!job->reader.openAlongside(main_.core().query())) {
        cancelled_ = true;
        syncControls();
        return;
    }
    job_ = std::move(job);
    Job* running = job_.get();
    const uint64_t generation = running->generation;
    const OverviewSettings settings = settings_;
    const auto hook = beforeComputing;
    running->thread = std::thread([this, running, generation, settings, hook] {
        if (hook) hook(running->progress);
        running->result = computeOverview(running->reader, settings, &running->progress);
        // Only a note that the thread is done travels through the event
        // queue; the result is taken after the join.
        QMetaObject::invokeMethod(
            this, [this, generation] { jobFinished(generation); }, Qt::QueuedConnection);
    });
    progressTimer_->start();
    syncControls();
    invalidateStrips();
}

void TEchoDynamicsForm::cancelComputation() {
    if (job_) job_->progress.cancel();
    syncControls();
}

void TEchoDynamicsForm::jobFinished(uint64_t generation) {
    // A note from a computation already stopped and replaced says nothing.
    if (!job_ || job_->generation != generation) return;
    job_->thread.join();
    std::unique_ptr<Job> job = std::move(job_);
    progressTimer_->stop();
    if (job->result.cancelled) {
        cancelled_ = true;
    } else {
        overview_ = std::make_unique<EchoOverview>(std::move(job->result));
        // Thresholds changed while it ran count from now on.
        applyThresholds(*overview_, settings_);
        collectMarks();
        // A new file shows whole; another position kind for the same file
        // keeps the frames in view.
        if (view_.to <= view_.from || view_.to > overview_->frameCount())
            view_ = {0, overview_->frameCount(), -1};
        frameDrawn();
        refillIndications();
    }
    syncControls();
    invalidateStrips();
}

void TEchoDynamicsForm::syncTitle() {
    // Named after the file it shows, as the main window is.
    const std::string& path = main_.core().file().path();
    const QString name = QFileInfo(QString::fromStdString(path)).fileName();
    setWindowTitle(main_.core().fileOpen() && !name.isEmpty()
                       ? tr("回波动态") + QStringLiteral(" \u2013 ") + name
                       : tr("回波动态"));
}

void TEchoDynamicsForm::fileOpened() {
    syncTitle();
    stopJob();
    overview_.reset();
    marks_.clear();
    view_ = {};
    refillIndications();
    // A hidden window computes when it is shown next.
    if (isVisible())
        startComputation();
    else
        syncControls();
    invalidateStrips();
}

void TEchoDynamicsForm::collectMarks() {
    marks_.clear();
    const EchoOverview& o = *overview_;
    const RecordFile& file = main_.core().file();
    // The shown frame where record r starts, or where the next record
    // with shown frames starts (frameCount at the end).
    auto startOf = [&o](int32_t r) -> int64_t {
        auto it =
            std::lower_bound(o.records.begin(), o.records.end(), r,
                             [](const OverviewRecord& rec, int32_t v) { return rec.record < v; });
        return it == o.records.end() ? o.frameCount() : it->firstFrame;
    };
    auto framesOf = [&o](int32_t r) -> int64_t {
        const int64_t i = o.indexOf(r, 0);
        return i < 0 ? 0 : o.recordOf(i).frames;
    };
    // Records that stepping cannot show: the index holds no frame of theirs,
    // or the file announces them and ends before them.
    const int32_t indexed = static_cast<int32_t>(file.recordIndex().size());
    auto missing = [](int32_t first, int32_t last) {
        return first == last ? tr("缺少记录 %1").arg(first)
                             : tr("缺少记录 %1–%2").arg(first).arg(last);
    };
    int32_t expected = 0;
    for (const OverviewRecord& rec : o.records) {
        if (rec.record > expected)
            marks_.push_back(
                {Mark::Missing, rec.firstFrame, rec.firstFrame, missing(expected, rec.record - 1)});
        expected = rec.record + 1;
    }
    const int32_t announced = std::max(file.recordCount(), indexed);
    if (expected < announced)
        marks_.push_back(
            {Mark::Missing, o.frameCount(), o.frameCount(), missing(expected, announced - 1)});
    for (const DamagedRecord& d : file.damagedRecords()) {
        const int64_t first = startOf(d.record);
        marks_.push_back({Mark::Damaged, first, first + framesOf(d.record),
                          tr("记录 %1 损坏：%2")
                              .arg(d.record)
                              .arg(QString::fromLatin1(recordDamageText(d.damage)))});
    }
    for (int32_t r = 0; r < indexed; ++r) {
        const RecordIndexEntry& e = file.recordIndex()[static_cast<size_t>(r)];
        if (e.parameterRecordOffset == e.fileOffset && framesOf(r) > 0)
            marks_.push_back({Mark::Block, startOf(r), startOf(r), QString()});
    }
    const std::vector<int32_t>& notes = file.noteRecords();
    for (size_t k = 0; k < notes.size(); ++k) {
        const int64_t at = startOf(notes[k]);
        marks_.push_back({Mark::Note, at, at,
                          tr("记录 %1：%2").arg(notes[k]).arg(fromGbk(file.noteTexts()[k]))});
    }
}

// ------------------------------------------------------------ commands

void TEchoDynamicsForm::frameDrawn() {
    int64_t cursor = -1;
    if (overview_) {
        if (const std::optional<FramePlace> place = main_.core().placeOnScreen())
            cursor = overview_->indexOf(place->record, place->frame);
    }
    if (cursor == view_.cursor) return;
    // A cursor that leaves the frames in view (playback, a step, a note)
    // takes the view along, unless the user had already moved away from it.
    const bool wasInView = view_.cursor >= view_.from && view_.cursor < view_.to;
    view_.cursor = cursor;
    if (cursor >= 0 && wasInView && (cursor < view_.from || cursor >= view_.to)) {
        const int64_t n = view_.to - view_.from;
        setView(cursor - n / 2, cursor - n / 2 + n);
        return;
    }
    invalidateStrips();
}

void TEchoDynamicsForm::fitAll() {
    if (overview_) setView(0, overview_->frameCount());
}

void TEchoDynamicsForm::setView(int64_t from, int64_t to) {
    if (!overview_) return;
    const int64_t total = overview_->frameCount();
    const int64_t n = std::clamp(to - from, std::min(kFewestFramesInView, total), total);
    from = std::clamp<int64_t>(from, 0, total - n);
    view_.from = from;
    view_.to = from + n;
    invalidateStrips();
}

void TEchoDynamicsForm::goToShownFrame(int64_t i) {
    if (!overview_ || i < 0 || i >= overview_->frameCount()) return;
    main_.goToFrame(overview_->recordNumber(i), overview_->frameNumber(i));
}

void TEchoDynamicsForm::goToIndication(int row) {
    if (!overview_ || row < 0 || row >= static_cast<int>(overview_->indications.size())) return;
    goToShownFrame(overview_->indications[static_cast<size_t>(row)].peak);
}

void TEchoDynamicsForm::exportCsv() {
    if (!overview_ || !chooseCsvFile) return;
    const std::optional<QString> path = chooseCsvFile();
    if (!path) return;
    const std::string csv = indicationsCsv(*overview_);
    QFile out(*path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        out.write(csv.data(), static_cast<qint64>(csv.size())) != static_cast<qint64>(csv.size())) {
        auto* box = new QMessageBox(
            QMessageBox::Warning, QStringLiteral("Vantrel"),
            tr("无法写入“%1”：%2").arg(QDir::toNativeSeparators(*path), out.errorString()),
            QMessageBox::Ok, this);
        box->setObjectName(QStringLiteral("ExportFailedMessage"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    }
}

void TEchoDynamicsForm::setThreshold(AmplitudeUnit unit, int64_t tenths) {
    if (unit == AmplitudeUnit::Db) {
        if (settings_.dbThreshold == tenths) return;
        settings_.dbThreshold = tenths;
    } else {
        if (settings_.percentThreshold == tenths) return;
        settings_.percentThreshold = tenths;
    }
    thresholdsChanged();
}

void TEchoDynamicsForm::thresholdsChanged() {
    if (overview_) {
        applyThresholds(*overview_, settings_);
        refillIndications();
        invalidateStrips();
    }
    syncControls();
}

// ------------------------------------------------------------ display

void TEchoDynamicsForm::syncControls() {
    syncing_ = true;
    position_->setCurrentIndex(static_cast<int>(settings_.position));
    byGateLevel_->setChecked(!settings_.percentThreshold);
    percent_->setEnabled(settings_.percentThreshold.has_value());
    if (settings_.percentThreshold)
        percent_->setValue(static_cast<double>(*settings_.percentThreshold) / 10.0);
    db_->setValue(static_cast<double>(settings_.dbThreshold) / 10.0);
    gap_->setValue(static_cast<int>(std::min<int64_t>(settings_.gap, gap_->maximum())));
    syncing_ = false;

    const bool computing = job_ != nullptr;
    progress_->setVisible(computing);
    cancel_->setVisible(computing);
    cancel_->setEnabled(computing && !job_->progress.cancelled());
    recompute_->setVisible(!computing && cancelled_ && main_.core().fileOpen());
    if (computing) {
        const int64_t total = job_->progress.total();
        progress_->setValue(total > 0 ? static_cast<int>(job_->progress.done() * 1000 / total) : 0);
    }
    fit_->setEnabled(overview_ != nullptr);
    export_->setEnabled(overview_ != nullptr);
    QString status;
    if (!main_.core().fileOpen())
        status = tr("没有打开的文件");
    else if (computing)
        status = job_->progress.cancelled() ? tr("正在取消...") : tr("正在计算回波动态...");
    else if (cancelled_)
        status = tr("计算已取消");
    else if (overview_)
        status =
            tr("%1 帧，%2 处指示").arg(overview_->frameCount()).arg(overview_->indications.size());
    status_->setText(status);
}

void TEchoDynamicsForm::refillIndications() {
    table_->clearContents();
    // The position column names no kind: each row's value carries the
    // symbol of its own (a two-gate record holds gate A's sound path
    // whatever 位置 asks for).
    table_->setHorizontalHeaderLabels(
        {tr("起点"), tr("终点"), tr("帧数"), tr("峰值波幅"), tr("峰值处位置")});
    if (!overview_) {
        table_->setRowCount(0);
        return;
    }
    const std::vector<Indication>& list = overview_->indications;
    table_->setRowCount(static_cast<int>(list.size()));
    const QString beyondTip = tr("不可信：真实的帧不会有这样的值，这是损坏的数据，不是回波");
    for (size_t k = 0; k < list.size(); ++k) {
        const IndicationTexts t = indicationTexts(*overview_, list[k]);
        const bool plausible = !t.amplitudeBeyond && !t.positionBeyond;
        // A value no real frame holds is not shown as if it were one: it
        // carries a warning sign, and its row the colour of such values.
        auto text = [](const std::string& s, bool beyond) {
            const QString v = QString::fromStdString(s);
            return beyond ? QStringLiteral("\u26A0 ") + v : v;
        };
        const QString texts[] = {text(t.start, false), text(t.end, false), text(t.frames, false),
                                 text(t.amplitude, t.amplitudeBeyond),
                                 text(t.position, t.positionBeyond)};
        int column = 0;
        for (const QString& s : texts) {
            auto* item = new QTableWidgetItem(s);
            if (column >= 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (!plausible) {
                item->setForeground(kImplausibleText);
                item->setBackground(kImplausibleRow);
                item->setToolTip(beyondTip);
            }
            table_->setItem(static_cast<int>(k), column++, item);
        }
    }
    table_->resizeColumnsToContents();
    for (int c = 0; c < table_->columnCount(); ++c)
        table_->setColumnWidth(c, table_->columnWidth(c) + 16);
}

void TEchoDynamicsForm::invalidateStrips() {
    stripsDirty_ = true;
    stripsWidget_->update();
}

const QImage& TEchoDynamicsForm::stripsPicture() {
    if (stripsDirty_ || strips_.size() != stripsWidget_->size()) renderStrips();
    return strips_;
}

void TEchoDynamicsForm::renderStrips() {
    stripsDirty_ = false;
    strips_ = QImage(stripsWidget_->size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    if (!overview_ || overview_->frameCount() == 0) {
        strips_.fill(Qt::white);
        QPainter p(&strips_);
        p.setPen(kEmptyText);
        QString text = status_->text();
        if (overview_) text = tr("文件中没有可显示的帧");
        p.drawText(strips_.rect(), Qt::AlignCenter, text);
        return;
    }
    drawOverviewStrips(strips_, *overview_, view_);

    // The marks over the strips: damaged records shaded, gaps of missing
    // records and notes as lines through both strips, blocks as ticks at
    // the foot of the position strip.
    const OverviewLayout layout = OverviewLayout::forSize(strips_.size());
    const int width = layout.amplitude.width();
    QPainter p(&strips_);
    auto column = [&](int64_t i) { return OverviewLayout::columnOf(view_, width, i); };
    auto inView = [&](int64_t i) { return i >= view_.from && i <= view_.to; };
    for (const Mark& m : marks_) {
        const int x = column(m.first);
        switch (m.kind) {
        case Mark::Damaged: {
            if (m.end <= view_.from || m.first >= view_.to) break;
            const int x2 = std::max(column(m.end), x + 1);
            for (const QRect& r : {layout.amplitude, layout.position})
                p.fillRect(r.left() + x, r.top(), x2 - x, r.height(), kDamaged);
            break;
        }
        case Mark::Missing:
            if (!inView(m.first)) break;
            for (const QRect& r : {layout.amplitude, layout.position})
                p.fillRect(r.left() + std::min(x, width - 2), r.top(), 2, r.height(), kMissing);
            break;
        case Mark::Note:
            if (!inView(m.first) || x >= width) break;
            for (const QRect& r : {layout.amplitude, layout.position})
                p.fillRect(r.left() + x, r.top(), 1, r.height(), kNote);
            break;
        case Mark::Block:
            if (!inView(m.first) || x >= width) break;
            p.fillRect(layout.position.left() + x, layout.position.bottom() - 4, 1, 5, kBlock);
            break;
        }
    }
}

QString TEchoDynamicsForm::describeColumn(int x) const {
    if (!overview_ || overview_->frameCount() == 0) return {};
    const int width = OverviewLayout::forSize(strips_.size()).amplitude.width();
    QStringList lines;
    for (const Mark& m : marks_) {
        if (m.text.isEmpty()) continue;
        const int first = OverviewLayout::columnOf(view_, width, m.first);
        const int last =
            m.end > m.first ? OverviewLayout::columnOf(view_, width, m.end) - 1 : first;
        if (x >= first - kGrip && x <= last + kGrip) lines << m.text;
    }
    const int64_t i =
        std::min(OverviewLayout::frameAt(view_, width, x), overview_->frameCount() - 1);
    const OverviewRecord& rec = overview_->recordOf(i);
    const int32_t amplitude = overview_->amplitude[static_cast<size_t>(i)];
    const int32_t position = overview_->position[static_cast<size_t>(i)];
    // A value no real frame holds says so, as in the list.
    auto sign = [](bool plausible) { return plausible ? QString() : QStringLiteral("\u26A0 "); };
    lines << QStringLiteral("%1  %2%3%4  %5%6%7")
                 .arg(placeText(*overview_, i))
                 .arg(sign(plausibleAmplitude(rec.unit, amplitude)))
                 .arg(QString::fromStdString(tenths(amplitude)))
                 .arg(QString::fromLatin1(amplitudeUnitText(rec.unit)))
                 .arg(sign(plausiblePosition(rec.inch, position)))
                 .arg(QString::fromStdString(tenths(position)))
                 .arg(QString::fromLatin1(lengthUnitText(rec.inch)));
    return lines.join(QLatin1Char('\n'));
}

// ------------------------------------------------------------ showing

void TEchoDynamicsForm::showEvent(QShowEvent* event) {
    if (!geometryRestored_) {
        geometryRestored_ = true;
        // The place and size of the last showing, on this or an earlier run.
        if (!restoreGeometry(appSettings().value(settingsKey()).toByteArray())) resize(900, 560);
    }
    QWidget::showEvent(event);
    if (main_.core().fileOpen() && !overview_ && !job_) startComputation();
}

void TEchoDynamicsForm::hideEvent(QHideEvent* event) {
    saveGeometrySetting();
    QWidget::hideEvent(event);
}

void TEchoDynamicsForm::saveGeometrySetting() const {
    QSettings settings = appSettings();
    settings.setValue(settingsKey(), saveGeometry());
}

} // namespace vantrel
