#include "app/echo_strips.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <cstring>

#include "analysis/indication_table.h"
#include "display/display_text.h"
#include "pictures/gbk_qstring.h"
#include "pictures/overview_render.h"

namespace vantrel {

namespace {

const QColor kEmptyText(110, 110, 110);
// How near (pixels) the pointer must come to a threshold line to drag it,
// and to a mark for its tooltip.
constexpr int kGrip = 3;

QString markText(const OverviewMark& m) {
    switch (m.kind) {
    case OverviewMark::Kind::Missing:
        return m.record == m.lastRecord
                   ? EchoStrips::tr("缺少记录 %1").arg(m.record)
                   : EchoStrips::tr("缺少记录 %1–%2").arg(m.record).arg(m.lastRecord);
    case OverviewMark::Kind::Damaged:
        return EchoStrips::tr("记录 %1 损坏：%2")
            .arg(m.record)
            .arg(QString::fromLatin1(recordDamageText(m.damage)));
    case OverviewMark::Kind::Note:
        return EchoStrips::tr("记录 %1：%2").arg(m.record).arg(fromGbk(m.note));
    case OverviewMark::Kind::Block: break;
    }
    return {};
}

} // namespace

EchoStrips::EchoStrips(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("EchoStrips"));
    setMinimumSize(360, 180);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void EchoStrips::setOverview(const EchoOverview* overview, const std::vector<OverviewMark>* marks) {
    overview_ = overview;
    marks_ = marks;
    if (!hasFrames()) drag_ = Drag::None; // the overview went from under the pointer
    bscanColumns_.clear();
    bscanFor_.reset();
    invalidate();
}

void EchoStrips::setView(const OverviewView& view) {
    if (view == view_) return;
    const bool framesMoved = view.from != view_.from || view.to != view_.to;
    view_ = view;
    if (framesMoved)
        invalidate();
    else
        liveChanged(); // the cursor alone
}

void EchoStrips::setEmptyText(const QString& text) {
    if (text == emptyText_) return;
    emptyText_ = text;
    if (!hasFrames()) invalidate();
}

void EchoStrips::setBscanShown(bool shown) {
    if (shown == bscanShown_) return;
    bscanShown_ = shown;
    updateGeometry();
    invalidate();
}

QSize EchoStrips::sizeHint() const { return {800, bscanShown_ ? 420 : 320}; }

void EchoStrips::setBscanSources(RecordQuery* reader, const Evaluation* outlined) {
    bscanReader_ = reader;
    outlined_ = outlined;
    invalidate();
}

void EchoStrips::setNotesAndBlocksShown(bool shown) {
    if (shown == notesAndBlocks_) return;
    notesAndBlocks_ = shown;
    overlayChanged();
}

void EchoStrips::invalidate() {
    dataValid_ = false;
    update();
}

void EchoStrips::overlayChanged() {
    overlayValid_ = false;
    update();
}

void EchoStrips::liveChanged() {
    liveMoved_ = true;
    update();
}

const QImage& EchoStrips::picture() {
    if (!dataValid_ || data_.size() != size().expandedTo(QSize(1, 1))) renderData();
    if (!overlayValid_) {
        picture_ = data_.copy();
        if (hasFrames()) drawOverlay(std::nullopt);
        overlayValid_ = true;
    } else if (liveMoved_) {
        redrawLiveColumns();
    }
    liveColumns_ = liveColumns();
    liveMoved_ = false;
    return picture_;
}

void EchoStrips::redrawLiveColumns() {
    // The columns the cursor and the selection took and the ones they take
    // now, put back from the data picture and drawn over again; near ones
    // at once (a playback step moves the cursor a column at most).
    std::vector<std::pair<int, int>> spans = liveColumns();
    spans.insert(spans.end(), liveColumns_.begin(), liveColumns_.end());
    std::sort(spans.begin(), spans.end());
    constexpr int kNear = 16;
    std::vector<std::pair<int, int>> merged;
    for (const auto& c : spans)
        if (!merged.empty() && c.first <= merged.back().second + kNear)
            merged.back().second = std::max(merged.back().second, c.second);
        else
            merged.push_back(c);
    for (const auto& [first, last] : merged) {
        const int x = std::max(first, 0), n = std::min(last, picture_.width() - 1) - x + 1;
        if (n <= 0) continue;
        for (int y = 0; y < picture_.height(); ++y)
            std::memcpy(reinterpret_cast<QRgb*>(picture_.scanLine(y)) + x,
                        reinterpret_cast<const QRgb*>(data_.constScanLine(y)) + x,
                        static_cast<size_t>(n) * sizeof(QRgb));
        drawOverlay(std::pair{x, x + n - 1});
    }
}

void EchoStrips::renderData() {
    dataValid_ = true;
    overlayValid_ = false;
    data_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    if (!hasFrames()) {
        data_.fill(Qt::white);
        QPainter p(&data_);
        p.setPen(kEmptyText);
        p.drawText(data_.rect(), Qt::AlignCenter,
                   overview_ ? tr("文件中没有可显示的帧") : emptyText_);
        return;
    }
    updateBscanColumns(OverviewLayout::forSize(data_.size(), bscanShown_).bscan.width());
    const BscanPicture bscan{bscanColumns_, outlined_};
    const std::optional<EvaluationPicture> evaluation = evaluationPicture();
    drawOverviewData(data_, *overview_, view_, evaluation ? &*evaluation : nullptr,
                     bscanShown_ ? &bscan : nullptr);
}

void EchoStrips::updateBscanColumns(int width) {
    if (!bscanShown_) {
        bscanColumns_.clear();
        bscanFor_.reset();
        return;
    }
    const OverviewView view = showFrames(view_, view_.from, view_.to, overview_->frameCount());
    const BscanKey key{bscanReader_, view.from, view.to, width};
    if (bscanFor_ == key) return;
    bscanColumns_ = bscanStripColumns(*overview_, bscanReader_, view, width);
    bscanFor_ = key;
}

std::optional<EvaluationPicture> EchoStrips::evaluationPicture() const {
    if (!evaluation_ || !evaluationSummaries_) return std::nullopt;
    return EvaluationPicture{*evaluation_, *evaluationSummaries_, selected_};
}

void EchoStrips::drawOverlay(std::optional<std::pair<int, int>> within) {
    const std::optional<EvaluationPicture> evaluation = evaluationPicture();
    const OverviewOverlay overlay{evaluation ? &*evaluation : nullptr, marks_, notesAndBlocks_,
                                  &manual_, bscanShown_};
    drawOverviewOverlay(picture_, *overview_, view_, overlay, within);
}

std::vector<std::pair<int, int>> EchoStrips::liveColumns() const {
    if (!hasFrames()) return {};
    const std::optional<EvaluationPicture> evaluation = evaluationPicture();
    OverviewOverlay overlay;
    overlay.evaluation = evaluation ? &*evaluation : nullptr;
    overlay.bscan = bscanShown_;
    return overviewLiveColumns(picture_.size(), *overview_, view_, overlay);
}

void EchoStrips::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawImage(0, 0, picture());
    if (drag_ != Drag::Mark || !hasFrames()) return;
    // The frames a Ctrl+drag goes over, shaded through every strip.
    const OverviewLayout strips = layout();
    const int x1 = std::min(markFrom_, markTo_), x2 = std::max(markFrom_, markTo_);
    QColor shade = QColor::fromRgba(kManualOutline);
    shade.setAlpha(70);
    for (const QRect& r : strips.strips())
        p.fillRect(r.left() + x1, r.top(), x2 - x1 + 1, r.height(), shade);
}

