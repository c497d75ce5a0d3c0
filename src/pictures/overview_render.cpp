#include "overview_render.h"

#include <QFont>
#include <QPainter>

#include <algorithm>
#include <vector>

#include "display_text.h"
#include "frame_render.h"

namespace vantrel {

namespace {

const QColor kBackground(255, 255, 255), kFrame(0, 0, 0), kGrid(215, 215, 215);
const QColor kPercent(0, 150, 0), kDb(220, 110, 0), kPosition(30, 80, 200);
const QColor kThreshold(200, 0, 0), kIndication(255, 225, 225), kCursor(120, 0, 160);
// Values no real frame can hold, drawn on the edge they lie beyond.
const QColor kBeyond(255, 0, 255);
constexpr int kBeyondMarkHeight = 3;
// The marks over the strips.
const QColor kNote(0, 130, 150), kBlock(60, 60, 60), kDamaged(150, 150, 150, 120),
    kMissing(150, 150, 150);

constexpr int kLeft = 48, kRight = 48, kTop = 6, kBottom = 20, kSpacing = 10;

// The frames in view, kept within the overview.
struct FramesInView {
    int64_t from, to;
    FramesInView(const EchoOverview& o, const OverviewView& view)
        : from(std::clamp<int64_t>(view.from, 0, o.frameCount())),
          to(std::clamp<int64_t>(view.to, from, o.frameCount())) {}
    // Shown frames first .. last - 1 of column x (at least one frame).
    std::pair<int64_t, int64_t> column(int width, int x) const {
        const int64_t first = frameAtColumn({from, to, -1}, width, x);
        return {first, std::max(frameAtColumn({from, to, -1}, width, x + 1), first + 1)};
    }
};

void span(QPainter& p, const QRect& r, int x, const ValueRange& range, int64_t low, int64_t high,
          const QColor& colour) {
    if (range.empty()) return;
    const int y1 = OverviewScales::rowOf(plotRows(r), range.high, low, high);
    const int y2 = OverviewScales::rowOf(plotRows(r), range.low, low, high);
    p.fillRect(r.left() + x, y1, 1, y2 - y1 + 1, colour);
}

// Marks on the top and the bottom edge of `r` in column x where values lie
// beyond the plausible range that way.
void beyondMarks(QPainter& p, const QRect& r, int x, const Beyond& beyond) {
    const int h = std::min(kBeyondMarkHeight, r.height());
    if (beyond.above) p.fillRect(r.left() + x, r.top(), 1, h, kBeyond);
    if (beyond.below) p.fillRect(r.left() + x, r.bottom() - h + 1, 1, h, kBeyond);
}

QString label(int64_t tenths) { return QString::fromStdString(vantrel::tenths(tenths)); }

// Each column's ranges, from the overview's block summaries: a column of
// thousands of frames costs a few hundred steps.
std::vector<FrameRunSummary> columnSummaries(const EchoOverview& o, const FramesInView& frames,
                                             int width) {
    std::vector<FrameRunSummary> columns(static_cast<size_t>(width));
    for (int x = 0; x < width && frames.from < frames.to; ++x) {
        const auto [first, last] = frames.column(width, x);
        columns[static_cast<size_t>(x)] = o.summarize(first, std::min(last, frames.to));
    }
    return columns;
}

// Indications behind, then the grid.
void drawBackdrop(QPainter& p, const OverviewLayout& layout,
                  const std::vector<FrameRunSummary>& columns) {
    const int width = layout.amplitude.width();
    for (const QRect& r : {layout.amplitude, layout.position}) {
        for (int x = 0; x < width; ++x)
            if (columns[static_cast<size_t>(x)].indication)
                p.fillRect(r.left() + x, r.top(), 1, r.height(), kIndication);
        for (int k = 1; k < 4; ++k)
            p.fillRect(r.left(), r.top() + r.height() * k / 4, r.width(), 1, kGrid);
    }
}

void drawValues(QPainter& p, const OverviewLayout& layout,
                const std::vector<FrameRunSummary>& columns, const OverviewScales& s) {
    const int width = layout.amplitude.width();
    for (int x = 0; x < width; ++x) {
        const FrameRunSummary& c = columns[static_cast<size_t>(x)];
        // The thresholds first: the values stay visible where they meet.
        span(p, layout.amplitude, x, c.percentThreshold, s.percentLow, s.percentHigh, kThreshold);
        span(p, layout.amplitude, x, c.dbThreshold, s.dbLow, s.dbHigh, kThreshold);
        span(p, layout.amplitude, x, c.percent, s.percentLow, s.percentHigh, kPercent);
        span(p, layout.amplitude, x, c.db, s.dbLow, s.dbHigh, kDb);
        span(p, layout.position, x, c.position, s.positionLow, s.positionHigh, kPosition);
        Beyond amplitudeBeyond = c.percentBeyond;
        amplitudeBeyond.add(c.dbBeyond);
        beyondMarks(p, layout.amplitude, x, amplitudeBeyond);
        beyondMarks(p, layout.position, x, c.positionBeyond);
    }
}

// The cursor on every column that draws the frame on screen.
void drawCursor(QPainter& p, const OverviewLayout& layout, const FramesInView& frames,
                int64_t cursor) {
    const int width = layout.amplitude.width();
    if (cursor < frames.from || cursor >= frames.to) return;
    for (int x = 0; x < width; ++x) {
        const auto [first, last] = frames.column(width, x);
        if (first <= cursor && cursor < last)
            for (const QRect& r : {layout.amplitude, layout.position})
                p.fillRect(r.left() + x, r.top(), 1, r.height(), kCursor);
    }
}

// % on the left, dB on the right of the amplitude strip, the length unit
// left of the position strip, record numbers below.
void drawScales(QPainter& p, const OverviewLayout& layout, const EchoOverview& o,
                const FramesInView& frames, const OverviewScales& s) {
    p.setFont(rulerFont());
    auto text = [&](int x, int y, int w, Qt::Alignment align, const QString& t, const QColor& c) {
        p.setPen(c);
        p.drawText(QRect(x, y - 7, w, 14), align | Qt::AlignVCenter, t);
    };
    const QRect& a = layout.amplitude;
    text(2, a.top() + 4, kLeft - 6, Qt::AlignRight, label(s.percentHigh) + "%", kPercent);
    text(2, a.bottom() - 4, kLeft - 6, Qt::AlignRight, label(s.percentLow) + "%", kPercent);
    text(a.right() + 4, a.top() + 4, kRight - 6, Qt::AlignLeft, label(s.dbHigh) + "dB", kDb);
    text(a.right() + 4, a.bottom() - 4, kRight - 6, Qt::AlignLeft, label(s.dbLow) + "dB", kDb);
    const QRect& q = layout.position;
    text(2, q.top() + 4, kLeft - 6, Qt::AlignRight,
         label(s.positionHigh) +
             QString::fromStdString(positionUnitText(o, {frames.from, frames.to, -1})),
         kPosition);
    text(2, q.bottom() - 4, kLeft - 6, Qt::AlignRight, label(s.positionLow), kPosition);
    if (frames.to <= frames.from) return;
    const int width = a.width();
    for (int k = 0; k <= 4; ++k) {
        const int x = std::min(width - 1, width * k / 4);
        const int64_t i = std::min(frames.column(width, x).first, frames.to - 1);
        text(q.left() + x - 30, q.bottom() + 11, 60, Qt::AlignHCenter,
             QString::number(o.recordNumber(i)), kFrame);
    }
}

} // namespace

OverviewLayout OverviewLayout::forSize(QSize size) {
    const int width = std::max(size.width() - kLeft - kRight, 1);
    const int height = std::max(size.height() - kTop - kBottom - kSpacing, 2);
    const int amplitudeHeight = std::max(height * 3 / 5, 1);
    OverviewLayout l;
    l.amplitude = QRect(kLeft, kTop, width, amplitudeHeight);
    l.position = QRect(kLeft, kTop + amplitudeHeight + kSpacing, width,
                       std::max(height - amplitudeHeight, 1));
    return l;
}

void drawOverviewStrips(QImage& image, const EchoOverview& o, const OverviewView& view) {
    QPainter p(&image);
    p.fillRect(image.rect(), kBackground);
    const OverviewLayout layout = OverviewLayout::forSize(image.size());
    const FramesInView frames(o, view);
    const std::vector<FrameRunSummary> columns =
        columnSummaries(o, frames, layout.amplitude.width());
    const OverviewScales scales = OverviewScales::of(o, view);
    drawBackdrop(p, layout, columns);
    drawValues(p, layout, columns, scales);
    drawCursor(p, layout, frames, view.cursor);
    p.setPen(kFrame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(layout.amplitude.adjusted(-1, -1, 0, 0));
    p.drawRect(layout.position.adjusted(-1, -1, 0, 0));
    drawScales(p, layout, o, frames, scales);
}

void drawOverviewMarks(QImage& image, const std::vector<OverviewMark>& marks,
                       const OverviewView& view, bool notesAndBlocks) {
    const OverviewLayout layout = OverviewLayout::forSize(image.size());
    const int width = layout.amplitude.width();
    QPainter p(&image);
    auto inView = [&](int64_t i) { return i >= view.from && i <= view.to; };
    // The columns that hold a note: too many for lines, and notes are ticks.
    std::vector<bool> noteColumns(static_cast<size_t>(width));
    int noted = 0;
    for (const OverviewMark& m : marks) {
        const int x = columnOfFrame(view, width, m.first);
        if (m.kind == OverviewMark::Kind::Note && inView(m.first) && x < width &&
            !noteColumns[static_cast<size_t>(x)]) {
            noteColumns[static_cast<size_t>(x)] = true;
            ++noted;
        }
    }
    const bool noteTicks = noted * kSparseNoteColumns > width;
    for (const OverviewMark& m : marks) {
        const bool note = m.kind == OverviewMark::Kind::Note;
        if (!notesAndBlocks && (note || m.kind == OverviewMark::Kind::Block)) continue;
        const int x = columnOfFrame(view, width, m.first);
        switch (m.kind) {
        case OverviewMark::Kind::Damaged: {
            if (m.end <= view.from || m.first >= view.to) break;
            const int x2 = std::max(columnOfFrame(view, width, m.end), x + 1);
            for (const QRect& r : {layout.amplitude, layout.position})
                p.fillRect(r.left() + x, r.top(), x2 - x, r.height(), kDamaged);
            break;
        }
        case OverviewMark::Kind::Missing:
            if (!inView(m.first)) break;
            for (const QRect& r : {layout.amplitude, layout.position})
                p.fillRect(r.left() + std::min(x, width - 2), r.top(), 2, r.height(), kMissing);
            break;
        case OverviewMark::Kind::Note:
            if (!inView(m.first) || x >= width) break;
            for (const QRect& r : {layout.amplitude, layout.position})
                p.fillRect(r.left() + x, r.top(), 1,
                           noteTicks ? std::min(4, r.height()) : r.height(), kNote);
            break;
        case OverviewMark::Kind::Block:
            if (!inView(m.first) || x >= width) break;
            p.fillRect(layout.position.left() + x, layout.position.bottom() - 4, 1, 5, kBlock);
            break;
        }
    }
}

} // namespace vantrel
