#include "pictures/overview_render.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <span>
#include <vector>

#include "display/bscan_palette.h"
#include "display/display_text.h"
#include "pictures/frame_render.h"

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

// The evaluation view: zones, lines, A, frames apart, indications and the
// selected indication's 6 dB run.
const QColor kZone3(255, 205, 205), kZone2(255, 232, 190), kZone1(255, 250, 205);
const QColor kRl(200, 0, 0), kSl(215, 120, 0), kEl(0, 140, 60), kDac(20, 20, 20);
const QColor kApart(215, 215, 215), kApartBand(120, 120, 120), kEvaluated(150, 0, 110),
    kDrop6(0, 90, 255), kDrop6Band(0, 90, 255, 60);
constexpr int kApartBandHeight = 4, kIndicationBandHeight = 3;

// Margins: a legend above, the axis titles (turned) and tick labels left
// and right, the record numbers and their title below.
constexpr int kLeft = 64, kRight = 64, kTop = 22, kBottom = 34, kSpacing = 10;
constexpr int kTitleWidth = 14, kTick = 3;

// The frames in view, kept within the overview.
struct FramesInView {
    int64_t from, to;
    FramesInView(const EchoOverview& o, const OverviewView& view)
        : from(std::clamp<int64_t>(view.from, 0, o.frameCount())),
          to(std::clamp<int64_t>(view.to, from, o.frameCount())) {}
    // Shown frames first .. last - 1 of column x (at least one frame).
    std::pair<int64_t, int64_t> column(int width, int x) const {
        return framesOfColumn({from, to, -1}, width, x);
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

// Indications behind, then the grid, in strip r.
void drawBackdrop(QPainter& p, const QRect& r, const std::vector<FrameRunSummary>& columns) {
    for (int x = 0; x < r.width(); ++x)
        if (columns[static_cast<size_t>(x)].indication)
            p.fillRect(r.left() + x, r.top(), 1, r.height(), kIndication);
    for (int k = 1; k < 4; ++k)
        p.fillRect(r.left(), r.top() + r.height() * k / 4, r.width(), 1, kGrid);
}

// The values of both strips, or of the position strip only.
void drawValues(QPainter& p, const OverviewLayout& layout,
                const std::vector<FrameRunSummary>& columns, const OverviewScales& s,
                bool amplitudes = true) {
    const int width = layout.amplitude.width();
    for (int x = 0; x < width; ++x) {
        const FrameRunSummary& c = columns[static_cast<size_t>(x)];
        span(p, layout.position, x, c.position, s.positionLow, s.positionHigh, kPosition);
        beyondMarks(p, layout.position, x, c.positionBeyond);
        if (!amplitudes) continue;
        // The thresholds first: the values stay visible where they meet.
        span(p, layout.amplitude, x, c.percentThreshold, s.percentLow, s.percentHigh, kThreshold);
        span(p, layout.amplitude, x, c.dbThreshold, s.dbLow, s.dbHigh, kThreshold);
        span(p, layout.amplitude, x, c.percent, s.percentLow, s.percentHigh, kPercent);
        span(p, layout.amplitude, x, c.db, s.dbLow, s.dbHigh, kDb);
        Beyond amplitudeBeyond = c.percentBeyond;
        amplitudeBeyond.add(c.dbBeyond);
        beyondMarks(p, layout.amplitude, x, amplitudeBeyond);
    }
}

// The plot's columns that draw the frame on screen, first .. last, or none
// (the columns of a frame lie side by side).
std::optional<std::pair<int, int>> cursorColumns(int width, const FramesInView& frames,
                                                 int64_t cursor) {
    if (cursor < frames.from || cursor >= frames.to) return std::nullopt;
    std::optional<std::pair<int, int>> columns;
    for (int x = 0; x < width; ++x) {
        const auto [first, last] = frames.column(width, x);
        if (first <= cursor && cursor < last) {
            if (!columns) columns.emplace(x, x);
            columns->second = x;
        }
    }
    return columns;
}

// The cursor on every column that draws the frame on screen.
void drawCursor(QPainter& p, const OverviewLayout& layout, const FramesInView& frames,
                int64_t cursor) {
    const auto columns = cursorColumns(layout.amplitude.width(), frames, cursor);
    if (!columns) return;
    const auto [x1, x2] = *columns;
    for (const QRect& r : layout.strips())
        p.fillRect(r.left() + x1, r.top(), x2 - x1 + 1, r.height(), kCursor);
}

QString translated(const char* text) { return QCoreApplication::translate("OverviewStrips", text); }

// A round value of a scale in tenths, as a tick label: whole values without
// their ".0".
QString tickLabel(int64_t tenths) {
    QString t = label(tenths);
    if (t.endsWith(QStringLiteral(".0"))) t.chop(2);
    return t;
}

struct LegendItem {
    const char* text;
    QColor colour;
    bool line; // a line of the colour, else a filled box
};

const LegendItem kOverviewLegend[] = {
    {QT_TRANSLATE_NOOP("OverviewStrips", "% 波幅"), kPercent, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "dB 对曲线"), kDb, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "位置"), kPosition, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "阈值"), kThreshold, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "指示"), kIndication, false},
    {QT_TRANSLATE_NOOP("OverviewStrips", "标注"), kNote, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "参数块"), kBlock, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "损坏/缺失"), kMissing, false},
    {QT_TRANSLATE_NOOP("OverviewStrips", "光标"), kCursor, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "不可信的值"), kBeyond, false},
};
const LegendItem kEvaluationLegend[] = {
    {QT_TRANSLATE_NOOP("OverviewStrips", "对 DAC 波幅"), kDac, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "RL 判废线"), kRl, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "SL 定量线"), kSl, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "EL 评定线"), kEl, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "III 区"), kZone3, false},
    {QT_TRANSLATE_NOOP("OverviewStrips", "II 区"), kZone2, false},
    {QT_TRANSLATE_NOOP("OverviewStrips", "I 区"), kZone1, false},
    {QT_TRANSLATE_NOOP("OverviewStrips", "评定的指示"), kEvaluated, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "6 dB 范围"), kDrop6, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "未评定"), kApartBand, false},
    {QT_TRANSLATE_NOOP("OverviewStrips", "位置"), kPosition, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "标注"), kNote, true},
    {QT_TRANSLATE_NOOP("OverviewStrips", "损坏/缺失"), kMissing, false},
    {QT_TRANSLATE_NOOP("OverviewStrips", "光标"), kCursor, true},
};