void EchoStrips::setManualIndications(std::vector<Indication> runs) {
    manual_ = std::move(runs);
    overlayChanged();
}

void EchoStrips::resizeEvent(QResizeEvent*) { invalidate(); }

void EchoStrips::mousePressEvent(QMouseEvent* e) {
    if (!hasFrames()) return;
    const QPoint at = e->position().toPoint();
    const bool pan = e->button() == Qt::RightButton ||
                     (e->button() == Qt::LeftButton && (e->modifiers() & Qt::ShiftModifier));
    if (pan) {
        drag_ = Drag::Pan;
        dragStart_ = at;
        dragView_ = view_;
        setCursor(Qt::ClosedHandCursor);
        return;
    }
    if (e->button() != Qt::LeftButton) return;
    if (thresholdUnder(at)) {
        drag_ = Drag::Threshold;
        return;
    }
    const OverviewLayout strips = layout();
    const bool onData =
        strips.amplitude.contains(at) || strips.position.contains(at) || strips.bscan.contains(at);
    if (onData && (e->modifiers() & Qt::ControlModifier)) {
        drag_ = Drag::Mark;
        markFrom_ = markTo_ = columnUnder(at.x());
        update();
        return;
    }
    if (onData) {
        drag_ = Drag::Seek;
        seekTo(at.x());
    }
}

