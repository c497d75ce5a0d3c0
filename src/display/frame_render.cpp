#include "frame_render.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cstring>

#include "wrap_math.h"

namespace vantrel {

PlotColours PlotColours::screen() {
    return {QColor(0, 0, 0),     QColor(255, 255, 0), QColor(0, 255, 0), QColor(0, 255, 255),
            QColor(0, 255, 255), QColor(255, 0, 255), QColor(0, 0, 255)};
}

PlotColours PlotColours::print() {
    const QColor black(0, 0, 0);
    return {QColor(255, 255, 255), black, black, black, black, black, black};
}

int plotX(int w, int32_t k) { return wrap::div(wrap::mul(w, k), 280); }

int plotY(int h, int32_t v) { return h - h * std::min<int32_t>(v, 200) / 200; }

QPen plotPen(const QColor& colour, Qt::PenStyle style) {
    QPen pen(colour);
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    if (style == Qt::DotLine) {
        // Every other pixel, like a cosmetic dotted pen on the instrument.
        pen.setDashPattern({1.0, 1.0});
    } else {
        pen.setStyle(style);
    }
    return pen;
}

void preparePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
}

namespace {

// A curve height on the plot, without the 200 limit of traces.
int curveY(int h, int32_t c) { return wrap::sub(h, wrap::mul(h, c) / 200); }

} // namespace

void drawGridAndBorder(QPainter& painter, int w, int h, const PlotColours& colours) {
    painter.fillRect(0, 0, w, h, colours.background);
    painter.setPen(plotPen(colours.grid, Qt::DotLine));
    for (int i = 1; i <= 4; ++i) {
        painter.drawLine(0, h * i / 5, w, h * i / 5);
        painter.drawLine(w * i / 5, 0, w * i / 5, h);
    }
    painter.setPen(plotPen(colours.grid));
    const QPoint border[] = {{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}};
    painter.drawPolyline(border, 5);
}

void drawTrace(QPainter& painter, int w, int h, const uint8_t* samples) {
    QPoint points[kSamplesPerFrame];
    for (int k = 0; k < kSamplesPerFrame; ++k)
        points[k] = QPoint(plotX(w, k), plotY(h, samples[k]));
    painter.drawPolyline(points, kSamplesPerFrame);
}

void drawCurve(QPainter& painter, int w, int h, const CurveOrdinates& c, bool flat) {
    if (flat) {
        if (c[0] < h) painter.drawLine(w / 280, curveY(h, c[0]), w, curveY(h, c[0]));
        return;
    }
    // Positions whose height reaches the pixel height are skipped; the next
    // drawn position joins the last drawn one.
    QPoint points[kSamplesPerFrame];
    int n = 0;
    points[n++] = QPoint(0, curveY(h, c[0]));
    for (int k = 1; k < kSamplesPerFrame; ++k) {
        if (c[static_cast<size_t>(k)] < h)
            points[n++] = QPoint(plotX(w, k), curveY(h, c[static_cast<size_t>(k)]));
    }
    if (n > 1) painter.drawPolyline(points, n);
}

bool drawCurves(QPainter& painter, int w, int h, const InstrumentParams& p, CurveStorage& curves) {
    if (buildDacCurve(p, curves) < 0) return false;
    convertCurveToHeights(p, curves);
    const int count = drawnCurveCount(p);
    for (int l = 1; l <= count; ++l) {
        drawCurve(painter, w, h, curves.curveOrdinates, p.flatCurve());
        if (l < count && p.gainTable(l + 1) != p.gainTable(l))
            rescaleCurve(curves.curveOrdinates, curves.curveOrdinates,
                         p.gainTable(l) - p.gainTable(l + 1));
    }
    return true;
}

void drawGateA(QPainter& painter, int w, int h, const InstrumentParams& p,
               const CurveStorage& curves, bool curveBuilt) {
    const int32_t start = p.gateAStart(), width = p.gateAWidth();
    if (p.curveMode() && p.gateFollowsCurve() && curveBuilt) {
        const int32_t last = std::min<int32_t>(start + width - 1, kCurvePositions - 1);
        QPolygon line;
        line.reserve(width + 2);
        line << QPoint(plotX(w, start), 0);
        for (int32_t k = start; k <= last; ++k)
            line << QPoint(plotX(w, k), curveY(h, curves.gateOrdinates[static_cast<size_t>(k)]));
        line << QPoint(plotX(w, last), 0);
        painter.drawPolyline(line);
        return;
    }
    const int x0 = plotX(w, start), x1 = plotX(w, start + width);
    if (p.waveMode() == 3) {
        const int offset = p.gateALevel() * h / 400;
        painter.drawLine(x0, h / 2 - offset, x1, h / 2 - offset);
        painter.drawLine(x0, h / 2 + offset, x1, h / 2 + offset);
    } else {
        painter.drawLine(x0, plotY(h, p.gateALevel()), x1, plotY(h, p.gateALevel()));
    }
}

void drawGateB(QPainter& painter, int w, int h, const InstrumentParams& p) {
    if (p.gateBLevel() <= 3) return;
    const int y = plotY(h, p.gateBLevel());
    painter.drawLine(plotX(w, p.gateBStart()), y, plotX(w, p.gateBStart() + p.gateBWidth()), y);
}

namespace {

// The background, grid and border of the main plot never change for a given
// size: drawn once, then copied under every frame.
const QImage& screenBackground(int w, int h, QImage::Format format) {
    thread_local QImage background;
    if (background.width() != w || background.height() != h || background.format() != format) {
        background = QImage(w, h, format);
        QPainter painter(&background);
        preparePainter(painter);
        drawGridAndBorder(painter, w, h, PlotColours::screen());
    }
    return background;
}

} // namespace