// What the colours mean, in a row above the strips, as far as the width
// allows.
void drawLegend(QPainter& p, int width, std::span<const LegendItem> items) {
    const QFontMetrics metrics(p.font());
    int x = kLeft;
    for (const LegendItem& item : items) {
        const QString text = translated(item.text);
        const int w = 14 + metrics.horizontalAdvance(text);
        if (x + w > width - 2) break;
        if (item.line)
            p.fillRect(x, 9, 10, 2, item.colour);
        else
            p.fillRect(x, 5, 10, 10, item.colour);
        p.setPen(kFrame);
        p.drawText(QRect(x + 13, 2, w, 16), Qt::AlignLeft | Qt::AlignVCenter, text);
        x += w + 10;
    }
}

// A title turned to read upwards, centred on `r` along its height, in a band
// kTitleWidth wide from x.
void drawTurnedTitle(QPainter& p, int x, const QRect& r, const QString& text,
                     const QColor& colour) {
    p.save();
    p.translate(x + kTitleWidth / 2, r.center().y());
    p.rotate(-90);
    p.setPen(colour);
    p.drawText(QRect(-r.height() / 2, -kTitleWidth / 2, r.height(), kTitleWidth), Qt::AlignCenter,
               text);
    p.restore();
}

// Ticks and labels at round values of low .. high on the left (or right)
// edge of `r`.
void drawValueTicks(QPainter& p, const QRect& r, int64_t low, int64_t high, bool right,
                    const QColor& colour) {
    const int most = std::max(2, r.height() / 22);
    for (const int64_t v : roundTicks(low, high, most)) {
        const int y = OverviewScales::rowOf(plotRows(r), v, low, high);
        p.fillRect(right ? r.right() + 2 : r.left() - 1 - kTick - 1, y, kTick, 1, colour);
        p.setPen(colour);
        const QRect box =
            right ? QRect(r.right() + 3 + kTick, y - 7, kRight - 6 - kTick - kTitleWidth, 14)
                  : QRect(kTitleWidth + 2, y - 7, kLeft - 6 - kTick - kTitleWidth, 14);
        p.drawText(box, (right ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter, tickLabel(v));
    }
}

// Record numbers below the position strip: ticks at round record numbers
// where their first shown frame is drawn, and the last record in view
// labelled at the right end as the last.
void drawRecordTicks(QPainter& p, const QRect& q, const EchoOverview& o,
                     const FramesInView& frames) {
    const int width = q.width();
    const OverviewView view{frames.from, frames.to, -1};
    const int32_t first = o.recordNumber(frames.from), last = o.recordNumber(frames.to - 1);
    const QFontMetrics metrics(p.font());
    const QString lastText = QString::number(last);
    const int lastLeft = q.right() - metrics.horizontalAdvance(lastText);
    p.setPen(kFrame);
    auto label = [&](int x, const QString& text) {
        p.fillRect(q.left() + x, q.bottom() + 2, 1, kTick, kFrame);
        p.drawText(QRect(q.left() + x - 40, q.bottom() + 4, 80, 14), Qt::AlignHCenter, text);
    };
    for (const int64_t r : roundTicks(first, last, std::max(2, width / 70))) {
        const auto rec =
            std::lower_bound(o.records().begin(), o.records().end(), r,
                             [](const OverviewRecord& e, int64_t v) { return e.record < v; });
        if (rec == o.records().end()) continue;
        const int x = columnOfFrame(view, width, rec->firstFrame);
        const QString text = QString::number(rec->record);
        // Room left for the last record's label at the end.
        if (x >= width || q.left() + x + metrics.horizontalAdvance(text) / 2 + 6 >= lastLeft)
            continue;
        label(x, text);
    }
    p.fillRect(q.right(), q.bottom() + 2, 1, kTick, kFrame);
    p.drawText(QRect(q.right() - 80, q.bottom() + 4, 80, 14), Qt::AlignRight, lastText);
}

// The legend, the axis titles and the scales' ticks: % on the left and dB on
// the right of the amplitude strip, the position in its unit left of the
// position strip, record numbers below.
// The zones' names right of the amplitude strip, each in the middle of its
// band where the last column in view holding DAC frames puts the lines.
void drawZoneNames(QPainter& p, const QRect& a, const EvaluationPicture& ev,
                   const FramesInView& frames, const EvaluationScale& e) {
    const int width = a.width();
    for (int x = width - 1; x >= 0; --x) {
        const auto [first, last] = frames.column(width, x);
        if (first >= frames.to) continue;
        const EvaluationRunSummary c = ev.summaries.summarize(first, std::min(last, frames.to));
        if (c.rl.empty()) continue;
        auto row = [&](int64_t v) { return OverviewScales::rowOf(plotRows(a), v, e.low, e.high); };
        const int rl = row(c.rl.low), sl = row(c.sl.low), el = row(c.el.low);
        const struct {
            const char* name;
            int top, bottom;
        } zones[] = {{"III", a.top(), rl}, {"II", rl, sl}, {"I", sl, el}};
        p.setPen(kFrame);
        for (const auto& z : zones)
            if (z.bottom - z.top >= 12)
                p.drawText(QRect(a.right() + 6, (z.top + z.bottom) / 2 - 7, kRight - 8, 14),
                           Qt::AlignLeft | Qt::AlignVCenter, QString::fromLatin1(z.name));
        return;
    }
}

// The amplitude strip in its evaluation view (see EvaluationPicture).
void drawEvaluation(QPainter& p, const QRect& a, const EvaluationPicture& ev,
                    const FramesInView& frames, const EvaluationScale& e) {
    const int width = a.width();
    auto row = [&](int64_t v) { return OverviewScales::rowOf(plotRows(a), v, e.low, e.high); };
    auto band = [&](int x, const ValueRange& r, const QColor& colour) {
        if (r.empty()) return;
        const int y1 = row(r.high), y2 = row(r.low);
        p.fillRect(a.left() + x, y1, 1, y2 - y1 + 1, colour);
    };
    std::vector<EvaluationRunSummary> columns(static_cast<size_t>(width));
    for (int x = 0; x < width && frames.from < frames.to; ++x) {
        const auto [first, last] = frames.column(width, x);
        if (first < frames.to)
            columns[static_cast<size_t>(x)] =
                ev.summaries.summarize(first, std::min(last, frames.to));
    }
    for (int x = 0; x < width; ++x) {
        const EvaluationRunSummary& c = columns[static_cast<size_t>(x)];
        if (c.rl.empty()) { // no DAC frame: nothing to evaluate here
            p.fillRect(a.left() + x, a.top(), 1, a.height(), kApart);
            continue;
        }
        // Each line belongs to the zone above it.
        const int rl = row(c.rl.low), sl = row(c.sl.low), el = row(c.el.low);
        p.fillRect(a.left() + x, a.top(), 1, std::max(rl - a.top(), 0), kZone3);
        p.fillRect(a.left() + x, rl, 1, std::max(sl - rl, 0), kZone2);
        p.fillRect(a.left() + x, sl, 1, std::max(el - sl, 0), kZone1);
    }
    for (int k = 1; k < 4; ++k)
        p.fillRect(a.left(), a.top() + a.height() * k / 4, a.width(), 1, kGrid);
    for (int x = 0; x < width; ++x) {
        const EvaluationRunSummary& c = columns[static_cast<size_t>(x)];
        band(x, c.el, kEl);
        band(x, c.sl, kSl);
        band(x, c.rl, kRl);
        band(x, c.dac, kDac);
        if (c.notEvaluated)
            p.fillRect(a.left() + x, a.bottom() - kApartBandHeight + 1, 1, kApartBandHeight,
                       kApartBand);
        if (c.indication) p.fillRect(a.left() + x, a.top(), 1, kIndicationBandHeight, kEvaluated);
    }
}

// The plot's columns the selected indication's 6 dB run takes, first ..
// last, or none (nothing selected, or its run out of view).
std::optional<std::pair<int, int>> selectedColumns(int width, const EvaluationPicture& ev,
                                                   const FramesInView& frames) {
    const auto& list = ev.evaluation.indications();
    if (ev.selected < 0 || static_cast<size_t>(ev.selected) >= list.size()) return std::nullopt;
    const EvaluatedIndication& d = list[static_cast<size_t>(ev.selected)];
    if (d.drop6End < frames.from || d.drop6Start >= frames.to) return std::nullopt;
    const OverviewView view{frames.from, frames.to, -1};
    const int x1 = d.drop6Start < frames.from ? 0 : columnOfFrame(view, width, d.drop6Start);
    const int x2 = d.drop6End >= frames.to
                       ? width - 1
                       : std::min(columnOfFrame(view, width, d.drop6End), width - 1);
    return std::pair{x1, x2};
}

// The selected indication's 6 dB run over the amplitude strip in its
// evaluation view: a pale band across the strip with its first and last
// frame's columns drawn.
void drawSelected(QPainter& p, const QRect& a, const EvaluationPicture& ev,
                  const FramesInView& frames) {
    const std::optional<std::pair<int, int>> columns = selectedColumns(a.width(), ev, frames);
    if (!columns) return;
    const auto [x1, x2] = *columns;
    const EvaluatedIndication& d = ev.evaluation.indications()[static_cast<size_t>(ev.selected)];
    p.fillRect(a.left() + x1, a.top(), x2 - x1 + 1, a.height(), kDrop6Band);
    if (d.drop6Start >= frames.from) p.fillRect(a.left() + x1, a.top(), 1, a.height(), kDrop6);
    if (d.drop6End < frames.to) p.fillRect(a.left() + x2, a.top(), 1, a.height(), kDrop6);
}

// In the evaluation view the amplitude strip has one scale, dB against the
// DAC curve, on the left, and the zones named on the right where the lines
// of the last column in view put them.
void drawScales(QPainter& p, const OverviewLayout& layout, const EchoOverview& o,
                const FramesInView& frames, const OverviewScales& s, int imageWidth,
                const EvaluationPicture* evaluation, const EvaluationScale& e) {
    p.setFont(rulerFont());
    if (evaluation)
        drawLegend(p, imageWidth, kEvaluationLegend);
    else
        drawLegend(p, imageWidth, kOverviewLegend);
    const QRect& a = layout.amplitude;
    const QRect& q = layout.position;
    if (evaluation) {
        drawTurnedTitle(p, 1, a, translated(QT_TRANSLATE_NOOP("OverviewStrips", "对 DAC dB")),
                        kDac);
        drawValueTicks(p, a, e.low, e.high, false, kDac);
        drawZoneNames(p, a, *evaluation, frames, e);
    } else {
        drawTurnedTitle(p, 1, a, translated(QT_TRANSLATE_NOOP("OverviewStrips", "波幅 %")),
                        kPercent);
        drawTurnedTitle(p, a.right() + kRight - kTitleWidth, a,
                        translated(QT_TRANSLATE_NOOP("OverviewStrips", "对曲线 dB")), kDb);
    }
    drawTurnedTitle(p, 1, q,
                    translated(QT_TRANSLATE_NOOP("OverviewStrips", "位置")) + QLatin1Char(' ') +
                        QString::fromStdString(positionUnitText(o, {frames.from, frames.to, -1})),
                    kPosition);
    if (!evaluation) {
        drawValueTicks(p, a, s.percentLow, s.percentHigh, false, kPercent);
        drawValueTicks(p, a, s.dbLow, s.dbHigh, true, kDb);
    }
    drawValueTicks(p, q, s.positionLow, s.positionHigh, false, kPosition);
    // The record numbers under the lowest strip.
    const QRect lowest = layout.strips().back();
    p.setPen(kFrame);
    p.drawText(QRect(lowest.left(), lowest.bottom() + 17, lowest.width(), 14), Qt::AlignHCenter,
               translated(QT_TRANSLATE_NOOP("OverviewStrips", "记录")));
    if (frames.to > frames.from) drawRecordTicks(p, lowest, o, frames);
}

// The B-scan strip: the picture first, then the gates, the outlines and the
// scales over and beside it.
const QColor kGateA(70, 215, 70), kGateB(80, 160, 255), kOutline(0, 255, 255);
constexpr int kColourBar = 10;

void drawBscanImage(QPainter& p, const QRect& r, const std::vector<BscanColumn>& columns) {
    QImage image(r.size(), QImage::Format_RGB32);
    std::array<QRgb, 256> colours{};
    for (int v = 0; v < 256; ++v)
        colours[static_cast<size_t>(v)] = 0xFF000000u | bscanColour(static_cast<uint8_t>(v));
    const int width = std::min(r.width(), static_cast<int>(columns.size()));
    for (int y = 0; y < r.height(); ++y) {
        const std::pair<int, int> samples = bscanSamplesOfRow(y, r.height());
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = colours[bscanRowValue(columns[static_cast<size_t>(x)], samples)];
        for (int x = width; x < r.width(); ++x)
            line[x] = colours[0];
    }
    p.drawImage(r.topLeft(), image);
}

// Gate A and gate B as their edges, in each column where the parameters in
// force over its frames put them (a column over a change of parameters shows
// both: at most a few).
void drawBscanGates(QPainter& p, const QRect& r, const EchoOverview& o,
                    const std::vector<BscanColumn>& columns) {
    const BscanSummaries& s = o.bscanSummaries();
    if (s.empty()) return;
    constexpr size_t kMostRunsAColumn = 4;
    auto edge = [&](int x, int sample, const QColor& colour) {
        if (sample < 0 || sample > kBscanRows) return;
        const int y = std::min(bscanRowOfSample(sample, r.height()), r.height() - 1);
        p.fillRect(r.left() + x, r.top() + y, 1, 1, colour);
    };
    for (int x = 0; x < std::min(r.width(), static_cast<int>(columns.size())); ++x) {
        const BscanColumn& c = columns[static_cast<size_t>(x)];
        if (!c.holdsFrames()) continue;
        const size_t first = s.runOf(c.first), last = s.runOf(c.last);
        for (size_t k = first; k <= last && k < first + kMostRunsAColumn; ++k) {
            const BscanGeometry& g = s.runGeometry(k);
            edge(x, g.gateAStart, kGateA);
            edge(x, g.gateAStart + g.gateAWidth, kGateA);
            if (g.gateB) {
                edge(x, g.gateBStart, kGateB);
                edge(x, g.gateBStart + g.gateBWidth, kGateB);
            }
        }
    }
}

// Each evaluated indication in view as a box over its frames around gate A
// at its peak, where its echo lies.
void drawBscanOutlines(QPainter& p, const QRect& r, const EchoOverview& o,
                       const FramesInView& frames, const Evaluation& evaluation) {
    const BscanSummaries& s = o.bscanSummaries();
    if (s.empty()) return;
    const OverviewView view{frames.from, frames.to, -1};
    const int width = r.width();
    p.setPen(kOutline);
    p.setBrush(Qt::NoBrush);
    for (const EvaluatedIndication& d : evaluation.indications()) {
        if (d.end < frames.from || d.start >= frames.to) continue;
        const int x1 = d.start <= frames.from ? 0 : columnOfFrame(view, width, d.start);
        const int x2 = std::clamp(columnOfFrame(view, width, d.end + 1) - 1, x1, width - 1);
        const BscanGeometry& g = s.geometryAt(d.peak);
        const int a = std::clamp<int>(g.gateAStart, 0, kBscanRows);
        const int b = std::clamp<int>(g.gateAStart + g.gateAWidth, a, kBscanRows);
        const int y1 = std::max(bscanRowOfSample(a, r.height()) - 2, 0);
        const int y2 = std::min(bscanRowOfSample(b, r.height()) + 2, r.height() - 1);
        p.drawRect(r.left() + x1 - 1, r.top() + y1, x2 - x1 + 2, y2 - y1);
    }
}

// Lengths of the y axis as labels: tenths of a mm, or thousandths of an inch.
QString pathLabel(int64_t v, bool inch) {
    return inch ? QString::number(static_cast<double>(v) / 1000.0, 'f', v % 1000 == 0 ? 0 : 2)
                : tickLabel(v);
}

void drawBscanScales(QPainter& p, const QRect& r, const std::optional<BscanGeometry>& path) {
    p.setFont(rulerFont());
    const int most = std::max(2, r.height() / 22);
    auto tick = [&](int y, const QString& text) {
        p.fillRect(r.left() - 1 - kTick - 1, y, kTick, 1, kFrame);
        p.drawText(QRect(kTitleWidth + 2, y - 7, kLeft - 6 - kTick - kTitleWidth, 14),
                   Qt::AlignRight | Qt::AlignVCenter, text);
    };
    p.setPen(kFrame);
    if (path) {
        // Round lengths along the sound path, on the row of the sample
        // position they fall on.
        const int64_t low = std::llround(path->pathAt(0));
        const int64_t high = std::llround(path->pathAt(kBscanRows));
        for (const int64_t v : roundTicks(low, high, most)) {
            const double k = path->sampleAt(static_cast<double>(v));
            const int y = std::clamp(static_cast<int>(std::lround(k * r.height() / kBscanRows)), 0,
                                     r.height() - 1);
            tick(r.top() + y, pathLabel(v, path->inch));
        }
        drawTurnedTitle(p, 1, r,
                        translated(path->inch ? QT_TRANSLATE_NOOP("OverviewStrips", "声程 in")
                                              : QT_TRANSLATE_NOOP("OverviewStrips", "声程 mm")),
                        kFrame);
    } else {
        for (const int64_t v : roundTicks(0, kBscanRows - 1, most))
            tick(r.top() + bscanRowOfSample(static_cast<int>(v), r.height()), QString::number(v));
        drawTurnedTitle(
            p, 1, r, translated(QT_TRANSLATE_NOOP("OverviewStrips", "采样点（声程不一）")), kFrame);
    }
    // The colour bar: samples 0 (foot) to 255 (top) in the palette, ticked
    // in % of screen height (a sample is 0.5 %).
    const QRect bar(r.right() + 4, r.top(), kColourBar, r.height());
    for (int y = 0; y < bar.height(); ++y) {
        const int v = (bar.height() - 1 - y) * 255 / std::max(bar.height() - 1, 1);
        p.fillRect(bar.left(), bar.top() + y, bar.width(), 1,
                   QColor::fromRgb(bscanColour(static_cast<uint8_t>(v))));
    }
    p.setPen(kFrame);
    p.setBrush(Qt::NoBrush);
    p.drawRect(bar.adjusted(0, 0, -1, -1));
    for (const int64_t percent : roundTicks(0, 127, std::max(2, r.height() / 30))) {
        const int y = bar.bottom() - static_cast<int>(percent * 2 * (bar.height() - 1) / 255);
        p.fillRect(bar.right() + 1, y, kTick, 1, kFrame);
        p.drawText(QRect(bar.right() + 2 + kTick, y - 7, 30, 14), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::number(percent));
    }
    drawTurnedTitle(p, r.right() + kRight - kTitleWidth, r,
                    translated(QT_TRANSLATE_NOOP("OverviewStrips", "B 扫描 波幅 %")), kFrame);
}

void drawBscan(QPainter& p, const QRect& r, const EchoOverview& o, const FramesInView& frames,
               const BscanPicture& bscan) {
    drawBscanImage(p, r, bscan.columns);
    drawBscanGates(p, r, o, bscan.columns);
    if (bscan.evaluation) drawBscanOutlines(p, r, o, frames, *bscan.evaluation);
    drawBscanScales(p, r, bscanPathOfView(o, {frames.from, frames.to, -1}));
}

} // namespace