void EchoStrips::mouseMoveEvent(QMouseEvent* e) {
    const QPoint at = e->position().toPoint();
    const OverviewLayout strips = layout();
    if (!hasFrames()) {
        drag_ = Drag::None;
        return;
    }
    switch (drag_) {
    case Drag::None: setCursor(thresholdUnder(at) ? Qt::SizeVerCursor : Qt::ArrowCursor); return;
    case Drag::Seek: seekTo(at.x()); return;
    case Drag::Mark:
        if (const int x = columnUnder(at.x()); x != markTo_) {
            markTo_ = x;
            update();
        }
        return;
    case Drag::Threshold: {
        const OverviewScales s = OverviewScales::of(*overview_, view_);
        const bool db = dragUnit_ == AmplitudeUnit::Db;
        emit thresholdRequested(dragUnit_,
                                OverviewScales::thresholdAt(plotRows(strips.amplitude), at.y(),
                                                            db ? s.dbLow : s.percentLow,
                                                            db ? s.dbHigh : s.percentHigh));
        return;
    }
    case Drag::Pan:
        emit viewRequested(panView(view_, dragView_, at.x() - dragStart_.x(),
                                   strips.amplitude.width(), overview_->frameCount()));
        return;
    }
}

void EchoStrips::mouseReleaseEvent(QMouseEvent* e) {
    if (drag_ == Drag::Pan) unsetCursor();
    const Drag was = drag_;
    drag_ = Drag::None;
    if (was != Drag::Mark || !hasFrames()) return;
    markTo_ = columnUnder(e->position().toPoint().x());
    update();
    // Every frame of the columns from the one pressed to the one released.
    const OverviewView view = showFrames(view_, view_.from, view_.to, overview_->frameCount());
    const int width = layout().amplitude.width();
    const auto from = framesOfColumn(view, width, markFrom_);
    const auto to = framesOfColumn(view, width, markTo_);
    const int64_t last = overview_->frameCount() - 1;
    if (markFrom_ <= markTo_)
        emit manualMarkRequested(from.first, std::min(to.second - 1, last));
    else
        emit manualMarkRequested(std::min(from.second - 1, last), to.first);
}

void EchoStrips::wheelEvent(QWheelEvent* e) {
    const int steps = e->angleDelta().y() / 120;
    if (!hasFrames() || steps == 0) return;
    // The frame under the pointer stays under it.
    const OverviewLayout strips = layout();
    const int x = static_cast<int>(e->position().x()) - strips.amplitude.left();
    emit viewRequested(
        zoomView(view_, overview_->frameCount(), strips.amplitude.width(), x, steps));
    e->accept();
}

bool EchoStrips::event(QEvent* e) {
    if (e->type() != QEvent::ToolTip) return QWidget::event(e);
    auto* help = static_cast<QHelpEvent*>(e);
    const OverviewLayout strips = layout();
    const QPoint at = help->pos();
    QString text;
    if (strips.bscan.contains(at)) {
        // The marks near the pointer, as over the strips, then what lies
        // under it in the B-scan.
        QStringList lines = marksNear(at.x() - strips.bscan.left());
        lines << describeBscan(at.x() - strips.bscan.left(), at.y() - strips.bscan.top());
        lines.removeAll(QString());
        text = lines.join(QLatin1Char('\n'));
    } else if (strips.amplitude.left() <= at.x() && at.x() <= strips.amplitude.right())
        text = describeColumn(at.x() - strips.amplitude.left());
    if (!text.isEmpty() && hasFrames())
        text += QLatin1Char('\n') + tr("Ctrl+拖动：把拖过的帧标为人工指示");
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this);
    return true;
}

void EchoStrips::setEvaluation(const Evaluation* evaluation, const EvaluationSummaries* summaries) {
    evaluation_ = evaluation;
    evaluationSummaries_ = summaries;
    selected_ = -1;
    invalidate();
}

