#include "pictures/frame_render.h"

#include <QFont>
#include <QFontMetrics>

#include <algorithm>
#include <cstring>

#include "recordfile/wrap_math.h"

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

void preparePainter(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
}

void PlotCanvas::line(raster::Point p, raster::Point q) {
    raster::line(p, q, size_, dash_, [this](const raster::Run& run) { fillRun(run); });
}

void PlotCanvas::polyline(std::span<const raster::Point> points) {
    raster::polyline(points, size_, dash_, [this](const raster::Run& run) { fillRun(run); });
}

ImageCanvas::ImageCanvas(QImage& image)
    : PlotCanvas(image.width(), image.height()), image_(image), bits_(image.bits()),
      stride_(image.bytesPerLine()),
      direct_(image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32 ||
              image.format() == QImage::Format_ARGB32_Premultiplied) {}

void ImageCanvas::fill(const QColor& colour) { image_.fill(colour); }

void ImageCanvas::fillRun(const raster::Run& run) {
    if (!direct_) {
        for (int32_t i = 0; i < run.length; ++i)
            image_.setPixelColor(run.vertical ? run.x : run.x + i, run.vertical ? run.y + i : run.y,
                                 colour_);
        return;
    }
    // The plots' colours are opaque, so one word serves all three formats.
    uchar* row = bits_ + stride_ * run.y;
    if (!run.vertical) {
        std::fill_n(reinterpret_cast<QRgb*>(row) + run.x, run.length, rgb_);
        return;
    }
    for (int32_t i = 0; i < run.length; ++i, row += stride_)
        reinterpret_cast<QRgb*>(row)[run.x] = rgb_;
}

void PainterCanvas::fill(const QColor& colour) {
    painter_.fillRect(0, 0, width(), height(), colour);
}

void PainterCanvas::fillRun(const raster::Run& run) {
    fillBand(painter_,
             run.vertical ? QRect(run.x, run.y, 1, run.length) : QRect(run.x, run.y, run.length, 1),
             colour_);
}

namespace {
thread_local const QPainter* devicePixelPainter = nullptr;
} // namespace

DevicePixelLines::DevicePixelLines(const QPainter& painter) : previous_(devicePixelPainter) {
    devicePixelPainter = &painter;
}

DevicePixelLines::~DevicePixelLines() { devicePixelPainter = previous_; }

bool DevicePixelLines::on(const QPainter& painter) { return devicePixelPainter == &painter; }

void fillBand(QPainter& painter, const QRect& band, const QColor& colour) {
    painter.fillRect(band, colour);
    if (!DevicePixelLines::on(painter) || band.isEmpty()) return;
    painter.save();
    // Cosmetic (one device pixel) and flat-capped, so the stroke ends where
    // the band ends.
    painter.setPen(QPen(colour, 0, Qt::SolidLine, Qt::FlatCap));
    painter.setBrush(Qt::NoBrush);
    const QRectF r(band);
    if (band.height() == 1)
        painter.drawLine(QPointF(r.left(), r.center().y()), QPointF(r.right(), r.center().y()));
    else
        painter.drawLine(QPointF(r.center().x(), r.top()), QPointF(r.center().x(), r.bottom()));
    painter.restore();
}

namespace {

// A curve height on the plot, without the 200 limit of traces.
int curveY(int h, int32_t c) { return wrap::sub(h, wrap::mul(h, c) / 200); }

} // namespace

void drawGridAndBorder(PlotCanvas& canvas, const PlotColours& colours) {
    const int w = canvas.width(), h = canvas.height();
    canvas.fill(colours.background);
    canvas.setColour(colours.grid);
    canvas.setDotted(true);
    for (int i = 1; i <= 4; ++i) {
        canvas.line({0, h * i / 5}, {w, h * i / 5});
        canvas.line({w * i / 5, 0}, {w * i / 5, h});
    }
    canvas.setDotted(false);
    const raster::Point border[] = {{0, 0}, {w - 1, 0}, {w - 1, h - 1}, {0, h - 1}, {0, 0}};
    canvas.polyline(border);
}

void drawTrace(PlotCanvas& canvas, const uint8_t* samples) {
    raster::Point points[kSamplesPerFrame];
    for (int k = 0; k < kSamplesPerFrame; ++k)
        points[k] = {plotX(canvas.width(), k), plotY(canvas.height(), samples[k])};
    canvas.polyline(points);
}

void drawCurve(PlotCanvas& canvas, const CurveOrdinates& c, bool flat) {
    const int w = canvas.width(), h = canvas.height();
    if (flat) {
        if (c[0] < h) canvas.line({w / 280, curveY(h, c[0])}, {w, curveY(h, c[0])});
        return;
    }
    // Positions whose height reaches the pixel height are skipped; the next
    // drawn position joins the last drawn one.
    raster::Point points[kSamplesPerFrame];
    size_t n = 0;
    points[n++] = {0, curveY(h, c[0])};
    for (int k = 1; k < kSamplesPerFrame; ++k) {
        if (c[static_cast<size_t>(k)] < h)
            points[n++] = {plotX(w, k), curveY(h, c[static_cast<size_t>(k)])};
    }
    canvas.polyline(std::span(points, n));
}

void drawCurves(PlotCanvas& canvas, const InstrumentParams& p, const CurveSet& curves) {
    for (const CurveOrdinates& c : curves.family)
        drawCurve(canvas, c, p.flatCurve());
}