OverviewLayout OverviewLayout::forSize(QSize size, bool bscan) {
    const int width = std::max(size.width() - kLeft - kRight, 1);
    OverviewLayout l;
    if (!bscan) {
        const int height = std::max(size.height() - kTop - kBottom - kSpacing, 2);
        const int amplitudeHeight = std::max(height * 3 / 5, 1);
        l.amplitude = QRect(kLeft, kTop, width, amplitudeHeight);
        l.position = QRect(kLeft, kTop + amplitudeHeight + kSpacing, width,
                           std::max(height - amplitudeHeight, 1));
        return l;
    }
    // The B-scan takes the larger share: its 280 rows want height.
    const int height = std::max(size.height() - kTop - kBottom - 2 * kSpacing, 3);
    const int amplitudeHeight = std::max(height * 9 / 25, 1);
    const int positionHeight = std::max(height / 5, 1);
    l.amplitude = QRect(kLeft, kTop, width, amplitudeHeight);
    l.position = QRect(kLeft, l.amplitude.bottom() + 1 + kSpacing, width, positionHeight);
    l.bscan = QRect(kLeft, l.position.bottom() + 1 + kSpacing, width,
                    std::max(height - amplitudeHeight - positionHeight, 1));
    return l;
}

std::vector<QRect> OverviewLayout::strips() const {
    if (bscan.isEmpty()) return {amplitude, position};
    return {amplitude, position, bscan};
}