void EchoStrips::setSelectedIndication(int index) {
    if (selected_ == index) return;
    selected_ = index;
    liveChanged();
}

bool EchoStrips::thresholdUnder(const QPoint& at) {
    const QRect plot = layout().amplitude;
    if (!hasFrames() || evaluation_ || at.x() < plot.left() || at.x() > plot.right() ||
        at.y() < plot.top() - kGrip || at.y() > plot.bottom() + kGrip)
        return false;
    const int64_t i =
        frameUnderColumn(view_, plot.width(), at.x() - plot.left(), overview_->frameCount());
    const OverviewRecord& rec = overview_->recordOf(i);
    const OverviewScales s = OverviewScales::of(*overview_, view_);
    const bool db = rec.unit == AmplitudeUnit::Db;
    const int row = OverviewScales::rowOf(
        plotRows(plot), rec.threshold, db ? s.dbLow : s.percentLow, db ? s.dbHigh : s.percentHigh);
    dragUnit_ = rec.unit;
    return std::abs(at.y() - row) <= kGrip;
}

int EchoStrips::columnUnder(int x) const {
    const QRect plot = layout().amplitude;
    return std::clamp(x - plot.left(), 0, plot.width() - 1);
}

int64_t EchoStrips::frameUnder(int x) const {
    const int width = layout().amplitude.width();
    return frameUnderColumn(view_, width, columnUnder(x), overview_->frameCount());
}

void EchoStrips::seekTo(int x) {
    const int64_t i = frameUnder(x);
    if (i == lastSeek_ && drag_ == Drag::Seek && seekStarted_) return;
    lastSeek_ = i;
    seekStarted_ = true;
    emit seekRequested(i);
}

QString EchoStrips::describeColumn(int x) const {
    if (!hasFrames()) return {};
    const int width = OverviewLayout::forSize(picture_.size(), bscanShown_).amplitude.width();
    QStringList lines = marksNear(x);
    const int64_t i = frameUnderColumn(view_, width, x, overview_->frameCount());
    // In the list's words; a value no real frame holds says so, as there.
    const IndicationTexts t = frameTexts(*overview_, i);
    lines << QString::fromStdString(framePlace(*overview_, i)) + QStringLiteral("  ") +
                 QString::fromStdString(t.amplitudeShown()) + QStringLiteral("  ") +
                 QString::fromStdString(t.positionShown());
    return lines.join(QLatin1Char('\n'));
}

QStringList EchoStrips::marksNear(int x) const {
    QStringList lines;
    const int width = OverviewLayout::forSize(picture_.size(), bscanShown_).amplitude.width();
    if (marks_)
        for (const OverviewMark* m : marksNearColumn(*marks_, view_, width, x, kGrip))
            lines << markText(*m);
    return lines;
}

QString EchoStrips::describeBscan(int x, int y) const {
    const QRect plot = OverviewLayout::forSize(picture_.size(), bscanShown_).bscan;
    if (!hasFrames() || x < 0 || y < 0 || x >= plot.width() || y >= plot.height() ||
        static_cast<size_t>(x) >= bscanColumns_.size())
        return {};
    // The frame under the pointer, as on the strips above; the amplitude is
    // the one drawn there.
    const int64_t i = frameUnderColumn(view_, plot.width(), x, overview_->frameCount());
    const std::pair<int, int> samples = bscanSamplesOfRow(y, plot.height());
    const int s0 = samples.first;
    const uint8_t sample = bscanRowValue(bscanColumns_[static_cast<size_t>(x)], samples);
    QString path;
    const BscanSummaries& s = overview_->bscanSummaries();
    if (!s.empty() && s.geometryAt(i).range > 0) {
        const BscanGeometry& g = s.geometryAt(i);
        path = g.inch ? tr("声程 %1 in").arg(g.pathAt(s0) / 1000.0, 0, 'f', 3)
                      : tr("声程 %1 mm").arg(g.pathAt(s0) / 10.0, 0, 'f', 1);
    } else {
        path = tr("采样点 %1").arg(s0);
    }
    return QString::fromStdString(framePlace(*overview_, i)) + QStringLiteral("  ") + path +
           QStringLiteral("  ") + tr("波幅 %1%").arg(sample * 0.5, 0, 'f', 1);
}

} // namespace vantrel