void drawGateA(PlotCanvas& canvas, const InstrumentParams& p, const CurveSet& curves) {
    const int w = canvas.width(), h = canvas.height();
    const int32_t start = p.gateAStart(), width = p.gateAWidth();
    if (p.curveMode() && p.gateFollowsCurve() && curves.built) {
        const int32_t last = std::min<int32_t>(start + width - 1, kCurvePositions - 1);
        raster::Point line[kCurvePositions + 2];
        size_t n = 0;
        line[n++] = {plotX(w, start), 0};
        for (int32_t k = start; k <= last; ++k)
            line[n++] = {plotX(w, k),
                         curveY(h, curves.storage.gateOrdinates[static_cast<size_t>(k)])};
        line[n++] = {plotX(w, last), 0};
        canvas.polyline(std::span(line, n));
        return;
    }
    const int x0 = plotX(w, start), x1 = plotX(w, start + width);
    if (p.waveMode() == 3) {
        const int offset = p.gateALevel() * h / 400;
        canvas.line({x0, h / 2 - offset}, {x1, h / 2 - offset});
        canvas.line({x0, h / 2 + offset}, {x1, h / 2 + offset});
    } else {
        canvas.line({x0, plotY(h, p.gateALevel())}, {x1, plotY(h, p.gateALevel())});
    }
}

void drawGateB(PlotCanvas& canvas, const InstrumentParams& p) {
    if (p.gateBLevel() <= 3) return;
    const int w = canvas.width(), y = plotY(canvas.height(), p.gateBLevel());
    canvas.line({plotX(w, p.gateBStart()), y}, {plotX(w, p.gateBStart() + p.gateBWidth()), y});
}

namespace {

// The background, grid and border of the main plot never change for a given
// size: drawn once, then copied under every frame.
const QImage& screenBackground(int w, int h, QImage::Format format) {
    thread_local QImage background;
    if (background.width() != w || background.height() != h || background.format() != format) {
        background = QImage(w, h, format);
        ImageCanvas canvas(background);
        drawGridAndBorder(canvas, PlotColours::screen());
    }
    return background;
}

} // namespace

void drawFramePicture(QImage& image, std::span<const uint8_t> frame, const InstrumentParams& p,
                      const CurveSet& curves) {
    const PlotColours colours = PlotColours::screen();
    const QImage& background = screenBackground(image.width(), image.height(), image.format());
    if (image.bytesPerLine() == background.bytesPerLine()) {
        std::memcpy(image.bits(), background.constBits(),
                    static_cast<size_t>(background.sizeInBytes()));
    } else {
        const size_t row =
            static_cast<size_t>(std::min(image.bytesPerLine(), background.bytesPerLine()));
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(image.scanLine(y), background.constScanLine(y), row);
    }
    ImageCanvas canvas(image);
    if (p.envelopeMode() != 0) {
        canvas.setColour(colours.envelope);
        drawTrace(canvas, frame.data() + kFrameEnvelopeOffset);
    }
    canvas.setColour(colours.echo);
    drawTrace(canvas, frame.data() + kFrameEchoOffset);
    if (p.curveMode()) {
        canvas.setColour(colours.curve);
        drawCurves(canvas, p, curves);
    }
    canvas.setColour(colours.gateA);
    drawGateA(canvas, p, curves);
    canvas.setColour(colours.gateB);
    drawGateB(canvas, p);
}

void drawEmptyPlot(QImage& image) {
    ImageCanvas canvas(image);
    drawGridAndBorder(canvas, PlotColours::screen());
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

void drawReportPlot(PlotCanvas& canvas, std::span<const uint8_t> echo, const uint8_t* envelope,
                    const InstrumentParams& p, const CurveSet& curves) {
    const int w = canvas.width(), h = canvas.height();
    const PlotColours colours = PlotColours::print();
    drawGridAndBorder(canvas, colours);
    canvas.setColour(colours.echo);
    // The report draws the echo first and the envelope over it.
    if (!echo.empty()) drawTrace(canvas, echo.data() + kFrameEchoOffset);
    if (p.envelopeMode() != 0) drawTrace(canvas, envelope);
    // Each curve in separate segments from position n to n + 1, drawn when
    // the segment's start lies below the plot's pixel height.
    for (const CurveOrdinates& c : p.curveMode() ? curves.family : std::vector<CurveOrdinates>{}) {
        if (p.flatCurve()) {
            drawCurve(canvas, c, true);
            continue;
        }
        for (int n = 0; n < kSamplesPerFrame; ++n) {
            if (c[static_cast<size_t>(n)] < h)
                canvas.line({plotX(w, n), curveY(h, c[static_cast<size_t>(n)])},
                            {plotX(w, n + 1), curveY(h, c[static_cast<size_t>(n + 1)])});
        }
    }
    drawGateA(canvas, p, curves);
    drawGateB(canvas, p);
}

void drawReportPlot(QPainter& painter, int w, int h, std::span<const uint8_t> echo,
                    const uint8_t* envelope, const InstrumentParams& p, const CurveSet& curves) {
    painter.save();
    preparePainter(painter);
    PainterCanvas canvas(painter, w, h);
    drawReportPlot(canvas, echo, envelope, p, curves);
    painter.restore();
}

} // namespace vantrel