void drawOverviewStrips(QImage& image, const EchoOverview& o, const OverviewView& view,
                        const EvaluationPicture* evaluation, const BscanPicture* bscan) {
    drawOverviewData(image, o, view, evaluation, bscan);
    // The 6 dB run and the cursor lie in the plots, where nothing of the
    // data picture is drawn after them.
    QPainter p(&image);
    const OverviewLayout layout = OverviewLayout::forSize(image.size(), bscan != nullptr);
    const FramesInView frames(o, view);
    if (evaluation) drawSelected(p, layout.amplitude, *evaluation, frames);
    drawCursor(p, layout, frames, view.cursor);
}

void drawOverviewData(QImage& image, const EchoOverview& o, const OverviewView& view,
                      const EvaluationPicture* evaluation, const BscanPicture* bscan) {
    QPainter p(&image);
    p.fillRect(image.rect(), kBackground);
    const OverviewLayout layout = OverviewLayout::forSize(image.size(), bscan != nullptr);
    const FramesInView frames(o, view);
    const std::vector<FrameRunSummary> columns =
        columnSummaries(o, frames, layout.amplitude.width());
    const OverviewScales scales = OverviewScales::of(o, view);
    EvaluationScale e;
    if (evaluation) {
        // The position strip as ever; the amplitude strip against the curve.
        e = EvaluationScale::of(evaluation->summaries, frames.from, frames.to);
        drawBackdrop(p, layout.position, columns);
        drawValues(p, layout, columns, scales, false);
        drawEvaluation(p, layout.amplitude, *evaluation, frames, e);
    } else {
        drawBackdrop(p, layout.amplitude, columns);
        drawBackdrop(p, layout.position, columns);
        drawValues(p, layout, columns, scales);
    }
    if (bscan) drawBscan(p, layout.bscan, o, frames, *bscan);
    p.setPen(kFrame);
    p.setBrush(Qt::NoBrush);
    for (const QRect& r : layout.strips())
        p.drawRect(r.adjusted(-1, -1, 0, 0));
    drawScales(p, layout, o, frames, scales, image.width(), evaluation, e);
}

