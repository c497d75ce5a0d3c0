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

constexpr int kLeft = 48, kRight = 48, kTop = 6, kBottom = 20, kSpacing = 10;

// Maps a value in [low, high] onto rows bottom .. top of `r`.
int rowOf(const QRect& r, int64_t v, int64_t low, int64_t high) {
    if (high <= low) return r.bottom();
    const int64_t y = r.bottom() - (v - low) * (r.height() - 1) / (high - low);
    return static_cast<int>(std::clamp<int64_t>(y, r.top(), r.bottom()));
}

void span(QPainter& p, const QRect& r, int x, const ValueRange& range, int64_t low, int64_t high,
          const QColor& colour) {
    if (range.empty()) return;
    const int y1 = rowOf(r, range.high, low, high), y2 = rowOf(r, range.low, low, high);
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

int64_t OverviewLayout::frameAt(const OverviewView& view, int plotWidth, int x) {
    return view.from + (view.to - view.from) * x / std::max(plotWidth, 1);
}

void drawOverviewStrips(QImage& image, const EchoOverview& o, const OverviewView& view) {
    QPainter p(&image);
    p.fillRect(image.rect(), kBackground);
    const OverviewLayout layout = OverviewLayout::forSize(image.size());
    const int width = layout.amplitude.width();
    const int64_t from = std::clamp<int64_t>(view.from, 0, o.frameCount());
    const int64_t to = std::clamp<int64_t>(view.to, from, o.frameCount());

    // Each column's ranges, from the overview's block summaries: a column
    // of thousands of frames costs a few hundred steps.
    std::vector<FrameRunSummary> columns(static_cast<size_t>(width));
    ValueRange percentAll, dbAll, positionAll;
    percentAll.add(0);
    percentAll.add(1000); // 0 .. 100 % at least
    dbAll.add(-200);
    dbAll.add(100); // -20 .. +10 dB at least
    positionAll.add(0);
    for (int x = 0; x < width && from < to; ++x) {
        const int64_t first = OverviewLayout::frameAt({from, to, -1}, width, x);
        const int64_t last =
            std::max(OverviewLayout::frameAt({from, to, -1}, width, x + 1), first + 1);
        FrameRunSummary& c = columns[static_cast<size_t>(x)];
        c = o.summarize(first, std::min(last, to));
        percentAll.add(c.percent);
        dbAll.add(c.db);
        positionAll.add(c.position);
    }

    // Plots: indications behind, grid, thresholds, values, frames.
    for (const QRect& r : {layout.amplitude, layout.position}) {
        for (int x = 0; x < width; ++x)
            if (columns[static_cast<size_t>(x)].indication)
                p.fillRect(r.left() + x, r.top(), 1, r.height(), kIndication);
        for (int k = 1; k < 4; ++k)
            p.fillRect(r.left(), r.top() + r.height() * k / 4, r.width(), 1, kGrid);
    }
    for (int x = 0; x < width; ++x) {
        const FrameRunSummary& c = columns[static_cast<size_t>(x)];
        // The thresholds first: the values stay visible where they meet.
        span(p, layout.amplitude, x, c.percentThreshold, percentAll.low, percentAll.high,
             kThreshold);
        span(p, layout.amplitude, x, c.dbThreshold, dbAll.low, dbAll.high, kThreshold);
        span(p, layout.amplitude, x, c.percent, percentAll.low, percentAll.high, kPercent);
        span(p, layout.amplitude, x, c.db, dbAll.low, dbAll.high, kDb);
        span(p, layout.position, x, c.position, positionAll.low, positionAll.high, kPosition);
        Beyond amplitudeBeyond = c.percentBeyond;
        amplitudeBeyond.add(c.dbBeyond);
        beyondMarks(p, layout.amplitude, x, amplitudeBeyond);
        beyondMarks(p, layout.position, x, c.positionBeyond);
    }
    // The cursor on every column that draws the frame on screen.
    for (int x = 0; x < width && view.cursor >= from && view.cursor < to; ++x) {
        const int64_t first = OverviewLayout::frameAt({from, to, -1}, width, x);
        const int64_t last =
            std::max(OverviewLayout::frameAt({from, to, -1}, width, x + 1), first + 1);
        if (first <= view.cursor && view.cursor < last)
            for (const QRect& r : {layout.amplitude, layout.position})
                p.fillRect(r.left() + x, r.top(), 1, r.height(), kCursor);
    }
    p.setPen(kFrame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(layout.amplitude.adjusted(-1, -1, 0, 0));
    p.drawRect(layout.position.adjusted(-1, -1, 0, 0));

    // Scales: % on the left, dB on the right of the amplitude strip, the
    // length unit left of the position strip, record numbers below.
    QFont font = rulerFont();
    p.setFont(font);
    const auto& a = layout.amplitude;
    auto text = [&](int x, int y, int w, Qt::Alignment align, const QString& s, const QColor& c) {
        p.setPen(c);
        p.drawText(QRect(x, y - 7, w, 14), align | Qt::AlignVCenter, s);
    };
    text(2, a.top() + 4, kLeft - 6, Qt::AlignRight, label(percentAll.high) + "%", kPercent);
    text(2, a.bottom() - 4, kLeft - 6, Qt::AlignRight, label(percentAll.low) + "%", kPercent);
    text(a.right() + 4, a.top() + 4, kRight - 6, Qt::AlignLeft, label(dbAll.high) + "dB", kDb);
    text(a.right() + 4, a.bottom() - 4, kRight - 6, Qt::AlignLeft, label(dbAll.low) + "dB", kDb);
    const auto& q = layout.position;
    const bool inch = !o.records.empty() && o.records.front().inch;
    text(2, q.top() + 4, kLeft - 6, Qt::AlignRight, label(positionAll.high) + (inch ? "in" : "mm"),
         kPosition);
    text(2, q.bottom() - 4, kLeft - 6, Qt::AlignRight, label(positionAll.low), kPosition);
    if (to > from) {
        for (int k = 0; k <= 4; ++k) {
            const int x = std::min(width - 1, width * k / 4);
            const int64_t i = std::min(OverviewLayout::frameAt({from, to, -1}, width, x), to - 1);
            text(q.left() + x - 30, q.bottom() + 11, 60, Qt::AlignHCenter,
                 QString::number(o.recordNumber(i)), kFrame);
        }
    }
}

// ------------------------------------------------- for the window's marks

int OverviewLayout::columnOf(const OverviewView& view, int plotWidth, int64_t frame) {
    const int64_t n = view.to - view.from, k = frame - view.from;
    if (n <= 0 || k <= 0) return 0;
    if (k >= n) return plotWidth;
    // The least x with frameAt(x) >= frame: n * x / w >= k.
    return static_cast<int>((k * plotWidth + n - 1) / n);
}

OverviewScales OverviewScales::of(const EchoOverview& o, const OverviewView& view) {
    OverviewScales s{0, 1000, -200, 100};
    const int64_t from = std::clamp<int64_t>(view.from, 0, o.frameCount());
    const int64_t to = std::clamp<int64_t>(view.to, from, o.frameCount());
    if (from >= to) return s;
    // The view's frames in summary: a few hundred steps for millions of them.
    const FrameRunSummary run = o.summarize(from, to);
    if (!run.percent.empty()) {
        s.percentLow = std::min<int64_t>(s.percentLow, run.percent.low);
        s.percentHigh = std::max<int64_t>(s.percentHigh, run.percent.high);
    }
    if (!run.db.empty()) {
        s.dbLow = std::min<int64_t>(s.dbLow, run.db.low);
        s.dbHigh = std::max<int64_t>(s.dbHigh, run.db.high);
    }
    return s;
}

int OverviewScales::rowOf(const QRect& plot, int64_t v, int64_t low, int64_t high) {
    return vantrel::rowOf(plot, v, low, high);
}

int64_t OverviewScales::valueAt(const QRect& plot, int y, int64_t low, int64_t high) {
    const int64_t rows = std::max(plot.height() - 1, 1), span = std::max<int64_t>(high - low, 1);
    const int64_t up = std::clamp<int64_t>(plot.bottom() - y, 0, rows);
    // The values rowOf puts on this row run from first to next - 1 above low
    // (none where rows are finer than the scale's tenths): their middle.
    auto ceilDiv = [](int64_t a, int64_t b) { return (a + b - 1) / b; };
    const int64_t first = ceilDiv(up * span, rows), next = ceilDiv((up + 1) * span, rows);
    return std::clamp(low + (first + std::max(first, next - 1)) / 2, low, high);
}

} // namespace vantrel