void drawFramePicture(QImage& image, std::span<const uint8_t> frame, const InstrumentParams& p,
                      CurveStorage& curves) {
    const int w = image.width(), h = image.height();
    const PlotColours colours = PlotColours::screen();
    const QImage& background = screenBackground(w, h, image.format());
    if (image.bytesPerLine() == background.bytesPerLine())
        std::memcpy(image.bits(), background.constBits(),
                    static_cast<size_t>(background.sizeInBytes()));
    QPainter painter(&image);
    preparePainter(painter);
    if (image.bytesPerLine() != background.bytesPerLine()) painter.drawImage(0, 0, background);
    if (p.envelopeMode() != 0) {
        painter.setPen(plotPen(colours.envelope));
        drawTrace(painter, w, h, frame.data() + kFrameEnvelopeOffset);
    }
    painter.setPen(plotPen(colours.echo));
    drawTrace(painter, w, h, frame.data() + kFrameEchoOffset);
    bool built = false;
    if (p.curveMode()) {
        painter.setPen(plotPen(colours.curve));
        built = drawCurves(painter, w, h, p, curves);
    }
    painter.setPen(plotPen(colours.gateA));
    drawGateA(painter, w, h, p, curves, built);
    painter.setPen(plotPen(colours.gateB));
    drawGateB(painter, w, h, p);
}

void drawEmptyPlot(QImage& image) {
    QPainter painter(&image);
    preparePainter(painter);
    drawGridAndBorder(painter, image.width(), image.height(), PlotColours::screen());
}

QFont rulerFont() {
    // A small sans face: the labels must stay about 30 pixels wide and well
    // under 20 pixels high to fit between the ruler positions.
    QFont font(QStringLiteral("Liberation Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(11);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

namespace {

void drawLabel(QPainter& painter, int x, int y, const QString& text) {
    const QFontMetrics metrics(painter.font());
    painter.drawText(x, y + metrics.ascent(), text);
}

void prepareRuler(QPainter& painter, int w, int h, const PlotColours& colours) {
    preparePainter(painter);
    painter.fillRect(0, 0, w, h, colours.background);
    painter.setFont(rulerFont());
    painter.setPen(colours.grid);
    painter.setBackgroundMode(Qt::OpaqueMode);
    painter.setBackground(colours.background);
}

} // namespace

void drawAmplitudeRuler(QPainter& painter, int w, int h, int plotHeight,
                        const PlotColours& colours) {
    painter.save();
    prepareRuler(painter, w, h, colours);
    for (int i = 0; i <= 5; ++i)
        drawLabel(painter, 2, plotHeight * (5 - i) / 5, QString::number(20 * i));
    painter.restore();
}

void drawPathRuler(QPainter& painter, int w, int h, std::span<const std::string> labels,
                   const PlotColours& colours) {
    painter.save();
    prepareRuler(painter, w, h, colours);
    if (labels.size() == 6) {
        const int x[6] = {0, w / 5 - 15, w * 2 / 5 - 15, w * 3 / 5 - 15, w * 4 / 5 - 15, w - 33};
        for (size_t i = 0; i < 6; ++i)
            drawLabel(painter, x[i], 2, QString::fromLatin1(labels[i].c_str()));
    }
    painter.restore();
}

void drawAmplitudeRuler(QImage& image, int plotHeight, const PlotColours& colours) {
    QPainter painter(&image);
    drawAmplitudeRuler(painter, image.width(), image.height(), plotHeight, colours);
}

void drawPathRuler(QImage& image, std::span<const std::string> labels, const PlotColours& colours) {
    QPainter painter(&image);
    drawPathRuler(painter, image.width(), image.height(), labels, colours);
}

void drawReportPlot(QPainter& painter, int w, int h, std::span<const uint8_t> echo,
                    const uint8_t* envelope, const InstrumentParams& p, CurveStorage& curves) {
    painter.save();
    preparePainter(painter);
    const PlotColours colours = PlotColours::print();
    drawGridAndBorder(painter, w, h, colours);
    painter.setPen(plotPen(colours.echo));
    // The report draws the echo first and the envelope over it.
    if (!echo.empty()) drawTrace(painter, w, h, echo.data() + kFrameEchoOffset);
    if (p.envelopeMode() != 0) drawTrace(painter, w, h, envelope);
    bool built = false;
    if (p.curveMode() && buildDacCurve(p, curves) >= 0) {
        built = true;
        convertCurveToHeights(p, curves);
        const CurveOrdinates& c = curves.curveOrdinates;
        for (int m = 1; m <= drawnCurveCount(p); ++m) {
            if (p.flatCurve()) {
                drawCurve(painter, w, h, c, true);
            } else {
                // Separate segments, each drawn when its start lies below
                // the plot's pixel height.
                for (int n = 0; n < kSamplesPerFrame; ++n) {
                    if (c[static_cast<size_t>(n)] < h)
                        painter.drawLine(plotX(w, n), curveY(h, c[static_cast<size_t>(n)]),
                                         plotX(w, n + 1), curveY(h, c[static_cast<size_t>(n + 1)]));
                }
            }
            if (p.gainTable(m) != p.gainTable(m + 1))
                rescaleCurve(curves.curveOrdinates, curves.curveOrdinates,
                             p.gainTable(m) - p.gainTable(m + 1));
        }
    }
    drawGateA(painter, w, h, p, curves, built);
    drawGateB(painter, w, h, p);
    painter.restore();
}

void initRulers(QImage& amplitudeRuler, QImage& pathRuler) {
    drawAmplitudeRuler(amplitudeRuler, kPlotHeight, PlotColours::screen());
    drawPathRuler(pathRuler, {}, PlotColours::screen());
}

} // namespace vantrel