void drawBscanStrip(QImage& image, const QRect& plot, const EchoOverview& o,
                    const OverviewView& view, const BscanPicture& bscan) {
    QPainter p(&image);
    drawBscan(p, plot, o, FramesInView(o, view), bscan);
}

namespace {

void paintManualIndications(QPainter& p, const OverviewLayout& layout,
                            const std::vector<Indication>& runs, const OverviewView& view) {
    const int width = layout.amplitude.width();
    const QColor colour = QColor::fromRgba(kManualOutline);
    QFont font = rulerFont();
    p.setFont(font);
    const QString tag = translated(QT_TRANSLATE_NOOP("OverviewStrips", "人工"));
    const QFontMetrics metrics(font);
    for (const Indication& run : runs) {
        if (run.end < view.from || run.start >= view.to) continue;
        const int x1 = run.start <= view.from ? 0 : columnOfFrame(view, width, run.start);
        const int x2 = std::clamp(columnOfFrame(view, width, run.end + 1) - 1, x1, width - 1);
        for (const QRect& r : layout.strips()) {
            // Two pixels wide, so that it shows over the B-scan's colours.
            const QRect box(r.left() + x1, r.top(), x2 - x1 + 1, r.height());
            p.fillRect(box.left(), box.top(), box.width(), 2, colour);
            p.fillRect(box.left(), box.bottom() - 1, box.width(), 2, colour);
            p.fillRect(box.left(), box.top(), std::min(2, box.width()), box.height(), colour);
            p.fillRect(std::max(box.right() - 1, box.left()), box.top(), std::min(2, box.width()),
                       box.height(), colour);
            if (r == layout.position) continue;
            // The tag on a filled label, left of the box where the box
            // lies at the right edge.
            const QSize size(metrics.horizontalAdvance(tag) + 4, metrics.height());
            const int left = std::min(box.left(), r.right() + 1 - size.width());
            const QRect label(QPoint(left, box.top()), size);
            p.fillRect(label, colour);
            p.setPen(Qt::white);
            p.drawText(label, Qt::AlignCenter, tag);
        }
    }
}

constexpr std::pair<int, int> kEveryColumn{std::numeric_limits<int>::min(),
                                           std::numeric_limits<int>::max()};

// The marks over the strips, those over plot columns within.first ..
// within.second only (the painter is clipped to them).
void paintOverviewMarks(QPainter& p, const OverviewLayout& layout,
                        const std::vector<OverviewMark>& marks, const OverviewView& view,
                        bool notesAndBlocks, std::pair<int, int> within) {
    const int width = layout.amplitude.width();
    const std::vector<QRect> strips = layout.strips();
    auto inView = [&](int64_t i) { return i >= view.from && i <= view.to; };
    auto drawn = [&](int x1, int x2) { return x2 >= within.first && x1 <= within.second; };
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
            if (!drawn(x, x2 - 1)) break;
            for (const QRect& r : strips)
                p.fillRect(r.left() + x, r.top(), x2 - x, r.height(), kDamaged);
            break;
        }
        case OverviewMark::Kind::Missing: {
            const int left = std::min(x, width - 2);
            if (!inView(m.first) || !drawn(left, left + 1)) break;
            for (const QRect& r : strips)
                p.fillRect(r.left() + left, r.top(), 2, r.height(), kMissing);
            break;
        }
        case OverviewMark::Kind::Note:
            if (!inView(m.first) || x >= width || !drawn(x, x)) break;
            for (const QRect& r : strips)
                p.fillRect(r.left() + x, r.top(), 1,
                           noteTicks ? std::min(4, r.height()) : r.height(), kNote);
            break;
        case OverviewMark::Kind::Block:
            if (!inView(m.first) || x >= width || !drawn(x, x)) break;
            p.fillRect(layout.position.left() + x, layout.position.bottom() - 4, 1, 5, kBlock);
            break;
        }
    }
}

} // namespace

void drawManualIndications(QImage& image, const std::vector<Indication>& runs,
                           const OverviewView& view, bool bscan) {
    QPainter p(&image);
    paintManualIndications(p, OverviewLayout::forSize(image.size(), bscan), runs, view);
}

void drawOverviewMarks(QImage& image, const std::vector<OverviewMark>& marks,
                       const OverviewView& view, bool notesAndBlocks, bool bscan) {
    QPainter p(&image);
    paintOverviewMarks(p, OverviewLayout::forSize(image.size(), bscan), marks, view, notesAndBlocks,
                       kEveryColumn);
}

std::vector<std::pair<int, int>> overviewLiveColumns(QSize size, const EchoOverview& o,
                                                     const OverviewView& view,
                                                     const OverviewOverlay& overlay) {
    const OverviewLayout layout = OverviewLayout::forSize(size, overlay.bscan);
    const int left = layout.amplitude.left(), width = layout.amplitude.width();
    const FramesInView frames(o, view);
    std::vector<std::pair<int, int>> columns;
    for (const auto& c :
         {overlay.evaluation ? selectedColumns(width, *overlay.evaluation, frames) : std::nullopt,
          cursorColumns(width, frames, view.cursor)})
        if (c) columns.emplace_back(left + c->first, left + c->second);
    return columns;
}

void drawOverviewOverlay(QImage& image, const EchoOverview& o, const OverviewView& view,
                         const OverviewOverlay& overlay,
                         std::optional<std::pair<int, int>> within) {
    QPainter p(&image);
    const OverviewLayout layout = OverviewLayout::forSize(image.size(), overlay.bscan);
    std::pair<int, int> columns = kEveryColumn;
    if (within) {
        p.setClipRect(QRect(within->first, 0, within->second - within->first + 1, image.height()));
        columns = {within->first - layout.amplitude.left(),
                   within->second - layout.amplitude.left()};
    }
    const FramesInView frames(o, view);
    if (overlay.evaluation) drawSelected(p, layout.amplitude, *overlay.evaluation, frames);
    drawCursor(p, layout, frames, view.cursor);
    if (overlay.marks)
        paintOverviewMarks(p, layout, *overlay.marks, view, overlay.notesAndBlocks, columns);
    if (overlay.manual) paintManualIndications(p, layout, *overlay.manual, view);
}

} // namespace vantrel
